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
    write,      // created or emptied, then written
    readwrite,  // an existing file, read and rewritten in place
    keep,       // written; an existing file is kept as it is until `cut_unit`
    replace,    // written as a new file beside `path`, which takes its name
                // (or the name of the file a link `path` names) only when
                // `close_unit` has written it whole; until then, and for
                // good when the program ends without closing it or a write
                // fails, an existing file stays as it was.  The new file has
                // the old one's permissions (and its owner and group where
                // this user may give them).  A FIFO or a device is written
                // into as it is.
};

// Special files: a FIFO's open waits for a program at its other end; the
// wait is announced first with one line on standard error.  `cut_unit` leaves
// a FIFO or a device as it is (there is nothing to empty).  A line of more
// than `longest_line` bytes (a device or FIFO that sends no line end) ends
// the program as a file that cannot be read.
constexpr long long longest_line = 1LL << 30;

// Opens `path` on `unit`; false (errno set) when it cannot be opened.
bool open_unit(int unit, const std::string& path, OpenMode mode);
// Closes the unit, its lines written out (a replacement takes its name).
void close_unit(int unit);
bool unit_is_open(int unit);
// Back to the start of the file.
void rewind_unit(int unit);
// Empties the file and goes back to its start (a file opened to `keep`); a
// FIFO or a device is left as it is.  False (errno set) when it cannot be
// emptied.
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
