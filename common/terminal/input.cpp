#include "input.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "units.h"

namespace zorb {

namespace {

// Bytes read from descriptor 0 and not yet handed out.  Reads take what is
// there (a whole pipe buffer, or what the terminal delivers) and hand it out
// byte by byte, so every reader sees the same stream.
char buffer[4096];
int buffer_pos = 0;
int buffer_len = 0;
bool ended = false;
std::string progname = "zorb";
test_seam::ExitHandler exit_handler = nullptr;
bool message_written = false;

// The ending shared by end_of_input_exit and file_error_exit.
[[noreturn]] void end_program(int status, const std::string& message) {
    std::fflush(stdout);
    if (exit_handler) exit_handler(status, message);
    std::fprintf(stderr, "%s\n", message.c_str());
    message_written = true;
    std::exit(status);
}

// A program started with standard input, output or error closed would open
// its own files (a listing, a counts file) on the lowest free descriptors and
// so write the screen or the messages into them.  Before anything else runs,
// each of the three that is closed is opened on /dev/null.
struct StandardDescriptors {
    StandardDescriptors() {
        for (int fd = 0; fd <= 2; ++fd) {
            if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
            int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (got >= 0 && got != fd) {
                ::dup2(got, fd);
                ::close(got);
            }
        }
    }
};
const StandardDescriptors standard_descriptors;

// Reads what descriptor 0 delivers into the buffer: 1 when bytes came, 0 at
// the end of input (or a read error), -1 when a signal interrupted the wait
// and `stop_on_signal` asks to hear of it.
int refill(bool stop_on_signal) {
    flush_output();
    for (;;) {
        ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n > 0) {
            buffer_pos = 0;
            buffer_len = static_cast<int>(n);
            return 1;
        }
        if (n < 0 && errno == EINTR) {
            if (stop_on_signal) return -1;
            continue;
        }
        return 0;
    }
}

}  // namespace

int input_byte() {
    if (buffer_pos >= buffer_len && refill(false) == 0) return -1;
    return static_cast<unsigned char>(buffer[buffer_pos++]);
}

int input_byte_interruptible() {
    if (buffer_pos >= buffer_len) {
        int r = refill(true);
        if (r == 0) return -1;
        if (r < 0) return input_interrupted;
    }
    return static_cast<unsigned char>(buffer[buffer_pos++]);
}

int input_peek() {
    if (buffer_pos >= buffer_len && refill(false) == 0) return -1;
    return static_cast<unsigned char>(buffer[buffer_pos]);
}

bool input_buffered() { return buffer_pos < buffer_len; }

bool input_is_terminal() { return ::isatty(0) == 1; }

void keyboard_read_begin() {
    flush_output();
    if (ended) end_of_input_exit();
}

void keyboard_end_met() { ended = true; }

bool keyboard_ended() { return ended; }

void finish_line(std::string& line, std::size_t dropped) {
    if (dropped == 0 && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > line_kept) line.resize(line_kept);
}

bool keyboard_line(std::string& line) {
    keyboard_read_begin();
    line.clear();
    std::size_t dropped = 0;
    bool any = false;
    for (;;) {
        int b = input_byte();
        if (b < 0) {
            if (!any) {
                keyboard_end_met();
                return false;
            }
            break;
        }
        any = true;
        if (b == '\n') break;
        keep_byte(line, static_cast<char>(b), dropped);
    }
    finish_line(line, dropped);
    return true;
}

void end_of_input_exit() { end_program(exit_end_of_input, progname + ": end of input"); }

void file_error_exit(const std::string& file, const std::string& reason) {
    end_program(exit_file_error, progname + ": " + file + ": " + reason);
}

void set_program_name(const char* argv0) {
    std::string s = argv0 ? argv0 : "zorb";
    std::size_t slash = s.rfind('/');
    progname = slash == std::string::npos ? s : s.substr(slash + 1);
}

const std::string& program_name() { return progname; }

bool ending_message_written() { return message_written; }

void test_seam::set_exit_handler(ExitHandler handler) { exit_handler = handler; }

void test_seam::reset_input() {
    buffer_pos = 0;
    buffer_len = 0;
    ended = false;
}

}  // namespace zorb
