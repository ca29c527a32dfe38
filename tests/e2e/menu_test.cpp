// The menu on a pseudo-terminal (real key bytes, arrow escape sequences,
// window sizes) and through a pipe (defaults, record and replay).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string up = "\x1b[A", down = "\x1b[B", right = "\x1b[C", left = "\x1b[D";
const std::string red = "\x1b[31m[";
const std::string closing80 = "\x1b[0m" + std::string(77, '-');

// The help root of the probe: "menu_probe.help" in it serves the program
// named menu_probe.
const std::string& help_root() {
    static const std::string dir = [] {
        std::string d = zt::temp_dir();
        zt::write_file(d + "/menu_probe.help",
                       "/topic_a\n"
                       "Alpha text.\n"
                       "/#topic_b\n"
                       "/#topic_c\n"
                       "/topic_b\n"
                       "Beta text.\n"
                       "/topic_c\n"
                       "Gamma text.\n"
                       "/end\n");
        return d;
    }();
    return dir;
}

std::unique_ptr<zt::Pty> menu(const std::vector<std::string>& args, int rows = 24, int cols = 80) {
    return std::make_unique<zt::Pty>(zt::built("drv_menu_probe"), args, rows, cols,
                                     zt::Env{{"ZORBHEPATH", help_root()}}, help_root());
}

zt::Run piped(const std::vector<std::string>& args, const std::string& input) {
    return zt::run_piped(zt::built("drv_menu_probe"), args, input,
                         {{"ZORBHEPATH", help_root()}}, help_root());
}

const std::vector<std::string> sixline_modes = {"a:L1,L2,L5,L6", "b:L1,L2,L6,Is",
                                                "c:L1,L6,Is,Deq"};

std::vector<std::string> with(std::vector<std::string> opts, const std::vector<std::string>& e) {
    opts.insert(opts.end(), e.begin(), e.end());
    return opts;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    lines.push_back(cur);
    return lines;
}

// The text a terminal shows for a line: escape sequences removed.
std::string visible(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\x1b') {
            while (i < s.size() && !(s[i] >= 'A' && s[i] <= 'z' && s[i] != '[')) ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

TEST(MenuTerminal, DefaultHighlightedInColumnsAndAcceptedWithReturn) {
    auto t = menu(with({"-t", "hyperfine fields", "-d", "a", "-c"}, sixline_modes));
    ASSERT_TRUE(t->expect(closing80)) << t->output();
    const std::string drawn = t->output();
    // The title centred in 77 dashes: (77 - 26) / 2 = 25 before it.
    EXPECT_NE(drawn.find("\x1b[0m" + std::string(25, '-') + "hyperfine fields (help:he)" +
                         std::string(26, '-') + "\r\n"),
              std::string::npos)
        << drawn;
    // One row: the three entries side by side in fields of 24 bytes, the
    // first in red brackets.
    EXPECT_NE(drawn.find(red + "a:L1,L2,L5,L6]" + std::string(4, ' ') + "\x1b[0m b:L1,L2,L6,Is" +
                         std::string(6, ' ') + "\x1b[0m c:L1,L6,Is,Deq     \r\n"),
              std::string::npos)
        << drawn;
    t->send("\r");
    ASSERT_TRUE(t->expect("result lq=1 lk=0")) << t->output();
    // Title, one row and the closing line.
    EXPECT_NE(t->output().find("count=3"), std::string::npos) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, SearchMovesOnWrapsAndIsCaseSensitive) {
    auto t = menu(with({"-d", "a", "-c"}, sixline_modes));
    ASSERT_TRUE(t->expect(closing80));
    // "L6" is in all three entries: each search moves on to the next one.
    t->send("L6\r");
    ASSERT_TRUE(t->expect(red + "b:L1,L2,L6,Is]")) << t->output();
    ASSERT_TRUE(t->expect(closing80));
    t->send("L6\r");
    ASSERT_TRUE(t->expect(red + "c:L1,L6,Is,Deq]")) << t->output();
    ASSERT_TRUE(t->expect(closing80));
    t->send("L6\r");
    ASSERT_TRUE(t->expect(red + "a:L1,L2,L5,L6]")) << t->output();
    ASSERT_TRUE(t->expect(closing80));
    // Lower case finds nothing: no entry is highlighted, and Return then
    // chooses nothing.
    t->mark();
    t->send("l6\r");
    ASSERT_TRUE(t->expect(closing80));
    EXPECT_EQ(t->since_mark().find(red), std::string::npos);
    EXPECT_EQ(t->output().rfind(red), t->output().rfind(red + "a:L1,L2,L5,L6]"));
    t->send("\r");
    ASSERT_TRUE(t->expect("result lq=0 lk=0")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, ArrowKeysWrapBothWays) {
    auto t = menu(with({"-d", "a", "-c"}, sixline_modes));
    ASSERT_TRUE(t->expect(closing80));
    const std::vector<std::pair<std::string, std::string>> steps = {
        {up, "c:L1,L6,Is,Deq"}, {down, "a:L1,L2,L5,L6"}, {left, "c:L1,L6,Is,Deq"},
        {right, "a:L1,L2,L5,L6"}, {right, "b:L1,L2,L6,Is"}};
    for (const auto& [keys, entry] : steps) {
        t->send(keys);
        ASSERT_TRUE(t->expect(red + entry + "]")) << entry << "\n" << t->output();
        ASSERT_TRUE(t->expect(closing80));
    }
    t->send("\r");
    ASSERT_TRUE(t->expect("result lq=2 lk=0")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, QuitUnlessAnEntryStartsWithQ) {
    {
        auto t = menu(with({"-d", "a"}, sixline_modes));
        ASSERT_TRUE(t->expect(closing80));
        t->send("q\r");
        ASSERT_TRUE(t->expect("result lq=0 lk=0")) << t->output();
        EXPECT_EQ(t->wait(), 0);
    }
    auto t = menu({"-d", "alpha", "alpha", "quadrupole", "beta"});
    ASSERT_TRUE(t->expect(closing80));
    t->send("q\r");
    ASSERT_TRUE(t->expect(red + "quadrupole]")) << t->output();
    ASSERT_TRUE(t->expect(closing80));
    t->send("*\r");
    ASSERT_TRUE(t->expect("result lq=0 lk=0")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, HelpOfTheHighlightedEntryAndTheHintLine) {
    const std::string hint =
        " select by typing a substring, RET or by repeatedly using left/right shift keys";
    auto t = menu({"-d", "beta", "-D", "alpha|topic_a|ext1", "beta|topic_b", "gamma|topic_c"});
    ASSERT_TRUE(t->expect(closing80));
    t->send("he\r");
    ASSERT_TRUE(t->expect(hint)) << t->output();
    ASSERT_TRUE(t->expect("Beta text.")) << t->output();
    t->send("\r");  // the page
    ASSERT_TRUE(t->expect("from help-file:")) << t->output();
    // The menu is drawn anew below the help, with the caller's default (the
    // field of a four-letter entry has no room for the closing bracket).
    ASSERT_TRUE(t->expect(red + "beta\x1b[0m gamma")) << t->output();
    ASSERT_TRUE(t->expect(closing80));
    t->mark();
    t->send("HE\r");
    ASSERT_TRUE(t->expect("Beta text.")) << t->output();
    EXPECT_EQ(t->since_mark().find(hint), std::string::npos);
    t->send("\r");
    ASSERT_TRUE(t->expect(closing80));
    t->send("\r");
    ASSERT_TRUE(t->expect("result lq=2 lk=0")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, HelpFromInsideTheMenuLeavesItsEntriesIntact) {
    auto t = menu({"-d", "alpha", "-D", "alpha|topic_a|ext1", "beta|topic_b|ext2",
                   "gamma|topic_c"});
    ASSERT_TRUE(t->expect(closing80));
    t->send("he\r");
    ASSERT_TRUE(t->expect("Alpha text.")) << t->output();
    t->send("\r");
    // The related entries replace the caller's entries while help runs.
    ASSERT_TRUE(t->expect("further related information")) << t->output();
    ASSERT_TRUE(t->expect(red + "return]")) << t->output();
    t->send("topic_c\r");
    ASSERT_TRUE(t->expect(red + "topic_c]")) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("Gamma text.")) << t->output();
    t->send("\r");
    // Back at the related menu: after the last entry the default is "return".
    ASSERT_TRUE(t->expect(red + "return]")) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("from help-file:")) << t->output();
    ASSERT_TRUE(t->expect(red + "alpha ext1]")) << t->output();
    ASSERT_TRUE(t->expect(closing80));
    t->send("\r");
    ASSERT_TRUE(t->expect("result lq=1 lk=0")) << t->output();
    ASSERT_TRUE(t->expect("entry 1 alpha|topic_a|ext1"));
    ASSERT_TRUE(t->expect("entry 2 beta|topic_b|ext2"));
    ASSERT_TRUE(t->expect("entry 3 gamma|topic_c|"));
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuTerminal, TitleRules) {
    auto t = menu({"-t", "more information", "-d", "x", "x1", "x2"});
    ASSERT_TRUE(t->expect(closing80));
    EXPECT_NE(t->output().find("---more information---"), std::string::npos) << t->output();
    EXPECT_EQ(t->output().find("(help:he)"), std::string::npos);
    t->send("*\r");
    ASSERT_TRUE(t->expect("result lq=0"));
    EXPECT_EQ(t->wait(), 0);

    // Under "further related" typing "he" is a search, not a help request.
    auto r = menu({"-t", "further related information", "-d", "x", "x1", "helium"});
    ASSERT_TRUE(r->expect(closing80));
    r->send("he\r");
    ASSERT_TRUE(r->expect(red + "helium]")) << r->output();
    EXPECT_EQ(r->output().find("subroutine help"), std::string::npos);
    ASSERT_TRUE(r->expect(closing80));
    r->send("\r");
    ASSERT_TRUE(r->expect("result lq=2 lk=0"));
    EXPECT_EQ(r->wait(), 0);
}

// Every row of the menu is drawn, erased before a new search and drawn again.
void check_layout(int entries, bool columns, int cols, int expected_rows) {
    SCOPED_TRACE("entries " + std::to_string(entries) + " cols " + std::to_string(cols));
    std::vector<std::string> args = {"-n", std::to_string(entries), "-d", "item01"};
    if (columns) args.push_back("-c");
    auto t = menu(args, 40, cols);
    const int npx = std::min(cols, 130) - 3;
    const int npli = std::min(cols - 3, 129);
    const std::string closing = "\x1b[0m" + std::string(npx, '-');
    ASSERT_TRUE(t->expect(closing)) << t->output();
    std::vector<std::string> lines = lines_of(t->output());
    std::size_t title = 0;
    while (title < lines.size() && lines[title].find("choose (help:he)") == std::string::npos)
        ++title;
    ASSERT_LT(title, lines.size());
    std::vector<std::string> rows;
    for (std::size_t i = title + 1; i < lines.size() && lines[i] != "\x1b[0m\x1b[1A"; ++i)
        rows.push_back(lines[i]);
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
        std::size_t found = all.find(name, at);
        ASSERT_NE(found, std::string::npos) << name;
        at = found + 6;
    }
    EXPECT_EQ(all.find("item", at), std::string::npos);

    const std::size_t start = t->output().size();
    t->send("02\r");
    ASSERT_TRUE(t->expect(red + "item02]")) << t->output();
    ASSERT_TRUE(t->expect(closing)) << t->output();
    std::vector<std::string> after = lines_of(t->output().substr(start));
    const int n = static_cast<int>(rows.size());
    const std::string up_rows = " \x1b[" + std::to_string(n + 2) + "A";
    std::size_t i = 0;
    while (i < after.size() && after[i] != up_rows) ++i;
    ASSERT_LT(i + n + 1, after.size()) << t->output().substr(start);
    for (int k = 1; k <= n; ++k) EXPECT_EQ(after[i + k], std::string(npli, ' ')) << k;
    EXPECT_EQ(after[i + n + 1], " \x1b[" + std::to_string(n + 1) + "A");
    int redrawn = 0;
    for (std::size_t j = i + n + 2; j < after.size() && after[j] != "\x1b[0m\x1b[1A"; ++j)
        ++redrawn;
    EXPECT_EQ(redrawn, n);
    t->send("*\r");
    ASSERT_TRUE(t->expect("result lq=0"));
    EXPECT_EQ(t->wait(), 0);
}

TEST(MenuLayout, ThreeEntriesInColumns) {
    check_layout(3, true, 80, 1);
    check_layout(3, true, 132, 1);
}

TEST(MenuLayout, TwentyFourEntriesInColumns) {
    check_layout(24, true, 80, 4);
    check_layout(24, true, 132, 3);
}

TEST(MenuLayout, SixtyFourEntriesInRows) {
    check_layout(64, false, 80, 22);
    check_layout(64, false, 132, 16);
}

TEST(MenuPipe, DisplayOnlyAndOneEntry) {
    // No default text: the menu is shown and returns at once.
    zt::Run r = piped(with({}, sixline_modes), "");
    EXPECT_NE(r.out.find("result lq=3 lk=3"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(red), std::string::npos);
    EXPECT_EQ(r.status, 0);
    // One entry: no key is read; it is chosen when it holds the default.
    r = piped({"-d", "L5", "a:L1,L2,L5,L6"}, "");
    EXPECT_NE(r.out.find("result lq=1 lk=0"), std::string::npos) << r.out;
    EXPECT_EQ(r.status, 0);
    r = piped({"-d", "L9", "a:L1,L2,L5,L6"}, "");
    EXPECT_NE(r.out.find("result lq=0 lk=0"), std::string::npos) << r.out;
    EXPECT_EQ(r.status, 0);
    // "g" takes the default without asking.
    r = piped(with({"-g", "-d", "b:"}, sixline_modes), "");
    EXPECT_NE(r.out.find("result lq=2 lk=0"), std::string::npos) << r.out;
}

TEST(MenuPipe, RecordThenReplayOnTheScriptChannel) {
    const std::string script = zt::temp_dir() + "/menu.script";
    zt::Run w = piped(with({"-m", "w", "-s", script, "-d", "a", "-c"}, sixline_modes), "L6\n\n");
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_NE(w.out.find("result lq=2 lk=0"), std::string::npos) << w.out;
    std::vector<std::string> rec = lines_of(zt::read_file(script));
    ASSERT_GE(rec.size(), 3u);
    EXPECT_EQ(rec[0].find("choose (help:he)"), 30u) << rec[0];
    EXPECT_EQ(rec[0].find('\x1b'), std::string::npos);
    EXPECT_NE(rec[1].find(red + "b:L1,L2,L6,Is]"), std::string::npos) << rec[1];
    EXPECT_EQ(rec[2], "2" + std::string(76, '-'));

    zt::Run r = piped(with({"-m", "r", "-s", script, "-c"}, sixline_modes), "");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("result lq=2 lk=0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\x1b[0m" + rec[1]), std::string::npos) << r.out;
}

TEST(MenuSecondForm, QuitDefaultFailedSearchAndHelpRule) {
    const std::vector<std::string> materials = {"Al aluminum", "Plexi", "Ni nickel"};
    // A default holding " quit" selects without reading anything.
    zt::Run r = piped(with({"-2", "80", "-t", "select absorption material", "-d", "Ni quit",
                            "-c"},
                           materials),
                      "");
    EXPECT_NE(r.out.find("result lq=3 lk=0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("select absorption material (help:he)"), std::string::npos);
    // A default that selects nothing returns 0.
    r = piped(with({"-2", "80", "-d", "zz quit", "-c"}, materials), "");
    EXPECT_NE(r.out.find("result lq=0 lk=0"), std::string::npos) << r.out;
    // A text that no entry holds highlights entry 1.
    r = piped(with({"-2", "80", "-d", "Ni", "-c"}, materials), "zz\n\n");
    EXPECT_NE(r.out.find("result lq=1 lk=0"), std::string::npos) << r.out;
    // "help" is a search text here (no entry holds it: entry 1), "he" alone
    // asks for help.
    r = piped(with({"-2", "80", "-d", "Ni", "-c"}, materials), "help\n\n");
    EXPECT_EQ(r.out.find("subroutine help"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("result lq=1 lk=0"), std::string::npos) << r.out;
    r = piped(with({"-2", "80", "-d", "Ni", "-c"}, materials), "he\n\n");
    EXPECT_NE(r.out.find(" subroutine help(chin):"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("result lq=3 lk=0"), std::string::npos) << r.out;
    // "q" quits even when an entry starts with "q".
    r = piped({"-2", "80", "-d", "a", "alpha", "quartz"}, "q\n");
    EXPECT_NE(r.out.find("result lq=0 lk=0"), std::string::npos) << r.out;
}

}  // namespace
