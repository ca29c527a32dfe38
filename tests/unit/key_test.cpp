// Window sizes and environment paths, in process (the keys and the line
// editor are tested on a real terminal in tests/e2e/terminal_test.cpp).
#include "key.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace {

using zorb::term;

// A pseudo-terminal of the given size; both sides closed at the end.
struct Terminal {
    int master = -1, slave = -1;
    Terminal(int rows, int cols, int xpixel = 0, int ypixel = 0) {
        winsize ws{};
        ws.ws_row = static_cast<unsigned short>(rows);
        ws.ws_col = static_cast<unsigned short>(cols);
        ws.ws_xpixel = static_cast<unsigned short>(xpixel);
        ws.ws_ypixel = static_cast<unsigned short>(ypixel);
        EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, &ws), 0);
    }
    ~Terminal() {
        close(slave);
        close(master);
    }
    std::string name() const { return ttyname(slave); }
};

TEST(PrWinsize, ReportedSizeGoesIntoTheWindowsElements) {
    Terminal t(40, 100, 800, 640);
    term.npl = 55;
    EXPECT_EQ(zorb::pr_winsize(t.slave, 2), 1);
    EXPECT_EQ(term.ncol(3), 100);
    EXPECT_EQ(term.nrows(3), 40);
    EXPECT_EQ(term.ixpixel(3), 800);
    EXPECT_EQ(term.iypixel(3), 640);
    EXPECT_EQ(term.npl, 55);   // only the fallback touches npl
}

TEST(PrWinsize, ZeroColumnsCountAsEightyByTwentyFourButObtained) {
    Terminal t(50, 0, 320, 200);
    term.npl = 55;
    EXPECT_EQ(zorb::pr_winsize(t.slave, 0), 1);
    EXPECT_EQ(term.ncol(1), 80);
    EXPECT_EQ(term.nrows(1), 24);
    EXPECT_EQ(term.npl, 80);
    EXPECT_EQ(term.ixpixel(1), 320);   // the pixel sizes as reported
    EXPECT_EQ(term.iypixel(1), 200);
}

TEST(PrWinsize, NoTerminalGivesDefaultsAndLeavesPixels) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    term.ixpixel(2) = 7;
    term.npl = 55;
    EXPECT_EQ(zorb::pr_winsize(fds[0], 1), 0);
    EXPECT_EQ(term.ncol(2), 80);
    EXPECT_EQ(term.nrows(2), 24);
    EXPECT_EQ(term.npl, 80);
    EXPECT_EQ(term.ixpixel(2), 7);
    EXPECT_EQ(zorb::pr_winsize(-1, 1), 0);
    close(fds[0]);
    close(fds[1]);
}

TEST(Window, OtherWindowsAreAskedThroughTheDeviceNamedByWinfile) {
    Terminal t(33, 200);
    std::string name = t.name();
    ASSERT_LE(name.size(), 16u);
    term.winfile.assign(name);   // blank-padded
    term.npl = 55;
    zorb::window(4);
    EXPECT_EQ(term.ncol(4), 200);
    EXPECT_EQ(term.nrows(4), 33);
    EXPECT_EQ(term.npl, 55);   // not recomputed for other windows
    // The blanks after the name became NULs, in the record itself.
    for (int i = static_cast<int>(name.size()) + 1; i <= 16; ++i) EXPECT_EQ(term.winfile(i), '\0');
    EXPECT_EQ(term.winfile.upto_nul(), name);

    term.winfile.assign("");
    zorb::window(2);
    EXPECT_EQ(term.ncol(2), 80);
    EXPECT_EQ(term.nrows(2), 24);
    EXPECT_EQ(term.npl, 80);
}

TEST(Infopath, FillsFromTheEnvironmentAndLeavesUnsetFieldsAlone) {
    setenv("ZORBHEPATH", "/srv/help", 1);
    setenv("EDITOR", std::string(81, 'e').c_str(), 1);
    setenv("SHELL", std::string(80, 's').c_str(), 1);
    setenv("PWD", std::string(131, 'p').c_str(), 1);
    unsetenv("COLORFILE");
    unsetenv("ZORBUTPATH");
    zorb::path.utpath.assign("kept");
    zorb::infopath();
    EXPECT_EQ(zorb::path.hepath.upto_nul(), "/srv/help");
    for (int i = 10; i <= 80; ++i) EXPECT_EQ(zorb::path.hepath(i), '\0');
    // Too long for the field: refused, the field empty (cut, the value would
    // name something else); a value that just fills its field is kept whole.
    EXPECT_EQ(zorb::path.editor, zorb::Text80::nul());
    EXPECT_TRUE(zorb::path_too_long("EDITOR", 80));
    EXPECT_FALSE(zorb::path_too_long("SHELL", 80));
    EXPECT_FALSE(zorb::path_too_long("COLORFILE", 80));
    EXPECT_EQ(zorb::path.shell.upto_nul(), std::string(80, 's'));
    EXPECT_EQ(zorb::path.workdir.upto_nul(), std::string(131, 'p'));
    EXPECT_EQ(zorb::path.colfile, zorb::Text80::nul());
    EXPECT_EQ(zorb::path.utpath.trimmed(), "kept");

    // A shorter value later leaves nothing of the longer one.
    setenv("ZORBHEPATH", "/x", 1);
    zorb::infopath();
    EXPECT_EQ(zorb::path.hepath.upto_nul(), "/x");
    EXPECT_EQ(zorb::path.hepath(4), '\0');
}

}  // namespace
