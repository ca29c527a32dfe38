// sixline killed in the middle of a fine scan, on a pseudo-terminal and
// through a pipe: the listing holds every row the screen received, in order,
// whole lines only, and is the start of the listing a complete run writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace {

// Mode a with its defaults, the eta step 0.1 and the splitting step -0.0001:
// 393,750 listing lines, some 30 MB on the screen.
const std::string fine_answers = "\n\n\n1 -0.0001 0.1\n\nq\n";

// A table row: five fields of ten characters, digits, points, signs, blanks.
bool is_row(const std::string& l) {
    if (l.size() != 50) return false;
    for (char c : l)
        if (!(c == ' ' || c == '.' || c == '-' || (c >= '0' && c <= '9'))) return false;
    return true;
}

// The rows among the whole lines of `text` (CR of the terminal dropped).
std::vector<std::string> rows_of(const std::string& text) {
    std::vector<std::string> rows;
    std::size_t at = 0;
    for (std::size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1) {
        std::string l = text.substr(at, nl - at);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (is_row(l)) rows.push_back(l);
    }
    return rows;
}

// The listing of the complete run.
const std::string& full_listing() {
    static const std::string full = [] {
        std::string dir = zt::temp_dir();
        zt::write_file(dir + "/fine.in", fine_answers);
        zt::Run r = zt::run_piped("/bin/sh", {"-c", "exec " + zt::built("sixline") +
                                                      " < fine.in > /dev/null"},
                                  "", {}, dir, 120000);
        EXPECT_EQ(r.status, 0) << r.err;
        return zt::read_file(dir + "/sixline.lst");
    }();
    return full;
}

// What a killed run left: its listing against the complete one and against
// the rows its screen received.
void check_killed(const std::string& listing, const std::string& screen, std::size_t missing) {
    const std::string& full = full_listing();
    ASSERT_FALSE(listing.empty());
    EXPECT_LT(listing.size(), full.size()) << "the run was not stopped in the middle";
    EXPECT_EQ(listing.back(), '\n') << "a line was cut";
    EXPECT_EQ(full.compare(0, listing.size(), listing), 0) << "not the start of the full listing";

    // The screen's rows, in order, among the listing's; rows repeat (the
    // splitting steps are finer than its printed digits), so they are
    // matched in turn.  `missing` listing rows may be absent from the screen
    // (a row the terminal's echo of the interrupt key ran into).
    std::vector<std::string> listed = rows_of(listing);
    std::vector<std::string> shown = rows_of(screen);
    ASSERT_GT(shown.size(), 100u);
    std::size_t at = 0, skipped = 0;
    for (const std::string& row : shown) {
        while (at < listed.size() && listed[at] != row) ++at, ++skipped;
        ASSERT_LT(at, listed.size()) << "row on the screen, not in the listing: " << row;
        ++at;
    }
    EXPECT_LE(skipped, missing);
}

// A run through pipes, killed once the screen has received `rows` rows.
struct Killed {
    std::string screen;
    int status = 0;
};
Killed kill_piped(const std::string& dir, int sig, std::size_t rows) {
    int in[2], out[2];
    EXPECT_EQ(::pipe(in), 0);
    EXPECT_EQ(::pipe(out), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::close(in[0]);
        ::close(in[1]);
        ::close(out[0]);
        ::close(out[1]);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        std::string exe = zt::built("sixline");
        ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    EXPECT_EQ(::write(in[1], fine_answers.data(), fine_answers.size()),
              static_cast<ssize_t>(fine_answers.size()));
    Killed k;
    char buf[65536];
    bool sent = false;
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) {
        k.screen.append(buf, static_cast<std::size_t>(n));
        if (!sent && rows_of(k.screen.substr(k.screen.size() > 200000 ? k.screen.size() - 200000 : 0))
                             .size() >= rows) {
            ::kill(pid, sig);
            sent = true;
        }
    }
    ::close(in[1]);
    ::close(out[0]);
    int st = 0;
    ::waitpid(pid, &st, 0);
    k.status = WIFSIGNALED(st) ? 128 + WTERMSIG(st) : WEXITSTATUS(st);
    return k;
}

// SIGKILL cannot be caught: the rows on the screen are in the listing all
// the same, because the listing goes out before the screen does.
TEST(ListingKilled, ThroughAPipe) {
    for (int sig : {SIGINT, SIGTERM, SIGKILL}) {
        std::string dir = zt::temp_dir();
        Killed k = kill_piped(dir, sig, 3000);
        EXPECT_EQ(k.status, 128 + sig);
        SCOPED_TRACE("signal " + std::to_string(sig));
        check_killed(zt::read_file(dir + "/sixline.lst"), k.screen, 0);
    }
}

TEST(ListingKilled, OnATerminal) {
    for (int sig : {SIGINT, SIGTERM, SIGKILL}) {
        std::string dir = zt::temp_dir();
        zt::Pty t(zt::built("sixline"), {}, 24, 80, {}, dir);
        ASSERT_TRUE(t.expect("results of sixline"));
        t.send("\r");
        ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq"));
        t.drain();
        t.send("\r");
        ASSERT_TRUE(t.expect("L5 and L6:"));
        t.send("\r");
        ASSERT_TRUE(t.expect("octant dDq d_eta:"));
        t.send("1 -0.0001 0.1\r");
        ASSERT_TRUE(t.expect("[1 -0.0001 0.1]"));
        t.send("\r");
        ASSERT_TRUE(t.expect("    -0.729     0.200", 60000));   // some 3000 rows on
        if (sig == SIGINT)
            t.send("\x03");   // the interrupt key
        else
            ::kill(t.pid(), sig);
        EXPECT_EQ(t.wait(30000), 128 + sig);
        SCOPED_TRACE("signal " + std::to_string(sig));
        check_killed(zt::read_file(dir + "/sixline.lst"), t.output(), 1);
    }
}

}  // namespace
