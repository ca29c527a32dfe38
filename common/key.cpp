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

// Signals that end the program and so must first write out the files and
// give the terminal back.  Caught for the rest of the run once caught.
const int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
bool ending_caught = false;
EndingHook volatile ending_hook = nullptr;
struct sigaction previous_tstp;
struct sigaction previous_cont;
bool tstp_installed = false;
bool handlers_installed = false;

void restore_saved() {
    if (attributes_saved) ::tcsetattr(0, TCSANOW, &saved_attributes);
}

// The program dies of `sig` with its default action, the files written out
// and the terminal restored; unless the hook has the ending wait.
void on_ending_signal(int sig) {
    int saved_errno = errno;
    EndingHook hook = ending_hook;
    if (hook && !hook(sig)) {
        errno = saved_errno;
        return;
    }
    if (in_key_mode) restore_saved();
    in_key_mode = 0;
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

// Ctrl-Z while a key is awaited: the shell gets its terminal back in the
// state it gave it, and the program stops.  When it continues, the handler
// is put back and key mode set again.
void on_stop_signal(int sig) {
    int saved_errno = errno;
    bool was_key_mode = in_key_mode;
    if (was_key_mode) restore_saved();
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

void at_exit_restore() {
    if (in_key_mode) restore_saved();
    in_key_mode = 0;
}

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
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = on_ending_signal;
    for (int sig : ending_signals) {
        struct sigaction previous;
        ::sigaction(sig, nullptr, &previous);
        // A signal the program was told to ignore (as under nohup) stays
        // ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &sa, nullptr);
    }
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
            result = 64;
        } else if (byte == '\r') {
            // Return as a carriage return: the key a terminal without
            // CR-to-NL translation sends, and the first half of a CR LF line
            // end in a script from another system (both bytes are one Return).
            if (!input_is_terminal() && input_peek() == '\n') input_byte();
            result = 64;
        } else if (std::iscntrl(byte)) {
            // A control key: an escape sequence such as ESC "[" "A" gives the
            // negated final byte.
            int ignored = input_byte();
            int last = ignored < 0 ? -1 : input_byte();
            if (last < 0) {
                // Input ended inside the sequence: that is the end of input,
                // not a key.
                keyboard_end_met();
                result = -1;
            } else {
                result = -last;
            }
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
