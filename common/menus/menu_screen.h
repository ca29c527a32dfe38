// The menu's drawing: every line it writes goes through `MenuScreen`, which
// keeps the cursor's line counted from the first row, so that a move back
// over what the menu wrote is always exact, and the net count of lines the
// cursor moved down that the caller gets back.
#pragma once

#include <string>
#include <vector>

namespace zorb::menu_detail {

// The title centred in a line of `npx` dashes; " (help:he)" follows a title
// that does not speak of "information".
std::string title_line(const std::string& title, int npx);

class MenuScreen {
public:
    explicit MenuScreen(int nwr) : nwr_(nwr) {}

    // The title line; the first row comes next.
    void title(const std::string& line);
    // The rows, then the closing line of `npx` dashes.
    void rows(const std::vector<std::string>& lines, int npx);
    // The closing line once more (a menu of one entry, asked nothing).
    void closing_again(int npx);
    // A blank line for a key read (a control key or Return).
    void key_line();
    // The terminal echoed the end of a typed line.
    void answer_ended() { ++at_; }
    // A key that does nothing: its echo is blanked (on a terminal only).
    void erase_echo(int npx);
    // Back to the answer line, blanked with the hint lines on and below it.
    void clear_answer(int npx, int fit);
    // The hint, in lines that fit the window.
    void hint(int fit);
    // Back over the rows, blanked, to the first row again.
    void redraw_rows(int row_lines, int npli);
    // Back over everything from the title on, blanked; the title anew.
    void redraw_title(const std::string& line, int fit);
    // A line of the replayed script.
    void replayed(const std::string& line);
    // The help of an entry was shown below the menu.
    void help_shown() { ++count_; }
    // The last line of every call; returns the net count of lines.
    int finish();

private:
    void line(const std::string& text, int up = 0);

    int nwr_;
    int at_ = 0;     // the cursor's line, counted from the first row (0)
    int count_ = 0;  // net lines the cursor moved down
    std::vector<int> hint_widths_;  // the hint lines standing on the answer line and below
};

}  // namespace zorb::menu_detail
