// What a terminal shows after a program's output: a grid of rows x cols
// characters with a cursor, fed the bytes the program wrote (and the echo of
// what was typed).  Enough of ECMA-48 for the dialogue's own output: text with
// automatic wrap at the right margin (the wrap deferred until the next
// character, as xterm does), CR, LF (scrolling at the bottom), backspace,
// cursor up/down/forward/back, erase in line and display; other sequences
// (colours, modes) change nothing that is shown.
#pragma once

#include <string>
#include <vector>

namespace zt {

class Screen {
public:
    Screen(int rows, int cols);
    void feed(const std::string& bytes);
    // The window made rows x cols, as a terminal that does not reflow its
    // lines does it: each row keeps what fits, rows are added or dropped at
    // the bottom, or at the top where the cursor's row would be lost.
    void resize(int rows, int cols);
    // Row r (0 = top), trailing blanks removed.
    std::string row(int r) const;
    // All rows, each ended by '\n', trailing blanks removed.
    std::string text() const;
    int rows() const { return rows_; }

private:
    void put(char c);
    void line_feed();
    void csi(const std::string& params, char final);

    int rows_, cols_;
    std::vector<std::string> grid_;
    int r_ = 0, c_ = 0;
    bool pending_wrap_ = false;
    std::string seq_;       // an escape sequence being read
    bool in_seq_ = false;
};

}  // namespace zt
