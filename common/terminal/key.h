// Raw keys, the terminal window size and the environment paths.
//
// Sequences and modes this layer uses on the terminal (its contract with it):
//   - key mode: canonical input off, echo unchanged, VMIN 1, VTIME 0, and "#"
//     as the interrupt character (Ctrl-C does not interrupt while a key is
//     awaited).  Entered by `set_keypress`, left by `reset_keypress`, only
//     inside `key`.  SIGTSTP restores the attributes before stopping and
//     SIGCONT sets key mode again.
//   - the line editor's mode: set and left by the line editor; `editor_mode`
//     marks the time it holds the terminal.
//   - window size: ioctl TIOCGWINSZ on standard input (window 1) or on the
//     device named by `term.winfile`.
//
// Keys: a whole escape sequence is one key, ESC "[" with its parameter and
// intermediate bytes and its final byte, or ESC "O" and a letter.  The arrow
// keys give `key_up`, `key_down`, `key_right`, `key_left` (with or without
// modifiers); any other sequence (PageUp, Delete, Home, F5, Alt and a key)
// gives `key_nothing`, a key that does nothing.
//
// Every signal whose default action ends the process (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGXFSZ, ..., the
// real-time signals) is caught from the first `catch_ending_signals` on, key
// mode or not (one the program was told to ignore, as under nohup, stays
// ignored, and one that already has a handler keeps it): the handler gives
// the file buffers a last write-out, puts the terminal back when it is in key
// mode or the line editor's mode, and lets the signal end the program with its
// default action.  Two exceptions: the file-size limit (SIGXFSZ from the
// kernel) does not end the program, the write that passed it fails and is
// reported as a write error; and a fault of the program itself (SIGSEGV,
// SIGBUS, SIGFPE, ...) only gives the terminal back before the fault takes
// its course, the files left as they are.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

// Window sizes; windows are numbered 1 to 8, window 1 is the terminal on
// standard input.  All zero at program start.
struct TermRecord {
    int32_t id1 = 0;                 // not used in this system
    int32_t npl = 0;                 // usable characters per output line (window 1, at most 130)
    Array1<int32_t, 8> ncol{};       // columns of each window
    Array1<int32_t, 8> nrows{};      // rows of each window
    Array1<int32_t, 8> ixpixel{};    // width in pixels, as the terminal reports it
    Array1<int32_t, 8> iypixel{};    // height in pixels
    Field<16> winfile = Field<16>::nul();  // device through which a window other than 1 is queried
    int32_t led = 0;                 // not used in this system
};
extern TermRecord term;

// Environment values; each stands from position 1 and ends at the first NUL.
// All NUL at program start; an unset variable leaves its field as it was.
struct PathRecord {
    Text80 hepath = Text80::nul();    // ZORBHEPATH: root directory of the help files
    Text80 utpath = Text80::nul();    // ZORBUTPATH: utility directory
    Text80 term = Text80::nul();      // TERM
    Text80 editor = Text80::nul();    // EDITOR
    Text80 shell = Text80::nul();     // SHELL
    Text80 colfile = Text80::nul();   // COLORFILE
    Text132 workdir = Text132::nul(); // PWD
};
extern PathRecord path;

// Asks descriptor `fd` for its window size into window `it`+1; 1 if obtained.
int32_t pr_winsize(int fd, int it);
// Refreshes the sizes of window i (1 to 8); window 1 also sets `npl`.
void window(int i);
// Key mode on / off (see the header comment).
void set_keypress();
void reset_keypress();
// Key codes by name.  An arrow key is the negated final byte of its
// sequence (ESC "[A" to ESC "[D").
constexpr int32_t key_return = 64;     // Return, or "@"
constexpr int32_t key_up = -'A';       // -65
constexpr int32_t key_down = -'B';     // -66
constexpr int32_t key_right = -'C';    // -67
constexpr int32_t key_left = -'D';     // -68
constexpr int32_t key_nothing = -256;  // any other whole escape sequence
// One key: `key_return`; for an escape sequence an arrow or `key_nothing`;
// for another control key the negated byte after the next one; otherwise the
// byte; -1 at the end of input.
int32_t key();
// Catches the signals that end the program (see the header comment), once;
// `before` (when not null) becomes the hook called first in the handler.  It
// runs inside the handler, so it may make async-signal-safe calls only; it
// returns false to have the ending wait, and then raises the signal again
// itself when it is ready.
using EndingHook = bool (*)(int sig);
void catch_ending_signals(EndingHook before);
// The line editor takes the terminal into its own mode (on) or has put it
// back (off); meanwhile an ending signal restores the attributes it had.
void editor_mode(bool on);
// Fills record `path` from the environment.  A value longer than its field
// leaves the field empty (all NUL), as an unset variable does.
void infopath();
// Whether environment variable `variable` is set to a value longer than its
// field of `width` characters (and so was refused by infopath).
bool path_too_long(const char* variable, int width);

}  // namespace zorb
