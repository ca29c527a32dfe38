// Menu selection: the entries of a request drawn between a title line and a
// closing line, the current entry in red between square brackets.  The user
// moves the highlight by typing a substring (each further typing moves on to
// the next entry holding it, wrapping round) or with the arrow keys (wrapping
// both ways), and accepts with Return.  "he" shows the help of the highlighted
// entry.  The geometry is in menu_layout.*, the drawing in menu_screen.*;
// here are the answers and what they do.
//
// Sequences written (sequences.h): normal and red; the line " " ESC "[0m"
// ESC "[1A" ends every call and leaves the cursor on the line after the menu;
// lines " " ESC "[nA" move back over an answer, over the rows before they are
// redrawn and over the hint lines when they are blanked with the answer; CR
// blanks the terminal's echo of a key that does nothing (on a terminal only).
// Every sequence is written as part of an ordinary output line; the menu
// redraws itself in place by moving up over what it wrote.
//
// Record and replay on unit 10 (the caller opens it): in record mode the title
// line and, at each answer that begins with a blank, the rows and a line
// "<selection>---..." are written; replay reads them back instead of keys.
#include <algorithm>
#include <string>
#include <vector>

#include "help.h"
#include "key.h"
#include "menu_engine.h"
#include "menu_layout.h"
#include "menu_screen.h"
#include "sequences.h"
#include "text.h"
#include "units.h"

namespace zorb {

int measure(Text132& text, Measure how) {
    if (how == Measure::nul_ended) return ntrimto0(text);
    int l = 0;
    stringlength(text, l);
    return l;
}

void cut_after(Text132& text, int ncol) {
    if (ncol >= 0 && ncol <= 130) text.put(ncol + 1, 132, "");
}

void take_texts(MenuRequest& r, Text132& header, const Text80& chdf, int ncol, Measure how) {
    r.columns = chdf(80) == '#';
    Text132 start(chdf.sub(1, 79));
    const int le = measure(start, how);
    r.default_text = std::string(start.sub(1, le));
    r.default_field.assign(start.sub(1, 79));
    cut_after(header, ncol);
    Text132 title(header.sub(1, 130));
    const int t = measure(title, how);
    r.title = std::string(title.sub(1, t));
    // Under help's own menus of further entries "he" is a search text.
    r.offers_help = r.title.find("further related") == std::string::npos;
}

MenuEntry take_entry(Text132& text, Text16& ext, const Text132& topic, int ncol, Measure how,
                     bool cut_suffix) {
    MenuEntry e;
    Text132 suffix(ext.view());
    if (cut_suffix) cut_after(suffix, ncol);
    e.ext_length = measure(suffix, how);
    ext.assign(suffix.sub(1, 16));
    e.ext = ext;
    cut_after(text, ncol);
    e.length = measure(text, how);
    e.text = text;
    e.topic = topic;
    return e;
}

bool q_begins_an_entry(const std::vector<MenuEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(), [](const MenuEntry& e) { return e.text(1) == 'q'; });
}

namespace menu_detail {

namespace {

// One answer: a key, and for a printable key the rest of its line.
struct Answer {
    std::string typed;       // the answer line ("shift" for a control key)
    int arrow = 0;           // -1 up/left, +1 down/right
    bool other_key = false;  // a control key other than an arrow
};

class Menu {
public:
    explicit Menu(const MenuRequest& request) : r_(request), screen_(request.nwr) {}
    MenuResult run();

private:
    enum class Outcome { done, help_asked, again };

    int n() const { return static_cast<int>(r_.entries.size()); }
    const MenuEntry& entry(int k) const { return r_.entries[static_cast<std::size_t>(k) - 1]; }
    void start_drawing();
    bool refit();
    void rebuild_shown();
    void draw_rows();
    int find_target(const Answer& last, const std::string& search, bool typed) const;
    Outcome select();
    Answer read_answer();
    Outcome take_answer(const Answer& last, bool resized);
    void record_selection();
    int replay();
    Outcome end(int chosen);

    const MenuRequest& r_;
    MenuScreen screen_;
    MenuWidths widths_;
    MenuLayout layout_;
    std::vector<Text132> shown_;     // display text of each entry (index 0 unused)
    Text80 answer_;                  // the text last typed or highlighted
    std::optional<int> chosen_;      // empty while nothing was asked
    int lines_ = 0;                  // net lines, when the call has ended
    std::string search_;             // the text sought now
    bool typed_ = false;             // the search text was typed, not the default
    int jjq_ = 0;                    // current position
    int sel_ = 0;                    // selected entry, 0 for none
};

// The title and the layout of one drawing of the whole menu.
void Menu::start_drawing() {
    widths_ = menu_widths(r_.width);
    answer_ = r_.default_field;
    const std::string line = title_line(r_.title, widths_.npx);
    screen_.title(line);
    if (r_.script == MenuScript::record) write_line(unit_script, line);
    if (r_.script == MenuScript::replay) {
        std::string ignored;
        read_line(unit_script, ignored);
    }
    layout_ = lay_out(r_.entries, r_.columns, widths_);
}

// Takes the window's size before a drawing; true when the menu's widths
// changed with it, and the entries are then laid out anew.
bool Menu::refit() {
    const MenuWidths now = menu_widths(r_.width);
    if (now == widths_) return false;
    widths_ = now;
    layout_ = lay_out(r_.entries, r_.columns, widths_);
    return true;
}

void Menu::rebuild_shown() {
    shown_.assign(static_cast<std::size_t>(n()) + 1, Text132());
    for (int k = 1; k <= n(); ++k) {
        const MenuEntry& e = entry(k);
        std::string body(e.text.sub(1, e.length));
        if (e.ext_length > 0) body += " " + std::string(e.ext.sub(1, e.ext_length));
        if (k == sel_) {
            shown_[k].assign(seq::red + ("[" + body + "]"));
            answer_.assign(e.text.sub(1, 80));
        } else {
            shown_[k].assign(seq::normal + (" " + body));
        }
    }
}

void Menu::draw_rows() { screen_.rows(row_texts(layout_, shown_, widths_.npli), widths_.npx); }

int Menu::find_target(const Answer& last, const std::string& search, bool typed) const {
    if (last.arrow != 0) {
        int target = jjq_ + last.arrow;
        if (target > n()) target = 1;
        if (target < 1) target = n();
        return target;
    }
    if (last.other_key || search.empty()) return 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = pass == 0 ? jjq_ + 1 : 1; k <= n(); ++k)
            if (entry(k).text.contains(search)) return k;
    }
    return r_.miss_highlights_first && typed ? 1 : 0;
}

// The answer, from one key and, for a printable key, the rest of its line;
// none is read with fewer than two entries or when the default is taken.
Answer Menu::read_answer() {
    Answer a;
    if (n() < 2 || r_.take_default) {
        if (n() < 2) screen_.closing_again(widths_.npx);
        return a;
    }
    int code = key();
    while (code == key_nothing) {
        screen_.erase_echo(widths_.npx);
        code = key();
    }
    if (code == key_up || code == key_left) a.arrow = -1;
    else if (code == key_down || code == key_right) a.arrow = 1;
    else if (code < 0) a.other_key = true;
    if (code < 0) {
        a.typed = "shift";
        screen_.key_line();
    } else if (code == key_return) {
        screen_.answer_ended();  // the terminal echoes Return as a line end
        screen_.key_line();
    } else {
        std::string rest;
        read_line(r_.nrd, rest);
        a.typed = static_cast<char>(code) + rest;
        screen_.answer_ended();  // the terminal echoes the end of the typed line
    }
    return a;
}

// Record mode: the rows as drawn and a line "<selection>---...".
void Menu::record_selection() {
    for (const std::string& line : row_texts(layout_, shown_, widths_.npli))
        write_line(unit_script, line);
    std::string tail = std::to_string(sel_);
    std::string line(static_cast<std::size_t>(std::max(widths_.npx, 2)), '-');
    line.replace(0, tail.size(), tail);
    write_line(unit_script, line);
}

// Replay: the rows and the selection line as record mode wrote them.
int Menu::replay() {
    std::string line;
    int shown = std::min<int>(term.ncol(1), 132);
    while (read_line(unit_script, line)) {
        screen_.replayed(line.substr(0, static_cast<std::size_t>(shown)));
        if (line.size() >= 5 && line.compare(2, 3, "---") == 0) {
            int result = line[0] - '0';
            if (line[1] != '-') result = result * 10 + (line[1] - '0');
            // A damaged script line selects nothing rather than a bad entry.
            return result >= 0 && result <= n() ? result : 0;
        }
    }
    return 0;
}

Menu::Outcome Menu::end(int chosen) {
    chosen_ = chosen;
    lines_ = screen_.finish();
    return Outcome::done;
}

// What one answer does: help, an acceptance, a quit, or a new search (the
// rows, or after a change of the window's size the whole menu, drawn anew).
Menu::Outcome Menu::take_answer(const Answer& last, bool resized) {
    // The answer, left-justified, at most 80 characters.
    Text132 answer(last.typed);
    Text132 justified(answer.sub(1, 80));
    int la = 0;
    stringlength(justified, la);
    std::string text(justified.sub(1, la));
    Text132 lower(justified);
    lc_character(lower);
    answer_.assign(text);

    const int he = static_cast<int>(r_.help_word.size());
    if (answer.sub(1, he) == r_.help_word) screen_.hint(widths_.fit);
    if (lower.sub(1, he) == r_.help_word && r_.offers_help && sel_ > 0) {
        Text132 topic = entry(sel_).topic;
        help(topic);
        screen_.help_shown();
        return Outcome::help_asked;
    }
    if (la == 0) {
        if (sel_ != 0) return end(sel_);
        chosen_ = 0;
        search_.clear();  // drawn once more, then 0 is returned
        return Outcome::again;
    }
    if (text[0] == '*' || (text[0] == 'q' && r_.q_quits)) return end(0);
    if (resized) screen_.redraw_title(title_line(r_.title, widths_.npx), widths_.fit);
    else screen_.redraw_rows(layout_.all_row_lines(widths_.npli), widths_.npli);
    sel_ = 0;
    search_ = text;
    typed_ = true;
    return Outcome::again;
}

// Selection passes until an entry is chosen, the user quits, or help is
// asked for (the menu is then drawn anew).
Menu::Outcome Menu::select() {
    jjq_ = 0;
    sel_ = 0;
    search_ = r_.default_text;
    typed_ = false;
    Answer last;
    for (;;) {
        int target = find_target(last, search_, typed_);
        if (target > 0) {
            jjq_ = target;
            sel_ = target;
        }
        rebuild_shown();
        if (r_.script == MenuScript::replay) return end(replay());
        draw_rows();
        if (r_.quit_after_drawing) return end(sel_);
        // Display only (nothing to search for).
        if (search_.empty()) {
            lines_ = screen_.finish();
            return Outcome::done;
        }
        last = read_answer();
        if (r_.script == MenuScript::record && (last.typed.empty() || last.typed[0] == ' '))
            record_selection();
        const bool resized = refit();
        screen_.clear_answer(widths_.npx, widths_.fit);
        const Outcome outcome = take_answer(last, resized);
        if (outcome != Outcome::again) return outcome;
    }
}

MenuResult Menu::run() {
    // One drawing of the whole menu; again, below the help output, after a
    // help request, with the default as the caller passed it.
    do {
        start_drawing();
    } while (select() == Outcome::help_asked);
    MenuResult result;
    result.chosen = chosen_;
    result.answer = answer_;
    result.lines = lines_;
    result.field_widths = layout_.field_widths;
    result.row_entries = layout_.row_entries;
    result.shown = shown_;
    return result;
}

}  // namespace

}  // namespace menu_detail

MenuResult choose(const MenuRequest& request) {
    menu_detail::Menu menu(request);
    return menu.run();
}

}  // namespace zorb
