// The yes/no and value prompts, run in-process with their answers read from a
// file unit and their screen written to another, so that each transcript is
// compared byte for byte.  Help, which needs the keyboard and the help files,
// is exercised in the end-to-end tests.
#include <gtest/gtest.h>

#include <string>

#include "numread.h"
#include "prompts.h"
#include "session.h"
#include "units.h"

using namespace zorb;

namespace {

constexpr int answers_unit = 20;
constexpr int screen_unit = 21;

const std::string up2 = " \x1b[2A\n";
const std::string up3 = " \x1b[3A\n";

// A redraw after a new answer for a question of ld characters.
std::string redraw(int ld) {
    std::string blanks(static_cast<std::size_t>(ld), ' ');
    return up2 + blanks + "\n" + blanks + "\n" + up3;
}

// One prompt call's surroundings: the answers it will read, the file its
// screen goes to, and optionally a script file on unit 10.
class Session {
public:
    explicit Session(const std::string& answers) : dir_(zt::temp_dir()) {
        zt::write_file(dir_ + "/answers", answers);
        EXPECT_TRUE(open_unit(answers_unit, dir_ + "/answers", OpenMode::read));
        EXPECT_TRUE(open_unit(screen_unit, dir_ + "/screen", OpenMode::write));
    }
    ~Session() {
        close_unit(answers_unit);
        close_unit(screen_unit);
        close_unit(unit_script);
    }
    void replay(const std::string& script) {
        zt::write_file(dir_ + "/script", script);
        EXPECT_TRUE(open_unit(unit_script, dir_ + "/script", OpenMode::read));
    }
    void record() { EXPECT_TRUE(open_unit(unit_script, dir_ + "/script", OpenMode::write)); }
    std::string recorded() {
        close_unit(unit_script);
        return zt::read_file(dir_ + "/script");
    }
    std::string screen() {
        close_unit(screen_unit);
        return zt::read_file(dir_ + "/screen");
    }

private:
    std::string dir_;
};

Text132 question(const char* text, char mode = ' ') {
    Text132 q(text);
    q(132) = mode;
    return q;
}

// The value trlch reads from a text, to compare digit for digit.
float read_back(const char* text) {
    int n = 0;
    NumberList out;
    trlch(132, Text132(text), n, out);
    return out(1);
}

struct AskValue {
    Text132 querytype = question("thickness");
    Text7 form = "f10.3";
    float value = 10.0f;
    Text132 chcom = "background/start";
    void run() { askvalue(querytype, form, value, chcom, 80, answers_unit, screen_unit); }
};

struct AskValLim {
    Text132 querytype = question("fraction");
    Text7 form = "f7.1";
    float value = 50.0f;
    Text132 chcom = "probe";
    void run() {
        askvallim(querytype, form, 0.0f, 100.0f, value, chcom, 80, answers_unit, screen_unit);
    }
};

}  // namespace

TEST(AskValue, AcceptNewAnswerAndRefusedAnswers) {
    {  // An empty answer accepts the shown value.
        Session s("\n");
        AskValue p;
        p.run();
        EXPECT_EQ(s.screen(), "thickness=[10.000]\n" + up2);
        EXPECT_EQ(p.value, 10.0f);
    }
    {  // A new answer is shown in the redrawn question and then accepted.
        Session s("2.5\n\n");
        AskValue p;
        p.run();
        EXPECT_EQ(s.screen(),
                  "thickness=[10.000]\n" + up2 + redraw(9) + "thickness=[2.500]\n" + up2);
        EXPECT_EQ(p.value, 2.5f);
    }
    {  // Two numbers, or none, change nothing: the question comes back at once.
        Session s("1 2\nabc\n\n");
        AskValue p;
        p.run();
        EXPECT_EQ(s.screen(), "thickness=[10.000]\n" + up2 + "thickness=[10.000]\n" + up2 +
                                  "thickness=[10.000]\n" + up2);
        EXPECT_EQ(p.value, 10.0f);
    }
    {  // Capitals and leading blanks do not matter; Q quits, value kept.
        Session s("   Q\n");
        AskValue p;
        p.value = 3.0f;
        p.run();
        EXPECT_EQ(p.querytype, Text132("*"));
        EXPECT_EQ(p.value, 3.0f);
    }
}

TEST(AskValue, ReturnsExactlyTheDigitsShown) {
    Session s("1.23476\n\n");
    AskValue p;
    p.run();
    EXPECT_NE(s.screen().find("thickness=[1.235]"), std::string::npos);
    EXPECT_EQ(p.value, read_back("1.235"));
    EXPECT_NE(p.value, 1.23476f);
}

TEST(AskValue, NumberTooWideForItsFieldKeepsItsDigits) {
    // 1234567.5 needs 11 columns under f10.3: the brackets show the overflow
    // marks, and accepting must not lose the fraction.
    Session s("1234567.5\n\n");
    AskValue p;
    p.run();
    EXPECT_EQ(p.value, read_back("1234567.500"));
}

TEST(AskValue, OverLongAnswerIsCut) {
    std::string answer(300, ' ');
    answer[200] = '7';   // beyond the 132 characters kept
    Session s("4" + answer + "\n\n");
    AskValue p;
    p.run();
    EXPECT_EQ(p.value, 4.0f);
}

TEST(AskValue, QuestionEndsAtNcol) {
    Session s("\n");
    Text132 q = question("first part");
    q.put(81, 90, "hidden");
    Text7 form = "f5.1";
    float value = 1.0f;
    Text132 chcom = "probe";
    askvalue(q, form, value, chcom, 80, answers_unit, screen_unit);
    EXPECT_EQ(s.screen(), "first part=[1.0]\n" + up2);
}

TEST(AskValLim, ClampsAndShowsLimits) {
    {  // 150 is shown as 100 and an empty answer returns 100.
        Session s("150\n\n");
        AskValLim p;
        p.run();
        EXPECT_EQ(s.screen(), "fraction  (0.0-100.0)  [50.0]   \n" + up2 + redraw(8) +
                                  "fraction  (0.0-100.0)  [100.0]   \n" + up2);
        EXPECT_EQ(p.value, 100.0f);
    }
    {  // A value below the lower limit on entry is raised to it.
        Session s("\n");
        AskValLim p;
        p.value = -3.0f;
        p.run();
        EXPECT_EQ(p.value, 0.0f);
    }
    {  // "1 2" is refused without a redraw; quit marks the question with q.
        Session s("1 2\nquit\n");
        AskValLim p;
        p.run();
        EXPECT_EQ(s.screen(), "fraction  (0.0-100.0)  [50.0]   \n" + up2 +
                                  "fraction  (0.0-100.0)  [50.0]   \n" + up2);
        EXPECT_EQ(p.querytype, Text132("q"));
        EXPECT_EQ(p.value, 50.0f);
    }
}

TEST(YesNo, AnswersAndRedraws) {
    struct Case {
        const char* answers;
        char start, result;
        bool redraws;
    };
    const Case cases[] = {
        {"\n", 'n', 'n', false},         // accept the default
        {"Yes\n\n", 'n', 'y', true},     // capital and more letters
        {" no\n\n", 'y', 'n', true},
        {"x\n\n", 'y', 'y', true},       // anything else leaves it
        {"back\n\n", 'n', 'n', true},    // no "back" here: just another letter
        {"Q\n", 'y', '*', false},
        {"*\n", 'n', '*', false},
    };
    for (const Case& c : cases) {
        Session s(c.answers);
        Text132 q = question("continue?");
        Text132 chcom = "probe";
        char ch1 = c.start;
        yesno(q, ch1, chcom, 80, answers_unit, screen_unit);
        EXPECT_EQ(ch1, c.result) << c.answers;
        std::string first = std::string("continue? [") + c.start + "]\n" + up2;
        std::string again = std::string("continue? [") + c.result + "]\n" + up2;
        EXPECT_EQ(s.screen(), c.redraws ? first + redraw(9) + again : first) << c.answers;
    }
}

TEST(Script, RecordThenReplayGivesTheSameResults) {
    std::string script;
    {
        Session s("2.5\n\n");
        s.record();
        AskValue p;
        p.querytype(132) = 'w';
        p.run();
        EXPECT_EQ(s.screen(), "(b) thickness=[10.000]\n" + up2 + redraw(9) +
                                  "(b) thickness=[2.500]\n" + up2);
        script = s.recorded();
    }
    {
        Session s("150\n\n");
        s.record();
        AskValLim p;
        p.querytype(132) = 'w';
        p.run();
        script += s.recorded();
    }
    {
        Session s("n\n\n");
        s.record();
        Text132 q = question("continue?", 'w');
        Text132 chcom = "probe";
        char ch1 = 'y';
        yesno(q, ch1, chcom, 80, answers_unit, screen_unit);
        script += s.recorded();
    }
    EXPECT_EQ(script,
              "thickness=[2.500]\nfraction  (0.0-100.0)  [100.0]   \ncontinue? [n]\n");

    // Replayed: nothing is read from the answers, and each value comes back.
    Session s("");
    s.replay(script);
    AskValue v;
    v.querytype(132) = 'r';
    v.value = 0.0f;
    v.run();
    EXPECT_EQ(v.value, 2.5f);
    AskValLim l;
    l.querytype(132) = 'r';
    l.value = 0.0f;
    l.run();
    EXPECT_EQ(l.value, 100.0f);
    EXPECT_EQ(l.querytype(132), 'r');   // askvallim leaves the letter after a replay
    Text132 q = question("continue?", 'r');
    Text132 chcom = "probe";
    char ch1 = 'y';
    yesno(q, ch1, chcom, 80, answers_unit, screen_unit);
    EXPECT_EQ(ch1, 'n');
    // askvalue and yesno echo their line (132 characters); askvallim does not.
    EXPECT_EQ(s.screen(), Text132("thickness=[2.500]").str() + "\n" +
                              Text132("continue? [n]").str() + "\n");
}

TEST(Script, EndOfScriptSwitchesToInteractiveOnce) {
    Session s("7\n\n\n");
    s.replay("thickness=[2.500]\n");
    AskValue p;
    for (int call = 0; call < 3; ++call) {
        p.querytype = question("thickness", 'r');
        p.run();
    }
    EXPECT_EQ(p.value, 7.0f);
    EXPECT_EQ(s.screen(), Text132("thickness=[2.500]").str() + "\n" +
                              " end of sript file: switch to interactive mode\n" +
                              "thickness=[2.500]\n" + up2 + redraw(9) + "thickness=[7.000]\n" +
                              up2 + " end of sript file: switch to interactive mode\n" +
                              "thickness=[7.000]\n" + up2);
}

TEST(Script, EndOfScriptLinesPerRoutine) {
    Session s("\n\n");
    s.replay("");
    AskValLim l;
    l.querytype(132) = 'r';
    l.run();
    Text132 q = question("go?", 'r');
    Text132 chcom = "probe";
    char ch1 = 'y';
    yesno(q, ch1, chcom, 80, answers_unit, screen_unit);
    EXPECT_EQ(s.screen(), "3end of sript file: switch to interactive mode\n"
                          "fraction  (0.0-100.0)  [50.0]   \n" + up2 +
                          "1end of sript file: switch to interactive mode\n"
                          "go? [y]\n" + up2);
}

TEST(Script, ReplayedLinesWithoutBrackets) {
    Session s("");
    s.replay("thickness=2.5\nfraction 20\nx [y]\n[y] no\nnumber 3.5]\n");
    AskValue v;
    v.querytype(132) = 'r';
    v.run();
    EXPECT_EQ(v.value, 10.0f);   // no "]": the value stays
    AskValLim l;
    l.querytype(132) = 'r';
    l.run();
    EXPECT_EQ(l.value, 0.0f);    // no "]": zero
    for (char expect : {'y', 'n'}) {   // "[y]" counts from position 2 on
        Text132 q = question("go?", 'r');
        Text132 chcom = "probe";
        char ch1 = 'x';
        yesno(q, ch1, chcom, 80, answers_unit, screen_unit);
        EXPECT_EQ(ch1, expect);
    }
    v.querytype(132) = 'r';
    v.run();
    EXPECT_EQ(v.value, 3.5f);    // a "]" without "[": the text from the start
}

TEST(Script, BackInRecordModeReturnsAtOnce) {
    Session s("BACK\n");
    s.record();
    AskValue p;
    p.querytype(132) = 'w';
    p.value = 4.0f;
    p.chcom = "sixline";
    p.run();
    EXPECT_EQ(p.value, 4.0f);
    EXPECT_EQ(p.chcom, Text132("backine"));   // "back" over the first four characters
    EXPECT_EQ(s.recorded(), "");
    EXPECT_EQ(s.screen(), "(b) thickness=[4.000]\n" + up2);
}
