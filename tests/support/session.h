// Running the real executables in tests: through a pipe (byte-exact
// transcripts) and through a pseudo-terminal (keys, Readline, window size).
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace zt {

// Path of a file built in the build tree (a program or a test driver).
std::string built(const std::string& name);
// Path below the source tree.
std::string source(const std::string& rel);
// A fresh empty directory, removed at process exit.
std::string temp_dir();
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

// Environment changes for a child: a value sets the variable, an absent
// optional ("\x01unset") removes it.
using Env = std::map<std::string, std::string>;
extern const char* const unset;

struct Run {
    std::string out;    // standard output
    std::string err;    // standard error
    int status = -1;    // exit status, or 128 + signal number
    bool timed_out = false;
};

// Runs exe with args, standard input fed from `input` (then closed).
Run run_piped(const std::string& exe, const std::vector<std::string>& args,
              const std::string& input, const Env& env = {}, const std::string& cwd = "",
              int timeout_ms = 20000);

// A program on a pseudo-terminal of rows x cols.
class Pty {
public:
    Pty(const std::string& exe, const std::vector<std::string>& args, int rows = 24,
        int cols = 80, const Env& env = {}, const std::string& cwd = "");
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    void send(const std::string& bytes);
    // Reads until the output since the last mark contains `text`; false on
    // timeout or when the program ended first.
    bool expect(const std::string& text, int timeout_ms = 10000);
    // Everything the program wrote so far, and what came after the last
    // expect()'s match.
    const std::string& output() const { return out_; }
    std::string since_mark() const { return out_.substr(mark_); }
    void mark() { mark_ = out_.size(); }
    // Reads what arrives within ms milliseconds.
    void drain(int ms = 200);
    // Reads until nothing has arrived for quiet_ms milliseconds (at most
    // total_ms in all): the program then waits for input.
    void settle(int quiet_ms = 150, int total_ms = 5000);
    // Waits for the program to end; its status as in Run (-1 on timeout, the
    // program is then killed).
    int wait(int timeout_ms = 10000);
    void set_size(int rows, int cols);
    // Closes the terminal's master side (the program then sees a hang-up).
    void close_master();
    pid_t pid() const { return pid_; }
    int master() const { return master_; }

private:
    bool read_some(int timeout_ms);
    pid_t pid_ = -1;
    int master_ = -1;
    int status_ = -1;
    std::string out_;
    std::size_t mark_ = 0;
};

// One step of a scripted terminal session: wait for `expect`, then send `keys`.
struct Step {
    std::string expect, keys;
};

// Asks for help ("he") at the prompt or menu now waiting, goes into the
// second entry of the related-information menu where there is one, comes
// back out level by level and leaves help, answering every page on the way.
// False when help did not end within a bounded number of steps.
bool help_detour(Pty& t);

// Plays `steps` on t; before the keys of step `detour_at` (none when it is
// out of range) it takes the help detour.  False at the first step whose
// text does not come; `where` then says which.
bool play(Pty& t, const std::vector<Step>& steps, std::size_t detour_at, std::string& where);

}  // namespace zt
