// fracfit end to end: the real program on counts files, through a pipe
// (byte-exact results) and on a pseudo-terminal (the line editor, help at
// every question, a signal at every question).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string example =
    "Al 0 and 0.1 mm, Ni 0.01 mm\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n   1   2\n  0.00\n"
    "  1  4\n";

// Start line, file name, thicknesses, dead time, energies: all defaults.
const std::string defaults = "\n\n\n\n\n";
// A typed answer and the Return that confirms it.
std::string typed(const std::string& a) { return a + "\n\n"; }
// The Returns that end a help page and leave its related-entries menu.
const std::string help_left = "\n\n";

const std::string results_defaults =
    "      57Fe14.4     Fe6.4/7.0\n"
    "       0.69998       0.30002\n"
    "     bg_fraction=    0.300\n"
    "\n"
    "Nr    mm       counts     calc         *sigma\n"
    " 1    0.0000     10000.     10000.      -0.0\n"
    " 2    0.1000      5684.      5684.       0.0\n"
    " 3    0.0100      4783.      4783.      -0.0\n";
// And after them, the uncertainties and the least squares over the three
// lines.
const std::string reliability_defaults =
    "\n"
    " statistical uncertainty (1 sigma) of the intensities:\n"
    "      57Fe14.4     Fe6.4/7.0\n"
    "       0.01346       0.01346\n"
    "     bg_fraction=    0.300 +-    0.013\n"
    "\n"
    " least squares over all 3 thickness lines, chi2/dof=     0.00\n"
    "      57Fe14.4     Fe6.4/7.0\n"
    "       0.69995       0.30004\n"
    "       0.01277       0.01277\n"
    "     bg_fraction=    0.300 +-    0.013\n";
const std::string results_to_end = results_defaults + reliability_defaults;

zt::Env env() { return {{"ZORBHEPATH", zt::source("help")}}; }

// A directory holding the counts file ex.dat.
std::string with_file(const std::string& text = example) {
    std::string dir = zt::temp_dir();
    zt::write_file(dir + "/ex.dat", text);
    return dir;
}

zt::Run fracfit(const std::string& dir, const std::string& input,
                std::vector<std::string> args = {"ex.dat"}) {
    return zt::run_piped(zt::built("fracfit"), args, input, env(), dir);
}

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

std::size_t count(const std::string& out, const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
    return n;
}

// What the evaluation printed, from its first line on, without CRs.
std::string results(const std::string& out) {
    std::size_t at = out.find(" selected counts:");
    std::string r = at == std::string::npos ? "" : out.substr(at);
    std::string plain;
    for (char c : r)
        if (c != '\r') plain += c;
    return plain;
}

}  // namespace

TEST(FracfitPiped, TheExampleWithItsDefaults) {
    std::string dir = with_file();
    zt::Run r = fracfit(dir, defaults);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(has(r.out, "\n Al 0 and 0.1 mm, Ni 0.01 mm\n"
                           " 1  0.0000      10000.\n"
                           " 2  0.1000       5684.\n"
                           " 3  0.0100       4783.\n"
                           " material Al\n"))
        << r.out;
    EXPECT_TRUE(has(r.out, "  8     Pb72.8/75.0\nselect 2 numbers from the sequence of energies [1  4]"));
    EXPECT_TRUE(has(r.out, "\n  1        57Fe14.4\n  4       Fe6.4/7.0\n selected counts:\n   1   2\n"
                           " corrected for deadtime[Nob/(1-Nob/N*Ntau)], Ntau=  0.00\n"
                           "          10000\n           5684\n"
                           " name i,j=    57Fe14.4           3           1           3\n"));
    EXPECT_TRUE(has(r.out, "\n internal****"));
    EXPECT_EQ(r.out.substr(r.out.size() - results_to_end.size()), results_to_end);
    EXPECT_EQ(zt::read_file(dir + "/ex.dat"), example);
}

TEST(FracfitPiped, DeadTimeCorrection) {
    std::string dir = with_file();
    zt::Run r = fracfit(dir, "\n\n\n" + typed("0.05") + "\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Ntau=  0.05\n          10526\n           5850\n")) << r.out;
    EXPECT_TRUE(has(r.out, "\n       0.68198       0.31802\n     bg_fraction=    0.318\n"));
    EXPECT_TRUE(has(r.out, "\n 1    0.0000     10000.     10000.      -0.0\n"
                           " 2    0.1000      5684.      5684.      -0.0\n"
                           " 3    0.0100      4783.      4907.       1.8\n"));
    EXPECT_EQ(zt::read_file(dir + "/ex.dat"),
              example.substr(0, example.find("  0.00")) + "  0.05\n  1  4\n");
}

TEST(FracfitPiped, StartLines) {
    const struct {
        const char* line;
        const char* help;   // the heading of the entry shown, or none
    } cases[] = {
        {"he", "fracfit: relative intensities and background fraction"},
        {"test", "The start line and the diagnostic output"},
        {"stintcheck", nullptr},
        {"", nullptr},
        {"anything else", nullptr},
    };
    for (const auto& c : cases) {
        std::string dir = with_file();
        std::string input = std::string(c.line) + "\n" + (c.help ? help_left + "\n" : "") + "\n\n\n\n";
        zt::Run r = fracfit(dir, input);
        EXPECT_EQ(r.status, 0) << c.line << r.err;
        EXPECT_EQ(count(r.out, "from help-file:"), c.help ? 1u : 0u) << c.line;
        EXPECT_TRUE(!c.help || has(r.out, c.help)) << c.line;
        EXPECT_TRUE(has(r.out, results_defaults)) << c.line;
    }
}

// Refused answers at each question, and "q", in one run: each brings its
// message or help page and the question again with the file's default.
TEST(FracfitPiped, RefusedAnswersAndQuits) {
    std::string dir = with_file();
    const std::string input = "\nq\n" +   // a quit at the file question keeps its default
                              // thicknesses: one, nine, quit (help each); 0 and 4 outside 1..3
                              typed("1") + help_left + typed("1 2 3 1 2 3 1 2 3") + help_left +
                              "q\n" + help_left + typed("0 1") + typed("1 4") + "\n" +
                              // dead time: negative (help), too large for line 1, quit keeps 0.00
                              typed("-0.1") + help_left + typed("2") + "q\n" +
                              // energies: too few, quit (help); 9; repeated; three numbers
                              typed("1") + help_left + "q\n" + help_left + typed("1 9") +
                              typed("1 1") + typed("1 4 6");
    zt::Run r = fracfit(dir, input);
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_EQ(count(r.out, "\x1b[1mSelecting the thicknesses"), 3u);
    EXPECT_EQ(count(r.out, "\n thickness numbers must lie between 1 and 3\n"), 2u);
    EXPECT_EQ(count(r.out, "(thickness) n [1   2]"), 6u);
    EXPECT_EQ(count(r.out, "\x1b[1mThe dead time"), 1u);
    EXPECT_TRUE(has(r.out, "\n with this dead time 1-Nob/N*Ntau is not above 0 for thickness line 1;"));
    EXPECT_EQ(count(r.out, "counts=[0.00]"), 3u);
    EXPECT_EQ(count(r.out, "\x1b[1mfracfit: selecting the energies"), 2u);
    EXPECT_TRUE(has(r.out, "\n energy numbers must lie between 1 and 8\n"));
    EXPECT_TRUE(has(r.out, "\n each energy only once\n"));
    EXPECT_EQ(count(r.out, "energies [1  4]"), 5u);
    EXPECT_TRUE(has(r.out, "Ntau=  0.00\n"));
    EXPECT_TRUE(has(r.out, results_defaults));
    EXPECT_EQ(zt::read_file(dir + "/ex.dat"), example);
}

// Energy 1 not chosen: no background fraction; a skipped line is listed as
// such, cannot be selected and is left out of the table.
TEST(FracfitPiped, WithoutEnergyOneAndWithASkippedLine) {
    std::string dir = with_file("T\n1 0.0 10000\n7 0.05 7000\n3 0.1 5684\n4 0.01 4783\n----\n"
                                "1 2\n0\n2 4\n");
    zt::Run r = fracfit(dir, "\n\n" + typed("1 2") + typed("1 3") + "\n" + typed("2 4"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "\n 2   skipped: the line does not hold its number 2, a thickness and"));
    EXPECT_TRUE(has(r.out, "\n thickness line 2 was skipped when the file was read\n"));
    EXPECT_TRUE(has(r.out, "\n     bg_fraction: not defined, energy 1 (57Fe14.4) is not among the"));
    EXPECT_FALSE(has(r.out, "bg_fraction="));
    EXPECT_TRUE(has(r.out, "*sigma\n 1 "));
    EXPECT_FALSE(has(r.out, "\n 2    0.0500"));
    EXPECT_TRUE(has(r.out, "\n 4    0.0100      4783."));
    EXPECT_EQ(zt::read_file(dir + "/ex.dat"),
              "T\n1 0.0 10000\n7 0.05 7000\n3 0.1 5684\n4 0.01 4783\n----\n   1   3\n  0.00\n"
              "  2  4\n");
}

// A file from another system, and one reached through a symbolic link.
TEST(FracfitPiped, CarriageReturnsAndALink) {
    std::string crlf;
    for (char c : example) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string dir = with_file(crlf);
    zt::Run r = fracfit(dir, defaults);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, results_defaults));
    EXPECT_TRUE(has(r.out, "\n Al 0 and 0.1 mm, Ni 0.01 mm\n"));
    EXPECT_EQ(zt::read_file(dir + "/ex.dat"), crlf);

    dir = with_file();
    ASSERT_EQ(::chmod((dir + "/ex.dat").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("ex.dat", (dir + "/link.dat").c_str()), 0);
    r = fracfit(dir, "\n\n\n" + typed("0.05") + "\n", {"link.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(::lstat((dir + "/link.dat").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat((dir + "/ex.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(has(zt::read_file(dir + "/ex.dat"), "\n  0.05\n"));
}

TEST(FracfitPiped, FilesThatCannotBeUsed) {
    std::string thirteen = "T\n";
    for (int i = 1; i <= 13; ++i) thirteen += std::to_string(i) + " 0.1 100\n";
    const struct {
        std::string name, text, why;
    } cases[] = {
        {"none.dat", "", "No such file or directory"},
        {"sub", "", "Is a directory"},
        {"/dev/null", "", "not a plain file"},
        {"ex.dat", "T\n1 0 100\n2 1 50\n", "no \"----\" line"},
        {"ex.dat", "T\n1 0 100\n2 1 50\n----\n1 2\n0\n", "fewer than three default lines"},
        {"ex.dat", thirteen + "----\n\n\n\n", "line 14: more than 12 thickness lines"},
        {"ex.dat", "T\n1 0 0\n2 1 50\n----\n\n\n\n", "line 2: thickness line 1 must hold"},
        // Longer than the file question holds: it would name another file.
        {"./" + std::string(74, '.') + "/ex.dat", "", "name longer than 79 characters"},
    };
    for (const auto& c : cases) {
        std::string dir = with_file(c.text);
        ASSERT_EQ(::mkdir((dir + "/sub").c_str(), 0755), 0);
        zt::Run r = fracfit(dir, defaults, {c.name});
        EXPECT_EQ(r.status, 1) << c.why;
        EXPECT_EQ(r.err.substr(0, 9 + c.name.size() + 2), "fracfit: " + c.name + ": ") << r.err;
        EXPECT_TRUE(has(r.err, c.why)) << r.err;
        EXPECT_EQ(count(r.err, "\n"), 1u) << r.err;
        EXPECT_EQ(zt::read_file(dir + "/ex.dat"), c.text);
        EXPECT_FALSE(has(r.out, "material Al"));
    }
}

// The input ends at each question in turn (after the answers before it).
// Its first end reads as an empty answer, the default; the next question
// ends the run.  The file is complete, and the next run on it succeeds.
TEST(FracfitPiped, InputEndingAtEachQuestion) {
    const std::vector<std::string> answers = {"\n", "\n", typed("1 3"), typed("0.05"), ""};
    for (std::size_t at = 0; at < answers.size(); ++at) {
        std::string dir = with_file();
        std::string input;
        for (std::size_t i = 0; i < at; ++i) input += answers[i];
        zt::Run r = fracfit(dir, input);
        EXPECT_EQ(r.status, at + 1 < answers.size() ? 3 : 0) << at;
        zt::Run again = fracfit(dir, defaults);
        EXPECT_EQ(again.status, 0) << at << again.err;
        EXPECT_TRUE(has(again.out, "bg_fraction=")) << at;
        const std::string file = zt::read_file(dir + "/ex.dat");
        EXPECT_EQ(file.substr(0, file.find("----")), example.substr(0, example.find("----")));
        EXPECT_EQ(count(file, "\n"), 8u) << at << file;
        EXPECT_EQ(has(file, "\n   1   3\n"), at > 2) << at;
        EXPECT_EQ(has(file, "\n  0.05\n"), at > 3) << at;
    }
}

namespace {

// The run with all defaults, on a terminal; `detour_at` is the question at
// which help is taken first (none when out of range).
const std::vector<zt::Step> session = {
    {"", "\r"},                                   // start line
    {"thickness_counts_file.exten:", "\r"},
    {"(thickness) n [1   2]", "1 3\r"},
    {"(thickness) n [1 3]", "\r"},
    {"counts=[0.00]", "0.05\r"},
    {"counts=[0.05]", "\r"},
    {"energies [1  4]", "\r"},
};

}  // namespace

// Help at any question (the start line too) leaves the run as it was: the
// same results and the same file as without help.
TEST(FracfitPty, HelpAtEveryQuestionLeavesTheRunAsItWas) {
    std::string reference, reference_file;
    for (std::size_t at = session.size(); at + 1 > 0; --at) {
        std::string dir = with_file();
        zt::Pty t(zt::built("fracfit"), {"ex.dat"}, 60, 80, {{"PATH", "/usr/bin:/bin"}},
                  dir);
        std::string where;
        ASSERT_TRUE(zt::play(t, session, at, where)) << where << "\n" << t.output();
        ASSERT_EQ(t.wait(), 0) << "help at step " << at;
        if (at == session.size()) {
            reference = results(t.output());
            reference_file = zt::read_file(dir + "/ex.dat");
            ASSERT_TRUE(has(reference, "bg_fraction=")) << t.output();
        } else {
            EXPECT_EQ(results(t.output()), reference) << "help at step " << at;
            EXPECT_EQ(zt::read_file(dir + "/ex.dat"), reference_file) << "help at step " << at;
        }
    }
    // Through a pipe the same answers give the same results.
    std::string dir = with_file();
    zt::Run r = fracfit(dir, "\n\n" + typed("1 3") + typed("0.05") + "\n");
    EXPECT_EQ(results(r.out), reference);
    // And every default on the terminal gives the example's numbers.
    dir = with_file();
    zt::Pty t(zt::built("fracfit"), {"ex.dat"}, 24, 80, {}, dir);
    std::string where;
    const std::vector<zt::Step> all_defaults = {
        session[0], session[1], {"(thickness) n [1   2]", "\r"}, {"counts=[0.00]", "\r"}, session[6]};
    ASSERT_TRUE(zt::play(t, all_defaults, all_defaults.size(), where)) << where;
    ASSERT_EQ(t.wait(), 0);
    const std::string screen = results(t.output());
    EXPECT_EQ(screen.substr(screen.size() - results_to_end.size()), results_to_end);
    EXPECT_EQ(zt::read_file(dir + "/ex.dat"), example);
}

// A signal at each question ends the run; the file is complete and the next
// run on it succeeds.
TEST(FracfitPty, SignalAtEachQuestion) {
    for (std::size_t at = 0; at < session.size(); ++at) {
        std::string dir = with_file();
        {
            zt::Pty t(zt::built("fracfit"), {"ex.dat"}, 24, 80, {}, dir);
            std::string where;
            std::vector<zt::Step> before(session.begin(), session.begin() + static_cast<long>(at));
            ASSERT_TRUE(zt::play(t, before, before.size(), where)) << where;
            ASSERT_TRUE(t.expect(session[at].expect));
            t.drain(100);
            ::kill(t.pid(), at % 2 ? SIGTERM : SIGINT);
            EXPECT_NE(t.wait(), 0) << at;
        }
        zt::Run again = fracfit(dir, defaults);
        EXPECT_EQ(again.status, 0) << at << again.err;
        EXPECT_TRUE(has(again.out, "bg_fraction=")) << at;
        EXPECT_EQ(count(zt::read_file(dir + "/ex.dat"), "\n"), 8u) << at;
    }
}

// After the comparison table: the uncertainties, the least squares over
// every line when there are more lines than energies, and the warnings.
TEST(FracfitPiped, UncertaintiesLeastSquaresAndWarnings) {
    const struct {
        const char* what;
        std::string file;
        std::vector<std::string> expect, absent;
    } cases[] = {
        {"five lines, three energies: counts drawn around 0.6, 0.25, 0.15",
         "five\n1 0 199886\n2 0.05 148646\n3 0.2 98226\n4 0.6 44492\n5 0.01 103928\n----\n"
         "   1   3   5\n  0.00\n  1  4  3\n",
         {"\n 5    0.0100    103928.    103928.       0.0\n"
          "\n"
          " statistical uncertainty (1 sigma) of the intensities:\n"
          "      57Fe14.4     Fe6.4/7.0   Rh20.2/22.7\n"
          "       0.00953       0.00354       0.00722\n"
          "     bg_fraction=    0.394 +-    0.010\n"
          "\n"
          " least squares over all 5 thickness lines, chi2/dof=     0.19\n"
          "      57Fe14.4     Fe6.4/7.0   Rh20.2/22.7\n"
          "       0.60435       0.24803       0.14761\n"
          "       0.00505       0.00282       0.00322\n"
          "     bg_fraction=    0.396 +-    0.005\n"},
         {" warning:"}},
        {"eight energies over twelve noise-free lines: the square system means nothing, the "
         "least squares find the truth",
         "eight\n1 0 1000000\n2 0.02 870099\n3 0.05 737708\n4 0.1 604944\n5 0.2 468124\n"
         "6 0.5 304656\n7 1 209450\n8 2 154509\n9 5 116276\n10 10 88161\n11 20 52236\n"
         "12 0.01 528041\n----\n   1   2   3   4   5   6   7  12\n  0.00\n  1  2  3  4  5  6  7  8\n",
         {"\n       0.29999       0.05000       0.10000       0.15000       0.10000       0.10000"
          "       0.10001       0.10000\n",
          "\n\n warning: the selected thicknesses hardly separate these energies: the intensities "
          "mean little\n warning: condition number of the transmission matrix 0.114E+08, A times "
          "A-inverse off the unit matrix by up to 0.630E-01\n"},
         {}},
        {"an energy that is not there: more than three sigma below zero",
         "neg\n1 0.0 10000\n2 0.1 8200\n3 0.01 4783\n----\n   1   2\n  0.00\n  1  4\n",
         {"\n warning: intensity of Fe6.4/7.0 is 3.4 sigma below zero",
          "\n warning: least-squares intensity of Fe6.4/7.0 is 3.9 sigma below zero"},
         {"hardly separate"}},
        {"no 14.4 keV line selected: no background fraction",
         "nobg\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n   1   2\n  0.00\n  3  4\n",
         {"\n       0.01126       0.01126\n\n least squares over all 3 thickness lines, "
          "chi2/dof=   352.56\n"},
         {"+-"}},
        {"as many lines as energies: no least squares",
         "two\n1 0.0 10000\n2 0.01 4783\n----\n   1   2\n  0.00\n  1  4\n",
         {" statistical uncertainty (1 sigma) of the intensities:\n"},
         {"least squares"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zt::Run r = fracfit(with_file(c.file), defaults);
        ASSERT_EQ(r.status, 0) << r.err;
        for (const std::string& e : c.expect) EXPECT_TRUE(has(r.out, e)) << e << "\n" << r.out;
        for (const std::string& a : c.absent) EXPECT_FALSE(has(results(r.out), a)) << a;
    }
}
