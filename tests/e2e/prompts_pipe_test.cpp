// The prompts on a real pipe: byte-exact screen transcripts of askstring and
// buffer, help and "back" at the prompts, script files, and the end of input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string up2 = " \x1b[2A\n";
const std::string up3 = " \x1b[3A\n";
const std::string command_prompt = "\x1b[34mcommand>\x1b[0m";

std::string redraw(int width) {
    std::string blanks(static_cast<std::size_t>(width), ' ');
    return up2 + blanks + "\n" + blanks + "\n" + up3;
}

// Runs the probe in a fresh directory with no help files around it.
zt::Run probe(const std::vector<std::string>& args, const std::string& input,
              zt::Env env = {}) {
    static const std::string dir = zt::temp_dir();
    env.emplace("ZORBHEPATH", dir);
    return zt::run_piped(zt::built("drv_prompt_probe"), args, input, env, dir);
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> askstring(std::vector<std::string> more = {}) {
    std::vector<std::string> a = {"askstring", "-q", "positions:", "-d", "  1 2 3"};
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

std::string result(const std::string& chstr, const std::string& chcom = "probe") {
    return "RESULT chstr=|" + chstr + "| querytype=|positions:| chcom=|" + chcom + "|\n";
}

}  // namespace

TEST(AskStringPipe, AcceptNewAnswerAndQuit) {
    const std::string q = "positions: [1 2 3]\n>";
    // ls = question 10 + default 5 + 4
    EXPECT_EQ(probe(askstring(), "\n").out, q + up2 + result("1 2 3"));
    EXPECT_EQ(probe(askstring(), "4 5\n\n").out,
              q + up2 + redraw(19) + "positions: [4 5]\n>" + up2 + result("4 5"));
    // A leading blank accepts the default, whatever follows.
    EXPECT_EQ(probe(askstring(), " 9\n").out, q + up2 + result("1 2 3"));
    // quartz starts with q and quits; Quartz is an answer.
    EXPECT_EQ(probe(askstring(), "quartz\n").out, q + up2 + result("*"));
    EXPECT_EQ(probe(askstring(), "*x\n").out, q + up2 + result("*"));
    EXPECT_EQ(probe(askstring(), "Quartz\n\n").out,
              q + up2 + redraw(19) + "positions: [Quartz]\n>" + up2 + result("Quartz"));
}

TEST(AskStringPipe, LongAnswerIsKeptIn80Characters) {
    std::string answer(150, 'a');
    for (int i = 0; i < 150; ++i) answer[i] = static_cast<char>('a' + i % 26);
    zt::Run r = probe(askstring(), answer + "\n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("positions: [" + answer.substr(0, 80) + "]\n"), std::string::npos);
    EXPECT_NE(r.out.find(result(answer.substr(0, 80))), std::string::npos);
}

TEST(AskStringPipe, HelpAndBack) {
    // "he" (any case, alone or with more words) asks for help on the topic and
    // then asks again; "help" is an ordinary answer.
    for (const char* he : {"he\n\n", "  He topic\n\n"}) {
        zt::Run r = probe(askstring(), he);
        EXPECT_NE(r.out.find(" subroutine help(chin):\nprobe"), std::string::npos) << he;
        EXPECT_TRUE(ends_with(r.out, "positions: [1 2 3]\n>" + up2 + result("1 2 3"))) << he;
    }
    zt::Run r = probe(askstring(), "help\n\n");
    EXPECT_EQ(r.out.find("subroutine help"), std::string::npos);
    EXPECT_NE(r.out.find(result("help")), std::string::npos);

    // "back" outside record mode: the page on scripts, the message, the same
    // question again, and the topic left as it was.
    r = probe(askstring({"-c", "sixline"}), "back\n\n");
    EXPECT_NE(r.out.find(" subroutine help(chin):\nzorb/script/alteration"), std::string::npos);
    std::size_t msg = r.out.find(" a script file has not been defined\npositions: [1 2 3]\n>");
    EXPECT_NE(msg, std::string::npos);
    EXPECT_NE(r.out.find(result("1 2 3", "sixline")), std::string::npos);

    // In record mode it returns at once: default kept, "back" in the topic,
    // nothing recorded.
    std::string script = zt::temp_dir() + "/s";
    r = probe(askstring({"-c", "sixline", "-m", "w", "-s", script}), "back\n");
    EXPECT_EQ(r.out, "(b) positions: [1 2 3]\n>" + up2 + result("1 2 3", "backine"));
    EXPECT_EQ(zt::read_file(script), "");
}

TEST(AskStringPipe, HelpInRecordModeAlsoShowsScriptPage) {
    std::string script = zt::temp_dir() + "/s";
    zt::Run r = probe(askstring({"-m", "w", "-s", script}), "he\n\n");
    std::size_t first = r.out.find(" subroutine help(chin):\nprobe");
    std::size_t second = r.out.find(" subroutine help(chin):\nzorb/script/alteration");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    // The question is asked again unchanged after the topic borrowed it.
    EXPECT_NE(r.out.find("(b) positions: [1 2 3]\n>", second), std::string::npos);
    EXPECT_EQ(zt::read_file(script), "positions: [1 2 3]\n");
}

TEST(AskStringPipe, RecordAndReplay) {
    std::string script = zt::temp_dir() + "/s";
    zt::Run r = probe(askstring({"-m", "w", "-s", script, "-k", "2"}), "abc\n\nq\n");
    EXPECT_EQ(r.out, "(b) positions: [1 2 3]\n>" + up2 + redraw(19) + "(b) positions: [abc]\n>" +
                         up2 + result("abc") + "(b) positions: [abc]\n>" + up2 + result("*"));
    // Quit is recorded as well, with the answer that stood in the brackets.
    EXPECT_EQ(zt::read_file(script), "positions: [abc]\npositions: [abc]\n");

    // Replay takes as many characters after "[" as the default has; past the
    // end of the script the prompt says so once and asks.
    zt::write_file(script, "positions: [abc]\n");
    r = probe({"askstring", "-q", "positions:", "-d", "xyz", "-m", "r", "-s", script, "-k", "2"},
              "\n");
    EXPECT_EQ(r.out, "RESULT chstr=|abc| querytype=|positions:| chcom=|probe|\n"
                     " end of sript file: switch to interactive mode\n"
                     "positions: [abc]\n>" + up2 +
                     "RESULT chstr=|abc| querytype=|positions:| chcom=|probe|\n");
}

TEST(PromptsPipe, EndOfInputNeverLoops) {
    // The first end of input accepts; the next read of the keyboard ends the
    // program, however often the caller asks again.
    for (const char* routine : {"askstring", "askvalue", "askvallim", "yesno"}) {
        zt::Run r = probe({routine, "-k", "5"}, "");
        EXPECT_EQ(r.status, 3) << routine;
        EXPECT_FALSE(r.timed_out) << routine;
        EXPECT_EQ(r.err, "drv_prompt_probe: end of input\n") << routine;
        std::size_t first = r.out.find("RESULT");
        EXPECT_NE(first, std::string::npos) << routine;
        EXPECT_EQ(r.out.find("RESULT", first + 1), std::string::npos) << routine;
    }
}

TEST(PromptsPipe, ValuePromptTranscripts) {
    zt::Run r = probe({"askvalue", "-q", "thickness", "-d", "10"}, "2.5\n\n");
    EXPECT_EQ(r.out, "thickness=[10.000]\n" + up2 + redraw(9) + "thickness=[2.500]\n" + up2 +
                         "RESULT value=2.5 form=|f10.3| querytype=|thickness| chcom=|probe|\n");
    r = probe({"askvallim", "-q", "share", "-d", "10", "-f", "f5.1"}, "150\n\n");
    EXPECT_EQ(r.out, "share  (0.0-100.0)  [10.0]   \n" + up2 + redraw(5) +
                         "share  (0.0-100.0)  [100.0]   \n" + up2 +
                         "RESULT value=100 mode=  querytype=|share| chcom=|probe|\n");
    // Help at a value prompt, then the question again; in record mode "back"
    // is available and outside it refused.
    r = probe({"askvalue", "-q", "thickness"}, "HE\nback\n\n");
    EXPECT_NE(r.out.find(" subroutine help(chin):\nprobe"), std::string::npos);
    EXPECT_NE(r.out.find(" a script file has not been defined\nthickness=[10.000]\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("chcom=|probe|"), std::string::npos);
}

TEST(BufferPipe, MostRecentlyUsedList) {
    struct Case {
        std::vector<std::string> args;
        std::string input, result;
    };
    const Case cases[] = {
        // A typed prefix replaces the entry it begins.
        {{"-b", "abc", "-b", "xyz"}, "ab\n", "comline=|ab| mbuf=2 list=|ab||xyz|"},
        {{"-b", "xyz", "-b", "abc"}, "ab\n", "comline=|ab| mbuf=2 list=|ab||xyz|"},
        // Every entry it begins takes it.
        {{"-b", "abc", "-b", "abd"}, "ab\n", "comline=|ab| mbuf=2 list=|ab||ab|"},
        // A new command on a full list drops the oldest entry.
        {{"-M", "2", "-b", "abc", "-b", "xyz"}, "new\n", "comline=|new| mbuf=2 list=|new||abc|"},
        {{"-M", "3", "-b", "abc", "-b", "xyz"}, "new\n",
         "comline=|new| mbuf=3 list=|new||abc||xyz|"},
        // An empty line changes nothing.
        {{"-b", "abc", "-b", "xyz"}, "\n", "comline=|| mbuf=2 list=|abc||xyz|"},
        // A list longer than the room given is cut to it.
        {{"-M", "1", "-b", "abc", "-b", "xyz"}, "new\n", "comline=|new| mbuf=1 list=|new|"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"buffer"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        zt::Run r = probe(args, c.input);
        EXPECT_EQ(r.out, command_prompt + "RESULT " + c.result + "\n") << c.input;
    }
    zt::Run r = probe({"buffer", "-k", "3"}, "one\ntwo\none\n");
    EXPECT_NE(r.out.find("RESULT comline=|one| mbuf=2 list=|one||two|\n"), std::string::npos);
}
