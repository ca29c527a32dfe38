// select end to end: the real program through a pipe (the printed results,
// the refused answers, help) and on a pseudo-terminal (the material menu's
// keys, help at every question).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "session.h"

namespace {

// Answers: "\n" takes a menu's or a prompt's default; a typed answer is
// shown in brackets and accepted with a further "\n".  A help page and its
// menu of related entries take "\n\n" in a pipe (24 rows), the two pages of
// "background/measurement" and its menu "\n\n\n".
const std::string factor_one = "1\n\n";
const std::string measurement_help = "\n\n\n";

zt::Run piped(const std::string& input, const std::vector<std::string>& args = {}) {
    zt::Run r = zt::run_piped(zt::built("select"), args, input,
                              {{"ZORBHEPATH", zt::source("help")}}, zt::temp_dir());
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    return r;
}

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

// The printed results: everything from the line FUNC= on.
std::string results(const std::string& out) {
    std::size_t at = out.find(" FUNC=");
    return at == std::string::npos ? "" : out.substr(at);
}

const std::string default_start_matrix =
    "\n                   0.005   0.010   0.000\n\n"
    "       57Fe14.41   0.988   0.975   1.000\n"
    "       Fe122/136   1.000   1.000   1.000\n"
    "    Rh20.14/22.9   0.996   0.991   1.000\n\n";

}  // namespace

TEST(SelectPiped, DefaultEnergiesAcceptedAtOnce) {
    zt::Run r = piped("\n\n" + factor_one);
    EXPECT_TRUE(has(r.out, "  7     Pb10.5/12.6\n  8     Pb72.8/75.0\n"
                           "select energies contributing to energy window [1 2 3]\n"));
    EXPECT_TRUE(has(r.out, "  1       57Fe14.41\n  2       Fe122/136\n  3    Rh20.14/22.9\n" +
                               default_start_matrix +
                               " common factor multiplied to start values of thickness=[10.000]\n"))
        << r.out;
    EXPECT_EQ(results(r.out),
              " FUNC=   4.77004202E+14\n"
              "\n"
              " Iterations:  4\n"
              " Minimum at (mm thickness):     5.199035    0.791923\n"
              " Minimized fuction row/det*column/det =    148.    \n"
              "\n\n"
              " attenuation matrix (energy versus thickness):\n"
              "\n                   5.199   0.792   0.000\n\n"
              "       57Fe14.41   0.000   0.138   1.000\n"
              "       Fe122/136   0.809   0.968   1.000\n"
              "    Rh20.14/22.9   0.012   0.501   1.000\n\n"
              " condition number of the attenuation matrix at the minimum: 11.1\n");
}

// "q" in the material menu chooses nothing: the message and the menu again.
TEST(SelectPiped, MaterialMenuAskedAgainUntilAMaterialIsChosen) {
    zt::Run r = piped("q\nNi\n\n4 1\n\n" + factor_one);
    const std::string title = "select absorption material (help:he)";
    std::size_t message = r.out.find("\n  no material selected\n\x1b[0m----");
    ASSERT_NE(message, std::string::npos) << r.out;
    EXPECT_LT(r.out.find(title), message);
    EXPECT_NE(r.out.find(title, message), std::string::npos);
    EXPECT_TRUE(has(r.out, "\x1b[31m[Ni nickel]")) << r.out;
    EXPECT_TRUE(has(r.out, "\n      Fe6.4/7.06   0.686   1.000\n")) << r.out;
}

// The start factors, and the minimum printed: the best point the minimiser
// met, never a point worse than one already evaluated, never Infinity after
// a singular start was left; a start it cannot leave is printed as it is.
TEST(SelectPiped, StartFactorsAndTheBestPointMet) {
    struct Case {
        std::string energies, factors;
        bool stays_singular;   // Infinity at the end as well
        std::vector<std::string> expect;
    };
    const std::vector<Case> cases = {
        {"", "2\n\n" + factor_one, false,   // doubled, then accepted
         {default_start_matrix + " common factor",
          "\n                   0.010   0.020   0.000\n\n       57Fe14.41   0.975   0.951   1.000\n"
          "       Fe122/136   1.000   0.999   1.000\n    Rh20.14/22.9   0.991   0.983   1.000\n"
          "\n common factor multiplied to start values of thickness=[10.000]\n"}},
        {"", "\n" + factor_one, false,   // the default: times 10
         {"\n                   0.050   0.100   0.000\n"}},
        {"4 1", factor_one, false,
         {" FUNC=   304.817413    \n", " Iterations:  2\n",
          " Minimum at (mm thickness):     0.153633\n", "row/det*column/det =    1.64    \n"}},
        {"1 4 5 6", factor_one, false,
         {" FUNC=         Infinity\n", " Iterations:  1\n",
          " Minimum at (mm thickness):     0.342463    0.560867    0.062495\n",
          "row/det*column/det =   0.139E+09\n"}},
        {"4 1", "0\n\n" + factor_one, false,
         {" FUNC=         Infinity\n", " Minimum at (mm thickness):     0.153629\n",
          "row/det*column/det =    1.64    \n"}},
        // All thicknesses 0: along each free thickness two rows stay equal.
        {"", "0\n\n" + factor_one, true,
         {" FUNC=         Infinity\n Powell exceeding maximum iterations.\n\n Iterations:100\n",
          " Minimum at (mm thickness):     0.000000    0.000000\n",
          "row/det*column/det =    Infinity\n",
          "\n                   0.000   0.000   0.000\n\n       57Fe14.41   1.000   1.000   1.000\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.energies + " / " + c.factors);
        zt::Run r = piped("\n" + (c.energies.empty() ? "\n" : c.energies + "\n\n") + c.factors);
        std::string res = results(r.out);
        for (const std::string& e : c.expect) EXPECT_TRUE(has(r.out, e)) << e << "\n" << r.out;
        if (!c.stays_singular) {
            EXPECT_FALSE(has(res.substr(res.find('\n')), "Infinity")) << res;
        }
    }
}

TEST(SelectPiped, EnergyAnswersRefusedAndAskedAgain) {
    const std::string help_page = "\n\n";
    zt::Run r = piped("\n4 4\n\n"         // twice the same energy
                      "4\n\n" + help_page +   // a single energy: help
                      "q\n" + help_page +     // quit: no numbers, help
                      "0 9\n\n"               // outside 1 to 8
                      "1 2 3 4 5 6 7 8 1\n\n"  // nine numbers
                      "4.9 1\n\n" + factor_one);
    const std::string question = "select energies contributing to energy window [1 2 3]\n";
    std::size_t at = r.out.find("window [4 4]\n");
    ASSERT_NE(at, std::string::npos) << r.out;
    for (const char* text : {"\n each energy only once\n", "window [4]\n",
                             "select: energies contributing to the energy window",
                             "from help-file:", "select: energies contributing to the energy window",
                             "from help-file:", "window [0 9]\n", "\n energy numbers are 1 to 8\n",
                             "window [1 2 3 4 5 6 7 8 1]\n", "\n each energy only once\n",
                             "window [4.9 1]\n"}) {
        std::size_t next = r.out.find(text, at);
        ASSERT_NE(next, std::string::npos) << text << "\n" << r.out.substr(at);
        // Every refusal brings the question back with its default.
        const std::string t = text;
        if (t.find("only once") != std::string::npos || t.find("1 to 8") != std::string::npos) {
            EXPECT_EQ(r.out.compare(next + t.size(), question.size(), question), 0);
        }
        at = next;
    }
    EXPECT_TRUE(has(r.out, "  4      Fe6.4/7.06\n  1       57Fe14.41\n\n"
                           "                   0.005   0.000\n\n"
                           "      Fe6.4/7.06   0.881   1.000\n"
                           "       57Fe14.41   0.988   1.000\n"));
    EXPECT_TRUE(has(results(r.out), "0.153633"));
}

TEST(SelectPiped, HelpOnTheCommandLineComesBeforeTheMenu) {
    zt::Run r = piped(measurement_help + "\n\n" + factor_one, {"help"});
    std::size_t page = r.out.find("select: planning the absorber measurement");
    ASSERT_NE(page, std::string::npos) << r.out;
    EXPECT_LT(page, r.out.find("select absorption material (help:he)"));
    EXPECT_TRUE(has(r.out, "subroutine help(chin):\nbackground/measurement "));
    // The same results as without help.
    EXPECT_EQ(results(r.out), results(piped("\n\n" + factor_one).out));
    // "he" anywhere in the command line, in a word as well.
    EXPECT_TRUE(has(piped(measurement_help + "\n\n" + factor_one, {"x", "other"}).out,
                    "select: planning the absorber measurement"));
    // The program's own name counts, the directories it is started from do
    // not (a home such as /home/stephen); a link of another name still finds
    // the program's help file.
    const std::string dir = zt::temp_dir() + "/theory";
    std::filesystem::create_directory(dir);
    for (const char* name : {"select", "sheet"}) {
        std::filesystem::create_symlink(zt::built("select"), dir + "/" + name);
        zt::Run run = zt::run_piped(dir + "/" + name, {"x"}, "\n\n" + factor_one,
                                    {{"ZORBHEPATH", zt::source("help")}}, zt::temp_dir());
        EXPECT_EQ(has(run.out, "planning the absorber measurement"), name[1] == 'h') << name;
    }
}

namespace {

const char* const red = "\x1b[31m[";

// Energies 4 and 1, the factor 2, then 1: the material menu, three prompts
// with a typed answer each, and the redrawn questions.
std::vector<zt::Step> session_from(const std::vector<zt::Step>& menu) {
    std::vector<zt::Step> s = menu;
    for (const zt::Step& step : std::vector<zt::Step>{{"window [1 2 3]", "4 1\r"},
                                                      {"window [4 1]", "\r"},
                                                      {"thickness=[10.000]", "2\r"},
                                                      {"thickness=[2.000]", "\r"},
                                                      {"thickness=[10.000]", "1\r"},
                                                      {"thickness=[1.000]", "\r"}})
        s.push_back(step);
    return s;
}

// Plays the session on a terminal, with the help detour before step
// detour_at (none when out of range); the whole output.
std::string on_terminal(const std::vector<zt::Step>& steps, std::size_t detour_at = 99) {
    zt::Pty t(zt::built("select"), {}, 60, 80,
              {{"ZORBHEPATH", zt::source("help")}, {"PATH", "/usr/bin:/bin"}}, zt::temp_dir());
    std::string where;
    EXPECT_TRUE(zt::play(t, steps, detour_at, where)) << where << "\n" << t.output();
    EXPECT_EQ(t.wait(), 0) << t.output();
    return t.output();
}

}  // namespace

// Plexi and nickel, chosen by typing a part of the entry and with the arrow
// keys (down from aluminium; up wraps round to nickel): the same run.
TEST(SelectPty, MaterialsByTypingAndWithArrowKeys) {
    struct Case {
        const char* keys;
        std::string highlighted, first_row;
    };
    const std::vector<Case> cases = {
        {"Pl\r", "Plexi \xE2\x80\x8E(C_5O_2H_8)n]", "      Fe6.4/7.06   0.993   1.000"},
        {"\x1b[B", "Plexi \xE2\x80\x8E(C_5O_2H_8)n]", "      Fe6.4/7.06   0.993   1.000"},
        {"Ni\r", "Ni nickel]", "      Fe6.4/7.06   0.686   1.000"},
        {"\x1b[A", "Ni nickel]", "      Fe6.4/7.06   0.686   1.000"},
    };
    std::string typed;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        std::string out = on_terminal(session_from({{"(help:he)", c.keys},
                                                    {red + c.highlighted, "\r"}}));
        EXPECT_TRUE(has(out, c.first_row)) << out;
        std::string res = results(out);
        EXPECT_TRUE(has(res, "Minimized fuction")) << out;
        if (i % 2 == 0) {
            typed = res;
        } else {
            EXPECT_EQ(res, typed);
        }
    }
}

// "he" at the material menu and at every prompt, into a related entry and
// back, out of help: the run prints the results it prints without help.
TEST(SelectPty, HelpAtEveryQuestionLeavesTheResultsAsTheyWere) {
    const std::vector<zt::Step> session = session_from({{"(help:he)", "\r"}});
    const std::string reference = results(on_terminal(session));
    ASSERT_TRUE(has(reference, "Minimized fuction")) << reference;
    for (std::size_t at = 0; at < session.size(); ++at) {
        SCOPED_TRACE("help at step " + std::to_string(at));
        std::string out = on_terminal(session, at);
        EXPECT_TRUE(has(out, "from help-file:")) << out;
        // The prompts' entries have related entries: one was read, and its
        // menu came back.
        if (at > 0) {
            std::size_t menu = out.find("further related information");
            ASSERT_NE(menu, std::string::npos) << out;
            EXPECT_NE(out.find("related information", menu + 30), std::string::npos) << out;
        }
        EXPECT_EQ(results(out), reference);
    }
}

// After the matrix at the minimum: its condition number, and a warning where
// the minimisation means little.
TEST(SelectPiped, ConditionNumberAndWarnings) {
    const std::string singular_start = " warning: the start thicknesses give a singular matrix";
    const std::string limit = " warning: the minimiser reached its iteration limit";
    const std::string infinite =
        " warning: the figure of merit at the point found is still Infinity";
    const struct {
        const char* what;
        std::string input;
        std::vector<std::string> expect, absent;
    } cases[] = {
        {"aluminium, energies 1 2 3", "\n\n" + factor_one,
         {"\n\n condition number of the attenuation matrix at the minimum: 11.1\n"},
         {" warning:"}},
        {"aluminium, energies 1 2 3 4: a singular start", "\n1 2 3 4\n\n" + factor_one,
         {" condition number of the attenuation matrix at the minimum: 17.3\n" + singular_start},
         {limit, infinite}},
        {"Plexi, energies 1 2 3 4: singular, the iteration limit, still Infinity",
         "Pl\n\n1 2 3 4\n\n" + factor_one,
         {"minimum: 0.613E+09\n" + singular_start, limit, infinite},
         {}},
        {"all start thicknesses 0", "\n\n0\n\n" + factor_one,
         {singular_start, limit, infinite},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zt::Run r = piped(c.input);
        for (const std::string& e : c.expect) EXPECT_TRUE(has(r.out, e)) << e << "\n" << r.out;
        for (const std::string& a : c.absent) EXPECT_FALSE(has(r.out, a)) << a;
        EXPECT_EQ(r.out.back(), '\n');
    }
}
