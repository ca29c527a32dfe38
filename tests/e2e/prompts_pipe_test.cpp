// The prompts on a real pipe, through drv_prompt_probe: byte-exact screen
// transcripts, help and "back", script files, and the end of input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "numread.h"
#include "session.h"

namespace {

using Args = std::vector<std::string>;

const std::string up2 = " \x1b[2A\n";
const std::string up3 = " \x1b[3A\n";

std::string redraw(int width) {
    std::string blanks(static_cast<std::size_t>(width), ' ');
    return up2 + blanks + "\n" + blanks + "\n" + up3;
}

// Runs the probe in a directory with no help files, so that help only traces.
zt::Run probe(const Args& args, const std::string& input) {
    static const std::string dir = zt::temp_dir();
    return zt::run_piped(zt::built("drv_prompt_probe"), args, input, {{"ZORBHEPATH", dir}}, dir);
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string value_of(const zt::Run& r) {
    std::size_t at = r.out.rfind("value=");
    return at == std::string::npos ? "" : r.out.substr(at + 6, r.out.find(' ', at) - at - 6);
}

std::string trlch_value(const char* text) {
    int n = 0;
    zorb::NumberList out;
    zorb::trlch(132, zorb::Text132(text), n, out);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(out(1)));
    return buf;
}

const Args askvalue = {"askvalue", "-q", "thickness"};
const Args askvallim = {"askvallim", "-q", "share", "-d", "10", "-f", "f5.1"};
const Args askstring = {"askstring", "-q", "positions:", "-d", "  1 2 3"};

std::string value_result(const std::string& v, const std::string& q = "thickness") {
    return "RESULT value=" + v + " form=|f10.3| querytype=|" + q + "| chcom=|probe|\n";
}
std::string lim_result(const std::string& v, const std::string& q = "share") {
    return "RESULT value=" + v + " mode=  querytype=|" + q + "| chcom=|probe|\n";
}
std::string string_result(const std::string& s, const std::string& chcom = "probe") {
    return "RESULT chstr=|" + s + "| querytype=|positions:| chcom=|" + chcom + "|\n";
}
std::string yesno_result(char c) {
    return std::string("RESULT ch1=") + c + " querytype=|go on?| chcom=|probe|\n";
}

}  // namespace

TEST(PromptsPipe, Transcripts) {
    struct Case {
        Args args;
        std::string input, out;
    };
    const std::string tq = "thickness=[10.000]\n", sq = "share  (0.0-100.0)  [10.0]   \n";
    const std::string pq = "positions: [1 2 3]\n>", yq = "go on? [y]\n", nq = "go on? [n]\n";
    const Args yesno = {"yesno", "-q", "go on?"};
    const Case cases[] = {
        // Accept without typing; a new answer is shown and must be accepted.
        {askvalue, "\n", tq + up2 + value_result("10")},
        {askvalue, "2.5\n\n",
         tq + up2 + redraw(9) + "thickness=[2.500]\n" + up2 + value_result("2.5")},
        // Not exactly one number: the question again at once, no redraw.
        {askvalue, "1 2\nabc\n\n", tq + up2 + tq + up2 + tq + up2 + value_result("10")},
        {askvalue, "  Q\n",
         tq + up2 + "RESULT value=10 form=|f10.3| querytype=|*| chcom=|probe|\n"},
        // A value outside the limits is shown (and accepted) at the limit.
        {askvallim, "150\n\n",
         sq + up2 + redraw(5) + "share  (0.0-100.0)  [100.0]   \n" + up2 + lim_result("100")},
        {askvallim, "-3\n\n",
         sq + up2 + redraw(5) + "share  (0.0-100.0)  [0.0]   \n" + up2 + lim_result("0")},
        {askvallim, "1 2\nq\n",
         sq + up2 + sq + up2 + "RESULT value=10 mode=  querytype=|q| chcom=|probe|\n"},
        {yesno, "Yes\n\n", yq + up2 + redraw(6) + yq + up2 + yesno_result('y')},
        {yesno, "no\n\n", yq + up2 + redraw(6) + nq + up2 + yesno_result('n')},
        {yesno, "x\n\n", yq + up2 + redraw(6) + yq + up2 + yesno_result('y')},
        {yesno, "Q\n", yq + up2 + yesno_result('*')},
        {askstring, "\n", pq + up2 + string_result("1 2 3")},
        {askstring, " 9\n", pq + up2 + string_result("1 2 3")},  // leading blank accepts
        // Question 10 + default 5 + 4 blanks wide.
        {askstring, "4 5\n\n",
         pq + up2 + redraw(19) + "positions: [4 5]\n>" + up2 + string_result("4 5")},
        {askstring, "quartz\n", pq + up2 + string_result("*")},
        {askstring, "Quartz\n\n",
         pq + up2 + redraw(19) + "positions: [Quartz]\n>" + up2 + string_result("Quartz")},
        {askstring, "help\n\n",
         pq + up2 + redraw(19) + "positions: [help]\n>" + up2 + string_result("help")},
    };
    for (const Case& c : cases) {
        zt::Run r = probe(c.args, c.input);
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.input;
        EXPECT_EQ(r.status, 0);
    }
}

TEST(PromptsPipe, ValueCarriesTheDigitsShownAndAnswersAreCut) {
    EXPECT_EQ(value_of(probe(askvalue, "1.23476\n\n")), trlch_value("1.235"));
    // Too wide for f10.3: the brackets show overflow marks, the fraction stays.
    EXPECT_EQ(value_of(probe(askvalue, "1234567.5\n\n")), trlch_value("1234567.500"));
    // Only 132 characters of an answer are read: the 7 is beyond them.
    EXPECT_EQ(value_of(probe(askvalue, "4" + std::string(200, ' ') + "7\n\n")), "4");
    std::string longer;
    for (int i = 0; i < 150; ++i) longer += static_cast<char>('a' + i % 26);
    EXPECT_TRUE(ends_with(probe(askstring, longer + "\n\n").out,
                          "positions: [" + longer.substr(0, 80) + "]\n>" + up2 +
                              string_result(longer.substr(0, 80))));
}

TEST(PromptsPipe, HelpAndBack) {
    // Help on the topic, then the same question; any case and extra words.
    for (const Args& a : {askvalue, askvallim, askstring}) {
        zt::Run r = probe(a, "  He topic\n\n");
        EXPECT_NE(r.out.find(" subroutine help(chin):\nprobe"), std::string::npos) << a[0];
        EXPECT_EQ(r.out.find("zorb/script"), std::string::npos) << a[0];
        EXPECT_TRUE(ends_with(r.out, probe(a, "\n").out)) << r.out;
    }
    // "back" outside record mode: the page on scripts, the message, the same
    // question, and the caller's topic left as it was.
    for (const Args& a : {askvalue, askstring}) {
        Args args = a;
        args.insert(args.end(), {"-c", "sixline"});
        zt::Run r = probe(args, "back\n\n");
        EXPECT_NE(r.out.find(" subroutine help(chin):\nzorb/script/alteration"), std::string::npos);
        EXPECT_NE(r.out.find(" a script file has not been defined\n" + a[2]), std::string::npos);
        EXPECT_TRUE(ends_with(r.out, "chcom=|sixline|\n")) << r.out;
        // In record mode: back at once, "back" over the topic, nothing recorded.
        std::string script = zt::temp_dir() + "/s";
        args.insert(args.end(), {"-m", "w", "-s", script});
        r = probe(args, "back\n");
        EXPECT_TRUE(
            ends_with(r.out, up2 + "RESULT " +
                                 (a[0] == "askstring" ? "chstr=|1 2 3|" : "value=10 form=|f10.3|") +
                                 " querytype=|" + a[2] + "| chcom=|backine|\n"))
            << r.out;
        EXPECT_EQ(zt::read_file(script), "");
    }
    // Record mode adds the page on scripts after the topic's own help.
    std::string script = zt::temp_dir() + "/s";
    Args args = askstring;
    args.insert(args.end(), {"-m", "w", "-s", script});
    zt::Run r = probe(args, "he\n\n");
    std::size_t own = r.out.find(" subroutine help(chin):\nprobe");
    std::size_t scripts = r.out.find(" subroutine help(chin):\nzorb/script/alteration");
    ASSERT_NE(own, std::string::npos);
    ASSERT_NE(scripts, std::string::npos);
    EXPECT_LT(own, scripts);
    EXPECT_NE(r.out.find("(b) positions: [1 2 3]\n>", scripts), std::string::npos);
}

TEST(PromptsPipe, RecordedSessionReplays) {
    std::string script = zt::temp_dir() + "/s";
    auto with = [&](Args a, const std::string& mode, const std::string& calls) {
        a.insert(a.end(), {"-m", mode, "-s", script, "-k", calls});
        return a;
    };
    zt::Run r = probe(with(askvalue, "w", "1"), "2.5\n\n");
    EXPECT_EQ(r.out, "(b) thickness=[10.000]\n" + up2 + redraw(9) + "(b) thickness=[2.500]\n" +
                         up2 + value_result("2.5"));
    EXPECT_EQ(zt::read_file(script), "thickness=[2.500]\n");
    // Replayed: echoed (132 characters) and taken from the brackets; past the
    // end the prompt says so and asks.
    r = probe(with(askvalue, "r", "2"), "7\n\n");
    EXPECT_EQ(r.out, zorb::Text132("thickness=[2.500]").str() + "\n" + value_result("2.5") +
                         " end of sript file: switch to interactive mode\n" +
                         "thickness=[2.500]\n" + up2 + redraw(9) + "thickness=[7.000]\n" + up2 +
                         value_result("7"));

    // askvallim records its whole question line, replays silently and keeps
    // the letter; yesno and askstring (quit recorded too) likewise round trip.
    probe(with(askvallim, "w", "1"), "150\n\n");
    EXPECT_EQ(zt::read_file(script), "share  (0.0-100.0)  [100.0]   \n");
    r = probe(with(askvallim, "r", "2"), "\n");
    EXPECT_EQ(r.out, "RESULT value=100 mode=r querytype=|share" + std::string(126, ' ') +
                         "r| chcom=|probe|\n3end of sript file: switch to interactive mode\n"
                         "share  (0.0-100.0)  [100.0]   \n" +
                         up2 + lim_result("100"));
    probe(with({"yesno", "-q", "go on?"}, "w", "1"), "n\n\n");
    r = probe(with({"yesno", "-q", "go on?"}, "r", "2"), "\n");
    EXPECT_EQ(r.out, zorb::Text132("go on? [n]").str() + "\n" + yesno_result('n') +
                         "1end of sript file: switch to interactive mode\n" + "go on? [n]\n" + up2 +
                         yesno_result('n'));
    probe(with(askstring, "w", "2"), "abc\n\nq\n");
    EXPECT_EQ(zt::read_file(script), "positions: [abc]\npositions: [abc]\n");
    r = probe(with({"askstring", "-q", "positions:", "-d", "xyz"}, "r", "1"), "");
    EXPECT_EQ(r.out, string_result("abc"));
}

TEST(PromptsPipe, ReplayedLinesWithoutBrackets) {
    std::string script = zt::temp_dir() + "/s";
    zt::write_file(script, "thickness=2.5\nshare 20\nx [y]\n[y] no\nnumber 3.5]\n");
    // No "]": askvalue keeps its value, askvallim gives 0; "[y]" counts from
    // position 2 on; a "]" without "[" reads from the start of the line.
    EXPECT_EQ(value_of(probe({"askvalue", "-s", script, "-m", "r"}, "")), "10");
    zt::write_file(script, "share 20\n");
    EXPECT_EQ(value_of(probe({"askvallim", "-s", script, "-m", "r", "-d", "10"}, "")), "0");
    zt::write_file(script, "x [y]\n[y] no\n");
    EXPECT_NE(probe({"yesno", "-s", script, "-m", "r", "-d", "n", "-k", "2"}, "")
                  .out.find("ch1=y querytype=|probe question| chcom=|probe|\n" +
                            zorb::Text132("[y] no").str() + "\nRESULT ch1=n"),
              std::string::npos);
    zt::write_file(script, "number 3.5]\n");
    EXPECT_EQ(value_of(probe({"askvalue", "-s", script, "-m", "r"}, "")), "3.5");
}

TEST(PromptsPipe, QuitAfterANewValueKeepsTheValueOfTheCall) {
    // The new value was shown but never accepted: it does not reach the caller.
    zt::Run r = probe(askvalue, "2.123456\nq\n");
    EXPECT_TRUE(ends_with(r.out, value_result("10", "*"))) << r.out;
    EXPECT_EQ(value_of(probe(askvallim, "150\nq\n")), "10");
}

// A number that is not finite is not one number: the question again, the
// value and the descriptor as they were.  A number whose power of ten alone
// leaves the float range reads as the number written.
TEST(PromptsPipe, NumbersThatAreNotFiniteAreAskedAgain) {
    const std::string tq = "thickness=[10.000]\n";
    for (const std::string& answer :
         {std::string("1.0e39"), std::string("-1.0e39"), std::string(60, '9')}) {
        EXPECT_EQ(probe(askvalue, answer + "\n\n").out, tq + up2 + tq + up2 + value_result("10"))
            << answer;
        EXPECT_EQ(value_of(probe(askvallim, answer + "\n\n")), "10") << answer;
    }
    // 0.0e99 is 0: brought up to the lower limit 5, shown and returned so.
    const Args five_to_ten = {"askvallim", "-q", "share", "-d", "7", "-f", "f5.1", "-lo", "5", "-up", "10"};
    EXPECT_EQ(probe(five_to_ten, "0.0e99\n\n").out,
              "share  (5.0-10.0)  [7.0]   \n" + up2 + redraw(5) + "share  (5.0-10.0)  [5.0]   \n" +
                  up2 + lim_result("5"));
    // 0.01e40 fits: shown in the exponent form and returned as shown.
    zt::Run r = probe(askvalue, "0.01e40\n\n");
    EXPECT_NE(r.out.find("thickness=[1.00000e38]\n"), std::string::npos) << r.out;
    EXPECT_EQ(value_of(r), trlch_value("1.00000e38"));
}

// What a prompt returns is what it showed, and askvallim's value lies within
// its limits whatever the caller passed.
TEST(PromptsPipe, ValuePromptsReturnWhatTheyShow) {
    EXPECT_EQ(probe({"askvalue", "-q", "x", "-d", "nan"}, "\n").out,
              "x=[NaN]\n" + up2 + "RESULT value=nan form=|f10.3| querytype=|x| chcom=|probe|\n");
    const Args limits = {"askvallim", "-q", "share", "-f", "f5.1", "-lo", "5", "-up", "10", "-d"};
    for (const char* entry : {"nan", "-inf"}) {
        Args a = limits;
        a.push_back(entry);
        EXPECT_EQ(probe(a, "\n").out, "share  (5.0-10.0)  [5.0]   \n" + up2 + lim_result("5")) << entry;
    }
    // 0.05 under f5.1 shows as 0.0 (a 5 does not round up); the value
    // returned is still the lower limit.
    Args a = {"askvallim", "-q", "share", "-f", "f5.1", "-lo", "0.05", "-up", "10", "-d", "0.01"};
    zt::Run r = probe(a, "\n");
    EXPECT_EQ(r.out, "share  (0.0-10.0)  [0.0]   \n" + up2 + lim_result("0.0500000007"));
}

TEST(PromptsPipe, ReplayedStringAnswerIsTheBracketedText) {
    std::string script = zt::temp_dir() + "/s";
    zt::write_file(script, "positions: [1 2 3 4 5 6 7]\npositions: [1]\n");
    zt::Run r = probe({"askstring", "-s", script, "-m", "r", "-d", "xyz", "-k", "2"}, "");
    EXPECT_NE(r.out.find("chstr=|1 2 3 4 5 6 7|"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("chstr=|1|"), std::string::npos) << r.out;
}

TEST(PromptsPipe, EndOfInputNeverLoops) {
    // The first end of input accepts; the next read of the keyboard ends the
    // program, however often the caller asks again.
    for (const char* routine : {"askstring", "askvalue", "askvallim", "yesno", "buffer"}) {
        zt::Run r = probe({routine, "-k", "5"}, "");
        EXPECT_EQ(r.status, 3) << routine;
        EXPECT_EQ(r.err, "drv_prompt_probe: end of input\n") << routine;
        std::size_t first = r.out.find("RESULT");
        EXPECT_NE(first, std::string::npos) << routine;
        EXPECT_EQ(r.out.find("RESULT", first + 1), std::string::npos) << routine;
    }
}

// An end of input while the brackets show a typed answer that was not yet
// confirmed ends the program without taking it; while they show the default
// the question was asked with, it accepts that default.
TEST(PromptsPipe, EndOfInputNeverConfirmsATypedAnswer) {
    const struct {
        Args args;
        std::string input;
        bool taken;   // a result is returned (the old default)
    } cases[] = {
        {{"askvalue"}, "2.5\n", false},
        {{"askvalue"}, "1 2\n", true},   // not one number: the brackets stay
        {{"askvallim", "-d", "10"}, "150\n", false},
        {{"askstring", "-d", "1 2"}, "4 5\n", false},
        {{"askstring", "-d", "1 2"}, "1 2\n", true},   // the same text again
        {{"yesno"}, "n\n", false},
        {{"yesno"}, "x\n", true},   // neither y nor n: the default stays
        {{"readfile", "-d", "data.lst"}, "other\n", false},
        {{"readfile", "-d", "data.lst"}, "", true},
    };
    for (const auto& c : cases) {
        zt::Run r = probe(c.args, c.input);
        EXPECT_EQ(r.status, c.taken ? 0 : 3) << c.args[0] << c.input;
        EXPECT_EQ(r.out.find("RESULT") != std::string::npos, c.taken) << c.args[0] << c.input;
        EXPECT_EQ(r.err, c.taken ? "" : "drv_prompt_probe: end of input\n") << c.args[0];
    }
}

TEST(BufferPipe, MostRecentlyUsedList) {
    struct Case {
        Args args;
        std::string input, result;
    };
    const Case cases[] = {
        // A typed prefix replaces every entry it begins.
        {{"-b", "abc", "-b", "xyz"}, "ab\n", "comline=|ab| mbuf=2 list=|ab||xyz|"},
        {{"-b", "abc", "-b", "abd"}, "ab\n", "comline=|ab| mbuf=2 list=|ab||ab|"},
        // A new command on a full list drops the oldest entry.
        {{"-M", "2", "-b", "abc", "-b", "xyz"}, "new\n", "comline=|new| mbuf=2 list=|new||abc|"},
        {{"-M", "1", "-b", "abc", "-b", "xyz"}, "new\n", "comline=|new| mbuf=1 list=|new|"},
        // An empty line changes nothing.
        {{"-b", "abc", "-b", "xyz"}, "\n", "comline=|| mbuf=2 list=|abc||xyz|"},
    };
    for (const Case& c : cases) {
        Args args = {"buffer"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(probe(args, c.input).out, "\x1b[34mcommand>\x1b[0mRESULT " + c.result + "\n")
            << c.input;
    }
}
