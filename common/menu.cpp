// Menu selection: the entries of record `scrd` drawn between a title line and
// a closing line, the current entry in red between square brackets.  The user
// moves the highlight by typing a substring (each further typing moves on to
// the next entry holding it, wrapping round) or with the arrow keys (wrapping
// both ways), and accepts with Return.  "he" shows the help of the highlighted
// entry.
//
// Sequences written (ECMA-48), the contract of the menu with the terminal:
//   ESC "[0m"  normal            ESC "[31m" red (the highlighted entry)
//   ESC "[1A"  cursor up 1: a line " " ESC "[0m" ESC "[1A" ends every call and
//              leaves the cursor on the line after the menu
//   ESC "[2A"  cursor up 2: the line " " ESC "[2A" moves back over an answer
//   ESC "[nA"  cursor up n: moves back over the rows before they are redrawn,
//              and over the hint lines when they are blanked with the answer
// Every sequence is written as part of an ordinary output line; the menu
// redraws itself in place by moving up over what it wrote.
//
// Record and replay on unit 10 (the caller opens it): in record mode the title
// line and, at each answer that begins with a blank, the rows and a line
// "<selection>---..." are written; replay reads them back instead of keys.
#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "help.h"
#include "key.h"
#include "menu.h"
#include "menu_engine.h"
#include "text.h"
#include "units.h"

namespace zorb {

ScrdRecord scrd;

namespace menu_detail {

namespace {

const char esc_normal[] = "\x1b[0m";
const char esc_red[] = "\x1b[31m";
const char hint_text[] =
    " select by typing a substring, RET or by repeatedly using left/right shift keys";

std::string cursor_up(int n) { return " \x1b[" + std::to_string(n) + "A"; }

// `text` (words after a blank each) in lines of at most `width` characters,
// each beginning with a blank.
std::vector<std::string> fold(const std::string& text, int width) {
    std::vector<std::string> lines;
    std::istringstream words(text);
    std::string word, line;
    while (words >> word) {
        if (!line.empty() && static_cast<int>(line.size() + 1 + word.size()) > width) {
            lines.push_back(line);
            line.clear();
        }
        line += " " + word;
    }
    if (!line.empty()) lines.push_back(line);
    // A word longer than the width is cut, so that no line wraps.
    std::vector<std::string> cut;
    for (const std::string& l : lines)
        for (std::size_t at = 0; at < l.size(); at += static_cast<std::size_t>(width))
            cut.push_back(l.substr(at, static_cast<std::size_t>(width)));
    return cut;
}

class Menu {
public:
    Menu(const MenuForm& form, int n) : form_(form), n_(n) {}
    void run(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf);

private:
    enum class Outcome { done, help_asked };
    struct Answer {
        std::string typed;       // the answer line ("shift" for a control key)
        int arrow = 0;           // -1 up/left, +1 down/right
        bool other_key = false;  // a control key other than an arrow
    };

    void screen(const std::string& line, int up = 0);
    int justify(Text132& t) const;
    void cut_at_ncol(Text132& t) const;
    void take_mode(Text132& cheader);
    void widths();
    std::string start_drawing(Text132& cheader, Text80& chdf, int32_t& lk);
    void draw_title(Text132& cheader);
    std::string title_line() const;
    bool refit();
    void redraw_title();
    void prepare_entries();
    void layout(int wmax);
    int row_lines(int row) const;
    int all_row_lines() const;
    std::string row_text(int row, int first) const;
    void draw_rows(int unit, bool closing);
    void rebuild_types(Text80& chdf);
    int find_target(const Answer& last, const std::string& search, bool typed) const;
    Outcome select(int32_t& lq, int32_t& lk, Text80& chdf, std::string search);
    Answer read_answer();
    void record_selection();
    void clear_answer();
    void write_hint();
    void redraw_rows();
    int replay();
    void finish(Text80& chdf);

    MenuForm form_;
    int n_;                   // number of entries
    char mode_ = ' ';         // " ", "l", "w" (record) or "r" (replay)
    bool take_default_ = false;  // "g": accept the default without asking
    bool quit_after_drawing_ = false;  // second form: " quit" in the default
    int npx_ = 80;            // usable width
    int npli_ = 80;           // line width for a long entry
    int fit_ = 80;            // columns of the terminal: no line may be wider
    int rows_ = 0;            // display rows
    bool column_layout_ = false;  // "#" in column 80 of the default
    bool q_is_text_ = false;  // an entry starts with "q": "q" does not quit
    std::string title_;       // the caller's title, as cut
    int jjq_ = 0;             // current position
    int sel_ = 0;             // selected entry, 0 for none
    int count_ = 0;           // the line count returned in column 80 of chdf
    // The screen line of the cursor, counted from the first row (0); every
    // menu line goes through screen(), which keeps it, so a move back over
    // what the menu wrote is always exact.
    int at_ = 0;
    std::vector<int> hint_widths_;  // the hint lines standing on the answer line and below
};

// The window's size now, taken at every drawing: a window made smaller while
// the menu is open gets a drawing that fits it.  The usable width follows
// the window; one that a program set beyond the 130 columns that `window`
// allows (sixline takes the whole width) stays the whole width.
void measure_window() {
    const bool whole_width = term.npl > 130;
    window(1);
    if (whole_width) term.npl = term.ncol(1);
}

// One line on the screen unit; `up` is the number of lines a cursor-up
// sequence in it moves back.  The terminal's echo of a typed line end is
// counted where the answer is read.
void Menu::screen(const std::string& line, int up) {
    write_line(form_.nwr, line);
    at_ += 1 - up;
}

// Left-justifies t and returns the length of its text; the second form ends
// a text at its first NUL.
int Menu::justify(Text132& t) const {
    if (form_.second) return ntrimto0(t);
    int l = 0;
    stringlength(t, l);
    return l;
}

void Menu::cut_at_ncol(Text132& t) const {
    if (form_.ncol >= 0 && form_.ncol <= 130) t.put(form_.ncol + 1, 132, "");
}

void Menu::take_mode(Text132& cheader) {
    if (form_.second) {
        cheader.put(130, 132, "");
        return;
    }
    mode_ = cheader(132);
    if (mode_ != 'w' && mode_ != 'r' && mode_ != 'l') mode_ = ' ';
    cheader(132) = ' ';
    take_default_ = cheader(131) == 'g';
}

void Menu::widths() {
    if (form_.second) {
        npx_ = 80;
        npli_ = 80;
        fit_ = 80;
        return;
    }
    measure_window();
    int base = (mode_ == 'w' || mode_ == 'r' || mode_ == 'l') ? term.ncol(1) : term.npl;
    npx_ = std::min(base - 3, 130);
    npli_ = std::min(term.ncol(1) - 3, 129);
    // A window too narrow for any menu is drawn as if it had room for one.
    npx_ = std::max(npx_, 1);
    npli_ = std::max(npli_, 4);
    fit_ = std::max<int>(term.ncol(1), 4);
}

// Steps 1 to 2 of a drawing: widths, default text, title and layout.
// Returns the search text (the default); empty for a menu only shown.
std::string Menu::start_drawing(Text132& cheader, Text80& chdf, int32_t& lk) {
    widths();
    column_layout_ = chdf(80) == '#';
    hint_widths_.clear();
    if (form_.second) {
        std::size_t at = chdf.sub(1, 79).find(" quit");
        if (at != std::string_view::npos) {
            chdf.put(static_cast<int>(at) + 1, static_cast<int>(at) + 5, "");
            quit_after_drawing_ = true;
        }
    }
    Text132 start(chdf.sub(1, 79));
    int le = justify(start);
    if (le == 0) lk = n_;
    chdf.assign(start.sub(1, 79));
    draw_title(cheader);
    prepare_entries();
    return std::string(start.sub(1, le));
}

void Menu::draw_title(Text132& cheader) {
    cut_at_ncol(cheader);
    Text132 title(cheader.sub(1, 130));
    int t = justify(title);
    title_ = std::string(title.sub(1, t));
    const std::string line = title_line();
    screen(esc_normal + line);
    at_ = 0;  // the first row comes next
    ++count_;
    if (mode_ == 'w') write_line(unit_script, line);
    if (mode_ == 'r') {
        std::string ignored;
        read_line(unit_script, ignored);
    }
}

// The title centred in a line of dashes as wide as the menu.
std::string Menu::title_line() const {
    std::string line(npx_, '-');
    if (!title_.empty()) {
        std::string shown = title_;
        if (shown.find("information") == std::string::npos) shown += " (help:he)";
        int len = static_cast<int>(shown.size());
        // A title wider than the menu starts in column 1.
        int i = std::max((npx_ - len) / 2, 0);
        line.replace(i, std::min(len, npx_ - i), shown.substr(0, npx_ - i));
    }
    return line;
}

// Takes the window's size before a drawing; true when the menu's widths
// changed with it, and the entries are then laid out anew.
bool Menu::refit() {
    const int npx = npx_, npli = npli_, fit = fit_;
    widths();
    if (npx == npx_ && npli == npli_ && fit == fit_) return false;
    prepare_entries();
    return true;
}

// After the window changed its size: back over the title and every line
// below it, all blanked as wide as the window is now (wider blanks would
// wrap), and the title drawn anew in the new width; the rows follow.  The
// layout may now have more or fewer rows than the drawing it replaces.
void Menu::redraw_title() {
    const int lines = at_ + 1;  // the title, the rows, the closing line
    screen(cursor_up(at_ + 2), at_ + 2);
    for (int i = 0; i < lines; ++i) screen(std::string(static_cast<std::size_t>(fit_), ' '));
    screen(cursor_up(lines + 1), lines + 1);
    screen(esc_normal + title_line());
    at_ = 0;
    count_ -= 1;  // as for a redraw of the rows alone
}

void Menu::prepare_entries() {
    int wmax = 0;
    q_is_text_ = false;
    for (int k = 1; k <= n_; ++k) {
        Text132 e(scrd.ext(k).view());
        if (form_.second) cut_at_ncol(e);
        scrd.ld(k) = justify(e);
        scrd.ext(k).assign(e.sub(1, 16));
        cut_at_ncol(scrd.queryar(k));
        scrd.lw(k) = justify(scrd.queryar(k));
        if (scrd.queryar(k)(1) == 'q') q_is_text_ = true;
        wmax = std::max(wmax, scrd.ld(k) + scrd.lw(k) + 3);
    }
    layout(wmax);
}

void Menu::layout(int wmax) {
    std::array<int, 66> part{};
    int rows = 0;
    bool columns = false;
    if (column_layout_) {
        int w = wmax + 2;
        int m = npx_ / w;
        // A field shows w + 1 characters (a blank or bracket, the text, the
        // padding).  Fewer columns only where a row of m would be wider than
        // the terminal: it would wrap and break every redraw in place.
        if (m * (w + 1) > fit_) m = fit_ / (w + 1);
        int r = m > 0 ? (n_ + m - 1) / m : 0;
        int e = 0;
        while (m > 0) {
            e = m * r - n_;
            if (e >= r - 1) {
                --m;
                continue;
            }
            if (e < 0) {
                ++m;
                e = m * r - n_;
            }
            break;
        }
        if (m > 0) {
            columns = true;
            for (int k = 1; k <= n_; ++k) scrd.laenge(k) = w + 5;
            for (int i = 1; i < r; ++i) part[i] = m;
            part[r] = m - e;
            rows = r;
        }
    }
    if (!columns) {
        // Flow layout: entries side by side while they fit.  An entry as wide
        // as the menu gets a row of its own, and the next entry starts a new
        // row; no row is left empty.
        int r = 1;
        int s = 0;
        for (int k = 1; k <= n_; ++k) {
            int len = scrd.ld(k) + ((scrd.lw(k) + 5) / 10) * 10 + 10;
            scrd.laenge(k) = len;
            if (len < npx_) {
                s += len + 6;
                ++part[r];
                if (s > npx_) {
                    if (part[r] > 1) {
                        --part[r];
                        ++r;
                        part[r] = 1;
                        s = len + 4;
                    } else {
                        ++r;
                        s = 0;
                    }
                } else if (s == npx_) {
                    ++r;
                    s = 0;
                }
            } else {
                if (part[r] > 0) ++r;
                part[r] = 1;
                ++r;
                s = 0;
            }
        }
        rows = part[r] > 0 ? r : r - 1;
    }
    rows_ = rows;
    scrd.lpart(0) = 0;
    for (int i = 1; i <= 64; ++i) scrd.lpart(i) = i <= rows ? part[i] : 0;
}

int Menu::row_lines(int row) const {
    int first = 0;
    for (int i = 1; i < row; ++i) first += scrd.lpart(i);
    return scrd.lpart(row) == 1 && scrd.laenge(first + 1) > npli_ ? 2 : 1;
}

int Menu::all_row_lines() const {
    int lines = 0;
    for (int r = 1; r <= rows_; ++r) lines += row_lines(r);
    return lines;
}

// The display texts of a row, each cut or blank-padded to its field width.
std::string Menu::row_text(int row, int first) const {
    std::string text;
    for (int k = first + 1; k <= first + scrd.lpart(row); ++k) {
        int width = scrd.laenge(k);
        std::string field(scrd.type(k).sub(1, width));
        field.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
        text += field;
    }
    return text;
}

// The rows on the screen (with the closing line) or, in record mode, on the
// script unit.
void Menu::draw_rows(int unit, bool closing) {
    auto out = [&](const std::string& line) {
        if (unit == form_.nwr) screen(line);
        else write_line(unit, line);
    };
    int first = 0;
    for (int r = 1; r <= rows_; ++r) {
        if (row_lines(r) == 2) {
            const Text132& t = scrd.type(first + 1);
            out(std::string(t.sub(1, npli_ - 3)));
            out(" " + std::string(t.sub(npli_ - 2, 132)));
        } else {
            out(row_text(r, first));
        }
        first += scrd.lpart(r);
    }
    if (closing) {
        count_ += all_row_lines() + 1;
        screen(std::string(esc_normal) + "\x1b[1A", 1);
        screen(esc_normal + std::string(npx_, '-'));
    }
}

int Menu::find_target(const Answer& last, const std::string& search, bool typed) const {
    if (last.arrow != 0) {
        int target = jjq_ + last.arrow;
        if (target > n_) target = 1;
        if (target < 1) target = n_;
        return target;
    }
    if (last.other_key || search.empty()) return 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = pass == 0 ? jjq_ + 1 : 1; k <= n_; ++k)
            if (scrd.queryar(k).contains(search)) return k;
    }
    // The second form highlights entry 1 when no entry holds a typed text
    // (a default text may select nothing).
    return form_.second && typed ? 1 : 0;
}

void Menu::rebuild_types(Text80& chdf) {
    for (int k = 1; k <= n_; ++k) {
        std::string body(scrd.queryar(k).sub(1, scrd.lw(k)));
        if (scrd.ld(k) > 0) body += " " + std::string(scrd.ext(k).sub(1, scrd.ld(k)));
        if (k == sel_) {
            scrd.type(k).assign(esc_red + ("[" + body + "]"));
            chdf.assign(scrd.queryar(k).sub(1, 80));
        } else {
            scrd.type(k).assign(esc_normal + (" " + body));
        }
    }
}

// Step 7: the answer, from one key and, for a printable key, the rest of
// its line.
Menu::Answer Menu::read_answer() {
    Answer a;
    if (n_ < 2 || take_default_) {
        if (n_ < 2) {
            screen(esc_normal + std::string(npx_, '-'));
            ++count_;
        }
        return a;
    }
    int code = key();
    if (code == -65 || code == -68) a.arrow = -1;
    else if (code == -66 || code == -67) a.arrow = 1;
    else if (code < 0) a.other_key = true;
    if (code < 0) {
        a.typed = "shift";
        screen(" ");
    } else if (code == 64) {
        ++at_;  // the terminal echoes Return as a line end
        screen(" ");
    } else {
        std::string rest;
        read_line(form_.nrd, rest);
        a.typed = static_cast<char>(code) + rest;
        ++at_;  // the terminal echoes the end of the typed line
    }
    return a;
}

// Record mode: the rows as drawn and a line "<selection>---...".
void Menu::record_selection() {
    draw_rows(unit_script, false);
    std::string tail = std::to_string(sel_);
    std::string line(static_cast<std::size_t>(std::max(npx_, 2)), '-');
    line.replace(0, tail.size(), tail);
    write_line(unit_script, line);
}

// Step 9: back to the answer line, which is blanked together with the hint
// lines still standing on it and below it, so the next drawing starts in
// place.
void Menu::clear_answer() {
    screen(cursor_up(2), 2);
    int lines = std::max<int>(1, static_cast<int>(hint_widths_.size()));
    for (int i = 0; i < lines; ++i) {
        int width = i == 0 ? npx_ : 0;
        if (i < static_cast<int>(hint_widths_.size())) width = std::max(width, hint_widths_[i]);
        // Hint lines written in a wider window than the one now: the
        // terminal shows what fits.
        width = std::min(width, fit_);
        screen(std::string(static_cast<std::size_t>(width), ' '));
    }
    screen(cursor_up(lines + 1), lines + 1);
    hint_widths_.clear();
}

// The hint, in lines that fit the terminal (one line at 80 columns).
void Menu::write_hint() {
    for (const std::string& line : fold(hint_text, fit_ - 1)) {
        screen(line);
        hint_widths_.push_back(static_cast<int>(line.size()));
    }
}

// Step 11.5: back over everything below the title, the rows blanked, and
// back again to the first row.
void Menu::redraw_rows() {
    int lines = all_row_lines();
    screen(cursor_up(at_ + 1), at_ + 1);
    for (int i = 0; i < lines; ++i) screen(std::string(npli_, ' '));
    screen(cursor_up(lines + 1), lines + 1);
    count_ -= 1;
}

// Replay: the rows and the selection line as record mode wrote them.
int Menu::replay() {
    std::string line;
    int shown = std::min<int>(term.ncol(1), 132);
    while (read_line(unit_script, line)) {
        screen(esc_normal + line.substr(0, static_cast<std::size_t>(shown)));
        ++count_;
        if (line.size() >= 5 && line.compare(2, 3, "---") == 0) {
            int result = line[0] - '0';
            if (line[1] != '-') result = result * 10 + (line[1] - '0');
            // A damaged script line selects nothing rather than a bad entry.
            return result >= 0 && result <= n_ ? result : 0;
        }
    }
    return 0;
}

void Menu::finish(Text80& chdf) {
    chdf(80) = static_cast<char>(48 + count_);
    screen(std::string(" ") + esc_normal + "\x1b[1A", 1);
}

// Steps 6 to 12: selection passes until an entry is chosen, the user quits,
// or help is asked for (the menu is then drawn anew by the caller).
Menu::Outcome Menu::select(int32_t& lq, int32_t& lk, Text80& chdf, std::string search) {
    jjq_ = 0;
    sel_ = 0;
    Answer last;
    bool typed = false;  // the search text was typed, not the default
    for (;;) {
        int target = find_target(last, search, typed);
        if (target > 0) {
            jjq_ = target;
            sel_ = target;
        }
        rebuild_types(chdf);
        if (mode_ == 'r') {
            lq = replay();
            lk = 0;
            finish(chdf);
            return Outcome::done;
        }
        draw_rows(form_.nwr, true);
        if (quit_after_drawing_) {
            lq = sel_;
            lk = 0;
        }
        // Display only (nothing to search for), or chosen without asking.
        if (quit_after_drawing_ || search.empty()) {
            finish(chdf);
            return Outcome::done;
        }

        last = read_answer();
        if (mode_ == 'w' && (last.typed.empty() || last.typed[0] == ' ')) record_selection();
        const bool resized = refit();
        clear_answer();

        // The answer, left-justified, at most 80 characters.
        Text132 answer(last.typed);
        Text132 justified(answer.sub(1, 80));
        int la = 0;
        stringlength(justified, la);
        std::string text(justified.sub(1, la));
        Text132 lower(justified);
        lc_character(lower);
        chdf.assign(text);

        if (form_.second ? answer.sub(1, 3) == "he " : answer.sub(1, 2) == "he") write_hint();
        bool wants_help = form_.second ? lower.sub(1, 3) == "he " : lower.sub(1, 2) == "he";
        if (wants_help && title_.find("further related") == std::string::npos && sel_ > 0) {
            Text132 topic = scrd.helpar(sel_);
            help(topic);
            ++count_;
            return Outcome::help_asked;
        }
        if (la == 0) {
            lk = 0;
            lq = sel_;
            if (sel_ != 0) {
                finish(chdf);
                return Outcome::done;
            }
            search.clear();  // drawn once more, then 0 is returned
            continue;
        }
        if (text[0] == '*' || (text[0] == 'q' && (form_.second || !q_is_text_))) {
            lq = 0;
            lk = 0;
            finish(chdf);
            return Outcome::done;
        }
        if (resized) {
            redraw_title();
        } else {
            redraw_rows();
        }
        sel_ = 0;
        search = text;
        typed = true;
    }
}

void Menu::run(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf) {
    take_mode(cheader);
    const Text80 chdf_passed = chdf;
    // One drawing of the whole menu; again, below the help output, after a
    // help request, with the caller's default.
    while (select(lq, lk, chdf, start_drawing(cheader, chdf, lk)) == Outcome::help_asked) {
        lq = n_;
        lk = n_;
        chdf = chdf_passed;
    }
}

}  // namespace

void run_menu(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf, const MenuForm& form) {
    int n = std::clamp<int32_t>(lq, 0, 64);
    if (n == 0) {
        // Nothing to choose from.
        lq = 0;
        lk = 0;
        return;
    }
    Menu menu(form, n);
    menu.run(lq, lk, cheader, chdf);
}

}  // namespace menu_detail

void query(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf) {
    menu_detail::MenuForm form;
    // A menu shown before anyone asked for the window size asks for it.
    if (term.ncol(1) == 0) window(1);
    form.ncol = term.ncol(1);
    menu_detail::run_menu(lq, lk, cheader, chdf, form);
}

}  // namespace zorb
