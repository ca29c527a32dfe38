// Text read from files reaches the screen with its control characters
// visible: a count file's header (chanconv), a counts file's title and
// default lines (fracfit), and help-file text, related entries and details
// files (the help browser).  The files themselves keep their bytes; the help
// browser's own sequences (bold, underline, red, cursor up) stay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.h"

namespace {

// A window title and a clipboard write (OSC 52); shown as typed characters.
const std::string title_set = "\x1b]0;owned\x07";
const std::string title_shown = "^[]0;owned^G";
const std::string clipboard = "\x1b]52;c;aGk=\x1b\\";
const std::string clipboard_shown = "^[]52;c;aGk=^[\\";

// Whether the output holds an escape sequence other than the ones the
// programs write themselves (CSI with digits and one of "m" or "A").
std::string foreign_sequence(const std::string& out) {
    for (std::size_t at = out.find('\x1b'); at != std::string::npos; at = out.find('\x1b', at + 1)) {
        std::size_t end = at + 1;
        if (end < out.size() && out[end] == '[') {
            ++end;
            while (end < out.size() && out[end] >= '0' && out[end] <= '9') ++end;
            if (end < out.size() && (out[end] == 'm' || out[end] == 'A')) continue;
        }
        return out.substr(at, 12);
    }
    if (out.find('\x07') != std::string::npos) return "BEL";
    return "";
}

struct Case {
    std::string what;
    std::string exe;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> files;
    std::string input;
    std::vector<std::string> shown;   // each must appear on the screen
};

}  // namespace

TEST(TextFromFiles, ControlCharactersReachTheScreenVisibly) {
    const std::string help_file =
        "/topic\nplain " + title_set + " text\n\\bfbold " + clipboard + "\n\\ulunder \x9b" +
        "2J\n/#other\x1b[2J\n/#details det.txt\n/end\n";
    const Case cases[] = {
        {"chanconv header", "chanconv", {},
         {{"x.asc", "run " + title_set + clipboard + "\n10\n"}}, "x.asc\n\n",
         {"\n run " + title_shown + clipboard_shown + "\n"}},
        {"fracfit title and default line", "fracfit", {"ex.dat"},
         {{"ex.dat", "Al " + title_set + "\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n"
                     "   1   2\x1b[H\n  0.00\n  1  4\n"}},
         "\n\n\n\n\n",
         {"\n Al " + title_shown + "\n", "[1   2^[[H]"}},
        {"help text, related entry, details", "drv_help_probe", {"probe", "/t.help", "topic"},
         {{"t.help", help_file}, {"det.txt", "detail " + clipboard + "\n"}},
         "\ndetails\n\n",
         {"\nplain " + title_shown + " text", "\x1b[1mbold " + clipboard_shown,
          "\x1b[4munder M-^[2J\x1b[0m", "other^[[2J", "\ndetail " + clipboard_shown}},
    };
    for (const Case& c : cases) {
        const std::string dir = zt::temp_dir();
        for (const auto& [name, text] : c.files) zt::write_file(dir + "/" + name, text);
        zt::Run r = zt::run_piped(zt::built(c.exe), c.args, c.input, {{"ZORBHEPATH", dir}}, dir);
        EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
        for (const std::string& s : c.shown)
            EXPECT_NE(r.out.find(s), std::string::npos) << c.what << ": " << s << "\n" << r.out;
        EXPECT_EQ(foreign_sequence(r.out), "") << c.what << "\n" << r.out;
        // Files keep their bytes.
        for (const auto& [name, text] : c.files)
            if (name != "ex.dat") {
                EXPECT_EQ(zt::read_file(dir + "/" + name), text) << c.what;
            }
    }
}

// The converted file holds the counts' lines as they were read.
TEST(TextFromFiles, ChanconvCopiesTheLinesUnchanged) {
    const std::string dir = zt::temp_dir();
    zt::write_file(dir + "/x.asc", "h\n12\x1b[2J\n");
    zt::Run r = zt::run_piped(zt::built("chanconv"), {}, "x.asc\n\n", {}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/x.apl"), "x.asc\n channel\ncounts\n 14    1      12\x1b[2J\n");
}
