// sixline end to end: the real program through a pipe (byte-exact listings)
// and on a pseudo-terminal (single keys in the menu, the line editor).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(SixlinePiped, ModesBAndC) {
    std::string dir = zt::temp_dir();
    // b with its defaults; c with its defaults (step away from L6); c with a
    // zero splitting, refused, then the default lines and dL = 0.1; then the
    // menu's default a, quit at its line positions.
    zt::Run r = piped(dir,
                      "\nb\n\n\n\n"
                      "c\n\n\n\n"
                      "c\n\n-6.55 5.83 -0.5 0\n\nL=-6.5509 R=5.8341  Is=-0.5 Deq=-4.0\n\n"
                      "octant=1 dL=0.1  d_eta=0.1\n\n"
                      "\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("line position L1,L2,L6, and shift IS: [-6.551 -4.2325 5.834  Is=-0.5]"),
              std::string::npos);
    EXPECT_EQ(r.out.find("\n Is="), std::string::npos);
    EXPECT_NE(r.out.find("line position L1,L6, shift IS,and  Deq: [L=-6.5509 R=5.8341  Is=-0.5 "
                         "Deq=-4.0]"),
              std::string::npos);
    std::size_t zero = r.out.find("\n the quadrupole splitting Deq must not be zero\n");
    ASSERT_NE(zero, std::string::npos);
    // The refused answer is offered again at the line-position prompt.
    EXPECT_LT(r.out.find("Deq: [-6.55 5.83 -0.5 0]", zero), r.out.find("octant dL d_eta:", zero));
    EXPECT_EQ(r.out.find("NaN"), std::string::npos);
    // Back at the menu, a is the default and offers its own lines.
    EXPECT_NE(r.out.find("L5 and L6: [-6.551 -4.2325  2.9495   5.834]", zero), std::string::npos);

    auto t = tables_of(zt::read_file(dir + "/sixline.lst"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].header, header_efg);
    ASSERT_FALSE(t[0].groups.empty());
    ASSERT_GE(t[0].groups[0].size(), 2u);
    EXPECT_EQ(t[0].groups[0][0], row1);
    EXPECT_EQ(t[0].groups[0][1], row2);
    EXPECT_EQ(t[1].header, header_l2);
    EXPECT_TRUE(t[1].groups.empty());
    EXPECT_EQ(t[2].header, header_l2);
    ASSERT_FALSE(t[2].groups.empty());
    EXPECT_EQ(t[2].groups[0][0].substr(0, 10), "    -4.451");
}

TEST(SixlinePiped, RefusalsAndQuitsAtThePrompts) {
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir,
                      "\nb\n\n-6.6 -4.3 5.9\n\n-6.6 -4.3 5.9 -0.4\n\n"   // 3 numbers, then 4
                      "1 2\n\nq\n"        // 2 numbers at the octant prompt, then quit it
                      "\n1 -0.1 0\n\n"    // the lines kept; no eta steps
                      "b\n\n*\n");        // b remembers its lines; "*" ends the run
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n 4 numbers are expected\nline position L1,L2,L6, and shift IS: "
                         "[-6.6 -4.3 5.9]"),
              std::string::npos);
    EXPECT_NE(r.out.find("\n 3 numbers are expected\noctant dDq d_eta: "
                         "[octant=1 dDq=-0.1  d_eta=0.1]"),
              std::string::npos);
    std::size_t table = r.out.find(header_efg);
    ASSERT_NE(table, std::string::npos);
    EXPECT_NE(r.out.find("shift IS: [-6.6 -4.3 5.9 -0.4]", table), std::string::npos);
    EXPECT_EQ(zt::read_file(dir + "/sixline.lst"), header_efg + "\n");
}

TEST(SixlinePiped, StepsWithoutACountAndAnOldListing) {
    std::string dir = zt::temp_dir();
    zt::write_file(dir + "/old.lst", "an old listing\n");
    zt::Run r = piped(dir, "old.lst\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/old.lst"), "an old listing\n");

    // Zero splitting step, zero eta step, a step count beyond 32 bits: each a
    // header alone, and the old content is gone.
    r = piped(dir, "old.lst\n\n\n\n1 0 0.1\n\n\n\n1 -0.1 0\n\n\n\n1 -0.0000000001 0.1\n\nq\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/old.lst"), header_efg + "\n" + header_efg + "\n" +
                                                   header_efg + "\n");
}

// A listing that may be written but not read: a run that writes no table
// leaves it as it was, a table replaces it.  (Root reads any file, so as
// root the program runs as "nobody".)
TEST(SixlinePiped, AListingThatCannotBeReadIsKeptUntilATableComes) {
    std::string dir = zt::temp_dir();
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    const std::string file = dir + "/wo.lst";
    zt::write_file(file, "an old listing\n");
    ASSERT_EQ(::chmod(file.c_str(), 0222), 0);
    std::string exe = "/usr/bin/setpriv", prog = zt::built("sixline");
    std::vector<std::string> args = {"--reuid=65534", "--regid=65534", "--clear-groups", prog};
    if (::getuid() != 0) exe = prog, args.clear();
    ASSERT_EQ(::chown(file.c_str(), ::getuid() == 0 ? 65534 : ::getuid(), -1), 0);

    zt::Run r = zt::run_piped(exe, args, "wo.lst\n\nq\n", {}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(file), "an old listing\n");
    r = zt::run_piped(exe, args, "wo.lst\n\n\n\n1 0 0.1\n\nq\n", {}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(file), header_efg + "\n");
}

TEST(SixlinePiped, EndsOfTheRun) {
    std::string dir = zt::temp_dir();
    // "q" at the file dialogue: nothing opened, nothing written.
    zt::Run r = piped(dir, "q\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(zt::file_exists(dir + "/sixline.lst"));

    // A listing that cannot be made: one line on standard error.
    r = piped(dir, "nodir/x.lst\n\n\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("nodir/x.lst"), std::string::npos) << r.err;
    EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;

    // Input ending after a table: the listing is complete.
    r = piped(dir, "\n\n\n\n");
    EXPECT_NE(r.status, 0);
    auto t = tables_of(zt::read_file(dir + "/sixline.lst"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].rows(), 332u);
}

// A script saved on another system: every answer ends in CR LF.  The CR is
// no part of any answer, at the file question, in the menu and at the
// prompts, so the run is the one the same script with LF ends gives.
TEST(SixlinePiped, ScriptWithCarriageReturnsBeforeTheLineEnds) {
    const std::string script = "data\n\n\n\n\nb\n\n\n\nq\n";
    std::string unix_dir = zt::temp_dir(), dos_dir = zt::temp_dir();
    zt::Run u = piped(unix_dir, script);
    std::string dos_script;
    for (char c : script) dos_script += c == '\n' ? std::string("\r\n") : std::string(1, c);
    zt::Run d = piped(dos_dir, dos_script);
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(d.out, u.out);
    ASSERT_TRUE(zt::file_exists(dos_dir + "/data.lst"));
    EXPECT_EQ(zt::read_file(dos_dir + "/data.lst"), zt::read_file(unix_dir + "/data.lst"));
    EXPECT_EQ(tables_of(zt::read_file(dos_dir + "/data.lst")).size(), 2u);
}

// A line of any length is read in bounded memory; only its first 132
// characters count.
TEST(SixlinePiped, AnEndlessLineTakesBoundedMemory) {
    std::string dir = zt::temp_dir();
    zt::Run r = zt::run_piped(
        "/bin/sh",
        {"-c", "head -c 67108864 /dev/zero | tr '\\0' x | exec " + zt::built("sixline")}, "", {},
        dir);
    EXPECT_EQ(r.status, 3) << r.err;
    rusage ru{};
    ::getrusage(RUSAGE_CHILDREN, &ru);
    EXPECT_LT(ru.ru_maxrss, 48 * 1024) << "kB";
}

// Started with the screen and the message channel closed: the listing
// holds the table alone, not the screen.
TEST(SixlinePiped, StartedWithStandardOutputAndErrorClosed) {
    std::string dir = zt::temp_dir();
    zt::Run r = zt::run_piped("/bin/sh", {"-c", "exec " + zt::built("sixline") + " >&- 2>&-"},
                              mode_a_defaults, {}, dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(lines_of(zt::read_file(dir + "/sixline.lst")).size(), 1u + 55u + 332u);
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

// Help at any question or menu of a run leaves the run as it was: for each
// of them in turn, "he", into a related entry and back, out of help, and the
// session goes on; the listing is the one the run gives without help.
TEST(SixlinePty, HelpAtEveryQuestionLeavesTheRunAsItWas) {
    const std::vector<zt::Step> session = {
        {"results of sixline", "\r"},
        {"c:L1,L6,Is,Deq", "\x1b[B\r"},   // mode b
        {"shift IS:", "\r"},
        {"octant dDq d_eta:", "1 -0.1 0.000001\r"},
        {"[1 -0.1 0.000001]", "\r"},
        {"scan them all? [n]", "\r"},    // refused: the scan is asked again
        {"octant dDq d_eta:", "\r"},
        {"c:L1,L6,Is,Deq", "\r"},         // a
        {"L5 and L6:", "\r"},
        {"octant dDq d_eta:", "\r"},
        {"c:L1,L6,Is,Deq", "q"},
        {"", "\r"},
    };
    std::string reference;
    for (std::size_t at = session.size(); at + 1 > 0; --at) {
        if (at == session.size() - 1) continue;   // the Return after "q"
        std::string dir = zt::temp_dir();
        zt::Pty t(zt::built("sixline"), {}, 60, 80, {{"PATH", "/usr/bin:/bin"}}, dir);
        std::string where;
        ASSERT_TRUE(zt::play(t, session, at, where)) << where << "\n" << t.output();
        ASSERT_EQ(t.wait(), 0) << "help at step " << at;
        std::string listing = zt::read_file(dir + "/sixline.lst");
        if (at == session.size()) {
            reference = listing;
            ASSERT_EQ(tables_of(listing).size(), 2u);
        } else {
            EXPECT_EQ(listing, reference) << "help at step " << at;
        }
    }
}

// A table without a row says so on the screen, once, right after its header;
// the listing holds the header alone.  A table with rows says nothing of it.
TEST(SixlinePiped, ATableWithoutARowSaysSo) {
    const std::string no_row = "\n no grid point of this scan has a solution";
    std::string dir = zt::temp_dir();
    zt::Run r = piped(dir, "\nc\n\n\n\nq\n");   // mode c, its defaults: dL points away from L6
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(header_l2 + no_row), std::string::npos) << r.out;
    EXPECT_EQ(zt::read_file(dir + "/sixline.lst"), header_l2 + "\n");

    r = piped(dir, mode_a_defaults);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find(no_row), std::string::npos);
}

// A scan of more than ten million grid points is run only when the user says
// so; refused, the scan definition is asked for again.
TEST(SixlinePiped, LargeScanIsRunOnlyWhenConfirmed) {
    struct Case {
        const char* mode_and_lines;   // menu answer and the line positions accepted
        const char* octant;           // the scan asked for
        const char* answer;           // at the question (a new answer is then accepted)
        const char* again;            // the octant question that comes back
    };
    const Case cases[] = {
        {"\n\n", "1 -0.1 0.000001", "", "octant dDq d_eta: [octant=1 dDq=-0.1  d_eta=0.1]"},
        {"\n\n", "1 -0.1 0.000001", "n\n", "octant dDq d_eta: [octant=1 dDq=-0.1  d_eta=0.1]"},
        {"b\n\n\n", "1 -0.1 0.000001", "q", "octant dDq d_eta: [octant=1 dDq=-0.1  d_eta=0.1]"},
        {"c\n\n\n", "1 0.1 0.000001", "x\n", "octant dL d_eta: [octant=1 dL=-0.1  d_eta=0.1]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode_and_lines) + c.octant + " / " + c.answer);
        std::string dir = zt::temp_dir();
        zt::Run r = piped(dir, "\n" + std::string(c.mode_and_lines) + c.octant + "\n\n" + c.answer +
                                   "\n\nq\n");
        EXPECT_EQ(r.status, 0) << r.err;
        std::string asked = " the scan has 61000061 grid points\nscan them all? [n]\n";
        std::size_t at = r.out.find(asked);
        ASSERT_NE(at, std::string::npos) << r.out.substr(0, 3000);
        EXPECT_NE(r.out.find(c.again, at), std::string::npos);
        // The default scan then runs: one table, the one of its mode.
        std::vector<Table> tables = tables_of(zt::read_file(dir + "/sixline.lst"));
        ASSERT_EQ(tables.size(), 1u);
        EXPECT_EQ(tables[0].header == header_l2, c.mode_and_lines[0] == 'c');
    }
}

TEST(SixlinePty, LargeScanConfirmedRuns) {
    std::string dir = zt::temp_dir();
    zt::Pty t(zt::built("sixline"), {}, 24, 80, {{"TERM", "xterm"}}, dir);
    std::string where;
    ASSERT_TRUE(zt::play(t,
                         {{"results of sixline", "\r"},
                          {"c:L1,L6,Is,Deq", "\r"},
                          {"L5 and L6:", "\r"},
                          {"octant dDq d_eta:", "1 -0.1 0.000001\r"},
                          {"[1 -0.1 0.000001]", "\r"},
                          {"scan them all? [n]", "y\r"},
                          {"scan them all? [y]", "\r"},
                          {header_efg, ""}},
                         99, where))
        << where << "\n" << t.output();
    ::kill(t.pid(), SIGTERM);
    EXPECT_EQ(t.wait(), 128 + SIGTERM);
    EXPECT_EQ(zt::read_file(dir + "/sixline.lst").rfind(header_efg + "\n", 0), 0u);
}

// Keys that send a sequence of four or more bytes do nothing at the menu:
// mode a stays highlighted and Return takes it.
TEST(SixlinePty, KeysThatDoNothingAtTheMenu) {
    for (const char* keys : {"\x1b[5~", "\x1b[3~", "\x1b[1~", "\x1b[15~", "\x1b[H\x1b[6~"}) {
        SCOPED_TRACE(std::string(keys + 1));
        std::string dir = zt::temp_dir();
        zt::Pty t(zt::built("sixline"), {}, 24, 80, {{"TERM", "xterm"}}, dir);
        ASSERT_TRUE(t.expect("results of sixline"));
        t.send("\r");
        ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq"));
        t.drain();
        t.send(keys);
        t.drain();
        t.send("\r");
        ASSERT_TRUE(t.expect("L5 and L6:")) << t.output();
        t.send("q\r");
        EXPECT_EQ(t.wait(), 0);
    }
}
