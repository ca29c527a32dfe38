#include "key.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unctrl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "input.h"
#include "sequences.h"

namespace zorb {

TermRecord term;
PathRecord path;

namespace {

// Attributes of standard input as they were before key mode, and whether
// they are held (standard input may be no terminal at all).
struct termios saved_attributes;
struct termios key_attributes;
volatile sig_atomic_t attributes_saved = 0;
// Set while the terminal is in key mode; the signal handlers restore the
// saved attributes only then.
volatile sig_atomic_t in_key_mode = 0;
// The attributes the line editor found, held while it edits a line in its
// own mode, for an ending signal to put back.
struct termios editor_attributes;
volatile sig_atomic_t in_editor_mode = 0;

// Signals whose default action ends the process (the real-time signals too,
// added when the handlers are installed).  Each is caught for the rest of the
// run, so that the terminal and the files are put in order first.
const int ending_signals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,
                              SIGBUS,  SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE,
                              SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                              SIGPROF, SIGIO,   SIGPWR,    SIGSYS};
// What each caught signal did before, put back when the signal goes on to
// act (a fault returns to the handler that was there, such as a sanitizer's).
struct sigaction previous_actions[NSIG];
bool ending_caught = false;
EndingHook volatile ending_hook = nullptr;
struct sigaction previous_tstp;
struct sigaction previous_cont;
bool tstp_installed = false;
bool handlers_installed = false;

// Puts back the attributes of the mode the terminal is in, if any.
void restore_saved() {
    if (in_key_mode && attributes_saved) ::tcsetattr(0, TCSANOW, &saved_attributes);
    if (in_editor_mode) ::tcsetattr(0, TCSANOW, &editor_attributes);
    in_key_mode = 0;
    in_editor_mode = 0;
}

// A signal raised by an error of the program itself (a bad address, a
// division by zero) rather than sent: it comes again as soon as the handler
// returns.
bool is_fault(int sig, const siginfo_t* info) {
    if (!info || info->si_code <= 0) return false;   // sent with kill, raise, sigqueue
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL || sig == SIGTRAP ||
           sig == SIGSYS;
}

// A file grown past the file-size limit: the kernel signals the process
// itself, as if by kill from its own id, and the write then fails with
// EFBIG, which is reported as a write error naming the file.
bool is_file_size_limit(int sig, const siginfo_t* info) {
    return sig == SIGXFSZ && info && info->si_code == SI_USER && info->si_pid == ::getpid();
}

// The program dies of `sig` with its default action, the files written out
// and the terminal restored; unless the hook has the ending wait.  A fault
// gives the terminal back and returns to meet the handler that was there
// before (the files are not written: the program's memory is suspect).
void on_ending_signal(int sig, siginfo_t* info, void*) {
    int saved_errno = errno;
    if (is_file_size_limit(sig, info)) return;
    if (is_fault(sig, info)) {
        restore_saved();
        ::sigaction(sig, &previous_actions[sig], nullptr);
        errno = saved_errno;
        return;
    }
    EndingHook hook = ending_hook;
    if (hook && !hook(sig)) {
        errno = saved_errno;
        return;
    }
    restore_saved();
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
}

void catch_one(int sig) {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sigemptyset(&sa.sa_mask);
    sa.sa_sigaction = on_ending_signal;
    sa.sa_flags = SA_SIGINFO;
    struct sigaction previous;
    if (::sigaction(sig, nullptr, &previous) != 0) return;
    // A signal the program was told to ignore (as under nohup) stays
    // ignored, and one that already has a handler (a sanitizer's for faults,
    // a fuzzer's timer) stays with it: only the default action, which would
    // end the program with the terminal as it is, is taken over.
    const bool default_action = !(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_DFL;
    if (!default_action) return;
    previous_actions[sig] = previous;
    ::sigaction(sig, &sa, nullptr);
}

// Ctrl-Z while a key is awaited: the shell gets its terminal back in the
// state it gave it, and the program stops.  When it continues, the handler
// is put back and key mode set again.
void on_stop_signal(int sig) {
    int saved_errno = errno;
    bool was_key_mode = in_key_mode;
    if (was_key_mode && attributes_saved) ::tcsetattr(0, TCSANOW, &saved_attributes);
    struct sigaction dfl, mine;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, &mine);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::raise(sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    // Stopped here until SIGCONT.
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
    ::sigaction(sig, &mine, nullptr);
    if (was_key_mode && in_key_mode) ::tcsetattr(0, TCSANOW, &key_attributes);
    errno = saved_errno;
}

void on_continue_signal(int) {
    int saved_errno = errno;
    if (in_key_mode) ::tcsetattr(0, TCSANOW, &key_attributes);
    errno = saved_errno;
}

void at_exit_restore() { restore_saved(); }

// The stop and continue handlers of key mode.
void install_handlers() {
    if (handlers_installed) return;
    handlers_installed = true;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = on_stop_signal;
    ::sigaction(SIGTSTP, nullptr, &previous_tstp);
    tstp_installed = previous_tstp.sa_handler != SIG_IGN;
    if (tstp_installed) ::sigaction(SIGTSTP, &sa, nullptr);
    sa.sa_handler = on_continue_signal;
    ::sigaction(SIGCONT, &sa, &previous_cont);
}

void remove_handlers() {
    if (!handlers_installed) return;
    if (tstp_installed) ::sigaction(SIGTSTP, &previous_tstp, nullptr);
    tstp_installed = false;
    ::sigaction(SIGCONT, &previous_cont, nullptr);
    handlers_installed = false;
}

}  // namespace

void catch_ending_signals(EndingHook before) {
    if (before) ending_hook = before;
    if (ending_caught) return;
    ending_caught = true;
    for (int sig : ending_signals) catch_one(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) catch_one(sig);
}

void editor_mode(bool on) {
    if (!on) {
        in_editor_mode = 0;
        return;
    }
    if (in_editor_mode || ::tcgetattr(0, &editor_attributes) != 0) return;
    catch_ending_signals(nullptr);
    in_editor_mode = 1;
}

int32_t pr_winsize(int fd, int it) {
    int32_t result = 0;
    struct winsize ws;
    if (::isatty(fd) == 1 && ::ioctl(fd, TIOCGWINSZ, &ws) == 0) result = 1;
    int w = it + 1;
    if (result == 1) {
        term.ncol(w) = ws.ws_col;
        term.nrows(w) = ws.ws_row;
        term.ixpixel(w) = ws.ws_xpixel;
        term.iypixel(w) = ws.ws_ypixel;
        if (ws.ws_col != 0) return 1;
    }
    // No size to be had (or a terminal that reports no width): the classic
    // 80 x 24 screen.
    term.ncol(w) = 80;
    term.npl = 80;
    term.nrows(w) = 24;
    return result;
}

void window(int i) {
    if (i == 1) {
        pr_winsize(0, 0);
        term.npl = term.ncol(1) > 130 ? 130 : term.ncol(1);
        return;
    }
    for (int j = 1; j <= 16; ++j)
        if (term.winfile(j) == ' ') term.winfile(j) = '\0';
    char name[17];
    std::memcpy(name, term.winfile.c, 16);
    name[16] = '\0';
    int fd = ::open(name, O_WRONLY | O_NOCTTY);
    pr_winsize(fd, i - 1);
    if (fd >= 0) ::close(fd);
}

void set_keypress() {
    if (in_key_mode) return;   // already switched: the saved attributes stay the first ones
    struct termios now;
    if (::tcgetattr(0, &now) != 0) return;   // no terminal: nothing to switch
    static bool exit_hook = false;
    if (!exit_hook) {
        exit_hook = true;
        std::atexit(at_exit_restore);
    }
    saved_attributes = now;
    attributes_saved = 1;
    key_attributes = now;
    key_attributes.c_lflag &= ~static_cast<tcflag_t>(ICANON);
    key_attributes.c_cc[VMIN] = 1;
    key_attributes.c_cc[VTIME] = 0;
    key_attributes.c_cc[VINTR] = '#';
    catch_ending_signals(nullptr);
    install_handlers();
    in_key_mode = 1;
    ::tcsetattr(0, TCSANOW, &key_attributes);
}

void reset_keypress() {
    if (!attributes_saved) return;
    ::tcsetattr(0, TCSANOW, &saved_attributes);
    in_key_mode = 0;
    remove_handlers();
}

namespace {

// Input ended inside a key: that is the end of input, not a key.
int32_t input_ended_in_key() {
    keyboard_end_met();
    return -1;
}

// The rest of an escape sequence, taken whole so that none of its bytes is
// left to be read as a typed key: ESC "[" (or ESC "O"), parameter bytes
// ("0" to "?") and intermediate bytes (blank to "/"), and the final byte
// ("@" to "~").  A byte that cannot belong to the sequence ends it and is left
// for the next read.  The Linux console's ESC "[[" and a letter (F1 to F5)
// is whole too.  ESC and any other byte (Alt and a key) is a sequence of
// two; ESC ESC and a sequence (Alt and a cursor key) one of its own.
int32_t escape_sequence() {
    int intro = input_byte();
    if (intro < 0) return input_ended_in_key();
    if (intro == seq::esc) {
        int32_t inner = escape_sequence();
        return inner == -1 ? inner : key_nothing;
    }
    if (intro != '[' && intro != 'O') return key_nothing;
    int b = input_peek();
    if (intro == '[' && b == '[') {
        // The Linux console's function keys: ESC "[[" and a letter.
        input_byte();
        return input_byte() < 0 ? input_ended_in_key() : key_nothing;
    }
    while (b >= 0x20 && b <= 0x3f) {
        input_byte();
        b = input_peek();
    }
    if (b < 0) return input_ended_in_key();
    if (b < 0x40 || b > 0x7e) return key_nothing;
    input_byte();
    // ESC "[A" to ESC "[D": the arrows, key_up to key_left.
    return b >= -key_up && b <= -key_left ? -b : key_nothing;
}

}  // namespace

int32_t key() {
    keyboard_read_begin();
    set_keypress();
    int32_t result;
    int byte = input_byte();
    if (byte < 0) {
        keyboard_end_met();
        result = -1;
    } else {
        const char* shown = unctrl(static_cast<chtype>(byte));
        char first = byte == '\n' ? '@' : (shown ? shown[0] : '\0');
        if (first == '@') {
            result = key_return;
        } else if (byte == '\r') {
            // Return as a carriage return: the key a terminal without
            // CR-to-NL translation sends, and the first half of a CR LF line
            // end in a script from another system (both bytes are one Return).
            if (!input_is_terminal() && input_peek() == '\n') input_byte();
            result = key_return;
        } else if (byte == seq::esc) {
            result = escape_sequence();
        } else if (std::iscntrl(byte)) {
            // Another control key: the byte after the next one, negated.
            int ignored = input_byte();
            int last = ignored < 0 ? -1 : input_byte();
            result = last < 0 ? input_ended_in_key() : -last;
        } else {
            result = byte;
        }
    }
    reset_keypress();
    return result;
}

void infopath() {
    struct Entry {
        const char* name;
        char* field;
        int width;
    };
    const Entry entries[] = {
        {"ZORBHEPATH", path.hepath.c, 80}, {"ZORBUTPATH", path.utpath.c, 80},
        {"TERM", path.term.c, 80},         {"EDITOR", path.editor.c, 80},
        {"SHELL", path.shell.c, 80},       {"COLORFILE", path.colfile.c, 80},
        {"PWD", path.workdir.c, 132},
    };
    for (const Entry& e : entries) {
        const char* value = std::getenv(e.name);
        if (!value) continue;
        // A value that fits is stored whole (one that fills its field has no
        // NUL, and its readers take the whole field); a longer one is refused
        // and its field left empty, as for an unset variable: cut, it would
        // name another directory (path_too_long tells the readers).
        std::size_t n = std::strlen(value);
        if (n > static_cast<std::size_t>(e.width)) n = 0;
        std::memcpy(e.field, value, n);
        std::memset(e.field + n, '\0', static_cast<std::size_t>(e.width) - n);
    }
}

bool path_too_long(const char* variable, int width) {
    const char* value = std::getenv(variable);
    return value && std::strlen(value) > static_cast<std::size_t>(width);
}

}  // namespace zorb
