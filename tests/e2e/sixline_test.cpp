// sixline end to end: the real program through a pipe (byte-exact listings)
// and on a pseudo-terminal (single keys in the menu, the line editor).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string header_efg = "     EFG        eta      H [kG]      phi     theta";
const std::string header_l2 = "     L2        eta      H [kG]      phi     theta";
const std::string row1 = "    -0.700     0.200    382.76     20.00     84.51";
const std::string row2 = "    -0.700     0.300    382.76     28.59     86.61";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

struct Table {
    std::string header;
    std::vector<std::vector<std::string>> groups;
    std::size_t rows() const {
        std::size_t n = 0;
        for (auto& g : groups) n += g.size();
        return n;
    }
};

// Splits a listing into its tables: a header, then groups each opened by an
// empty line.  Fails the test on any other shape.
std::vector<Table> tables_of(const std::string& listing) {
    std::vector<Table> t;
    for (auto& l : lines_of(listing)) {
        if (l == header_efg || l == header_l2) {
            t.push_back({l, {}});
        } else if (l.empty()) {
            EXPECT_FALSE(t.empty());
            if (!t.empty()) t.back().groups.emplace_back();
        } else {
            EXPECT_EQ(l.size(), 50u) << l;
            EXPECT_TRUE(!t.empty() && !t.back().groups.empty()) << l;
            if (!t.empty() && !t.back().groups.empty()) t.back().groups.back().push_back(l);
        }
    }
    return t;
}

zt::Run piped(const std::string& dir, const std::string& input) {
    return zt::run_piped(zt::built("sixline"), {}, input, {}, dir);
}

// Accept the listing name, mode a from the menu, both prompts' defaults;
// then quit at the menu.
const std::string mode_a_defaults = "\n\n\n\nq\n";

}  // namespace

TEST(SixlinePiped, ModeADefaultsGiveTheFullTable) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir, mode_a_defaults);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\n Is=    -0.500\n"), std::string::npos);
    EXPECT_NE(r.out.find("line position L1,L2,L5 and L6: [-6.551 -4.2325  2.9495   5.834]"),
              std::string::npos);

    std::string listing = zt::read_file(dir + "/sixline.lst");
    auto t = tables_of(listing);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].header, header_efg);
    ASSERT_EQ(t[0].groups.size(), 55u);
    EXPECT_EQ(t[0].rows(), 332u);
    EXPECT_EQ(lines_of(listing).size(), 1u + 55u + 332u);
    ASSERT_GE(t[0].groups[0].size(), 2u);
    EXPECT_EQ(t[0].groups[0][0], row1);
    EXPECT_EQ(t[0].groups[0][1], row2);
    for (auto& row : t[0].groups.back()) EXPECT_EQ(row.substr(0, 10), "    -6.100");
    // The screen shows the same table lines (with the messages of the grid
    // points without a solution between them).
    EXPECT_NE(r.out.find("\n" + header_efg + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n\n" + row1 + "\n" + row2 + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n sin(theta)**2 =  -0.030  < 0.0\n\n"), std::string::npos);
}

TEST(SixlinePiped, ModeBWithItsDefaultMatchesModeA) {
    std::string dir = zt::temp_dir();
    // "b" then Return at the menu: the typed text highlights b, Return takes it.
    zt::Run r = piped(dir, "\nb\n\n\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("line position L1,L2,L6, and shift IS: [-6.551 -4.2325 5.834  Is=-0.5]"),
              std::string::npos);
    EXPECT_EQ(r.out.find("\n Is="), std::string::npos);
    auto t = tables_of(zt::read_file(dir + "/sixline.lst"));
    ASSERT_EQ(t.size(), 1u);
    ASSERT_FALSE(t[0].groups.empty());
    ASSERT_GE(t[0].groups[0].size(), 2u);
    EXPECT_EQ(t[0].groups[0][0], row1);
    EXPECT_EQ(t[0].groups[0][1], row2);
}

TEST(SixlinePiped, ModeCScansLineTwoTowardsLineSix) {
    std::string dir = zt::temp_dir();
    // Default step -0.1 points away from L6: header alone.  Then dL = 0.1.
    zt::Run r = piped(dir, "\nc\n\n\n\nc\n\n\noctant=1 dL=0.1  d_eta=0.1\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("line position L1,L6, shift IS,and  Deq: [L=-6.5509 R=5.8341  Is=-0.5 "
                         "Deq=-4.0]"),
              std::string::npos);
    auto t = tables_of(zt::read_file(dir + "/sixline.lst"));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].header, header_l2);
    EXPECT_TRUE(t[0].groups.empty());
    EXPECT_EQ(t[1].header, header_l2);
    ASSERT_FALSE(t[1].groups.empty());
    EXPECT_EQ(t[1].groups[0][0].substr(0, 10), "    -4.451");
}

TEST(SixlinePiped, ZeroSplittingIsRefusedAndAskedAgain) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir, "\nc\n\n-6.55 5.83 -0.5 0\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n the quadrupole splitting Deq must not be zero\n"), std::string::npos);
    // Asked again with the refused answer as its default; no octant prompt.
    EXPECT_NE(r.out.find("Deq: [-6.55 5.83 -0.5 0]"), std::string::npos);
    EXPECT_EQ(r.out.find("octant dL d_eta:"), std::string::npos);
    EXPECT_EQ(r.out.find("NaN"), std::string::npos);
    EXPECT_EQ(zt::read_file(dir + "/sixline.lst"), "");
}

TEST(SixlinePiped, WrongCountsAreRefusedAndOfferedAgain) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir,
                      "\n\n-6.551 -4.2325 2.9495\n\n-6.551 -4.2325 2.9495 5.834\n\n1 2\n\nq\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n 4 numbers are expected\n"), std::string::npos);
    EXPECT_NE(r.out.find("L6: [-6.551 -4.2325 2.9495]"), std::string::npos);
    // The octant prompt offers its own default afresh after a refusal.
    std::size_t refused = r.out.find("\n 3 numbers are expected\n");
    ASSERT_NE(refused, std::string::npos);
    EXPECT_NE(r.out.find("octant dDq d_eta: [octant=1 dDq=-0.1  d_eta=0.1]", refused),
              std::string::npos);
}

TEST(SixlinePiped, QuitPaths) {
    {   // At the file dialogue: nothing opened, nothing written.
        std::string dir = zt::temp_dir();
        zt::Run r = piped(dir, "q\n");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(zt::file_exists(dir + "/sixline.lst"));
    }
    {   // At the octant prompt: back to the line positions, last answer as default;
        // "*" there ends the run.
        std::string dir = zt::temp_dir();
        zt::Run r = piped(dir, "\n\n-6.5 -4.2 2.9 5.8\n\nq\n*\n");
        EXPECT_EQ(r.status, 0) << r.err;
        std::size_t oct = r.out.find("octant dDq d_eta:");
        ASSERT_NE(oct, std::string::npos);
        EXPECT_NE(r.out.find("L6: [-6.5 -4.2 2.9 5.8]", oct), std::string::npos);
        EXPECT_EQ(zt::read_file(dir + "/sixline.lst"), "");
    }
}

TEST(SixlinePiped, MenuOffersAAgainAndEachModeItsLastAnswer) {
    std::string dir = zt::temp_dir();
    // Mode b with new lines; back at the menu Return takes a; a's prompt still
    // shows a's default; quit there, which ends the run.
    zt::Run r = piped(dir, "\nb\n\n-6.6 -4.3 5.9 -0.4\n\n\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    std::size_t b_table = r.out.find(header_efg);
    ASSERT_NE(b_table, std::string::npos);
    EXPECT_NE(r.out.find("L5 and L6: [-6.551 -4.2325  2.9495   5.834]", b_table),
              std::string::npos);
}

TEST(SixlinePiped, RemembersTheLastAnswerOfMode) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir, "\nb\n\n-6.6 -4.3 5.9 -0.4\n\n\nb\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    std::size_t b_table = r.out.find(header_efg);
    ASSERT_NE(b_table, std::string::npos);
    EXPECT_NE(r.out.find("shift IS: [-6.6 -4.3 5.9 -0.4]", b_table), std::string::npos);
}

TEST(SixlinePiped, StepsGivingNoCountGiveTheHeaderAlone) {
    std::string dir = zt::temp_dir();
    // Zero splitting step, zero eta step, a step count beyond 32 bits.
    zt::Run r = piped(dir,
                      "\n\n\n1 0 0.1\n\n\n\n1 -0.1 0\n\n\n\n1 -0.0000000001 0.1\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/sixline.lst"), header_efg + "\n" + header_efg + "\n" +
                                                         header_efg + "\n");
}

TEST(SixlinePiped, ListingStartsAfreshOnlyWhenATableIsWritten) {
    std::string dir = zt::temp_dir();
    zt::write_file(dir + "/old.lst", "an old listing\nof two lines\n");
    zt::Run r = piped(dir, "old.lst\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/old.lst"), "an old listing\nof two lines\n");

    r = piped(dir, "old.lst\n\n\n\n1 -0.1 0\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/old.lst"), header_efg + "\n");
}

TEST(SixlinePiped, UnopenableListingIsReported) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir, "nodir/x.lst\n\n\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("nodir/x.lst"), std::string::npos) << r.err;
    EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
}

TEST(SixlinePiped, EndOfInputLeavesACompleteListing) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir, "\n\n\n\n");
    EXPECT_NE(r.status, 0);
    auto t = tables_of(zt::read_file(dir + "/sixline.lst"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].rows(), 332u);
}

TEST(SixlinePty, MenuKeysAndTheSameListingAsThroughAPipe) {
    std::string piped_dir = zt::temp_dir();
    zt::Run p = piped(piped_dir, "\nb\n\n\n\n" + mode_a_defaults.substr(1));
    ASSERT_EQ(p.status, 0) << p.err;

    std::string dir = zt::temp_dir();
    zt::Pty t(zt::built("sixline"), {}, 24, 80, {{"TERM", "xterm"}}, dir);
    ASSERT_TRUE(t.expect("results of sixline"));
    t.send("\r");
    ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq"));
    t.drain();
    t.send("\x1b[B");   // down: mode b
    t.drain();
    t.send("\r");
    ASSERT_TRUE(t.expect("shift IS:"));
    t.send("\r");
    ASSERT_TRUE(t.expect("octant dDq d_eta:"));
    t.send("\r");
    ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq"));
    t.drain();
    t.send("\r");       // the menu offers a again
    ASSERT_TRUE(t.expect("L5 and L6:"));
    t.send("\r");
    ASSERT_TRUE(t.expect(" Is=    -0.500"));
    ASSERT_TRUE(t.expect("octant dDq d_eta:"));
    t.send("\r");
    ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq"));
    t.drain();
    t.send("q");
    t.drain();
    t.send("\r");
    EXPECT_EQ(t.wait(), 0);
    std::string listing = zt::read_file(dir + "/sixline.lst");
    EXPECT_EQ(listing, zt::read_file(piped_dir + "/sixline.lst"));
    EXPECT_EQ(tables_of(listing).size(), 2u);
}
