// The menu on a pseudo-terminal (real key bytes, arrow escape sequences,
// window sizes) and through a pipe (defaults, record and replay).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "screen.h"
#include "session.h"

namespace {

const std::string up = "\x1b[A", down = "\x1b[B", right = "\x1b[C", left = "\x1b[D";
const std::string red = "\x1b[31m[";
const std::string closing80 = "\x1b[0m" + std::string(77, '-');
const std::vector<std::string> modes = {"a:L1,L2,L5,L6", "b:L1,L2,L6,Is", "c:L1,L6,Is,Deq"};

// The help root of the probe: "menu_probe.help" serves the program menu_probe.
const std::string& help_root() {
    static const std::string dir = [] {
        std::string d = zt::temp_dir();
        zt::write_file(d + "/menu_probe.help",
                       "/topic_a\nAlpha text.\n/#topic_b\n/#topic_c\n"
                       "/topic_b\nBeta text.\n/topic_c\nGamma text.\n/end\n");
        return d;
    }();
    return dir;
}

std::vector<std::string> with(std::vector<std::string> opts, const std::vector<std::string>& e) {
    opts.insert(opts.end(), e.begin(), e.end());
    return opts;
}

std::unique_ptr<zt::Pty> menu(const std::vector<std::string>& args, int rows = 24, int cols = 80) {
    return std::make_unique<zt::Pty>(zt::built("drv_menu_probe"), args, rows, cols,
                                     zt::Env{{"ZORBHEPATH", help_root()}}, help_root());
}

std::string piped(const std::vector<std::string>& args, const std::string& input) {
    zt::Run r = zt::run_piped(zt::built("drv_menu_probe"), args, input,
                              {{"ZORBHEPATH", help_root()}}, help_root());
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

// Keys sent and a text expected after them; an expected text that starts
// with "!" must not appear before the next closing line.
struct Step {
    std::string keys, expect;
};

void play(const std::vector<std::string>& args, const std::vector<Step>& steps) {
    auto t = menu(args);
    ASSERT_TRUE(t->expect(closing80)) << t->output();
    for (const Step& s : steps) {
        std::size_t from = t->output().size();
        if (s.expect[0] == '!') t->mark();
        t->send(s.keys);
        if (s.expect[0] == '!') {
            ASSERT_TRUE(t->expect(closing80)) << t->output();
            EXPECT_EQ(t->output().find(s.expect.substr(1), from), std::string::npos) << s.keys;
        } else {
            ASSERT_TRUE(t->expect(s.expect)) << s.keys << "\n" << t->output();
        }
    }
    EXPECT_EQ(t->wait(), 0);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n') lines.emplace_back();
        else if (c != '\r') lines.back() += c;
    }
    return lines;
}

// The text a terminal shows for a line: escape sequences removed.
std::string visible(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\x1b') out += s[i];
        else while (i < s.size() && !(s[i] >= 'A' && s[i] <= 'z' && s[i] != '[')) ++i;
    }
    return out;
}

TEST(MenuTerminal, DefaultHighlightedInColumnsAndAcceptedWithReturn) {
    auto t = menu(with({"-t", "hyperfine fields", "-d", "a", "-c"}, modes));
    ASSERT_TRUE(t->expect(closing80)) << t->output();
    // The title centred in 77 dashes; one row of three 24-byte fields.
    EXPECT_NE(t->output().find("\x1b[0m" + std::string(25, '-') + "hyperfine fields (help:he)" +
                               std::string(26, '-') + "\r\n" + red + "a:L1,L2,L5,L6]    " +
                               "\x1b[0m b:L1,L2,L6,Is      \x1b[0m c:L1,L6,Is,Deq     \r\n"),
              std::string::npos)
        << t->output();
    t->send("\r");
    // Title, one row and the closing line: 3 lines down.
    ASSERT_TRUE(t->expect("result lq=1 lk=0 chdf=[" + std::string(79, ' ') + "] count=3"))
        << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, SearchMovesOnWrapsAndIsCaseSensitive) {
    play(with({"-d", "a", "-c"}, modes), {{"L6\r", red + "b:L1,L2,L6,Is]"},
                                          {"L6\r", red + "c:L1,L6,Is,Deq]"},
                                          {"L6\r", red + "a:L1,L2,L5,L6]"},
                                          {"l6\r", "!" + red},
                                          {"\r", "result lq=0 lk=0"}});
}

TEST(MenuTerminal, ArrowKeysWrapBothWays) {
    play(with({"-d", "a", "-c"}, modes),
         {{up, red + "c:L1,L6,Is,Deq]"}, {down, red + "a:L1,L2,L5,L6]"},
          {left, red + "c:L1,L6,Is,Deq]"}, {right, red + "a:L1,L2,L5,L6]"},
          {right, red + "b:L1,L2,L6,Is]"}, {"\r", "result lq=2 lk=0"}});
}

TEST(MenuTerminal, QuitUnlessAnEntryStartsWithQ) {
    play(with({"-d", "a"}, modes), {{"q\r", "result lq=0 lk=0"}});
    play({"-d", "alpha", "alpha", "quadrupole", "beta"},
         {{"q\r", red + "quadrupole]"}, {"*\r", "result lq=0 lk=0"}});
}

TEST(MenuTerminal, HelpOfTheHighlightedEntryLeavesTheEntriesIntact) {
    const std::string hint =
        " select by typing a substring, RET or by repeatedly using left/right shift keys";
    play({"-d", "bravo", "-D", "alpha|topic_a|ext1", "bravo|topic_b|ext2", "gamma|topic_c"},
         {{"he\r", hint},
          {"", "Beta text."},
          {"\r", "from help-file:"},
          // Drawn anew below the help with the caller's default.
          {"", red + "bravo ext2]"},
          // Capitals ask for help too (the page answered at once), without
          // the hint line.
          {"HE\r\r", "!" + hint},
          {"alpha\r", red + "alpha ext1]"},
          {"he\r", "Alpha text."},
          // The related entries take the menu's places while help runs.
          {"\r", "further related information"},
          {"topic_c\r", red + "topic_c]"},
          {"\r", "Gamma text."},
          {"\r", red + "return]"},
          // Back in the menu with the caller's default.
          {"\r", red + "bravo ext2]"},
          {"\r", "result lq=2 lk=0"},
          {"", "entry 1 alpha|topic_a|ext1\r\nentry 2 bravo|topic_b|ext2\r\n"
               "entry 3 gamma|topic_c|\r\n"}});
}

// What the terminal shows once the output has settled after `text`.
zt::Screen screen_after(zt::Pty& t, int rows, int cols) {
    t.drain(200);
    zt::Screen s(rows, cols);
    s.feed(t.output());
    return s;
}

int rows_holding(const zt::Screen& s, const std::string& text) {
    int n = 0;
    for (int r = 0; r < s.rows(); ++r) n += s.row(r).find(text) != std::string::npos;
    return n;
}

// A search that finds nothing, "he" with nothing highlighted (the hint line,
// then a search for "he"), and a new search: the menu stands once on the
// screen, and nothing of the hint line stays below it.
TEST(MenuScreen, HintLineIsClearedAndTheRowsStayInPlace) {
    const std::string title = "hyperfine fields from line positions of a 3/2<->1/2 transition";
    for (auto [rows, cols] : {std::pair{24, 80}, std::pair{12, 40}, std::pair{24, 60}}) {
        SCOPED_TRACE(std::to_string(rows) + "x" + std::to_string(cols));
        auto t = std::make_unique<zt::Pty>(zt::built("drv_menu_probe"),
                                           with({"-t", title, "-d", "a", "-c"}, modes), rows, cols,
                                           zt::Env{{"ZORBHEPATH", help_root()}}, help_root());
        const std::string closing = "\x1b[0m" + std::string(cols - 3, '-');
        ASSERT_TRUE(t->expect(closing)) << t->output();
        for (const char* keys : {"x\r", "he\r", "b\r"}) {
            t->mark();
            t->send(keys);
            ASSERT_TRUE(t->expect(closing)) << keys << t->output();
        }
        zt::Screen s = screen_after(*t, rows, cols);
        EXPECT_EQ(rows_holding(s, "hyperfine"), 1) << s.text();
        for (const std::string& entry : modes) EXPECT_EQ(rows_holding(s, entry), 1) << s.text();
        EXPECT_EQ(rows_holding(s, "[b:L1,L2,L6,Is]"), 1) << s.text();
        int last = s.rows() - 1;
        while (last >= 0 && s.row(last) != std::string(cols - 3, '-')) --last;
        ASSERT_GE(last, 0) << s.text();
        for (int r = last + 1; r < s.rows(); ++r) EXPECT_EQ(s.row(r), "") << r << "\n" << s.text();
        t->send("\r");
        ASSERT_TRUE(t->expect("result lq=2 lk=0")) << t->output();
        EXPECT_EQ(t->wait(), 0);
    }
}

// The browser measures the window for its own menus; a program that set its
// usable width beyond 130 columns gets its menu back as wide as before.
TEST(MenuTerminal, HelpLeavesTheUsableWidthOfTheProgram) {
    auto t = std::make_unique<zt::Pty>(
        zt::built("drv_menu_probe"),
        std::vector<std::string>{"-N", "-d", "alpha", "alpha|topic_b", "bravo|topic_c"}, 24, 132,
        zt::Env{{"ZORBHEPATH", help_root()}}, help_root());
    const std::string closing = "\x1b[0m" + std::string(129, '-') + "\r\n";
    ASSERT_TRUE(t->expect(closing)) << t->output();
    t->send("he\r");
    ASSERT_TRUE(t->expect("Beta text.")) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("from help-file:")) << t->output();
    ASSERT_TRUE(t->expect(red + "alpha]")) << t->output();
    ASSERT_TRUE(t->expect(closing)) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("result lq=1 lk=0")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuPipe, TitleRules) {
    // No default text: the menu is only shown, so the titles can be read.
    std::string out = piped({"-t", "more information", "x1"}, "");
    EXPECT_NE(out.find("---more information---"), std::string::npos) << out;
    EXPECT_EQ(out.find("(help:he)"), std::string::npos);
    // Under "further related" typing "he" is a search, not a help request.
    out = piped({"-t", "further related information", "-d", "x", "x1", "helium"}, "he\n\n");
    EXPECT_EQ(out.find("subroutine help"), std::string::npos) << out;
    EXPECT_NE(out.find("result lq=2 lk=0"), std::string::npos) << out;
}

// Every row of the menu is drawn, erased before a new search and drawn again.
void check_layout(int entries, bool columns, int cols, int expected_rows) {
    SCOPED_TRACE("entries " + std::to_string(entries) + " cols " + std::to_string(cols));
    std::vector<std::string> args = {"-n", std::to_string(entries), "-d", "item01"};
    if (columns) args.push_back("-c");
    auto t = menu(args, 40, cols);
    const int npx = std::min(cols, 130) - 3, npli = std::min(cols - 3, 129);
    const std::string closing = "\x1b[0m" + std::string(npx, '-');
    ASSERT_TRUE(t->expect(closing)) << t->output();
    std::vector<std::string> lines = lines_of(t->output()), rows;
    std::size_t i = 0;
    while (i < lines.size() && lines[i].find("choose (help:he)") == std::string::npos) ++i;
    for (++i; i < lines.size() && lines[i] != "\x1b[0m\x1b[1A"; ++i) rows.push_back(lines[i]);
    EXPECT_EQ(static_cast<int>(rows.size()), expected_rows);
    // Each entry once, in order, and no row wider than the menu.
    std::string all;
    for (const auto& row : rows) {
        EXPECT_LE(static_cast<int>(visible(row).size()), npx + 2) << row;
        all += visible(row);
    }
    std::size_t at = 0;
    for (int k = 1; k <= entries; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "item%02d", k);
        at = all.find(name, at);
        ASSERT_NE(at, std::string::npos) << name;
    }
    EXPECT_EQ(all.find("item", at + 1), std::string::npos);

    const std::size_t start = t->output().size();
    t->send("02\r");
    ASSERT_TRUE(t->expect(red + "item02]")) << t->output();
    ASSERT_TRUE(t->expect(closing)) << t->output();
    std::vector<std::string> after = lines_of(t->output().substr(start));
    const int n = static_cast<int>(rows.size());
    i = 0;
    while (i < after.size() && after[i] != " \x1b[" + std::to_string(n + 2) + "A") ++i;
    ASSERT_LT(i + n + 1, after.size()) << t->output().substr(start);
    for (int k = 1; k <= n; ++k) EXPECT_EQ(after[i + k], std::string(npli, ' ')) << k;
    EXPECT_EQ(after[i + n + 1], " \x1b[" + std::to_string(n + 1) + "A");
    int redrawn = 0;
    for (i += n + 2; i < after.size() && after[i] != "\x1b[0m\x1b[1A"; ++i) ++redrawn;
    EXPECT_EQ(redrawn, n);
    t->send("*\r");
    ASSERT_TRUE(t->expect("result lq=0"));
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuLayout, ColumnsAndRowsAtTwoWidths) {
    check_layout(3, true, 80, 1);
    check_layout(3, true, 132, 1);
    check_layout(24, true, 80, 4);
    check_layout(24, true, 132, 3);
    check_layout(64, false, 80, 22);
    check_layout(64, false, 132, 16);
}

// The stated column count wherever a row of it fits the terminal; fewer only
// where it would wrap.  Counted on the screen: the rows between the title and
// the closing line.
TEST(MenuLayout, StatedColumnsWhereTheRowFits) {
    const std::vector<std::string> letters = {"a", "b", "c", "d", "e", "f",
                                              "g", "h", "i", "j", "k", "l"};
    struct Case {
        std::vector<std::string> entries;
        int cols, rows;
    };
    // Three modes: 3 columns of 20 characters at 60 and 80 columns, one at
    // 40 (37 usable).  Twelve letters: the stated 12 columns of 7 would wrap
    // at 80, so 2 rows of 6; at 90 they fit in one row.
    for (const Case& c : {Case{modes, 60, 1}, Case{modes, 80, 1}, Case{modes, 40, 3},
                          Case{letters, 80, 2}, Case{letters, 90, 1}}) {
        SCOPED_TRACE(c.entries[0] + " at " + std::to_string(c.cols));
        auto t = std::make_unique<zt::Pty>(zt::built("drv_menu_probe"),
                                           with({"-t", "m", "-d", "a", "-c"}, c.entries), 24,
                                           c.cols, zt::Env{{"ZORBHEPATH", help_root()}},
                                           help_root());
        ASSERT_TRUE(t->expect("\x1b[0m" + std::string(c.cols - 3, '-') + "\r\n")) << t->output();
        zt::Screen s = screen_after(*t, 24, c.cols);
        int title = 0;
        while (title < s.rows() && s.row(title).find("m (help:he)") == std::string::npos) ++title;
        int closing = title + 1;
        while (closing < s.rows() && s.row(closing) != std::string(c.cols - 3, '-')) ++closing;
        EXPECT_EQ(closing - title - 1, c.rows) << s.text();
        t->send("*\r");
        ASSERT_TRUE(t->expect("result lq=0"));
        EXPECT_EQ(t->wait(), 0);
    }
}

TEST(MenuPipe, ColumnsOfShortEntriesFitTheTerminal) {
    // Twelve one-letter entries: each field shows w + 1 characters, so the
    // number of columns leaves every row within 80 columns.
    std::string out = piped({"-c", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}, "");
    std::vector<std::string> lines = lines_of(out);
    std::size_t i = 0;
    while (i < lines.size() && lines[i].find("choose (help:he)") == std::string::npos) ++i;
    int rows = 0;
    for (++i; i < lines.size() && lines[i] != "\x1b[0m\x1b[1A"; ++i, ++rows)
        EXPECT_LE(visible(lines[i]).size(), 80u) << lines[i];
    EXPECT_EQ(rows, 2) << out;
}

TEST(MenuPipe, HintLineIsPassedOverWhenTheRowsAreRedrawn) {
    // Under "further related" the hint is written and "he" searches: the move
    // up over the rows counts the hint line too (one row, closing line,
    // answer line, hint line).
    std::string out =
        piped({"-t", "further related information", "-d", "x", "x1", "helium"}, "he\n\n");
    std::size_t hint = out.find(" select by typing a substring");
    ASSERT_NE(hint, std::string::npos) << out;
    EXPECT_EQ(out.find(" \x1b[4A\n", hint), out.find('\n', hint) + 1) << out;
}

TEST(MenuPipe, DisplayOnlyOneEntryAndTakenDefault) {
    std::string out = piped(modes, "");
    EXPECT_NE(out.find("result lq=3 lk=3"), std::string::npos) << out;
    EXPECT_EQ(out.find(red), std::string::npos);
    // One entry: no key is read; it is chosen when it holds the default.
    out = piped({"-d", "L5", "a:L1,L2,L5,L6"}, "");
    EXPECT_NE(out.find("result lq=1 lk=0"), std::string::npos) << out;
    out = piped({"-d", "L9", "a:L1,L2,L5,L6"}, "");
    EXPECT_NE(out.find("result lq=0 lk=0"), std::string::npos) << out;
    out = piped(with({"-g", "-d", "b:"}, modes), "");
    EXPECT_NE(out.find("result lq=2 lk=0"), std::string::npos) << out;
}

TEST(MenuPipe, RecordThenReplayOnTheScriptChannel) {
    const std::string script = zt::temp_dir() + "/menu.script";
    std::string out = piped(with({"-m", "w", "-s", script, "-d", "a", "-c"}, modes), "L6\n\n");
    EXPECT_NE(out.find("result lq=2 lk=0"), std::string::npos) << out;
    std::vector<std::string> rec = lines_of(zt::read_file(script));
    ASSERT_GE(rec.size(), 3u);
    EXPECT_EQ(rec[0], std::string(30, '-') + "choose (help:he)" + std::string(31, '-'));
    EXPECT_NE(rec[1].find(red + "b:L1,L2,L6,Is]"), std::string::npos) << rec[1];
    EXPECT_EQ(rec[2], "2" + std::string(76, '-'));

    out = piped(with({"-m", "r", "-s", script, "-c"}, modes), "");
    EXPECT_NE(out.find("result lq=2 lk=0"), std::string::npos) << out;
    EXPECT_NE(out.find("\x1b[0m" + rec[1]), std::string::npos) << out;
}

TEST(MenuSecondForm, QuitDefaultFailedSearchAndHelpRule) {
    const std::vector<std::string> m = {"-2", "80", "-c", "Al aluminum", "Plexi", "Ni nickel"};
    auto run = [&](const std::string& def, const std::string& input) {
        return piped(with({"-t", "select absorption material", "-d", def}, m), input);
    };
    // A default holding " quit" selects without reading anything.
    std::string out = run("Ni quit", "");
    EXPECT_NE(out.find("select absorption material (help:he)"), std::string::npos);
    EXPECT_NE(out.find("result lq=3 lk=0"), std::string::npos) << out;
    EXPECT_NE(run("zz quit", "").find("result lq=0 lk=0"), std::string::npos);
    // A typed text that no entry holds highlights entry 1.
    EXPECT_NE(run("Ni", "zz\n\n").find("result lq=1 lk=0"), std::string::npos);
    // "help" is a search text here, "he" alone asks for help.
    out = run("Ni", "help\n\n");
    EXPECT_EQ(out.find("subroutine help"), std::string::npos) << out;
    out = run("Ni", "he\n\n");
    EXPECT_NE(out.find(" subroutine help(chin):"), std::string::npos) << out;
    EXPECT_NE(out.find("result lq=3 lk=0"), std::string::npos) << out;
    // "q" quits even when an entry starts with "q".
    out = piped({"-2", "80", "-d", "a", "alpha", "quartz"}, "q\n");
    EXPECT_NE(out.find("result lq=0 lk=0"), std::string::npos) << out;
}

}  // namespace
