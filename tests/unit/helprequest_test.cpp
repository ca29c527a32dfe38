// Help asked inside help: "he" in a menu of the browser opens a further help
// request within the one shown.  A run of such requests typed ahead or piped
// in is bounded, so that it cannot exhaust the stack.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "help.h"
#include "input.h"
#include "session.h"

namespace {

using namespace zorb;

struct Ended {
    int status;
};

void throw_ended(int status, const std::string&) { throw Ended{status}; }

// Descriptor 0 reads `keys`, then ends.
void keyboard(const std::string& keys) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    ::close(fds[1]);
    ::dup2(fds[0], 0);
    ::close(fds[0]);
    test_seam::reset_input();
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(HelpRequest, HelpAskedInsideHelpStopsAtEightLevels) {
    // Every entry leads to "x"; "return" has an entry of its own, so that
    // "he" on the menu's "return" opens help again.
    const std::string dir = zt::temp_dir();
    zt::write_file(dir + "/h.help",
                   "/return\n r\n/#x\n/end\n/x\n x\n/#x\n/end\n");
    ::setenv("ZORBHEPATH", dir.c_str(), 1);
    localpath.localhepath.assign("/h.help");
    // Per level: the page, "x" chosen, its page, "return" chosen (back at the
    // menu titled "related information"), then "he" on "return".
    std::string keys;
    for (int i = 0; i < 40; ++i) keys += "\nx\n\n\n\nhe\n";
    keyboard(keys);
    test_seam::set_exit_handler(throw_ended);

    Text132 topic("return");
    testing::internal::CaptureStdout();
    int status = -1;
    try {
        help(topic);
    } catch (const Ended& e) {
        status = e.status;
    }
    std::fflush(stdout);
    const std::string shown = testing::internal::GetCapturedStdout();
    test_seam::set_exit_handler(nullptr);

    EXPECT_EQ(status, exit_end_of_input);
    // The ninth request in a row is refused: eight requests (two trace
    // blocks each) stand before the first refusal.
    const std::size_t refused =
        shown.find(" help asked 8 levels deep; leave a help level to ask again");
    ASSERT_NE(refused, std::string::npos);
    EXPECT_EQ(count(shown.substr(0, refused), " subroutine help(chin):"), 2 * 8);
}

}  // namespace
