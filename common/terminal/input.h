// The one reader of standard input.
//
// Line reads, single keys, "the rest of the line" and the line editor all take
// their bytes from here, so no buffer ever swallows input meant for another
// reader, whether the keyboard is a terminal or a pipe.
//
// End of input: the first keyboard read that meets the end of standard input
// reports it (an empty line, key code -1); any further keyboard read ends the
// program cleanly: one line on standard error and exit status
// `exit_end_of_input`, after the exit handlers (terminal restored, files
// flushed and closed) have run.
#pragma once

#include <cstddef>
#include <string>

namespace zorb {

constexpr int exit_end_of_input = 3;   // input ended while the program still asked
constexpr int exit_file_error = 1;     // a file could not be opened, read or written

// Next byte of standard input (0 to 255), or -1 at its end.  No end-of-input
// rule here: this is the byte source of the line editor and of `key`.
int input_byte();

// As `input_byte`, but a signal that interrupts the wait for bytes returns
// `input_interrupted` instead of waiting on, so that the caller can act on it
// (the line editor handles the signals it caught).
constexpr int input_interrupted = -2;
int input_byte_interruptible();

// The next byte of standard input without taking it (-1 at its end).
int input_peek();

// Whether bytes already read from descriptor 0 wait to be handed out.
bool input_buffered();

// Whether standard input is a terminal.
bool input_is_terminal();

// Start of one read of the keyboard: ends the program when an earlier read
// already met the end of input.
void keyboard_read_begin();
// A read of the keyboard met the end of input.
void keyboard_end_met();
// Whether the end of input has been met.
bool keyboard_ended();

// Lines are kept to their first `line_kept` characters (no reader of the
// system looks further); the rest is read and dropped, so that a line of any
// length takes bounded memory.
constexpr std::size_t line_kept = 132;

// Takes one byte into a line being read: the first `line_kept` are kept, the
// rest counted in `dropped` only.
inline void keep_byte(std::string& line, char byte, std::size_t& dropped) {
    if (line.size() < line_kept + 1) line.push_back(byte);
    else ++dropped;
}
// Ends a line read with keep_byte: a carriage return before the line end
// (a file or script from another system) is not part of the line, and the
// line is cut to `line_kept`.
void finish_line(std::string& line, std::size_t dropped);

// Reads one line of the keyboard (unit 5) without its '\n' (nor a CR before
// it), applying the end-of-input rule.  False when the read met the end of
// input (no bytes).
bool keyboard_line(std::string& line);

// Ends the program because input has ended.
[[noreturn]] void end_of_input_exit();

// Ends the program because a file could not be used: one line on standard
// error naming the file and the reason, exit status `exit_file_error`.
[[noreturn]] void file_error_exit(const std::string& file, const std::string& reason);

// Whether the program is ending with the line of one of the two above
// already written (a later failure of standard output adds none).
bool ending_message_written();

// The program's name for messages (set from argv[0] by the drivers).
void set_program_name(const char* argv0);
const std::string& program_name();

// Test seam for harnesses that run the dialogue many times in one process
// (the fuzz targets).  No program calls it; unset, every routine above
// behaves as described.
namespace test_seam {
// Called by `end_of_input_exit` and `file_error_exit`, with the exit status
// and the message line they would write, instead of writing it and ending
// the process.  It must not return (it throws); if it does, the process ends
// as usual.  nullptr puts the usual ending back.
using ExitHandler = void (*)(int status, const std::string& message);
void set_exit_handler(ExitHandler handler);
// Forgets the bytes read from descriptor 0 and not yet handed out, and that
// the end of input was met: the next read starts afresh on whatever
// descriptor 0 now is.
void reset_input();
}  // namespace test_seam

}  // namespace zorb
