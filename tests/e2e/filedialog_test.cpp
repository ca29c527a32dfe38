// The file-name dialogue on a pipe (byte-exact transcripts) and on a terminal
// (the default recalled and edited with the line editor).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string up2 = " \x1b[2A\n";
const std::string up3 = " \x1b[3A\n";
const std::string blanks80(80, ' ');
const std::string single = up2 + blanks80 + "\n" + blanks80 + "\n" + up3;
const std::string twice = up2 + up2 + blanks80 + "\n" + blanks80 + "\n" + blanks80 + "\n" +
                          blanks80 + "\n" + up3 + up3;

const std::string dir = zt::temp_dir();

zt::Run dialogue(const std::string& deffile, const std::string& input,
                 std::vector<std::string> more = {}, zt::Env env = {}) {
    std::vector<std::string> args = {"readfile", "-q", "counts", "-d", deffile, "-e", "lst"};
    args.insert(args.end(), more.begin(), more.end());
    env.emplace("ZORBHEPATH", dir);
    return zt::run_piped(zt::built("drv_prompt_probe"), args, input, env, dir);
}

std::string prompt(const std::string& deffile) {
    return "/directory/counts_file.exten:  [" + deffile + "]\n>";
}

std::string result(int ld, const std::string& deffile, const std::string& exten) {
    return "RESULT ld=" + std::to_string(ld) + " deffile=|" + deffile + "| exten=|" + exten +
           "|\n";
}

// The name and extension the dialogue settles on for one typed answer.
std::string chosen(const std::string& answer, zt::Env env = {}) {
    zt::Run r = dialogue("sixline.lst", answer + "\n\n", {}, env);
    std::size_t at = r.out.rfind("RESULT ");
    return at == std::string::npos ? r.out : r.out.substr(at);
}

}  // namespace

TEST(FileDialogue, AcceptAndExtensions) {
    // An empty answer returns the default as it stands, adding nothing.
    EXPECT_EQ(dialogue("results", "\n").out, prompt("results") + up2 + result(7, "results", "lst"));
    EXPECT_EQ(dialogue("data", "data.txt\n\n").out,
              prompt("data") + up2 + single + prompt("data.txt") + up2 +
                  result(8, "data.txt", "txt"));
    EXPECT_EQ(chosen("data"), result(8, "data.lst", "lst"));
    EXPECT_EQ(chosen("a.b.c"), result(5, "a.b.c", "c"));
    EXPECT_EQ(chosen("  data"), result(8, "data.lst", "lst"));
    // The same letters with a capital H are a file name.
    EXPECT_EQ(chosen("He"), result(6, "He.lst", "lst"));
    // Several items: with a "." the rest stays behind the name, without it
    // the name alone gets the extension.
    EXPECT_EQ(chosen("data.txt more"), result(8, "data.txt more", "txt"));
    EXPECT_EQ(chosen("data more"), result(8, "data.lst", "lst"));
}

TEST(FileDialogue, DotsOutsideTheLastComponentAreNoExtension) {
    EXPECT_EQ(chosen("../data"), result(11, "../data.lst", "lst"));
    EXPECT_EQ(chosen("run.d/data"), result(14, "run.d/data.lst", "lst"));
    EXPECT_EQ(chosen("run.d/data.txt"), result(14, "run.d/data.txt", "txt"));
}

TEST(FileDialogue, ExtensionTakenFromOneAnswerIsAppendedWhole) {
    zt::Run r = dialogue("sixline.lst", "x.text\ny\n\n");
    EXPECT_NE(r.out.find(result(6, "y.text", "text")), std::string::npos) << r.out;
}

TEST(FileDialogue, QuitHelpAndNoAsking) {
    EXPECT_EQ(dialogue("data.dat", "q\n").out, prompt("data.dat") + up2 + result(0, "data.dat", "lst"));
    EXPECT_EQ(dialogue("data.dat", "*\n").out, prompt("data.dat") + up2 + result(0, "data.dat", "lst"));
    // ld < 0: the prompt is shown and the default taken without reading.
    zt::Run r = dialogue("data.dat", "", {"-L", "-1"});
    EXPECT_EQ(r.out, "/directory/counts_file.exten:  [data.dat]\n" + up2 +
                         result(8, "data.dat", "lst"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // "he" shows help on the topic and asks again, without a redraw.
    r = dialogue("data.dat", "he me\n\n", {"-c", "sixline/outfile"});
    EXPECT_NE(r.out.find(" subroutine help(chin):\nsixline/outfile"), std::string::npos);
    std::string tail = prompt("data.dat") + up2 + result(8, "data.dat", "lst");
    EXPECT_EQ(r.out.compare(r.out.size() - tail.size(), tail.size(), tail), 0) << r.out;
}

TEST(FileDialogue, LongDefaultsOnTwoLines) {
    // counts: 80 - 6 - 27 = 47 characters of room on one line.
    const std::string d46(46, 'd'), d47(47, 'd'), d48(48, 'd');
    const std::string head = "/directory/counts_file.exten:\n";
    EXPECT_EQ(dialogue(d46, "n\n\n").out,
              prompt(d46) + up2 + single + prompt("n.lst") + up2 + result(5, "n.lst", "lst"));
    // Exactly 47: two lines, but the single redraw.
    EXPECT_EQ(dialogue(d47, "n\n\n").out, head + "[" + d47 + "]\n>" + up2 + single +
                                              prompt("n.lst") + up2 + result(5, "n.lst", "lst"));
    EXPECT_EQ(dialogue(d48, "n\n\n").out, head + "[" + d48 + "]\n>" + up2 + twice +
                                              prompt("n.lst") + up2 + result(5, "n.lst", "lst"));
    // The default is limited to ncol - 1 characters.
    const std::string d100(100, 'e');
    EXPECT_EQ(dialogue(d100, "\n").out,
              head + "[" + d100.substr(0, 79) + "]\n>" + up2 + result(79, d100.substr(0, 79), "lst"));
}

TEST(FileDialogue, OverLongAnswerIsCut) {
    std::string answer(300, 'f');
    zt::Run r = dialogue("data.dat", answer + "\n\n");
    EXPECT_EQ(r.status, 0);
    // The name fills the field; the extension finds no room.
    EXPECT_NE(r.out.find("ld=132 deffile=|" + std::string(132, 'f') + "|"), std::string::npos)
        << r.out;
}

TEST(FileDialogue, DirectoryShorthands) {
    zt::Env env = {{"LOGNAME", "alice"}, {"USER", "bob"}, {"ZORBUTPATH", "/opt/ut more"}};
    EXPECT_EQ(chosen("$HOME/x.dat", env), result(17, "/home/alice/x.dat", "dat"));
    EXPECT_EQ(chosen("$home/x", env), result(17, "/home/alice/x.lst", "lst"));
    EXPECT_EQ(chosen("~/runs/x", env), result(22, "/home/alice/runs/x.lst", "lst"));
    EXPECT_EQ(chosen("$ZORBUTPATH/u.dat", env), result(13, "/opt/ut/u.dat", "dat"));
    EXPECT_EQ(chosen("$HOMEx", env), result(16, "/home/alicex.lst", "lst"));
    // No login name in LOGNAME: USER; neither: nothing, and never a NUL byte.
    EXPECT_EQ(chosen("~/x", {{"LOGNAME", zt::unset}, {"USER", "bob"}}),
              result(15, "/home/bob/x.lst", "lst"));
    std::string bare = chosen("$ZORBUTPATH/u", {{"ZORBUTPATH", zt::unset}});
    EXPECT_EQ(bare, result(6, "/u.lst", "lst"));
    EXPECT_EQ(bare.find('\0'), std::string::npos);
}

TEST(FileDialogueTerminal, DefaultRecalledAndEdited) {
    zt::Pty t(zt::built("drv_prompt_probe"),
              {"readfile", "-q", "counts", "-d", "sixline.lst", "-e", "lst"}, 24, 80,
              {{"ZORBHEPATH", dir}}, dir);
    ASSERT_TRUE(t.expect("[sixline.lst]"));
    ASSERT_TRUE(t.expect(">"));
    // Up arrow recalls the default; three backspaces and "dat" change its
    // extension.
    t.send("\x1b[A");
    ASSERT_TRUE(t.expect("sixline.lst"));
    t.send("\x7f\x7f\x7f" "dat\r");
    ASSERT_TRUE(t.expect("[sixline.dat]"));
    t.send("\r");
    ASSERT_TRUE(t.expect("RESULT ld=11 deffile=|sixline.dat| exten=|dat|"));
    EXPECT_EQ(t.wait(), 0);
}
