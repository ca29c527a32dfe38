// Raw keys, the terminal window size and the environment paths.
//
// Sequences and modes this layer uses on the terminal (its contract with it):
//   - key mode: canonical input off, echo unchanged, VMIN 1, VTIME 0, and "#"
//     as the interrupt character (Ctrl-C does not interrupt while a key is
//     awaited).  Entered by `set_keypress`, left by `reset_keypress`, only
//     inside `key`.  Whatever ends the program in key mode (the "#" interrupt,
//     SIGTERM, SIGHUP, SIGQUIT, end of input) puts the saved attributes back
//     first; SIGTSTP restores them before stopping and SIGCONT sets key mode
//     again.
//   - window size: ioctl TIOCGWINSZ on standard input (window 1) or on the
//     device named by `term.winfile`.
//
// Signals that end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT) are caught
// from the first `catch_ending_signals` on, key mode or not (one the program
// was told to ignore, as under nohup, stays ignored): the handler gives the
// file buffers a last write-out, puts the terminal back when in key mode,
// and lets the signal end the program with its default action.
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
// One key: 64 for Return or "@", the negated last byte of an escape sequence
// for a control key (arrows -65 up, -66 down, -67 right, -68 left), otherwise
// the byte; -1 at the end of input.
int32_t key();
// Catches the signals that end the program (see the header comment), once;
// `before` (when not null) becomes the hook called first in the handler.  It
// runs inside the handler, so it may make async-signal-safe calls only; it
// returns false to have the ending wait, and then raises the signal again
// itself when it is ready.
using EndingHook = bool (*)(int sig);
void catch_ending_signals(EndingHook before);
// Fills record `path` from the environment.  A value longer than its field
// leaves the field empty (all NUL), as an unset variable does.
void infopath();
// Whether environment variable `variable` is set to a value longer than its
// field of `width` characters (and so was refused by infopath).
bool path_too_long(const char* variable, int width);

}  // namespace zorb
