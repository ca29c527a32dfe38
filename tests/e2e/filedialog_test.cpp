// The file-name dialogue on a pipe (byte-exact transcripts) and on a terminal
// (the default recalled and edited with the line editor).
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string up2 = " \x1b[2A\n";
const std::string up3 = " \x1b[3A\n";
const std::string row(80, ' ');
const std::string single = up2 + row + "\n" + row + "\n" + up3;
const std::string twice = up2 + up2 + row + "\n" + row + "\n" + row + "\n" + row + "\n" + up3 + up3;
const std::string head = "/directory/counts_file.exten:";
const std::string dir = zt::temp_dir();

zt::Run dialogue(const std::string& deffile, const std::string& input,
                 std::vector<std::string> more = {}, zt::Env env = {}) {
    std::vector<std::string> args = {"readfile", "-q", "counts", "-d", deffile, "-e", "lst"};
    args.insert(args.end(), more.begin(), more.end());
    env.emplace("ZORBHEPATH", dir);
    return zt::run_piped(zt::built("drv_prompt_probe"), args, input, env, dir);
}

std::string prompt(const std::string& deffile) { return head + "  [" + deffile + "]\n>"; }

std::string result(int ld, const std::string& deffile, const std::string& exten) {
    return "RESULT ld=" + std::to_string(ld) + " deffile=|" + deffile + "| exten=|" + exten + "|\n";
}

// What the dialogue settles on for one typed answer, accepted.
std::string chosen(const std::string& answer, zt::Env env = {}) {
    zt::Run r = dialogue("sixline.lst", answer + "\n\n", {}, env);
    std::size_t at = r.out.rfind("RESULT ");
    return at == std::string::npos ? r.out : r.out.substr(at);
}

}  // namespace

TEST(FileDialogue, Transcripts) {
    // An empty answer returns the default as it stands, adding nothing.
    EXPECT_EQ(dialogue("results", "\n").out, prompt("results") + up2 + result(7, "results", "lst"));
    EXPECT_EQ(
        dialogue("data", "data.txt\n\n").out,
        prompt("data") + up2 + single + prompt("data.txt") + up2 + result(8, "data.txt", "txt"));
    EXPECT_EQ(dialogue("data.dat", "q\n").out,
              prompt("data.dat") + up2 + result(0, "data.dat", "lst"));
    // ld < 0: the prompt is shown and the default taken without reading.
    zt::Run r = dialogue("data.dat", "", {"-L", "-1"});
    EXPECT_EQ(r.out, head + "  [data.dat]\n" + up2 + result(8, "data.dat", "lst"));
    EXPECT_EQ(r.err, "");
    // "he" shows help on the topic and asks again, without a redraw.
    r = dialogue("data.dat", "he me\n\n", {"-c", "sixline/outfile"});
    EXPECT_NE(r.out.find(" subroutine help(chin):\nsixline/outfile"), std::string::npos);
    std::string tail = prompt("data.dat") + up2 + result(8, "data.dat", "lst");
    EXPECT_EQ(r.out.compare(r.out.size() - tail.size(), tail.size(), tail), 0) << r.out;

    // counts: 80 - 6 - 27 = 47 characters of room on one line.  Exactly 47
    // puts the default on a second line but keeps the single redraw.
    const std::string d46(46, 'd'), d47(47, 'd'), d48(48, 'd'), d100(100, 'e');
    const std::string then_n = prompt("n.lst") + up2 + result(5, "n.lst", "lst");
    EXPECT_EQ(dialogue(d46, "n\n\n").out, prompt(d46) + up2 + single + then_n);
    EXPECT_EQ(dialogue(d47, "n\n\n").out, head + "\n[" + d47 + "]\n>" + up2 + single + then_n);
    EXPECT_EQ(dialogue(d48, "n\n\n").out, head + "\n[" + d48 + "]\n>" + up2 + twice + then_n);
    // The default is limited to ncol - 1 characters.
    EXPECT_EQ(dialogue(d100, "\n").out, head + "\n[" + d100.substr(0, 79) + "]\n>" + up2 +
                                            result(79, d100.substr(0, 79), "lst"));
}

TEST(FileDialogue, NamesAndExtensions) {
    const std::pair<std::string, std::string> cases[] = {
        {"data", result(8, "data.lst", "lst")},
        {"a.b.c", result(5, "a.b.c", "c")},
        {"  data", result(8, "data.lst", "lst")},
        {"He", result(6, "He.lst", "lst")},  // only small "he" asks for help
        // Several items: with a "." the rest stays behind the name (ld counts
        // the name), without one the name alone gets the extension.
        {"data.txt more", result(8, "data.txt more", "txt")},
        {"data more", result(8, "data.lst", "lst")},
        // Dots in directory names are no extension.
        {"../data", result(11, "../data.lst", "lst")},
        {"run.d/data.txt", result(14, "run.d/data.txt", "txt")},
        // The longest name the field holds, extension included.
        {std::string(127, 'f'), result(131, std::string(127, 'f') + ".lst", "lst")},
    };
    for (auto& [answer, expect] : cases) EXPECT_EQ(chosen(answer), expect) << answer;
    // An extension taken from one answer is appended whole to the next.
    zt::Run r = dialogue("sixline.lst", "x.text\ny\n\n");
    EXPECT_NE(r.out.find(result(6, "y.text", "text")), std::string::npos) << r.out;
}

// A name that does not fit in the field is refused and asked again, the
// default kept: cut, it would name another file.
TEST(FileDialogue, NamesTooLongForTheFieldAreRefused) {
    const std::string refused = " file name too long: at most 131 characters\n";
    const std::string keeps = result(11, "sixline.lst", "lst");
    zt::Env env = {{"LOGNAME", "alice"}};
    for (const std::string& answer : {std::string(300, 'f'),          // cut by the line
                                      std::string(131, 'f'),          // no room for ".lst"
                                      "  " + std::string(130, 'f'),   // reaches the line's end
                                      "~/" + std::string(125, 'f') + ".dat"}) {   // written out
        zt::Run r = dialogue("sixline.lst", answer + "\n\n", {}, env);
        EXPECT_NE(r.out.find(refused + prompt("sixline.lst")), std::string::npos) << answer;
        EXPECT_NE(r.out.find(keeps), std::string::npos) << answer;
    }
}

TEST(FileDialogue, DirectoryShorthands) {
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    const std::string login(pw->pw_name);
    // The result for a name as chosen, its length counted.
    const auto named = [](const std::string& name, const std::string& ext) {
        return result(static_cast<int>(name.size()), name, ext);
    };
    const zt::Env alice = {{"HOME", "/data/alice"}, {"LOGNAME", "alice"}, {"USER", "bob"},
                           {"ZORBUTPATH", "/opt/ut more"}};
    const zt::Env no_home = {{"HOME", zt::unset}, {"LOGNAME", "alice"}};
    const struct {
        std::string answer;
        zt::Env env;
        std::string expect;
    } cases[] = {
        // The home directory is HOME, whatever the login name.
        {"$HOME/x.dat", alice, named("/data/alice/x.dat", "dat")},
        {"$home/x", alice, named("/data/alice/x.lst", "lst")},
        {"~/runs/x", alice, named("/data/alice/runs/x.lst", "lst")},
        {"~/x", {{"HOME", "/root/"}}, named("/root/x.lst", "lst")},
        {"~/x", {{"HOME", "/"}}, named("/x.lst", "lst")},
        {"~/x", {{"HOME", "/my data"}}, named("/my data/x.lst", "lst")},
        {"$ZORBUTPATH/u.dat", alice, named("/opt/ut/u.dat", "dat")},
        // Further items behind a shorthand stay out of the name, as behind a
        // plain name.
        {"~/x more", alice, named("/data/alice/x.lst", "lst")},
        {"$HOME/x.dat more", alice, result(17, "/data/alice/x.dat more", "dat")},
        // Without HOME: "/home/" and the login name, from LOGNAME, USER or
        // the user database.
        {"~/x", no_home, named("/home/alice/x.lst", "lst")},
        {"$HOME/x", {{"HOME", ""}, {"LOGNAME", zt::unset}, {"USER", "bob"}},
         named("/home/bob/x.lst", "lst")},
        {"~/x", {{"HOME", zt::unset}, {"LOGNAME", zt::unset}, {"USER", zt::unset}},
         result(static_cast<int>(login.size()) + 12, "/home/" + login + "/x.lst", "lst")},
        // A ZORBUTPATH longer than 80 characters is used whole.
        {"$ZORBUTPATH/u", {{"ZORBUTPATH", "/" + std::string(99, 'u')}},
         result(106, "/" + std::string(99, 'u') + "/u.lst", "lst")},
    };
    for (const auto& c : cases) EXPECT_EQ(chosen(c.answer, c.env), c.expect) << c.answer;

    // ZORBUTPATH unset or empty: refused, never a name at the root of the
    // file system; the default stays.
    for (const std::string& value : {std::string(zt::unset), std::string(), std::string("  ")}) {
        zt::Run r = dialogue("sixline.lst", "$ZORBUTPATH/u\n\n", {}, {{"ZORBUTPATH", value}});
        EXPECT_NE(r.out.find(" $ZORBUTPATH: the variable ZORBUTPATH is not set; no directory to "
                             "put first\n" + prompt("sixline.lst")),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find(result(11, "sixline.lst", "lst")), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("/u.lst"), std::string::npos) << r.out;
    }
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
    t.send(
        "\x7f\x7f\x7f"
        "dat\r");
    ASSERT_TRUE(t.expect("[sixline.dat]"));
    t.send("\r");
    ASSERT_TRUE(t.expect("RESULT ld=11 deffile=|sixline.dat| exten=|dat|")) << t.output();
    EXPECT_EQ(t.wait(), 0);
}
