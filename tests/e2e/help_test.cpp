// The help system: finding the help file, the entry markers, paging, the
// related-entry menus, documents and details files, and the help files of
// the four programs.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "screen.h"
#include "session.h"

namespace {

const std::string red = "\x1b[31m[";
const std::string footer_start = "\x1b[31m\x1b[1A\n   from help-file:";

// Numbered lines "<prefix>NN" for NN = 1..n.
std::string numbered(const std::string& prefix, int n, const std::string& suffix) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += prefix + std::to_string(100 + i).substr(1) + suffix + "\n";
    return s;
}

// A help root with "test.help", a details file and a stand-in viewer "xdvi"
// that records its arguments.
const std::string& root() {
    static const std::string dir = [] {
        std::string d = zt::temp_dir();
        // A file outside the help root, which no details name may reach.
        std::string outside = zt::temp_dir();
        zt::write_file(outside + "/secret.txt", "secret contents\n");
        std::string escape = "../" + outside.substr(outside.rfind('/') + 1) + "/secret.txt";
        zt::write_file(
            d + "/test.help",
            "   /fitting\nFitting text line 1\n\\bfBold heading\n\\ulUnderlined words   \n"
            "/#sub\n/#more manual\n/#details det.txt\n"
            "/sub\nSub entry text.\n/#details nosuch.txt\n"
            "/alias\n/>sub\n"
            "/abcdnn\nwildcard entry\n"
            "/attr\n\\zzFirst odd code\n\\ulUnder\n\\zzSecond odd code\n"
            "/long\n" + numbered("line ", 60, " of the long entry") +
            "/l1\nL1 text\n/#l2\n/l2\nL2 text\n/#l3\n/l3\nL3 text\n/#l4\n"
            "/l4\nL4 text\n/#l5\n/l5\nL5 text\n/#l1\n"
            "/unsafe\nUnsafe document\n/#more $(id>pwned)\n"
            "/loop1\n/>loop2\n/loop2\n/>loop1\n"
            "/textfirst\nOwn text.\n/>sub\n"
            "/escape\nEscaping details.\n/#details " + escape + "\n" +
            "/wide\n\\bfBold heading that runs on far beyond a window of forty columns" +
            std::string(13, ' ') + "\n\\ulUnderlined heading that runs on beyond forty columns\n" +
            numbered("wide line ", 20, "") +
            "/many\nMany related entries.\n" + numbered("/#r", 40, "") +
            "/r01\nFirst related entry.\n" + numbered("/#s", 40, "") + "/end\n");
        zt::write_file(d + "/det.txt", "details line one\ndetails line two\n");
        ::mkdir((d + "/bin").c_str(), 0755);
        zt::write_file(d + "/bin/xdvi", "#!/bin/sh\necho \"$@\" > " + d + "/viewer.called\n");
        ::chmod((d + "/bin/xdvi").c_str(), 0755);
        return d;
    }();
    return dir;
}

zt::Env env() {
    const char* p = std::getenv("PATH");
    return {{"ZORBHEPATH", root()}, {"PATH", root() + "/bin:" + (p ? p : "")}};
}

zt::Run help(const std::vector<std::string>& topics, const std::string& input) {
    std::vector<std::string> args = {"probe", "/test.help"};
    args.insert(args.end(), topics.begin(), topics.end());
    zt::Run r = zt::run_piped(zt::built("drv_help_probe"), args, input, env(), root());
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
}

std::unique_ptr<zt::Pty> help_on_terminal(const std::string& topic, int rows = 24,
                                          int cols = 80) {
    return std::make_unique<zt::Pty>(zt::built("drv_help_probe"),
                                     std::vector<std::string>{"probe", "/test.help", topic}, rows,
                                     cols, env(), root());
}

bool has(const zt::Run& r, const std::string& text) {
    return r.out.find(text) != std::string::npos;
}

TEST(HelpEntry, TraceLinesTextAttributesAndFooter) {
    zt::Run r = help({"fitting"}, "\n\n");
    const std::string chin = "fitting" + std::string(125, ' ');
    const std::string hepath = root() + std::string(80 - root().size(), '\0');
    std::string file = root() + "/test.help";
    file += std::string(132 - file.size(), ' ');
    EXPECT_EQ(r.out.substr(0, r.out.find("\x1b[4m")),
              " subroutine help(chin):\n" + chin + "\n" + hepath + "\n" +
                  " subroutine help(chin):\n" + chin + "\n" + file + "\n" +
                  "Fitting text line 1" + std::string(61, ' ') + "\n" + "\x1b[1mBold heading" +
                  std::string(65, ' ') + "\x1b[0m\n");
    EXPECT_TRUE(has(r, "\n\x1b[4mUnderlined words\x1b[0m\n"));
    const std::string footer = footer_start + file.substr(0, 64) + "\x1b[0m\nhelp done fitting\n";
    EXPECT_EQ(r.out.substr(r.out.size() - footer.size()), footer);
    // A "\" line of another code takes the attribute of the one before it;
    // the first one is bold.
    r = help({"attr"}, "\n");
    EXPECT_TRUE(has(r, "\x1b[1mFirst odd code"));
    EXPECT_TRUE(has(r, "\x1b[4mUnder\x1b[0m\n\x1b[4mSecond odd code\x1b[0m\n")) << r.out;
}

TEST(HelpEntry, MarkersStarRedirectWildcardAndCircles) {
    zt::Run r = help({"fitting*"}, "");
    EXPECT_TRUE(has(r, "\n/fitting\n" + footer_start)) << r.out;
    EXPECT_FALSE(has(r, "Fitting text"));
    EXPECT_TRUE(has(help({"alias"}, "\n\n"), "Sub entry text."));
    r = help({"abcdXY", "abcd12", "abceXY"}, "\n\n\n\n");
    std::size_t first = r.out.find("wildcard entry");
    ASSERT_NE(first, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("wildcard entry", first + 1), std::string::npos) << r.out;
    EXPECT_TRUE(has(r, "no entry found for /abceXY in helpfile:\n" + root() + "/test.help "));
    // A "/>" line after text ends the text; it redirects only right after
    // the marker.
    r = help({"textfirst"}, "\n\n");
    EXPECT_TRUE(has(r, "Own text.")) << r.out;
    EXPECT_FALSE(has(r, "Sub entry text.")) << r.out;
    // Redirects in a circle end with a message instead of running forever.
    r = help({"loop1"}, "");
    EXPECT_FALSE(r.timed_out);
    EXPECT_TRUE(has(r, " help entries redirect in a circle")) << r.out;
}

TEST(HelpEntry, SixtyLinesArePagedInPagesOfTwentyThree) {
    auto t = help_on_terminal("long");
    for (int page : {23, 46}) {
        ASSERT_TRUE(t->expect("line " + std::to_string(page) + " of")) << t->output();
        t->drain(300);
        EXPECT_EQ(t->output().find("line " + std::to_string(page + 1) + " of"),
                  std::string::npos);
        t->send("\r");
    }
    ASSERT_TRUE(t->expect("line 60 of"));
    t->drain(300);
    EXPECT_EQ(t->output().find("from help-file:"), std::string::npos);
    t->send("\r");
    ASSERT_TRUE(t->expect("from help-file:"));
    EXPECT_EQ(t->wait(), 0);
}

// At 40 columns a bold or underlined line is cut at the window width as a
// plain line is: a page of 11 lines on 12 rows keeps its first line in view.
TEST(HelpEntry, AttributeLinesAreCutAtTheWindowWidth) {
    auto t = help_on_terminal("wide", 12, 40);
    ASSERT_TRUE(t->expect("wide line 09")) << t->output();
    t->drain(300);
    zt::Screen s(12, 40);
    s.feed(t->output());
    EXPECT_NE(s.text().find("Bold heading that runs on far beyond a w\n"), std::string::npos)
        << s.text();
    EXPECT_NE(s.text().find("\nUnderlined heading that runs on beyond f\nwide line 01\n"),
              std::string::npos)
        << s.text();
    for (int page = 0; page < 2; ++page) t->send("\r");
    ASSERT_TRUE(t->expect("from help-file:")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(HelpEntry, TwoLevelsOfRelatedEntriesAndReturn) {
    auto t = help_on_terminal("l1");
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"", "L1 text"}, {"\r", "further related information"}, {"", red + "return]"},
        {"l2\r", red + "l2]"}, {"\r", "L2 text"}, {"\r", "further related information"},
        {"", red + "return]"}, {"", " l3"},
        // Back at level 1, whose last entry has been read: "return" is offered.
        {"\r", "-related information-"}, {"", red + "return]"}, {"", " l2"},
        {"\r", "from help-file:"}, {"", "help done l1"}};
    for (const auto& [keys, text] : steps) {
        t->send(keys);
        ASSERT_TRUE(t->expect(text)) << text << "\n" << t->output();
    }
    EXPECT_EQ(t->wait(), 0);
}

TEST(HelpEntry, RelatedMenusAtTheirLimits) {
    // Help asked in the browser's own level-1 menu ("related information")
    // shows l2 in a request of its own; l2 can still be followed afterwards.
    zt::Run r = help({"l1"}, "\nl2\n\n\n\nl2\nhe\n\n\nl2\n\n\n\n\n");
    EXPECT_FALSE(has(r, "no entry found")) << r.out;
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i, ++at) ASSERT_NE(at = r.out.find("L2 text", at), std::string::npos);
    // A fifth level ends the help.
    r = help({"l1"}, "\nl2\n\n\nl3\n\n\nl4\n\n\nl5\n\n\n\n\n");
    EXPECT_TRUE(has(r, "L5 text" + std::string(73, ' ') +
                           "\n \x1b[2A\n there was no way back to the preceeding level\n"
                           "help done l1\n"))
        << r.out;
    // 24 places: "return" and the first 23 of 40 related entries.
    r = help({"many"}, "\nr01\n\n\n\n");
    std::size_t menu = r.out.find("further related information");
    std::size_t text = r.out.find("First related entry.");
    ASSERT_NE(text, std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" r23", menu), std::string::npos);
    EXPECT_GT(r.out.find(" r24", menu), text);
    // r01's own entries find no place left: the same menu comes back.
    EXPECT_EQ(r.out.find(" s01", text), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(red + "r02]", text), std::string::npos) << r.out;
}

TEST(HelpEntry, DocumentsAndDetailsFiles) {
    const std::string called = root() + "/viewer.called";
    auto wait_for_viewer = [&] {
        for (int i = 0; i < 100 && !zt::file_exists(called); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return zt::file_exists(called) ? zt::read_file(called) : "";
    };
    ::unlink(called.c_str());
    zt::Run r = help({"fitting"}, "\nmore\n\n");
    EXPECT_TRUE(has(r, " xdvi $ZORBHEPATH/dvifiles/manual/manual.dvi &\n")) << r.out;
    EXPECT_EQ(wait_for_viewer(), root() + "/dvifiles/manual/manual.dvi\n");
    // A name with shell syntax in it never reaches the shell.
    ::unlink(called.c_str());
    r = help({"unsafe"}, "\nmore\n\n");
    EXPECT_TRUE(has(r, " document name refused")) << r.out;
    EXPECT_FALSE(has(r, "xdvi"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(zt::file_exists(root() + "/pwned"));
    EXPECT_FALSE(zt::file_exists(called));
    // A details file is found beside the help file.
    r = help({"fitting"}, "\ndetails\n\n");
    EXPECT_TRUE(has(r, "details line one" + std::string(64, ' ') + "\ndetails line two")) << r.out;
    r = help({"sub"}, "\ndetails\n\n");
    EXPECT_TRUE(has(r, " file " + root() + "/nosuch.txt for details not found\n")) << r.out;
    // A details name that leads out of the help file's directory is refused.
    r = help({"escape"}, "\ndetails\n\n");
    EXPECT_FALSE(has(r, "secret contents")) << r.out;
    EXPECT_TRUE(has(r, " details file name refused (letters, digits, \".\", \"_\" and \"-\" "
                       "only): ../"))
        << r.out;
}

// "he" on the browser's own entries ("return", "more", "details") in a menu
// titled "related information" says what the entry does.
TEST(HelpEntry, HelpOnTheBrowsersOwnEntries) {
    // fitting -> sub -> return: back in fitting's menu, "more" is the default.
    zt::Run r = help({"fitting"}, "\nsub\n\n\n\nhe\ndetails\nhe\nreturn\nhe\nreturn\n\n");
    EXPECT_FALSE(has(r, "no entry found")) << r.out;
    EXPECT_TRUE(has(r, " more: opens the document of this entry in the viewer xdvi")) << r.out;
    EXPECT_TRUE(has(r, " details: lists the file of details that belongs to this entry"));
    EXPECT_TRUE(has(r, " return: back to the previous menu of related entries"));
    EXPECT_TRUE(has(r, footer_start)) << r.out;
    EXPECT_FALSE(has(r, "xdvi $ZORBHEPATH")) << r.out;
}

TEST(HelpEntry, MissingHelpFiles) {
    // Nothing below the help root, none in the current directory and no
    // bundled file for this program.
    std::string cwd = zt::temp_dir();
    zt::Env e = {{"ZORBHEPATH", cwd}};
    zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {"nosuchprog", "-", "topic"}, "", e, cwd);
    EXPECT_TRUE(has(r, " helpfile:helpfile.help\n not found in the current directory\n"
                       "help done topic"))
        << r.out;
    EXPECT_FALSE(has(r, "from help-file"));
    // "helpfile.help" in the current directory is the next choice.
    zt::write_file(cwd + "/helpfile.help", "/topic\nfrom the current directory\n/end\n");
    r = zt::run_piped(zt::built("drv_help_probe"), {"nosuchprog", "/none.help", "topic"}, "\n", e,
                      cwd);
    EXPECT_TRUE(has(r, "from the current directory")) << r.out;
    EXPECT_TRUE(has(r, "from help-file:helpfile.help"));
}

// Every topic the four programs pass finds its entry in the program's own
// help file, with ZORBHEPATH naming the help directory and with it unset.
struct Topic {
    std::string program, local, topic, expect;
};

const std::vector<Topic> program_topics = {
    {"sixline", "/Mossbauer_spectrum.help", "sixline", "sixline: hyperfine parameters"},
    {"sixline", "/Mossbauer_spectrum.help", "sixline/outfile", "The result listing"},
    {"sixline", "/Mossbauer_spectrum.help", "zorb/script/alteration", "sixline opens no script"},
    {"chanconv", "-", "filestructure", "chanconv: from an ASCII counts file"},
    {"fracfit", "-", "filestructure", "The counts file of fracfit"},
    {"fracfit", "-", "overview", "fracfit: relative intensities"},
    {"fracfit", "-", "enwr", "The start line and the diagnostic output"},
    {"fracfit", "-", "selection/thickness", "Selecting the thicknesses"},
    {"fracfit", "-", "deadtime/define", "The dead time"},
    {"fracfit", "-", "selection/energies", "fracfit: selecting the energies"},
    {"fracfit", "-", "zorb/script/alteration", "fracfit opens no script"},
    {"select", "-", "background/measurement", "select: planning the absorber"},
    {"select", "-", "background/material/Al", "aluminium"},
    {"select", "-", "background/material/plexi", "Plexi"},
    {"select", "-", "background/material/Ni", "nickel"},
    {"select", "-", "selection/energies", "select: energies contributing"},
    {"select", "-", "background/start", "scaling the start thicknesses"},
    {"select", "-", "zorb/script/alteration", "select opens no script"},
};

void walk_topics(bool with_root) {
    std::string cwd = zt::temp_dir();
    zt::Env e = {{"ZORBHEPATH", with_root ? zt::source("help") : zt::unset}};
    for (const Topic& t : program_topics) {
        SCOPED_TRACE(t.program + " " + t.topic);
        zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {t.program, t.local, t.topic},
                                  std::string(40, '\n'), e, cwd);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(has(r, "not found")) << r.out;
        EXPECT_TRUE(has(r, t.expect)) << r.out;
        EXPECT_TRUE(has(r, "from help-file:")) << r.out;
    }
}

TEST(HelpFiles, EveryProgramTopicBelowTheHelpRoot) { walk_topics(true); }

TEST(HelpFiles, EveryProgramTopicWithoutTheEnvironment) { walk_topics(false); }

// An installed program finds the help files installed beside it
// (<prefix>/share/zorb/help for <prefix>/bin/prog), wherever the prefix is.
TEST(HelpFiles, InstalledBesideTheProgram) {
    const std::string prefix = zt::temp_dir();
    for (const char* d : {"/bin", "/share", "/share/zorb", "/share/zorb/help"})
        ASSERT_EQ(::mkdir((prefix + d).c_str(), 0755), 0);
    zt::write_file(prefix + "/bin/chanconv", zt::read_file(zt::built("chanconv")));
    ASSERT_EQ(::chmod((prefix + "/bin/chanconv").c_str(), 0755), 0);
    zt::write_file(prefix + "/share/zorb/help/chanconv.help",
                   "/filestructure\nThe installed copy.\n/end of help file\n");
    zt::Run r = zt::run_piped(prefix + "/bin/chanconv", {}, "he\n\nq\n",
                              {{"ZORBHEPATH", zt::unset}}, zt::temp_dir());
    EXPECT_NE(r.out.find("The installed copy."), std::string::npos) << r.out;
}

}  // namespace
