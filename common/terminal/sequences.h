// Every ECMA-48 sequence the suite writes: its whole contract with the
// terminal.  The screen is written as ordinary lines; these sequences, inside
// them, colour a text or move the cursor back over lines already written, so
// that prompts, menus and help pages redraw themselves in place.
//
//   ESC "[0m"   SGR 0: normal, every attribute off (after each coloured text)
//   ESC "[1m"   SGR 1: bold (help lines marked "\bf")
//   ESC "[4m"   SGR 4: underline (help lines marked "\ul")
//   ESC "[31m"  SGR 31: red (the highlighted menu entry, the help footer)
//   ESC "[34m"  SGR 34: blue (the "command>" prompt of the command buffer)
//   ESC "[nA"   CUU n: cursor up n lines, to redraw over what was written
//   ESC "[K"    EL 0: erase to the end of the line (a prompt's redraw on a
//               terminal, where a longer answer would otherwise show through)
//   CR          back to column 1 (a menu blanks a key's echo on its line)
//
// With NO_COLOR in the environment the SGR sequences are left out of every
// line (attributes.h); the cursor movements stay.
#pragma once

#include <string>

namespace zorb::seq {

constexpr char esc = '\x1b';                 // ESC, the first byte of every sequence

constexpr char normal[] = "\x1b[0m";         // SGR 0: every attribute off
constexpr char bold[] = "\x1b[1m";           // SGR 1: bold
constexpr char underline[] = "\x1b[4m";      // SGR 4: underline
constexpr char red[] = "\x1b[31m";           // SGR 31: red text
constexpr char blue[] = "\x1b[34m";          // SGR 34: blue text

constexpr char up_one[] = "\x1b[1A";         // CUU 1: cursor up one line
constexpr char erase_to_end[] = "\x1b[K";    // EL 0: erase to the end of the line
constexpr char carriage_return[] = "\r";     // CR: cursor to column 1

// CUU n: cursor up n lines.
inline std::string cursor_up(int n) { return "\x1b[" + std::to_string(n) + "A"; }

// The line that moves back over n lines: a blank and CUU n.  Its own line
// end brings the cursor one line down again, to the start of a line.
inline std::string up_line(int n) { return " " + cursor_up(n); }

}  // namespace zorb::seq
