// `query` and `query2`: the menu of the entries in the shared record `scrd`.
// Each fills a request for the menu engine (menu_engine.h) from the record and
// its arguments, and writes back what the caller finds there afterwards: the
// entry texts cut after column ncol and left-justified, the suffixes, the
// lengths and layout of the drawing, the display texts, the chosen entry, and
// the last answer with the line count in its column 80.
//
// The second form, `query2`, chooses among a few fixed entries.  It draws the
// same menu and is worked with the same keys, but:
//   - texts end at a NUL character, and the title, the entries and the
//     suffixes are blanked from column ncol+1 on;
//   - the layout is always 80 columns wide (the window size is not read);
//   - there are no mode letters, no "g" flag and no record or replay;
//   - a default text holding " quit" selects without asking: the menu is drawn
//     once and the entry that the rest of the default selects is returned;
//   - a text that no entry holds highlights entry 1;
//   - "q" and "*" always quit;
//   - help is "he" followed by a blank ("he" alone too), so a longer word that
//     begins with "he" is an ordinary search text;
//   - every line goes to unit nwr, and the rest of a typed answer comes from
//     unit nrd (the first character is still a key).
#include <algorithm>
#include <string>

#include "key.h"
#include "menu.h"
#include "menu_engine.h"

namespace zorb {

ScrdRecord scrd;

namespace {

// Entries 1..n of `scrd`, cut after column ncol (the suffixes too when
// `cut_suffixes`) and measured, in the record and in the request.
void take_entries(MenuRequest& r, int n, int ncol, Measure how, bool cut_suffixes) {
    for (int k = 1; k <= n; ++k) {
        r.entries.push_back(take_entry(scrd.queryar(k), scrd.ext(k), scrd.helpar(k), ncol, how, cut_suffixes));
        scrd.ld(k) = r.entries.back().ext_length;
        scrd.lw(k) = r.entries.back().length;
    }
}

// What the caller finds after the menu.
void give_back(const MenuResult& result, int n, int32_t& lq, int32_t& lk, Text80& chdf) {
    for (int k = 1; k <= n; ++k) {
        scrd.laenge(k) = result.field_widths[static_cast<std::size_t>(k)];
        scrd.type(k) = result.shown[static_cast<std::size_t>(k)];
    }
    for (int r = 0; r <= 64; ++r) scrd.lpart(r) = result.row_entries[static_cast<std::size_t>(r)];
    if (result.chosen) {
        lq = *result.chosen;
        lk = 0;
    } else {
        lk = n;  // only shown: lq is left as it came
    }
    chdf = result.answer;
    chdf(80) = static_cast<char>(48 + result.lines);
}

// The number of entries the caller gives in lq (at most 64); with none there
// is nothing to choose from, and both counts come back 0.
int entry_count(int32_t& lq, int32_t& lk) {
    const int n = std::clamp<int32_t>(lq, 0, 64);
    if (n == 0) lq = lk = 0;
    return n;
}

}  // namespace

void query(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf) {
    // A menu shown before anyone asked for the window size asks for it.
    if (term.ncol(1) == 0) window(1);
    const int ncol = term.ncol(1);
    const int n = entry_count(lq, lk);
    if (n == 0) return;
    MenuRequest r;
    // Column 132: the mode letter; column 131: "g", take the default.
    const char mode = cheader(132);
    cheader(132) = ' ';
    r.take_default = cheader(131) == 'g';
    r.script = mode == 'w' ? MenuScript::record : mode == 'r' ? MenuScript::replay : MenuScript::none;
    r.width = mode == 'w' || mode == 'r' || mode == 'l' ? MenuWidth::window : MenuWidth::usable;
    take_texts(r, cheader, chdf, ncol, Measure::left_justified);
    take_entries(r, n, ncol, Measure::left_justified, false);
    // "q" quits unless an entry begins with it.
    r.q_quits = !q_begins_an_entry(r.entries);
    give_back(choose(r), n, lq, lk, chdf);
}

void query2(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf, int ncol, int nrd, int nwr) {
    const int n = entry_count(lq, lk);
    if (n == 0) return;
    MenuRequest r;
    cheader.put(130, 132, "");
    Text80 start = chdf;
    const std::size_t at = start.sub(1, 79).find(" quit");
    if (at != std::string_view::npos) {
        start.put(static_cast<int>(at) + 1, static_cast<int>(at) + 5, "");
        r.quit_after_drawing = true;
    }
    take_texts(r, cheader, start, ncol, Measure::nul_ended);
    take_entries(r, n, ncol, Measure::nul_ended, true);
    r.width = MenuWidth::fixed;
    r.help_word = "he ";
    r.q_quits = true;
    r.miss_highlights_first = true;
    r.nrd = nrd;
    r.nwr = nwr;
    give_back(choose(r), n, lq, lk, chdf);
}

}  // namespace zorb
