#include "units.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "attributes.h"
#include "filenames.h"
#include "input.h"
#include "key.h"

namespace zorb {

namespace {

constexpr std::size_t out_size = 64 * 1024;     // a file's write buffer
constexpr std::size_t in_size = 4096;           // a file's read-ahead
constexpr int max_open = 16;                    // files open at one time

// One open file.  Plain data, never destroyed: the C library writes the
// screen out last of all at exit, and that writes the files out first.
struct OpenFile {
    bool used;
    int unit;
    int fd;
    std::string* name;
    char* out;              // written and not yet out: out[0, out_len)
    std::size_t out_len;
    char* in;               // read ahead: in[in_pos, in_len)
    std::size_t in_pos, in_len;
    int error;              // errno of a write-out that failed, not yet reported
    bool dead;              // reported: nothing more goes to it
    // A replacement (OpenMode::replace): the new file being written beside
    // the one it replaces, and that one's name; both null otherwise.
    std::string* temp;
    std::string* target;
};
OpenFile files[max_open];

// Nonzero while the table of files or a buffer is changed or written out.  A
// signal that would end the program meanwhile is kept in `pending` and raised
// again when the change is done, so that its handler never writes a line
// twice or half.
volatile sig_atomic_t busy = 0;
volatile sig_atomic_t pending = 0;
bool exiting = false;

struct Busy {
    Busy() {
        busy = busy + 1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
    }
    ~Busy() {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        busy = busy - 1;
        if (busy == 0 && pending) {
            int sig = pending;
            pending = 0;
            ::raise(sig);
        }
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
};

// Writes all n bytes; 0, or the errno of the failure.  Async-signal-safe.
int write_all(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (w == 0) return EIO;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return 0;
}

OpenFile* find(int unit) {
    for (OpenFile& f : files)
        if (f.used && f.unit == unit) return &f;
    return nullptr;
}

// Writes a file's buffer out (inside Busy); a failure is kept in `error`.
void write_out(OpenFile& f) {
    if (f.out_len == 0) return;
    int e = f.dead ? 0 : write_all(f.fd, f.out, f.out_len);
    f.out_len = 0;
    if (e != 0 && f.error == 0) f.error = e;
}

void write_out_all() {
    Busy b;
    for (OpenFile& f : files)
        if (f.used) write_out(f);
}

// A replacement that will not be completed: the new file goes, the file it
// was to replace stays as it was.  Async-signal-safe.
void abandon(OpenFile& f) {
    if (f.temp && !f.temp->empty()) {
        ::unlink(f.temp->c_str());
        f.temp->clear();
    }
}

// A file that could not take its lines ends the program with its name and
// the reason, never a silent loss.  During exit the message is written and
// the program ends at once (exit may not be called again).
void report(OpenFile& f) {
    if (f.error == 0 || f.dead) return;
    const std::string name = *f.name;
    const int e = f.error;
    f.dead = true;
    abandon(f);
    if (!exiting) file_error_exit(name, std::strerror(e));
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s: %s\n", program_name().c_str(), name.c_str(), std::strerror(e));
    std::_Exit(exit_file_error);
}

void report_all() {
    for (OpenFile& f : files)
        if (f.used) report(f);
}

// Before a file read ahead is written to, its position goes back to where
// reading stands.
void drop_read_ahead(OpenFile& f) {
    if (f.in_pos < f.in_len)
        ::lseek(f.fd, -static_cast<off_t>(f.in_len - f.in_pos), SEEK_CUR);
    f.in_pos = f.in_len = 0;
}

void append(OpenFile& f, const char* p, std::size_t n) {
    {
        Busy b;
        if (f.in_len > 0) drop_read_ahead(f);
        if (!f.out) f.out = new char[out_size];
        while (n > 0) {
            if (f.out_len == out_size) write_out(f);
            std::size_t k = std::min(n, out_size - f.out_len);
            std::memcpy(f.out + f.out_len, p, k);
            f.out_len += k;
            p += k;
            n -= k;
        }
    }
    report(f);
}

// Next byte of a file, -1 at its end (or a read error).
int next_byte(OpenFile& f) {
    if (f.in_pos < f.in_len) return static_cast<unsigned char>(f.in[f.in_pos++]);
    if (f.out_len > 0) {
        {
            Busy b;
            write_out(f);
        }
        report(f);
    }
    if (!f.in) f.in = new char[in_size];
    ssize_t n;
    do n = ::read(f.fd, f.in, in_size);
    while (n < 0 && errno == EINTR);
    if (n <= 0) return -1;
    f.in_pos = 0;
    f.in_len = static_cast<std::size_t>(n);
    return static_cast<unsigned char>(f.in[f.in_pos++]);
}

// The screen's buffer off a terminal (the C library would take the
// size it likes for one it allocates itself).
char screen_buffer[64 * 1024];

// The first error of a write to standard output (its errno), 0 while there
// is none.  After it the screen takes nothing more, and the program ends with
// the error at the next safe point (the end of the line being written, the
// next read of the keyboard, exit).
int screen_error = 0;
bool screen_reported = false;

// The screen: standard output, buffered by the C library, whose every
// write-out first writes out the files.
ssize_t screen_write(void*, const char* buf, std::size_t n) {
    write_out_all();   // failures are reported at the next safe point
    if (screen_error == 0) screen_error = write_all(1, buf, n);
    return static_cast<ssize_t>(n);
}

// Standard output that could not be written ends the program as a file does,
// with one line on standard error and the status of a file error.
void report_screen() {
    if (screen_error == 0 || screen_reported) return;
    screen_reported = true;
    const std::string reason = std::strerror(screen_error);
    if (!exiting) file_error_exit("standard output", reason);
    std::fprintf(stderr, "%s: standard output: %s\n", program_name().c_str(), reason.c_str());
    std::_Exit(exit_file_error);
}

// Runs in the handler of a signal that ends the program: async-signal-safe
// calls only.  False (the ending waits) while a buffer is being changed.
bool at_ending_signal(int sig) {
    if (busy) {
        pending = sig;
        return false;
    }
    for (OpenFile& f : files) {
        if (f.used && !f.dead && f.out_len > 0) {
            write_all(f.fd, f.out, f.out_len);
            f.out_len = 0;
        }
        if (f.used) abandon(f);
    }
    return true;
}

void at_exit() {
    exiting = true;
    std::fflush(stdout);
    write_out_all();
    report_all();
    // A replacement never closed is never finished: it does not take the
    // name of the file it was to replace.
    for (OpenFile& f : files)
        if (f.used) abandon(f);
    if (!ending_message_written()) report_screen();
}

#ifdef ZORB_FUZZING
constexpr bool fuzzing_build = true;
#else
constexpr bool fuzzing_build = false;
#endif

// Puts the screen stream in place of the plain standard output before
// anything is written, and the exit and signal hooks with it.
struct ScreenStream {
    ScreenStream() {
        std::fflush(stdout);
        cookie_io_functions_t io = {nullptr, screen_write, nullptr, nullptr};
        std::FILE* s = ::fopencookie(nullptr, "w", io);
        if (s) {
            // As the C library buffers a terminal (line by line) and other
            // outputs (in blocks).
            if (::isatty(1) == 1)
                std::setvbuf(s, nullptr, _IOLBF, BUFSIZ);
            else
                std::setvbuf(s, screen_buffer, _IOFBF, sizeof screen_buffer);
            stdout = s;
        }
        std::atexit(at_exit);
        // A fuzzing build leaves the process's signals to the fuzzer, which
        // installs its handlers after this (it times its runs with SIGALRM).
        if (!fuzzing_build) catch_ending_signals(at_ending_signal);
    }
};
const ScreenStream screen_stream;

}  // namespace

namespace {

// Opening a FIFO waits until a program opens its other end.  That wait is
// announced on standard error (the screen may be redirected), and a FIFO
// opened for writing is first tried without waiting, so that the line comes
// only when there is a wait.  `shown` is the name the user gave.
int open_waiting(const std::string& path, const std::string& shown, int flags) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode))
        return ::open(path.c_str(), flags, 0666);
    const bool reading = (flags & O_ACCMODE) == O_RDONLY;
    if (!reading) {
        int fd = ::open(path.c_str(), flags | O_NONBLOCK, 0666);
        if (fd >= 0) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        if (errno != ENXIO) return -1;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s is a FIFO: waiting for a program to %s\n",
                 program_name().c_str(), shown.c_str(),
                 reading ? "write into it" : "read it");
    int fd;
    do fd = ::open(path.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The file a replacement of `path` replaces: the file a link names, so that
// the link stays; `path` itself when it does not exist yet.
std::string replaced_file(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    return path;
}

// A new file beside `target` for its replacement: its descriptor (-1, errno
// set, when none can be made) and name.  It gets the permissions and, where
// this user may give them, the owner and group of the file it replaces, or
// those a new file would get.
int replacement_beside(const std::string& target, std::string& temp) {
    int fd = new_file_beside(target, temp);
    if (fd < 0) return -1;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* stays this user's */ }
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return fd;
}

OpenFile* free_slot() {
    for (OpenFile& f : files)
        if (!f.used) return &f;
    return nullptr;
}

}  // namespace

bool open_unit(int unit, const std::string& path, OpenMode mode) {
    close_unit(unit);
    std::string temp, target;
    int fd;
    if (mode == OpenMode::replace) {
        target = replaced_file(path);
        struct stat st {};
        const bool exists = ::stat(target.c_str(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        // A FIFO or a device is written into; a plain file (or none) is
        // replaced.
        if (exists && !S_ISREG(st.st_mode)) {
            fd = open_waiting(target, path, O_WRONLY | O_CLOEXEC);
            target.clear();
        } else {
            fd = replacement_beside(target, temp);
        }
    } else {
        int flags = mode == OpenMode::read        ? O_RDONLY
                    : mode == OpenMode::write     ? O_WRONLY | O_CREAT | O_TRUNC
                    : mode == OpenMode::readwrite ? O_RDWR
                                                  : O_WRONLY | O_CREAT;
        fd = open_waiting(path, path, flags | O_CLOEXEC);
    }
    if (fd < 0) return false;
    OpenFile* slot = free_slot();
    if (!slot) {
        ::close(fd);
        if (!temp.empty()) ::unlink(temp.c_str());
        errno = EMFILE;
        return false;
    }
    Busy b;
    *slot = OpenFile{true, unit, fd, new std::string(path), nullptr, 0, nullptr, 0, 0, 0, false,
                     temp.empty() ? nullptr : new std::string(temp),
                     temp.empty() ? nullptr : new std::string(target)};
    return true;
}

void close_unit(int unit) {
    OpenFile* f = find(unit);
    if (!f) return;
    int e;
    std::string name;
    {
        Busy b;
        write_out(*f);
        e = f->error;
        // A replacement is complete on the disk before it takes the name.
        if (f->temp && e == 0 && !f->dead && ::fsync(f->fd) != 0) e = errno;
        if (::close(f->fd) != 0 && e == 0 && !f->dead) e = errno;
        if (f->temp && e == 0 && !f->dead && ::rename(f->temp->c_str(), f->target->c_str()) != 0)
            e = errno;
        if (e != 0 || f->dead) abandon(*f);
        if (f->dead) e = 0;
        name = *f->name;
        delete f->name;
        delete f->temp;
        delete f->target;
        delete[] f->out;
        delete[] f->in;
        *f = OpenFile{};
    }
    if (e != 0) file_error_exit(name, std::strerror(e));
}

bool unit_is_open(int unit) { return unit == unit_screen || find(unit) != nullptr; }

void rewind_unit(int unit) {
    OpenFile* f = find(unit);
    if (!f) return;
    {
        Busy b;
        write_out(*f);
        f->in_pos = f->in_len = 0;
        ::lseek(f->fd, 0, SEEK_SET);
    }
    report(*f);
}

bool cut_unit(int unit) {
    OpenFile* f = find(unit);
    if (!f) return false;
    Busy b;
    write_out(*f);
    if (f->error != 0) {
        errno = f->error;
        return false;
    }
    f->in_pos = f->in_len = 0;
    // A FIFO or a device (/dev/null, a terminal) holds nothing to empty: it is
    // written on as it is.
    struct stat st {};
    if (::fstat(f->fd, &st) == 0 && !S_ISREG(st.st_mode)) return true;
    return ::ftruncate(f->fd, 0) == 0 && ::lseek(f->fd, 0, SEEK_SET) == 0;
}

namespace {

// The screen's text as the user wants it: without colours and attributes
// when NO_COLOR is set.
std::string_view screen_text(std::string_view text, std::string& plain) {
    if (screen_attributes() || !has_escape(text)) return text;
    plain = without_attributes(text);
    return plain;
}

}  // namespace

void write_text(int unit, std::string_view text) {
    if (unit == unit_screen) {
        std::string plain;
        text = screen_text(text, plain);
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (screen_error != 0) report_screen();
        return;
    }
    if (OpenFile* f = find(unit)) append(*f, text.data(), text.size());
}

void write_line(int unit, std::string_view text) {
    if (unit == unit_screen) {
        std::string plain;
        text = screen_text(text, plain);
        // One thread only: the stream needs no lock.
        ::fwrite_unlocked(text.data(), 1, text.size(), stdout);
        ::fputc_unlocked('\n', stdout);
        if (screen_error != 0) report_screen();
        return;
    }
    OpenFile* f = find(unit);
    if (!f) return;
    // One append for the text and its line end, so that a signal finds the
    // line in the buffer whole or not at all.
    char small[256];
    if (text.size() < sizeof small) {
        std::memcpy(small, text.data(), text.size());
        small[text.size()] = '\n';
        append(*f, small, text.size() + 1);
    } else {
        std::string line(text);
        line.push_back('\n');
        append(*f, line.data(), line.size());
    }
}

void flush_output() {
    write_out_all();
    report_all();
    std::fflush(stdout);
    report_all();
    report_screen();
}

bool read_line(int unit, std::string& line) {
    if (unit == unit_keyboard) return keyboard_line(line);
    OpenFile* f = find(unit);
    line.clear();
    if (!f) return false;
    int ch;
    bool any = false;
    std::size_t dropped = 0;
    while ((ch = next_byte(*f)) >= 0) {
        any = true;
        if (ch == '\n') break;
        keep_byte(line, static_cast<char>(ch), dropped);
        if (dropped > static_cast<unsigned long long>(longest_line))
            file_error_exit(*f->name, "a line longer than 1 GiB: not a text file");
    }
    finish_line(line, dropped);
    return any;
}

}  // namespace zorb
