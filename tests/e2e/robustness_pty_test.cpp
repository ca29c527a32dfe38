// Bad input on a pseudo-terminal, for every program of the matrix: the end of
// input (Ctrl-D, then the terminal hung up) at every question, menu and help
// page, and odd lines typed or pasted there.  Every run must end by itself
// with a documented status (or the hang-up signal) and leave its files whole.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "matrix.h"

namespace {

std::vector<std::string> names() {
    std::vector<std::string> n;
    for (auto& p : zt::programs()) n.push_back(p.exe);
    return n;
}

// The end of the terminal: Ctrl-D twice (an empty answer, then the end of
// input), then the hang-up.  A program may end with a documented status on
// the way or die of the hang-up.
zt::Case end_terminal(const zt::Program& p, zt::Pty& t, const std::string& dir) {
    for (int i = 0; i < 2; ++i) {
        t.send("\x04");
        t.settle(100, 3000);
    }
    t.close_master();
    zt::Case c;
    c.status = t.wait(15000);
    c.hung = c.status == -1;
    c.damage = zt::damage(p, dir);
    return c;
}

const std::vector<int> hang_up = {128 + SIGHUP};

// Replays the session up to stop `at` and waits there for its question.
bool reach_chunk(zt::Pty& t, const zt::Recording& r, std::size_t at) {
    std::string where;
    if (!zt::replay(t, r, 0, at, where)) {
        ADD_FAILURE() << where;
        return false;
    }
    if (!t.expect(r.waits[at])) {
        ADD_FAILURE() << "chunk " << at;
        return false;
    }
    t.drain(30);
    return true;
}

class TerminalMatrix : public ::testing::TestWithParam<std::string> {
protected:
    const zt::Program& prog() const { return zt::program(GetParam()); }

    // For every stop of the session without help: replays up to it, does
    // `act` there and ends the terminal.
    template <class Act>
    void at_every_stop(const std::string& what, Act act) {
        const zt::Recording& r = zt::recording(prog(), false);
        zt::Tally tally(prog().exe + " terminal, " + what);
        for (std::size_t at = 0; at < r.chunks.size(); ++at) {
            std::string dir = zt::prepared_dir(prog());
            zt::Terminal term(prog(), dir);
            ASSERT_TRUE(reach_chunk(term.pty, r, at));
            act(term.pty);
            tally.add(end_terminal(prog(), term.pty, dir), "at chunk " + std::to_string(at), hang_up);
        }
        std::printf("%s\n", tally.summary().c_str());
        EXPECT_TRUE(tally.clean()) << tally.summary();
    }
};

TEST_P(TerminalMatrix, EndOfInputAtEveryQuestionAndMenu) {
    at_every_stop("end of input at every question and menu", [](zt::Pty&) {});
}

TEST_P(TerminalMatrix, EndOfInputInHelpAtEveryQuestionAndMenu) {
    at_every_stop("end of input in help", [](zt::Pty& t) {
        t.send("he\r");
        t.settle(100, 3000);
    });
}

std::string high_bytes_and_nul() {
    std::string s(1, '\0');
    for (int b = 128; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

// Lines typed or pasted at a question or menu, each ended by Return.
const std::vector<std::string>& odd_input() {
    static const std::vector<std::string> v = {
        std::string(1000, 'x'),
        std::string(100000, '7'),
        high_bytes_and_nul(),
        "\x1b[H\x1b[3~\x1bOP\x1b[1;5C\x1b[200~x\x1b[201~",
        "1e39 -0 99999999999 . - 1-2 nan",
    };
    return v;
}

class OddTerminalMatrix : public ::testing::TestWithParam<std::tuple<std::string, std::size_t>> {};

TEST_P(OddTerminalMatrix, OddInputAtEveryQuestionAndMenu) {
    const zt::Program& p = zt::program(std::get<0>(GetParam()));
    const std::string& line = odd_input()[std::get<1>(GetParam())];
    const zt::Recording& r = zt::recording(p, false);
    zt::Tally tally(p.exe + " terminal, odd input " + std::to_string(std::get<1>(GetParam())));
    for (std::size_t at = 0; at < r.chunks.size(); ++at) {
        std::string dir = zt::prepared_dir(p);
        zt::Terminal term(p, dir);
        ASSERT_TRUE(reach_chunk(term.pty, r, at));
        zt::feed(term.pty, line + "\r");
        term.pty.settle(100, 20000);
        tally.add(end_terminal(p, term.pty, dir), "at chunk " + std::to_string(at), hang_up);
    }
    std::printf("%s\n", tally.summary().c_str());
    EXPECT_TRUE(tally.clean()) << tally.summary();
}

// Seeded random byte streams typed at a question or menu of the session.
// The terminal's signal keys are taken out (the signals have their own
// tests; the quit key would leave a core file); "#" at a menu still
// interrupts.
constexpr uint32_t random_cases = 40, random_shards = 2;

class RandomTerminalMatrix : public ::testing::TestWithParam<std::tuple<std::string, uint32_t>> {};

TEST_P(RandomTerminalMatrix, SeededRandomStreams) {
    const zt::Program& p = zt::program(std::get<0>(GetParam()));
    const uint32_t shard = std::get<1>(GetParam());
    const zt::Recording& r = zt::recording(p, false);
    zt::Tally tally(p.exe + " terminal, random streams, shard " + std::to_string(shard));
    for (uint32_t seed = shard; seed < random_cases; seed += random_shards) {
        std::size_t at = seed % r.chunks.size();
        std::string dir = zt::prepared_dir(p);
        zt::Terminal term(p, dir);
        ASSERT_TRUE(reach_chunk(term.pty, r, at));
        std::string bytes = zt::random_stream(seed);
        for (char& c : bytes)
            if (c == '\x03' || c == '\x1a' || c == '\x1c') c = ' ';
        zt::feed(term.pty, bytes);
        term.pty.settle(100, 20000);
        tally.add(end_terminal(p, term.pty, dir), "seed " + std::to_string(seed) + " at chunk " +
                                                      std::to_string(at),
                  {128 + SIGHUP, 128 + SIGINT});
    }
    std::printf("%s\n", tally.summary().c_str());
    EXPECT_TRUE(tally.clean()) << tally.summary();
}

INSTANTIATE_TEST_SUITE_P(Programs, RandomTerminalMatrix,
                         ::testing::Combine(::testing::ValuesIn(names()),
                                            ::testing::Range(uint32_t{0}, random_shards)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

INSTANTIATE_TEST_SUITE_P(Programs, TerminalMatrix, ::testing::ValuesIn(names()),
                         [](const auto& info) { return info.param; });

INSTANTIATE_TEST_SUITE_P(Programs, OddTerminalMatrix,
                         ::testing::Combine(::testing::ValuesIn(names()),
                                            ::testing::Range(std::size_t{0}, odd_input().size())),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
