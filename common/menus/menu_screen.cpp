// The menu's drawing (menu_screen.h): the title, rows, hint and closing lines,
// and the moves back over them.
#include "menu_screen.h"

#include <algorithm>
#include <sstream>

#include "input.h"
#include "sequences.h"
#include "units.h"

namespace zorb::menu_detail {

namespace {

const char hint_text[] =
    " select by typing a substring, RET or by repeatedly using left/right shift keys";

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

std::string blanks(int width) { return std::string(static_cast<std::size_t>(std::max(width, 0)), ' '); }

}  // namespace

std::string title_line(const std::string& title, int npx) {
    std::string line(static_cast<std::size_t>(npx), '-');
    if (!title.empty()) {
        std::string shown = title;
        if (shown.find("information") == std::string::npos) shown += " (help:he)";
        int len = static_cast<int>(shown.size());
        // A title wider than the menu starts in column 1.
        int i = std::max((npx - len) / 2, 0);
        line.replace(i, std::min(len, npx - i), shown.substr(0, npx - i));
    }
    return line;
}

// One line on the screen unit; `up` is the number of lines a cursor-up
// sequence in it moves back.  The terminal's echo of a typed line end is
// counted where the answer is read.
void MenuScreen::line(const std::string& text, int up) {
    write_line(nwr_, text);
    at_ += 1 - up;
}

void MenuScreen::title(const std::string& text) {
    line(seq::normal + text);
    at_ = 0;
    ++count_;
    hint_widths_.clear();
}

void MenuScreen::rows(const std::vector<std::string>& lines, int npx) {
    for (const std::string& l : lines) line(l);
    count_ += static_cast<int>(lines.size()) + 1;
    line(std::string(seq::normal) + seq::up_one, 1);
    line(seq::normal + std::string(static_cast<std::size_t>(npx), '-'));
}

void MenuScreen::closing_again(int npx) {
    line(seq::normal + std::string(static_cast<std::size_t>(npx), '-'));
    ++count_;
}

void MenuScreen::key_line() { line(" "); }

// PageUp, Home, F5, ...: the terminal's echo of the key's sequence is
// blanked on the answer line, and the next key is awaited.
void MenuScreen::erase_echo(int npx) {
    if (!input_is_terminal()) return;
    write_text(nwr_, seq::carriage_return + blanks(npx) + seq::carriage_return);
}

// Back to the answer line, which is blanked together with the hint lines
// still standing on it and below it, so the next drawing starts in place.
void MenuScreen::clear_answer(int npx, int fit) {
    line(seq::up_line(2), 2);
    int lines = std::max<int>(1, static_cast<int>(hint_widths_.size()));
    for (int i = 0; i < lines; ++i) {
        int width = i == 0 ? npx : 0;
        if (i < static_cast<int>(hint_widths_.size())) width = std::max(width, hint_widths_[i]);
        // Hint lines written in a wider window than the one now: the
        // terminal shows what fits.
        line(blanks(std::min(width, fit)));
    }
    line(seq::up_line(lines + 1), lines + 1);
    hint_widths_.clear();
}

// One line at 80 columns, more in a narrower window.
void MenuScreen::hint(int fit) {
    for (const std::string& l : fold(hint_text, fit - 1)) {
        line(l);
        hint_widths_.push_back(static_cast<int>(l.size()));
    }
}

// Back over everything below the title, the rows blanked, and back again to
// the first row.
void MenuScreen::redraw_rows(int row_lines, int npli) {
    line(seq::up_line(at_ + 1), at_ + 1);
    for (int i = 0; i < row_lines; ++i) line(blanks(npli));
    line(seq::up_line(row_lines + 1), row_lines + 1);
    count_ -= 1;
}

// After the window changed its size: back over the title and every line
// below it, all blanked as wide as the window is now (wider blanks would
// wrap), and the title drawn anew in the new width; the rows follow.  The
// layout may now have more or fewer rows than the drawing it replaces.
void MenuScreen::redraw_title(const std::string& text, int fit) {
    const int lines = at_ + 1;  // the title, the rows, the closing line
    line(seq::up_line(at_ + 2), at_ + 2);
    for (int i = 0; i < lines; ++i) line(blanks(fit));
    line(seq::up_line(lines + 1), lines + 1);
    line(seq::normal + text);
    at_ = 0;
    count_ -= 1;  // as for a redraw of the rows alone
}

void MenuScreen::replayed(const std::string& text) {
    line(seq::normal + text);
    ++count_;
}

// A blank, normal and cursor up one: the colour reset, the cursor on the line
// after the menu.
int MenuScreen::finish() {
    line(std::string(" ") + seq::normal + seq::up_one, 1);
    return count_;
}

}  // namespace zorb::menu_detail
