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
    // The help root's field: its text, blanks for the NULs after it.
    const std::string hepath = root() + std::string(80 - root().size(), ' ');
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

// The trace lines of every program's help, with the help root set and
// unset: no NUL byte on standard output, so a session's log stays text; an
// unset root is an empty line.
TEST(HelpEntry, TraceLinesWriteNoNulBytes) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> programs = {
        {"select", {"help"}}, {"fracfit", {}}, {"sixline", {}}, {"chanconv", {}}};
    const std::string trace = " subroutine help(chin):\n";
    for (const auto& [program, args] : programs) {
        for (bool set : {false, true}) {
            SCOPED_TRACE(program + (set ? " with a help root" : " without"));
            const std::string root = zt::source("help");
            zt::Run r = zt::run_piped(zt::built(program), args, "he\n",
                                      {{"ZORBHEPATH", set ? root : zt::unset}}, zt::temp_dir());
            EXPECT_EQ(r.out.find('\0'), std::string::npos);
            std::size_t at = r.out.find(trace);
            ASSERT_NE(at, std::string::npos) << r.out;
            std::size_t root_line = r.out.find('\n', at + trace.size()) + 1;
            EXPECT_EQ(r.out.substr(root_line, r.out.find('\n', root_line) - root_line),
                      set ? root + std::string(80 - root.size(), ' ') : "");
        }
    }
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

// The window made smaller, then larger, while a long entry is paged: each
// page is as long as the window is high when it is shown.
TEST(HelpEntry, EachPageTakesTheWindowHeightOfItsTime) {
    auto t = help_on_terminal("long");
    struct Page {
        int rows;   // the window's height before the page
        int last;   // its last line
    };
    ASSERT_TRUE(t->expect("line 23 of")) << t->output();
    for (Page p : {Page{12, 34}, Page{6, 39}, Page{24, 60}}) {
        SCOPED_TRACE(p.rows);
        t->drain(200);
        t->set_size(p.rows, 80);
        t->send("\r");
        ASSERT_TRUE(t->expect("line " + std::to_string(p.last) + " of")) << t->output();
        t->drain(300);
        EXPECT_EQ(t->output().find("line " + std::to_string(p.last + 1) + " of"),
                  std::string::npos);
    }
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
    {"select", "-", "select/result", "only a strictly smaller figure of merit"},
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

// What the texts must say (and must no longer say) about the physics and
// the ways through the dialogue.
TEST(HelpFiles, TextsStateThePhysicsAndTheWaysOut) {
    struct Statement {
        std::string program, local, topic;
        std::vector<std::string> said, not_said;
    };
    const std::string sixline = "/Mossbauer_spectrum.help";
    const std::vector<Statement> statements = {
        {"select", "-", "background/material/Ni",
         {"The K edge of nickel (8.33 keV) lies between Cu K-alpha (8.04 keV) and",
          " Cu K-beta (8.90 keV)"},
         {"between the Cu and the Zn"}},
        {"select", "-", "background/measurement",
         {"the electron capture of 57Co and the internal conversion of the 14.4 keV"},
         {"fluorescence of iron"}},
        {"sixline", sixline, "sixline/table",
         {"(e Q Vzz / 2) * sqrt(1 + eta**2/3), with the", " default step 0.1 from 0.1 to 1.1."},
         {}},
        {"sixline", sixline, "sixline/modes",
         {"(e Q Vzz / 2) * sqrt(1 + eta**2/3).  Its sign"}, {}},
        {"sixline", sixline, "sixline",
         {" The lines are numbered by rising velocity: lines 1 and 2 are the two",
          " lowest of the spectrum, lines 5 and 6 the two highest."},
         {}},
        {"chanconv", "-", "zorb/script/alteration", {" file \"back.dat\", shown in brackets"},
         {"is refused"}},
        // The gamma background, which plans fracfit evaluates, nickel foils
        // and what the figure of merit measures.
        {"select", "-", "background/measurement",
         {"(these keep", "at least 82.6 keV", "it cannot evaluate a plan for Plexi or for nickel alone"},
         {"Compton-scattered 122/136 keV gamma", "the evaluation is done by fracfit"}},
        {"select", "-", "background/material/Ni",
         {" nickel foil of 5 to 20 um passes Cu K-alpha (transmission 0.81 to 0.42)",
          " and stops Zn K-alpha (0.26 to 0.004)"},
         {"some micrometres to 0.05 mm"}},
        {"select", "-", "select/matrix", {"it holds no counting statistics"},
         {"intensities come out with small errors"}},
        {"select", "-", "select/tables",
         {"   Fe K          0.834/0.166    0.889/0.111", "   Cu K          0.88/0.12      0.867/0.133",
          "within about 10%"},
         {}},
        {"sixline", sixline, "sixline",
         {"also with the field along z when eta is not 0",
          "they vanish only for the field along z and eta = 0."},
         {"lines 3 and 4 and, where the field is tilted"}},
        {"sixline", sixline, "sixline/physics",
         {"15.2502 kG per (mm/s per nuclear magneton)", "H = 31.0 * (L6 - L1) kG",
          " sixline is for 57Fe only.", "phi the azimuth of H from the x axis (that of Vxx)"},
         {}},
        {"sixline", sixline, "sixline/reading",
         {"lines 3 and 4 lie at L5 - H/84.16 and", "scan both signs",
          "The sign of H is not determined"},
         {}},
        {"fracfit", "-", "deadtime/model", {"that of a non-paralysable detector", "under-corrected"},
         {}},
        {"fracfit", "-", "fracfit/background", {"e/(1 - b)", "only the Poisson error"}, {}},
        {"fracfit", "-", "fracfit/tables", {"   Fe K          0.889/0.111    0.834/0.166"}, {}},
    };
    std::string cwd = zt::temp_dir();
    zt::Env e = {{"ZORBHEPATH", zt::source("help")}};
    for (const Statement& st : statements) {
        SCOPED_TRACE(st.program + " " + st.topic);
        zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {st.program, st.local, st.topic},
                                  std::string(40, '\n'), e, cwd);
        for (const std::string& text : st.said) EXPECT_TRUE(has(r, text)) << text << "\n" << r.out;
        for (const std::string& text : st.not_said) EXPECT_FALSE(has(r, text)) << text;
    }
}

// A model of how the browser reads a help file, enough to plan a walk: where
// an entry is found (the first matching marker, "nn" wildcards, "/>"
// redirects), how many text lines it has, and its related entries.
struct EntryPlan {
    bool found = false;
    bool ends_help = false;  // its text or related run reaches the end of the file
    int text_lines = 0;
    std::vector<std::string> related;  // menu items: names, "more", "details"
};

class HelpFileModel {
public:
    explicit HelpFileModel(const std::string& text) {
        std::string line;
        for (char c : text + "\n") {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines_.push_back(line);
            line.clear();
        }
        lines_.pop_back();
    }

    EntryPlan find(const std::string& name) const {
        std::string marker = field("/" + name, 132);
        for (int hops = 0; hops <= 32; ++hops) {
            std::size_t i = 0;
            while (i < lines_.size() && !matches(lines_[i], marker)) ++i;
            if (i == lines_.size()) return {};
            std::string first = i + 1 < lines_.size() ? field(lines_[i + 1], 80) : "";
            if (first.compare(0, 2, "/>") == 0) {
                marker = field("/" + first.substr(2), 132);
                continue;
            }
            return plan_at(i + 1);
        }
        return {};
    }

private:
    static std::string field(std::string s, std::size_t n) {
        s.resize(n, ' ');
        return s;
    }
    static std::string trimmed(const std::string& s) {
        std::size_t a = s.find_first_not_of(' ');
        return a == std::string::npos ? "" : s.substr(a, s.find_last_not_of(' ') - a + 1);
    }
    static bool matches(const std::string& raw, const std::string& marker) {
        std::string line = field(trimmed(field(raw, 132)), 132);
        if (line[5] == 'n' && line[6] == 'n') line.replace(5, 2, marker.substr(5, 2));
        return line == marker;
    }
    static bool keyword(const std::string& line, const std::string& word) {
        return line.compare(2, word.size(), word) == 0 &&
               (line[2 + word.size()] == ' ' || line[2 + word.size()] == ',');
    }
    EntryPlan plan_at(std::size_t i) const {
        EntryPlan plan;
        plan.found = true;
        for (; i < lines_.size() && (lines_[i].empty() || lines_[i][0] != '/'); ++i)
            ++plan.text_lines;
        for (; i < lines_.size() && lines_[i].compare(0, 2, "/#") == 0; ++i) {
            std::string line = field(lines_[i], 81);
            if (keyword(line, "more")) plan.related.push_back("more");
            else if (keyword(line, "details")) plan.related.push_back("details");
            else plan.related.push_back(trimmed(line.substr(2, 78)));
        }
        plan.ends_help = i == lines_.size();
        return plan;
    }
    std::vector<std::string> lines_;
};

// Keyboard input that follows every chain of related entries from a topic,
// down to the level limit, and comes back up with "return" at each level; the
// problems the plan meets on the way.
class WalkPlan {
public:
    explicit WalkPlan(const HelpFileModel& file) : file_(file) {}

    void topic(const std::string& name) {
        EntryPlan plan = entry(name);
        if (plan.found && !plan.related.empty()) level(plan, 0, 0);
    }
    std::string input;
    std::vector<std::string> problems;
    int followed = 0;  // related entries chosen

private:
    static constexpr int page = 23;   // text lines of a page in a window of 24 rows
    static constexpr int depth_limit = 4;
    static constexpr int places = 24;  // menu places of all open levels together

    EntryPlan entry(const std::string& name) {
        chain_.push_back(name);
        EntryPlan plan = file_.find(name);
        if (!plan.found) problem("no entry");
        else if (plan.ends_help) problem("runs to the end of the file");
        else input += std::string((plan.text_lines + page - 1) / page, '\n');
        return plan;
    }
    void problem(const std::string& what) {
        std::string chain;
        for (const std::string& c : chain_) chain += (chain.empty() ? "" : " -> ") + c;
        problems.push_back(chain + ": " + what);
    }
    // The menu of `plan`'s related entries, opened as level depth + 1.
    void level(const EntryPlan& plan, int depth, int held) {
        if (depth + 1 > depth_limit) {
            problem("one level too deep");
            return;
        }
        // Entries beyond the free places are left out; none free: no menu.
        int k = std::min({1 + static_cast<int>(plan.related.size()), 32, places - held});
        for (int i = 2; i <= k && problems.empty(); ++i) {
            const std::string& item = plan.related[i - 2];
            if (item == "more" || item == "details") continue;  // these end the help
            if (item.find("return") != std::string::npos) problem("an entry holds \"return\"");
            input += "return\n";
            for (int d = 1; d < i; ++d) input += "\x1b[B";
            input += "\n";
            ++followed;
            EntryPlan sub = entry(item);
            if (sub.found && !sub.related.empty()) level(sub, depth + 1, held + k);
            chain_.pop_back();
        }
        // A menu of "return" alone takes it without a key.
        if (k > 1) input += "return\n\n";
    }

    const HelpFileModel& file_;
    std::vector<std::string> chain_;
};

// Ordinary browsing never meets the level limit: every chain of related
// entries from every program topic, followed with the real browser.
TEST(HelpFiles, EveryChainOfRelatedEntriesStaysWithinTheLevels) {
    std::string cwd = zt::temp_dir();
    zt::Env e = {{"ZORBHEPATH", zt::source("help")}};
    for (const Topic& t : program_topics) {
        SCOPED_TRACE(t.program + " " + t.topic);
        std::string file = t.local != "-" ? t.local.substr(1) : t.program + ".help";
        HelpFileModel model(zt::read_file(zt::source("help/" + file)));
        WalkPlan walk(model);
        walk.topic(t.topic);
        zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {t.program, t.local, t.topic},
                                  walk.input, e, cwd);
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string& problem : walk.problems) ADD_FAILURE() << problem;
        EXPECT_FALSE(has(r, "there was no way back to the preceeding level")) << r.out;
        EXPECT_FALSE(has(r, "no entry found")) << r.out;
        EXPECT_TRUE(has(r, "\x1b[0m\nhelp done " + t.topic + "\n")) << r.out;
        // Each chosen entry follows the menu after two empty lines: the walk
        // stayed in step with the browser.
        const std::string after_menu = " \x1b[0m\x1b[1A\n\n\n";
        int chosen = 0;
        for (std::size_t at = 0; (at = r.out.find(after_menu, at)) != std::string::npos; ++at)
            ++chosen;
        EXPECT_EQ(chosen, walk.followed);
    }
}

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
