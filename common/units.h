// Numbered channels, as the system numbers them.
//
//   5  keyboard (standard input, through the one reader of input.h)
//   6  screen (standard output)
//   10 script file of the prompts and menus, opened by a calling program
//   3  help file, 2 details file: opened and closed inside one help request
//
// Any other number may be opened by a program for its own files.  Lines are
// written whole ('\n' appended); a file written through a unit is flushed
// line by line, so that whatever ends the program, every line written is in
// the file.
#pragma once

#include <string>
#include <string_view>

namespace zorb {

constexpr int unit_keyboard = 5;
constexpr int unit_screen = 6;
constexpr int unit_script = 10;
constexpr int unit_helpfile = 3;
constexpr int unit_details = 2;

enum class OpenMode {
    read,       // an existing file, read from the start
    write,      // created or replaced
    readwrite,  // an existing file, read and rewritten in place
    keep,       // written; an existing file is kept as it is until `cut_unit`
};

// Opens `path` on `unit`; false (errno set) when it cannot be opened.
bool open_unit(int unit, const std::string& path, OpenMode mode);
void close_unit(int unit);
bool unit_is_open(int unit);
// Back to the start of the file.
void rewind_unit(int unit);
// Empties the file and goes back to its start (a file opened to `keep`).
// False (errno set) when it cannot be emptied.
bool cut_unit(int unit);

// Writes one line (text and '\n').  Unit 6 is standard output.
void write_line(int unit, std::string_view text);
// Writes text without ending the line (a prompt).
void write_text(int unit, std::string_view text);

// Reads the next line without its '\n' (nor a CR before it), kept to its
// first `line_kept` characters (input.h).  False at the end of the file.
// Unit 5 reads standard input through the one reader, with its end-of-input
// rule.
bool read_line(int unit, std::string& line);

}  // namespace zorb
