// Signals on a pseudo-terminal, for every program of the matrix: the
// interrupt key, SIGTERM, SIGHUP, a stop (Ctrl-Z, then continued in the
// foreground), and signals the program does not expect but that end it all
// the same (SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ sent by another
// process, a real-time signal) at a menu, at a question, on a help page and
// in help's menu.
// Afterwards the terminal has the attributes it had before, the files are
// whole, and the next run in the same directory goes through.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "matrix.h"

namespace {

enum class Place { menu, question, help_page, help_menu, busy };
enum class Sig { interrupt, term, hangup, stop, other };

// The signals of Sig::other, each sent at every target.
const int other_signals[] = {SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ};

const char* name_of(Place p) {
    switch (p) {
    case Place::menu: return "menu";
    case Place::question: return "question";
    case Place::help_page: return "help page";
    case Place::help_menu: return "help menu";
    case Place::busy: return "long table";
    }
    return "";
}

bool key_mode(const zt::Pty& t) {
    struct termios a {};
    return ::tcgetattr(t.master(), &a) == 0 && !(a.c_lflag & ICANON);
}

// Waits until the program reads keys one by one (a menu, the line editor).
bool wait_key_mode(const zt::Pty& t, int timeout_ms = 5000) {
    for (int waited = 0; waited < timeout_ms; waited += 5) {
        if (key_mode(t)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

struct Target {
    Place place;
    std::size_t stop;   // session stop (chunk of the recording without help)
};

// Where each program is signalled: its first and last menu and question
// (the last ones with the files of the session written), and in the help
// asked at the last question, a page and the related-information menu.
std::vector<Target> targets(const zt::Program& p) {
    std::vector<Target> v;
    auto first_and_last = [&](zt::At at, Place place) {
        std::vector<std::size_t> stops;
        for (std::size_t i = 0; i < p.session.size(); ++i)
            if (p.session[i].at == at) stops.push_back(i);
        if (stops.empty()) return;
        v.push_back({place, stops.front()});
        if (stops.back() != stops.front()) v.push_back({place, stops.back()});
        if (place == Place::question) {
            v.push_back({Place::help_page, stops.back()});
            v.push_back({Place::help_menu, stops.back()});
        }
    };
    first_and_last(zt::At::menu, Place::menu);
    first_and_last(zt::At::prompt, Place::question);
    if (!p.busy.empty()) v.push_back({Place::busy, p.busy_at});
    return v;
}

// Plays steps [from, to) of a session (the first one without waiting for its
// text unless `wait_first`); a long table may come before a step's text.
bool play_busy(zt::Pty& t, const std::vector<zt::Stop>& steps, std::size_t from, std::size_t to,
               std::string& where, bool wait_first = false) {
    for (std::size_t i = from; i < to && i < steps.size(); ++i) {
        if (i > from || wait_first) t.settle(300, 120000);   // the table ends first
        if ((i > from || wait_first) && !t.expect(steps[i].expect, 10000)) {
            where = "no \"" + steps[i].expect + "\"";
            return false;
        }
        t.drain(30);
        t.send(steps[i].keys);
    }
    return true;
}

// Takes the program to the target; false (with `where`) when it is not reached.
bool reach(zt::Pty& t, const zt::Program& p, const zt::Recording& r, const Target& g,
           std::string& where) {
    if (g.place == Place::busy) {
        if (!t.expect(p.busy[0].expect) || !play_busy(t, p.busy, 0, g.stop + 1, where)) return false;
        // Some rows of the table are out, many more to come.
        if (!t.expect("\n\r\n    ", 20000)) where = "no table";
        t.drain(100);
        return where.empty();
    }
    if (!zt::replay(t, r, 0, g.stop, where)) return false;
    if (!t.expect(r.waits[g.stop])) {
        where = "no \"" + r.waits[g.stop] + "\"";
        return false;
    }
    t.drain(30);
    if (g.place == Place::menu) {
        if (!wait_key_mode(t)) where = "never read keys";
        return where.empty();
    }
    if (g.place == Place::question) {
        // A value question reads its line from the terminal's own line
        // discipline (select's start factor), the others through the line
        // editor; either way the question is out and nothing more comes.
        t.settle(100, 2000);
        wait_key_mode(t, 1000);
        return true;
    }
    t.send("he\r");
    std::string fresh = zt::answer_of(t);
    while (g.place == Place::help_menu && fresh.find("related information") == std::string::npos) {
        if (fresh.empty() || fresh.find("   from help-file:") != std::string::npos) {
            where = "help has no related-information menu";
            return false;
        }
        t.send("\r");
        fresh = zt::answer_of(t);
    }
    if (g.place == Place::help_page && fresh.find("related information") != std::string::npos) {
        where = "help showed no page";
        return false;
    }
    if (g.place == Place::help_menu && !wait_key_mode(t)) where = "help menu never read keys";
    return where.empty();
}

// The rest of the session after a stop at the target.
bool go_on(zt::Pty& t, const zt::Program& p, const zt::Recording& r, const Target& g,
           std::string& where) {
    t.drain(100);
    if (g.place == Place::busy) return play_busy(t, p.busy, g.stop + 1, p.busy.size(), where, true);
    bool in_help = g.place == Place::help_page || g.place == Place::help_menu;
    if (in_help) t.send("\r");   // the page waits for its answer, the menu is at "return"
    if (in_help && !zt::leave_help(t)) {
        where = "help not left after the stop";
        return false;
    }
    return zt::replay(t, r, g.stop, r.chunks.size(), where, in_help);
}

class Signals : public ::testing::TestWithParam<std::tuple<std::string, Sig>> {};

// The next run in the same directory reads and writes the same files.
void next_run_goes_through(const zt::Program& p, const zt::Recording& r, const std::string& dir) {
    zt::Run next = zt::run_piped(zt::built(p.exe), {}, r.piped(), zt::matrix_env(dir), dir);
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(zt::damage(p, dir), "");
}

TEST_P(Signals, TerminalRestoredAndFilesWhole) {
    const zt::Program& p = zt::program(std::get<0>(GetParam()));
    const Sig sig = std::get<1>(GetParam());
    const zt::Recording& r = zt::recording(p, false);
    const struct termios before = zt::fresh_attributes();
    // SIGXFSZ and SIGQUIT would leave a core file among the program's files.
    const struct rlimit no_core = {0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    // The places and, for Sig::other, the signals sent at each.
    std::vector<std::pair<Target, int>> cases;
    for (const Target& g : targets(p)) {
        if (sig != Sig::other) cases.push_back({g, 0});
        if (sig != Sig::other) continue;
        for (int other : other_signals) cases.push_back({g, other});
        cases.push_back({g, SIGRTMIN + 1});
    }
    for (const auto& [g, other] : cases) {
        SCOPED_TRACE(std::string("at the ") + name_of(g.place) + " of step " + std::to_string(g.stop) +
                     (other ? ", signal " + std::to_string(other) : std::string()));
        std::string dir = zt::prepared_dir(p);
        std::string exe = zt::built(p.exe);
        std::vector<std::string> args;
        if (sig == Sig::stop) args = {exe}, exe = zt::built("drv_job");
        zt::Pty t(exe, args, 24, 80, zt::matrix_env(dir), dir);
        std::string where;
        ASSERT_TRUE(reach(t, p, r, g, where)) << where << "\n" << t.output();

        int expected = 0;
        switch (sig) {
        case Sig::interrupt:
            // "#" interrupts where keys are read one by one by the system's
            // own reader, Ctrl-C in the line editor, on a help page and while
            // a table is written.
            t.send(g.place == Place::menu || g.place == Place::help_menu ? "#" : "\x03");
            expected = 128 + SIGINT;
            break;
        case Sig::term:
            ::kill(t.pid(), SIGTERM);
            expected = 128 + SIGTERM;
            break;
        case Sig::hangup:
            ::kill(t.pid(), SIGHUP);
            expected = 128 + SIGHUP;
            break;
        case Sig::other:
            ::kill(t.pid(), other);
            expected = 128 + other;
            break;
        case Sig::stop: {
            t.send("\x1a");
            ASSERT_TRUE(t.expect("[job stopped]")) << t.output();
            struct termios stopped {};
            ASSERT_EQ(::tcgetattr(t.master(), &stopped), 0);
            EXPECT_TRUE(zt::same_attributes(stopped, before))
                << "while stopped: " << zt::describe(stopped) << "\nbefore: " << zt::describe(before);
            t.send("\r");   // continued in the foreground
            ASSERT_TRUE(go_on(t, p, r, g, where)) << where << "\n" << t.output();
            break;
        }
        }
        EXPECT_EQ(t.wait(120000), expected) << t.output().substr(0, 2000);
        struct termios after {};
        ASSERT_EQ(::tcgetattr(t.master(), &after), 0);
        EXPECT_TRUE(zt::same_attributes(after, before))
            << "after: " << zt::describe(after) << "\nbefore: " << zt::describe(before);
        EXPECT_EQ(zt::damage(p, dir), "");
        // One run after each kind of signal is enough to show the files usable.
        if (other == 0 || other == SIGPIPE) next_run_goes_through(p, r, dir);
    }
}

std::vector<std::string> names() {
    std::vector<std::string> n;
    for (auto& p : zt::programs()) n.push_back(p.exe);
    return n;
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<std::string, Sig>>& info) {
    static const char* const sigs[] = {"Interrupt", "Term", "Hangup", "StopContinue",
                                       "PipeUsrAlarmFileSizeRealtime"};
    return std::get<0>(info.param) + "_" + sigs[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Programs, Signals,
                         ::testing::Combine(::testing::ValuesIn(names()),
                                            ::testing::Values(Sig::interrupt, Sig::term,
                                                              Sig::hangup, Sig::stop,
                                                              Sig::other)),
                         case_name);

}  // namespace
