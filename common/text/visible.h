// Text read from a file, made safe to show on the terminal.
//
// A file may hold control characters that a terminal would obey (escape
// sequences that set the window title, write the clipboard, move the cursor
// or redefine keys).  Before such text reaches the screen every control
// character except TAB is written in a visible form:
//   - C0 controls and DEL as "^" and a letter: ESC "^[", BEL "^G", CR "^M",
//     NUL "^@", DEL "^?";
//   - C1 controls (0x80 to 0x9F, which some terminals obey as ESC and a
//     letter) as "M-" and the form of the C0 control 0x80 below them, so CSI
//     0x9B is "M-^[".  A C1 control is a byte of its own (a file in ISO 8859)
//     or its two-byte UTF-8 form C2 80 .. C2 9F; the bytes of any other
//     UTF-8 character, and printable bytes of 8-bit text, pass unchanged.
// Text without control characters comes back unchanged.
#pragma once

#include <string>
#include <string_view>

namespace zorb {

std::string visible_text(std::string_view text);

}  // namespace zorb
