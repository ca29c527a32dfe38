// The bad-input and signal matrix: one entry per program (its executable, a
// whole session that visits every prompt, menu and help page, the files it
// needs and how to check the files it writes), and the runs the matrix makes
// of it through a pipe and on a pseudo-terminal.  A program joins the matrix
// with one entry in programs().
#pragma once

#include <termios.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "session.h"

namespace zt {

// What waits for the keys of a step.
enum class At { prompt, menu, other };

struct Stop {
    std::string expect;  // text the step waits for
    std::string keys;    // then sent
    At at;               // prompt and menu steps also take a help request
};

struct InputFile {
    std::string name, text;
    bool rewritten = false;   // the program may rewrite it (checked, not compared)
};

struct Program {
    std::string exe;                   // name of the executable in the build tree
    std::vector<InputFile> inputs;     // made in the run's directory first, never to change
    std::vector<Stop> session;         // a whole run, ending the program with status 0
    // Says what is wrong with a file the program wrote, "" when it is whole.
    std::string (*check)(const std::string& text);
    // A run that writes its files for a while after the keys of step
    // `busy_at` (none when empty): signals also come then.
    std::vector<Stop> busy = {};
    std::size_t busy_at = 0;
};

const std::vector<Program>& programs();
const Program& program(const std::string& exe);

// Environment of every run: a fixed terminal type and a home inside the
// run's directory, so that a name typed as "~/..." stays there.
Env matrix_env(const std::string& dir);

// A fresh directory holding the program's input files.
std::string prepared_dir(const Program& p);
// "" when the inputs are unchanged and every other file below dir passes the
// program's check; otherwise what is wrong.
std::string damage(const Program& p, const std::string& dir);

// A run of the matrix and what it showed.
struct Case {
    int status = -1;
    bool hung = false;
    std::string damage;
    std::string err;
};
// Whether the status is one a program documents: 0, 1 (a file), 3 (input ended).
bool documented(int status);

// Runs p with `input` on its standard input, in a fresh directory.
Case pipe_case(const Program& p, const std::string& input, int timeout_ms = 15000);

// Counts of a group of cases, printed as one line and checked by the caller.
struct Tally {
    explicit Tally(std::string w) : what(std::move(w)) {}
    std::string what;
    int cases = 0, hangs = 0, crashes = 0, damaged = 0;
    std::vector<std::string> faults;   // the first few, described
    std::map<int, int> statuses;       // how many cases ended with each status
    // Adds a case; `allowed` are further statuses the case may end with.
    void add(const Case& c, const std::string& label, std::vector<int> allowed = {});
    std::string summary() const;
    bool clean() const { return hangs == 0 && crashes == 0 && damaged == 0 && faults.empty(); }
};

// The session as the keys sent, chunk by chunk, as recorded on a terminal of
// 24 rows; with `help`, a help request at every prompt and menu, each help
// page answered and into a related entry and back.  The same chunks, with
// Return as a new line, replay the run through a pipe.  Recorded once per
// program and test process.
struct Recording {
    std::vector<std::string> chunks;   // keys, in order
    std::vector<std::string> waits;    // the text each chunk waited for
    std::string piped() const;         // all chunks, "\r" as "\n"
    std::string piped(std::size_t first_n) const;
};
const Recording& recording(const Program& p, bool help = true);

// Starts p on a terminal of 24 x 80 in dir.
struct Terminal {
    Terminal(const Program& p, const std::string& dir);
    Pty pty;
};
// Plays chunks [from, to) of r on t, each after its text (the first one at
// once unless `wait_first`: its text was seen already); false when a chunk's
// text did not come.
bool replay(Pty& t, const Recording& r, std::size_t from, std::size_t to, std::string& where,
            bool wait_first = true);

// Sends bytes of any length to the terminal while reading what the program
// writes, so that neither side blocks on a full buffer.
void feed(Pty& t, const std::string& bytes);

// Answers help pages and leaves the related-information menus until help is
// left (the footer is seen, the mark put after it); false when that does not
// happen in bounded steps.
bool leave_help(Pty& t);
// What the program writes in answer to the keys just sent, once it waits
// again.
std::string answer_of(Pty& t);

// The attributes a fresh pseudo-terminal starts with, and whether two sets of
// attributes are the same (flags, speeds and control characters).
struct termios fresh_attributes();
bool same_attributes(const struct termios& a, const struct termios& b);
std::string describe(const struct termios& t);

// Reproducible streams of random bytes: mostly plain text and line ends,
// with answers, escape sequences and bytes of every value mixed in.  No '/'
// so that no name typed leads out of the run's directory.
std::string random_stream(uint32_t seed);

}  // namespace zt
