// Bad input through a pipe, for every program of the matrix: end of input
// after every prefix of a whole session, odd lines and numbers at every
// question, menu and help page, scripts from other systems, and seeded random
// byte streams.  Every run must end by itself with a documented status and
// leave every file it wrote whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "matrix.h"

namespace {

std::vector<std::string> names() {
    std::vector<std::string> n;
    for (auto& p : zt::programs()) n.push_back(p.exe);
    return n;
}

std::string printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s.substr(0, 40)) {
        if (c >= ' ' && c < 127) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return s.size() > 40 ? out + "...(" + std::to_string(s.size()) + " bytes)" : out;
}

std::string high_bytes() {
    std::string s;
    for (int b = 128; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

// Lines a user may type or paste at any question, menu or help page.
const std::vector<std::string>& odd_lines() {
    static const std::vector<std::string> v = {
        std::string(1000, 'x'), std::string(100000, '7'), high_bytes(), std::string(1, '\0'),
        std::string("a\0b", 3), "\x1b[H", "\x1b[3~", "\x1bOP", "\x1b[1;5C", "\x1b[200~x\x1b[201~",
        "\x1b", "he", "he he", "  q", "*",
    };
    return v;
}

// Numbers out of range or not numbers at all, alone and as whole answers.
const std::vector<std::string>& odd_numbers() {
    static const std::vector<std::string> v = {
        "1e39", "-0", "99999999999", ".", "-", "1-2", "nan",
        "1e39 -1e39 99999999999 -0", ". - 1-2 nan", "nan nan nan nan", "inf -inf 0 0",
        "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31",
        "1e-45 1e-45 1e-45 1e-45", "0 0 0 0", "1,2,3,4", "octant=1e39 dL=-0 d_eta=nan",
    };
    return v;
}

class PipeMatrix : public ::testing::TestWithParam<std::string> {
protected:
    const zt::Program& prog() const { return zt::program(GetParam()); }
};

// The session recorded on the terminal, help pages included, runs the same
// way through a pipe to its normal end.
TEST_P(PipeMatrix, TheTerminalSessionRunsThroughAPipe) {
    zt::Case c = zt::pipe_case(prog(), zt::recording(prog()).piped());
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.damage, "");
}

// A script saved on another system: the same run and the same files.
TEST_P(PipeMatrix, CarriageReturnLineFeedLineEnds) {
    std::string unix_script = zt::recording(prog()).piped(), dos_script;
    for (char c : unix_script) dos_script += c == '\n' ? std::string("\r\n") : std::string(1, c);
    zt::Case c = zt::pipe_case(prog(), dos_script);
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.damage, "");
}

INSTANTIATE_TEST_SUITE_P(Programs, PipeMatrix, ::testing::ValuesIn(names()),
                         [](const auto& info) { return info.param; });

// The larger groups run in shards, side by side: a shard takes every
// `shards`-th case.
constexpr uint32_t shards = 4;

class ShardedMatrix : public ::testing::TestWithParam<std::tuple<std::string, uint32_t>> {
protected:
    const zt::Program& prog() const { return zt::program(std::get<0>(GetParam())); }
    uint32_t shard() const { return std::get<1>(GetParam()); }
    std::string what(const std::string& group) const {
        return prog().exe + " pipe, " + group + ", shard " + std::to_string(shard());
    }
    static void report(const zt::Tally& tally) {
        std::printf("%s\n", tally.summary().c_str());
        EXPECT_TRUE(tally.clean()) << tally.summary();
    }

    // Each line in turn before the answer of every chunk of a session, and
    // the rest of the session after it.
    void at_every_stop(const std::string& group, const std::vector<std::string>& lines, bool help) {
        const zt::Recording& r = zt::recording(prog(), help);
        zt::Tally tally(what(group));
        uint32_t n = 0;
        for (std::size_t at = 0; at <= r.chunks.size(); ++at) {
            std::string head = r.piped(at), tail = r.piped().substr(head.size());
            for (auto& l : lines)
                if (n++ % shards == shard())
                    tally.add(zt::pipe_case(prog(), head + l + "\n" + tail),
                              "\"" + printable(l) + "\" before chunk " + std::to_string(at));
        }
        report(tally);
    }
};

TEST_P(ShardedMatrix, EndOfInputAfterEveryPrefixOfTheSession) {
    const std::string script = zt::recording(prog()).piped();
    zt::Tally tally(what("end of input after every prefix"));
    for (std::size_t n = shard(); n <= script.size(); n += shards)
        tally.add(zt::pipe_case(prog(), script.substr(0, n)),
                  "prefix of " + std::to_string(n) + " bytes");
    report(tally);
}

TEST_P(ShardedMatrix, OddLinesAtEveryQuestionAndMenu) {
    at_every_stop("odd lines at every question and menu", odd_lines(), false);
}

TEST_P(ShardedMatrix, OddNumbersAtEveryQuestionAndMenu) {
    at_every_stop("odd numbers at every question and menu", odd_numbers(), false);
}

// Inside help too: at every page and related-information menu.
TEST_P(ShardedMatrix, OddLinesAtEveryHelpPage) {
    at_every_stop("odd lines at every help page",
                  {std::string(1000, 'x'), high_bytes(), std::string("a\0b", 3), "\x1b[H", "he"},
                  true);
}

// Seeded random byte streams, alone and after a prefix of the session (so
// that the garbage reaches every question).
constexpr uint32_t random_cases = 300;

TEST_P(ShardedMatrix, SeededRandomStreams) {
    const zt::Recording& r = zt::recording(prog());
    zt::Tally tally(what("random streams"));
    for (uint32_t seed = shard(); seed < random_cases; seed += shards) {
        std::string head = seed % 2 ? r.piped(seed % (r.chunks.size() + 1)) : "";
        tally.add(zt::pipe_case(prog(), head + zt::random_stream(seed)),
                  "seed " + std::to_string(seed) + " after " + std::to_string(head.size()) +
                      " bytes of the session");
    }
    report(tally);
}

INSTANTIATE_TEST_SUITE_P(Programs, ShardedMatrix,
                         ::testing::Combine(::testing::ValuesIn(names()),
                                            ::testing::Range(uint32_t{0}, shards)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The file checks of the matrix find what a cut or interleaved write leaves.
TEST(MatrixChecks, FindDamagedFiles) {
    auto listing = zt::program("sixline").check;
    const std::string header = "     EFG        eta      H [kG]      phi     theta\n";
    const std::string row = "    -0.700     0.200    382.76     20.00     84.51\n";
    EXPECT_EQ(listing(""), "");
    EXPECT_EQ(listing(header + "\n" + row + row + header), "");
    EXPECT_NE(listing(header + "\n" + row.substr(0, 30)), "");
    EXPECT_NE(listing(header + "\n" + row.substr(0, 30) + "\n"), "");
    EXPECT_NE(listing(header + row), "");
    EXPECT_NE(listing("\n" + row), "");
    auto counts = zt::program("chanconv").check;
    EXPECT_EQ(counts("x.asc\n channel\ncounts\n 14    1      10\n 14    2      \n"), "");
    EXPECT_NE(counts("x.asc\n channel\ncounts\n 14    1      10\n 14    2"), "");
    EXPECT_NE(counts("x.asc\n channel\ncounts\n 14    1      10\n 14    3      \n"), "");
    EXPECT_NE(counts("x.asc\n channel\n"), "");
    EXPECT_NE(counts(""), "");
}

}  // namespace
