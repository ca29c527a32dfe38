// Output that cannot be written, for the real programs: standard output on a
// full device or past the file-size limit, a program's own file past the
// limit (each a write error: one line on standard error, status 1), and
// standard output a pipe that its reader closes early while the keyboard is a
// terminal (the program ends quietly of SIGPIPE, the terminal as it was).
#include <gtest/gtest.h>
#include <signal.h>
#include <termios.h>

#include <string>
#include <vector>

#include "matrix.h"

namespace {

struct WriteCase {
    const char* exe;
    const char* redirect;   // standard output, as the shell redirects it
    int limit_kib;          // file-size limit (0: none)
    const char* input;      // nullptr: the program's whole recorded session
    const char* message;    // the one line on standard error, after "exe: "
};

const WriteCase write_cases[] = {
    {"select", ">/dev/full", 0, nullptr, "standard output: No space left on device"},
    {"fracfit", ">/dev/full", 0, nullptr, "standard output: No space left on device"},
    {"sixline", ">/dev/full", 0, nullptr, "standard output: No space left on device"},
    {"chanconv", ">/dev/full", 0, nullptr, "standard output: No space left on device"},
    // The screen of a whole select session is several KiB.
    {"select", ">\"$1\"/screen.txt", 1, nullptr, "standard output: File too large"},
    // The default table of sixline (332 rows) is about 17 KB.
    {"sixline", ">/dev/null", 8, "\n\n\n\nq\n", "sixline.lst: File too large"},
};

TEST(WriteErrors, EndWithOneLineAndStatusOne) {
    for (const WriteCase& c : write_cases) {
        SCOPED_TRACE(std::string(c.exe) + " " + c.redirect + " limit " + std::to_string(c.limit_kib));
        const zt::Program& p = zt::program(c.exe);
        std::string dir = zt::prepared_dir(p);
        std::string elsewhere = zt::temp_dir();
        std::string script = "exec \"$0\" " + std::string(c.redirect);
        if (c.limit_kib > 0) script = "ulimit -f " + std::to_string(c.limit_kib) + "; " + script;
        std::string input = c.input ? c.input : zt::recording(p, false).piped();
        zt::Run r = zt::run_piped("/bin/bash", {"-c", script, zt::built(c.exe), elsewhere}, input,
                                  zt::matrix_env(dir), dir);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string(c.exe) + ": " + c.message + "\n");
        // Standard output failed before the program wrote a file of its own,
        // or the file that failed is the one named.
        if (!c.input) {
            EXPECT_EQ(zt::damage(p, dir), "");
        }
    }
}

// The keys that make each program write after its reader has gone: "x" is
// echoed by the line editor; Return ends a line read plainly (fracfit's start
// line) or a typed menu answer (select).
const char* const keys_after_close[] = {"x", "\r", "x", "\r"};

TEST(ClosedPipe, EndsQuietlyWithTheTerminalAsItWas) {
    const struct termios before = zt::fresh_attributes();
    for (const char* exe : {"sixline", "chanconv", "fracfit", "select"}) {
        SCOPED_TRACE(exe);
        const zt::Program& p = zt::program(exe);
        std::string dir = zt::prepared_dir(p);
        zt::Pty t("/bin/bash",
                  {"-c", "\"$0\" | head -1; echo \"[status ${PIPESTATUS[0]}]\"", zt::built(exe)},
                  24, 80, zt::matrix_env(dir), dir);
        bool ended = false;
        for (const char* keys : keys_after_close) {
            t.settle(300, 3000);   // head has shown its line and gone
            ended = t.output().find("[status") != std::string::npos;
            if (ended) break;
            t.send(keys);
            ended = t.expect("[status", 1000);
            if (ended) break;
        }
        ASSERT_TRUE(ended) << t.output();
        EXPECT_TRUE(t.expect("]\r\n"));
        EXPECT_NE(t.output().find("[status " + std::to_string(128 + SIGPIPE) + "]"), std::string::npos)
            << t.output();
        EXPECT_EQ(t.output().find(std::string(exe) + ":"), std::string::npos) << t.output();
        EXPECT_EQ(t.wait(), 0);
        struct termios after {};
        ASSERT_EQ(::tcgetattr(t.master(), &after), 0);
        EXPECT_TRUE(zt::same_attributes(after, before))
            << "after: " << zt::describe(after) << "\nbefore: " << zt::describe(before);
        EXPECT_EQ(zt::damage(p, dir), "");
    }
}

}  // namespace
