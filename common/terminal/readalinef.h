// Bridge to the line editor (GNU Readline) and the document viewer.
//
// On a terminal, lines are edited with Readline, whose bytes come from the one
// reader of standard input.  When standard input is not a terminal the prompt
// is written and the line read plainly (no editing, no echo, no escape
// sequences), so that a scripted session gives a byte-exact transcript.
#pragma once

#include <cstdint>

namespace zorb {

constexpr int readaline_max = 132;   // elements of the callers' arrays

// Shows `prompt`, reads one line and stores the code of each character (byte
// as a signed 8-bit number) in k[0], k[1], ...; at most `readaline_max`
// characters are kept.  Returns the count; 0 for an empty line or at the
// first end of input, and then `k` is untouched.
int32_t readaline(int32_t* k, const char* prompt);
// Adds a line at the end of the editor's history / empties the history.
void addhist(const char* s);
void clearhist();
// Prints and runs "xdvi " + dvifile through the shell.
void viewdvi(const char* dvifile);
// Prints "xdvi " + dvifile as above, and runs "xdvi " + run: the same command
// with its variable references quoted, so that a value with a blank (or a
// "*") stays one word.
void viewdvi(const char* dvifile, const char* run);
// Runs a shell command.
void startgv(const char* s);

}  // namespace zorb
