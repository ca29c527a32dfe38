// Numbered channels, as the system numbers them.
//
//   5  keyboard (standard input, through the one reader of input.h)
//   6  screen (standard output)
//   10 script file of the prompts and menus, opened by a calling program
//   3  help file, 2 details file: opened and closed inside one help request
//
// Any other number may be opened by a program for its own files.  Lines are
// written whole ('\n' appended).
//
// Buffering, and the promise that goes with it: a file never lags the
// screen.  Lines written to a file are kept in the unit's buffer and go out
// in large writes; the screen (`stdout`, whoever writes to it) is buffered as
// the C library buffers it (line by line on a terminal, in large blocks
// otherwise).  Every file's buffer is written out whenever the screen's
// buffer goes out, before every read of the keyboard (`flush_output`), when
// the unit is closed, rewound or cut, at exit, and before one of the signals
// SIGINT, SIGTERM, SIGHUP and SIGQUIT ends the program.  So whatever ends the
// program, every line the screen received that was also written to a file
// is in that file, in order.  A file that cannot take its lines (disk full,
// device error) ends the program with its name and the reason.
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

// Writes out every file's buffer, then the screen's: what is written so far
// is in the files and on the screen.  Called before every read of the
// keyboard.
void flush_output();

// Reads the next line without its '\n' (nor a CR before it), kept to its
// first `line_kept` characters (input.h).  False at the end of the file.
// Unit 5 reads standard input through the one reader, with its end-of-input
// rule.
bool read_line(int unit, std::string& line);

}  // namespace zorb
