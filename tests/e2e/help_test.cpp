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

#include "session.h"

namespace {

const std::string red = "\x1b[31m[";

std::string sixty_lines() {
    std::string s;
    for (int i = 1; i <= 60; ++i) s += "line " + std::to_string(i) + " of the long entry\n";
    return s;
}

// Entry "many" names 40 related entries, and its first related entry 40 more.
std::string many_related() {
    std::string s = "/many\nMany related entries.\n";
    for (int i = 1; i <= 40; ++i) s += "/#r" + std::to_string(100 + i).substr(1) + "\n";
    s += "/r01\nFirst related entry.\n";
    for (int i = 1; i <= 40; ++i) s += "/#s" + std::to_string(100 + i).substr(1) + "\n";
    return s;
}

// A help root with the test file "test.help", a details file and a stand-in
// document viewer.
const std::string& root() {
    static const std::string dir = [] {
        std::string d = zt::temp_dir();
        zt::write_file(d + "/test.help",
                       "   /fitting\n"
                       "Fitting text line 1\n"
                       "\\bfBold heading\n"
                       "\\ulUnderlined words   \n"
                       "/#sub\n"
                       "/#more manual\n"
                       "/#details det.txt\n"
                       "/sub\n"
                       "Sub entry text.\n"
                       "/#details nosuch.txt\n"
                       "/alias\n"
                       "/>sub\n"
                       "/abcdnn\n"
                       "wildcard entry\n"
                       "/attr\n"
                       "\\zzFirst odd code\n"
                       "\\ulUnder\n"
                       "\\zzSecond odd code\n"
                       "/long\n" +
                           sixty_lines() +
                           "/l1\nL1 text\n/#l2\n"
                           "/l2\nL2 text\n/#l3\n"
                           "/l3\nL3 text\n/#l4\n"
                           "/l4\nL4 text\n/#l5\n"
                           "/l5\nL5 text\n/#l1\n"
                           "/unsafe\nUnsafe document\n/#more $(id>pwned)\n"
                           "/loop1\n/>loop2\n/loop2\n/>loop1\n" +
                           many_related() + "/end\n");
        zt::write_file(d + "/det.txt", "details line one\ndetails line two\n");
        ::mkdir((d + "/bin").c_str(), 0755);
        zt::write_file(d + "/bin/xdvi", "#!/bin/sh\necho \"$@\" > " + d + "/viewer.called\n");
        ::chmod((d + "/bin/xdvi").c_str(), 0755);
        return d;
    }();
    return dir;
}

zt::Env env() {
    return {{"ZORBHEPATH", root()},
            {"PATH", root() + "/bin:" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")}};
}

zt::Run help(const std::vector<std::string>& topics, const std::string& input,
             const std::string& local = "/test.help") {
    std::vector<std::string> args = {"probe", local};
    args.insert(args.end(), topics.begin(), topics.end());
    return zt::run_piped(zt::built("drv_help_probe"), args, input, env(), root());
}

std::unique_ptr<zt::Pty> help_on_terminal(const std::string& topic, int rows = 24) {
    return std::make_unique<zt::Pty>(zt::built("drv_help_probe"),
                                     std::vector<std::string>{"probe", "/test.help", topic},
                                     rows, 80, env(), root());
}

const std::string footer_start = "\x1b[31m\x1b[1A\n   from help-file:";

TEST(HelpEntry, TraceLinesAndTheFileBelowTheHelpRoot) {
    zt::Run r = help({"fitting"}, "\n\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string chin = "fitting" + std::string(125, ' ');
    const std::string hepath = root() + std::string(80 - root().size(), '\0');
    std::string helpfile = root() + "/test.help";
    helpfile += std::string(132 - helpfile.size(), ' ');
    const std::string expected = " subroutine help(chin):\n" + chin + "\n" + hepath + "\n" +
                                 " subroutine help(chin):\n" + chin + "\n" + helpfile + "\n" +
                                 "Fitting text line 1" + std::string(61, ' ') + "\n" +
                                 "\x1b[1mBold heading" + std::string(65, ' ') + "\x1b[0m\n" +
                                 "\x1b[4mUnderlined words\x1b[0m\n";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    std::string footer = footer_start + helpfile.substr(0, 64) + "\x1b[0m\nhelp done fitting\n";
    EXPECT_EQ(r.out.substr(r.out.size() - footer.size()), footer);
}

TEST(HelpEntry, MarkersStarRedirectAndWildcard) {
    // With "*" only the marker line and the footer.
    zt::Run r = help({"fitting*"}, "");
    EXPECT_NE(r.out.find("\n/fitting\n" + footer_start), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Fitting text"), std::string::npos);
    // A redirect shows the entry it names.
    r = help({"alias"}, "\n\n");
    EXPECT_NE(r.out.find("Sub entry text."), std::string::npos) << r.out;
    // "nn" in columns 6 and 7 of a marker matches any two characters.
    r = help({"abcdXY", "abcd12", "abceXY"}, "\n\n\n\n");
    std::size_t first = r.out.find("wildcard entry");
    ASSERT_NE(first, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("wildcard entry", first + 1), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("no entry found for /abceXY in helpfile:\n" + root() + "/test.help "),
              std::string::npos)
        << r.out;
    // Redirects in a circle end with a message instead of running forever.
    r = help({"loop1"}, "");
    EXPECT_FALSE(r.timed_out);
    EXPECT_NE(r.out.find(" help entries redirect in a circle"), std::string::npos) << r.out;
}

TEST(HelpEntry, LinesWithAnUnknownAttributeCode) {
    zt::Run r = help({"attr"}, "\n");
    EXPECT_NE(r.out.find("\x1b[1mFirst odd code"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\x1b[4mUnder\x1b[0m\n\x1b[4mSecond odd code\x1b[0m\n"),
              std::string::npos)
        << r.out;
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
    ASSERT_TRUE(t->expect("help done long"));
    EXPECT_EQ(t->wait(), 0);
}

TEST(HelpEntry, TwoLevelsOfRelatedEntriesAndReturn) {
    auto t = help_on_terminal("l1");
    ASSERT_TRUE(t->expect("L1 text"));
    t->send("\r");
    ASSERT_TRUE(t->expect("further related information")) << t->output();
    ASSERT_TRUE(t->expect(red + "return]"));
    t->send("l2\r");
    ASSERT_TRUE(t->expect(red + "l2]")) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("L2 text")) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("further related information")) << t->output();
    ASSERT_TRUE(t->expect(red + "return]"));
    ASSERT_TRUE(t->expect(" l3"));
    t->send("\r");
    // Back at level 1, whose last entry has been read: "return" is offered.
    ASSERT_TRUE(t->expect("-related information-")) << t->output();
    ASSERT_TRUE(t->expect(red + "return]"));
    ASSERT_TRUE(t->expect(" l2"));
    t->send("\r");
    ASSERT_TRUE(t->expect("from help-file:")) << t->output();
    ASSERT_TRUE(t->expect("help done l1"));
    EXPECT_EQ(t->wait(), 0);
}

TEST(HelpEntry, HelpAskedInsideTheBrowsersOwnMenu) {
    // Level 2 left with "return"; in the level-1 menu ("related information")
    // "he" on l2 shows its entry in a help request of its own; afterwards l2
    // can still be followed from that menu.
    zt::Run r = help({"l1"}, "\nl2\n\n\n\nl2\nhe\n\n\nl2\n\n\n\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("no entry found"), std::string::npos) << r.out;
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        at = r.out.find("L2 text", at);
        ASSERT_NE(at, std::string::npos) << i << "\n" << r.out;
        ++at;
    }
    EXPECT_NE(r.out.find("help done l1"), std::string::npos);
}

TEST(HelpEntry, FiveLevelsEndTheHelp) {
    zt::Run r = help({"l1"}, "\nl2\n\n\nl3\n\n\nl4\n\n\nl5\n\n\n\n\n");
    EXPECT_NE(r.out.find("L5 text"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n there was no way back to the preceeding level\nhelp done l1\n"),
              std::string::npos)
        << r.out;
}

TEST(HelpEntry, RelatedEntriesBeyondTheMenuPlacesAreLeftOut) {
    // 24 places: "return" and the first 23 related entries.
    zt::Run r = help({"many"}, "\nr01\n\n\n\n");
    std::size_t menu = r.out.find("further related information");
    ASSERT_NE(menu, std::string::npos) << r.out;
    std::string first_menu = r.out.substr(menu, r.out.find("First related entry.") - menu);
    EXPECT_NE(first_menu.find(" r23"), std::string::npos) << first_menu;
    EXPECT_EQ(first_menu.find(" r24"), std::string::npos) << first_menu;
    // r01's own related entries find no place left: its text is shown and the
    // same menu comes back, now offering the next entry.
    std::size_t after = r.out.find("First related entry.");
    ASSERT_NE(after, std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" s01", after), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(red + "r02]", after), std::string::npos) << r.out;
    EXPECT_EQ(r.status, 0);
}

TEST(HelpEntry, DocumentOpensTheViewerWithACheckedName) {
    ::unlink((root() + "/viewer.called").c_str());
    zt::Run r = help({"fitting"}, "\nmore\n\n");
    EXPECT_NE(r.out.find(" xdvi $ZORBHEPATH/dvifiles/manual/manual.dvi &\n"), std::string::npos)
        << r.out;
    std::string called;
    for (int i = 0; i < 100 && called.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (zt::file_exists(root() + "/viewer.called")) called = zt::read_file(root() + "/viewer.called");
    }
    EXPECT_EQ(called, root() + "/dvifiles/manual/manual.dvi\n");

    // A name with shell syntax in it never reaches the shell.
    ::unlink((root() + "/viewer.called").c_str());
    r = help({"unsafe"}, "\nmore\n\n");
    EXPECT_NE(r.out.find(" document name refused"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("xdvi"), std::string::npos) << r.out;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(zt::file_exists(root() + "/pwned"));
    EXPECT_FALSE(zt::file_exists(root() + "/viewer.called"));
}

TEST(HelpEntry, DetailsFileBesideTheHelpFile) {
    zt::Run r = help({"fitting"}, "\ndetails\n\n");
    EXPECT_NE(r.out.find("details line one" + std::string(64, ' ') + "\ndetails line two"),
              std::string::npos)
        << r.out;
    r = help({"sub"}, "\ndetails\n\n");
    EXPECT_NE(r.out.find(" file " + root() + "/nosuch.txt for details not found\n"),
              std::string::npos)
        << r.out;
}

TEST(HelpEntry, MissingHelpFiles) {
    // Nothing below the help root, none in the current directory and no
    // bundled file for this program.
    std::string cwd = zt::temp_dir();
    zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {"nosuchprog", "-", "topic"}, "",
                              {{"ZORBHEPATH", cwd}}, cwd);
    EXPECT_NE(r.out.find(" helpfile:helpfile.help\n not found in the current directory\n"
                         "help done topic"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("from help-file"), std::string::npos);
    // "helpfile.help" in the current directory is the next choice.
    zt::write_file(cwd + "/helpfile.help", "/topic\nfrom the current directory\n/end\n");
    r = zt::run_piped(zt::built("drv_help_probe"), {"nosuchprog", "/none.help", "topic"}, "\n",
                      {{"ZORBHEPATH", cwd}}, cwd);
    EXPECT_NE(r.out.find("from the current directory"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("from help-file:helpfile.help"), std::string::npos) << r.out;
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
        EXPECT_EQ(r.out.find("no entry found"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("not found"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(t.expect), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("from help-file:"), std::string::npos) << r.out;
    }
}

TEST(HelpFiles, EveryProgramTopicBelowTheHelpRoot) { walk_topics(true); }

TEST(HelpFiles, EveryProgramTopicWithoutTheEnvironment) { walk_topics(false); }

}  // namespace
