// What stays on the screen: a question redrawn with a shorter answer, a menu
// drawn again after the window was made smaller or larger, and the screen
// without colours when NO_COLOR is set.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "screen.h"
#include "session.h"

namespace {

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

int rows_holding(const zt::Screen& s, const std::string& text) {
    int n = 0;
    for (int r = 0; r < s.rows(); ++r) n += s.row(r).find(text) != std::string::npos;
    return n;
}

int row_holding(const zt::Screen& s, const std::string& text) {
    for (int r = 0; r < s.rows(); ++r)
        if (s.row(r).find(text) != std::string::npos) return r;
    return -1;
}

const std::regex graphic_rendition("\x1b\\[[0-9;]*m");

std::string without_rendition(const std::string& s) {
    return std::regex_replace(s, graphic_rendition, "");
}

}  // namespace

// A typed answer shorter than the one in the brackets before: the question
// line shows the new answer and nothing of the old one, and the answer line
// below it is empty again.
TEST(ScreenRedraw, ARedrawnQuestionKeepsNothingOfALongerAnswer) {
    struct Case {
        std::string name;
        std::string program;
        std::vector<std::string> args;
        std::vector<zt::Step> steps;  // the last expect is the redrawn question
        std::string row, below;       // its row, and the answer line under it
    };
    const std::string factor = " common factor multiplied to start values of thickness=";
    const std::vector<Case> cases = {
        {"select's factor",
         "select",
         {},
         {{"(help:he)", "\r"},
          {"window [1 2 3]", "\r"},
          {"thickness=[10.000]", "\r"},
          {"thickness=[10.000]", "2\r"},
          {"thickness=[2.000]", ""}},
         factor + "[2.000]",
         ""},
        {"askvalue",
         "drv_prompt_probe",
         {"askvalue", "-q", "share", "-d", "12345"},
         {{"share=[12345.000]", "1\r"}, {"share=[1.000]", ""}},
         "share=[1.000]",
         ""},
        {"askstring, a long answer and then a short one",
         "drv_prompt_probe",
         {"askstring", "-q", "name:", "-d", "d"},
         {{"name: [d]", "a much longer answer\r"},
          {"name: [a much longer answer]", "y\r"},
          {"name: [y]", ""}},
         "name: [y]",
         ">"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zt::Pty t(zt::built(c.program), c.args, 24, 80, {{"ZORBHEPATH", zt::source("help")}},
                  zt::temp_dir());
        std::string where;
        ASSERT_TRUE(zt::play(t, c.steps, 99, where)) << where << "\n" << t.output();
        t.settle();
        zt::Screen s(24, 80);
        s.feed(t.output());
        int r = row_holding(s, c.row);
        ASSERT_GE(r, 0) << s.text();
        EXPECT_EQ(s.row(r), c.row) << s.text();
        EXPECT_EQ(s.row(r + 1), c.below) << s.text();
    }
}

// sixline's mode menu, then the window made narrower (or wider) and a text
// typed: the menu is drawn once, in the new width, title included, with no
// row of the old drawing left between its lines or below it.  The terminal
// modelled keeps its rows as they were (no reflow).
TEST(ScreenResize, TheMenuDrawnAfterAResizeFitsTheWindow) {
    const std::vector<std::string> entries = {"a:L1,L2,L5,L6", "b:L1,L2,L6,Is", "c:L1,L6,Is,Deq"};
    for (auto [from, to] : {std::pair{80, 50}, std::pair{80, 40}, std::pair{100, 60},
                            std::pair{60, 100}}) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to) + " columns");
        zt::Pty t(zt::built("sixline"), {}, 24, from, {{"ZORBHEPATH", zt::source("help")}},
                  zt::temp_dir());
        ASSERT_TRUE(t.expect("[sixline.lst]")) << t.output();
        t.send("\r");
        ASSERT_TRUE(t.expect("\x1b[0m" + std::string(from - 3, '-'))) << t.output();
        t.settle();
        zt::Screen s(24, from);
        s.feed(t.output());
        const std::size_t before = t.output().size();
        s.resize(24, to);
        t.set_size(24, to);
        t.send("b\r");
        const std::string closing(to - 3, '-');
        ASSERT_TRUE(t.expect("\x1b[0m" + closing)) << t.output();
        t.settle();
        s.feed(t.output().substr(before));

        const int title = row_holding(s, "hyperfine");
        ASSERT_GE(title, 0) << s.text();
        EXPECT_EQ(rows_holding(s, "hyperfine"), 1) << s.text();
        EXPECT_LE(static_cast<int>(s.row(title).size()), to - 3) << s.text();
        for (const std::string& e : entries) EXPECT_EQ(rows_holding(s, e), 1) << e << s.text();
        EXPECT_EQ(rows_holding(s, "[b:L1,L2,L6,Is]"), 1) << s.text();
        // Below the title: rows of entries, then the closing line, then
        // nothing.
        int r = title + 1;
        while (r < s.rows() && s.row(r).find(":L1,") != std::string::npos) ++r;
        ASSERT_LT(r, s.rows()) << s.text();
        EXPECT_GT(r, title + 1) << s.text();
        EXPECT_EQ(s.row(r), closing) << s.text();
        for (++r; r < s.rows(); ++r) EXPECT_EQ(s.row(r), "") << r << "\n" << s.text();

        t.send("q\r");
        EXPECT_EQ(t.wait(), 0) << t.output();
    }
}

// NO_COLOR set, to any value: the same bytes as with colours, less every
// colour, bold and underline sequence; the cursor still moves as before.
TEST(ScreenNoColor, NoColourBoldOrUnderlineButTheSameCursorMovements) {
    struct Case {
        std::string program;
        std::vector<std::string> args;
        std::string input;
    };
    // select: the measurement help (bold, underline, the red footer) and
    // the material menu; sixline: its mode menu, help at it, and a table.
    const std::vector<Case> cases = {
        {"select", {"help"}, "\n\n\n\n\n1\n\n"},
        {"sixline", {}, "\nhe\n\n\n\n\n\n\n\nq\n"},
    };
    for (const Case& c : cases) {
        zt::Env colours = {{"ZORBHEPATH", zt::source("help")}};
        zt::Run coloured = zt::run_piped(zt::built(c.program), c.args, c.input, colours,
                                         zt::temp_dir());
        ASSERT_TRUE(std::regex_search(coloured.out, graphic_rendition)) << c.program;
        for (const std::string value : {"1", ""}) {
            SCOPED_TRACE(c.program + " NO_COLOR=" + value);
            zt::Env plain_env = colours;
            plain_env["NO_COLOR"] = value;
            zt::Run plain =
                zt::run_piped(zt::built(c.program), c.args, c.input, plain_env, zt::temp_dir());
            EXPECT_EQ(plain.status, coloured.status);
            EXPECT_FALSE(std::regex_search(plain.out, graphic_rendition));
            EXPECT_EQ(plain.out, without_rendition(coloured.out));
            EXPECT_TRUE(has(plain.out, "\x1b[1A")) << plain.out;
        }
    }
    // On a terminal too: the menu's highlight stays in its brackets.
    zt::Pty t(zt::built("sixline"), {}, 24, 80,
              {{"ZORBHEPATH", zt::source("help")}, {"NO_COLOR", "yes"}}, zt::temp_dir());
    ASSERT_TRUE(t.expect("[sixline.lst]"));
    t.send("\r");
    ASSERT_TRUE(t.expect("[a:L1,L2,L5,L6]")) << t.output();
    t.send("q\r");
    EXPECT_EQ(t.wait(), 0);
    EXPECT_FALSE(std::regex_search(t.output(), graphic_rendition)) << t.output();
    EXPECT_TRUE(has(t.output(), "\x1b[1A"));
}
