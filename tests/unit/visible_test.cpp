#include "visible.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(VisibleText, ControlCharactersShownOtherTextKept) {
    const struct {
        std::string in, shown;
    } cases[] = {
        {"plain text, 1.5 mm/s", "plain text, 1.5 mm/s"},
        {"tab\tstays", "tab\tstays"},
        // A window title and a clipboard write (OSC 52), ended by BEL and ST.
        {"\x1b]0;owned\x07", "^[]0;owned^G"},
        {"\x1b]52;c;aGk=\x1b\\", "^[]52;c;aGk=^[\\"},
        {"a\rb\nc"s + '\0' + "d\x7f", "a^Mb^Jc^@d^?"},
        // C1 controls: CSI as one byte (8-bit text) and in its UTF-8 form.
        {"\x9b" "31m", "M-^[31m"},
        {"\xc2\x9b" "2J", "M-^[2J"},
        {"\x80\x9f", "M-^@M-^_"},
        // Printable 8-bit and UTF-8 text is left alone.
        {"M\xf6ssbauer", "M\xf6ssbauer"},
        {"M\xc3\xb6ssbauer \xe2\x86\x94 \xf0\x9f\x98\x80", "M\xc3\xb6ssbauer \xe2\x86\x94 \xf0\x9f\x98\x80"},
        {"\xc2\xa0nbsp", "\xc2\xa0nbsp"},
        // A UTF-8 lead byte without its continuation is a byte of its own;
        // an overlong form of ESC is no character.
        {"\xc3", "\xc3"},
        {"\xc0\x9b", "\xc0M-^["},
        {"\xe2\x86", "\xe2M-^F"},
    };
    for (const auto& c : cases) EXPECT_EQ(zorb::visible_text(c.in), c.shown) << c.in;
}

}  // namespace
