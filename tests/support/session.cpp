#include "session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zt {

const char* const unset = "\x01unset";

std::string built(const std::string& name) { return std::string(ZORB_BUILD_DIR) + "/" + name; }
std::string source(const std::string& rel) { return std::string(ZORB_SOURCE_DIR) + "/" + rel; }

namespace {
std::vector<std::string>& temp_dirs() {
    static std::vector<std::string> dirs;
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit([] {
            for (auto& d : temp_dirs()) {
                std::error_code ec;
                fs::remove_all(d, ec);
            }
        });
    }
    return dirs;
}

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void apply_env(const Env& env) {
    for (auto& [k, v] : env) {
        if (v == unset)
            ::unsetenv(k.c_str());
        else
            ::setenv(k.c_str(), v.c_str(), 1);
    }
}

[[noreturn]] void exec_child(const std::string& exe, const std::vector<std::string>& args,
                             const Env& env, const std::string& cwd) {
    // The transcripts the tests compare show colours: a NO_COLOR of the
    // environment the tests run in reaches a program only when a test asks.
    ::unsetenv("NO_COLOR");
    // The programs start with the signals a shell gives them, whatever this
    // test process ignores (a closed pipe here must not be one there).
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGXFSZ, SIG_DFL);
    apply_env(env);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    _exit(127);
}

int decode(int st) {
    if (WIFEXITED(st)) return WEXITSTATUS(st);
    if (WIFSIGNALED(st)) return 128 + WTERMSIG(st);
    return -1;
}
}  // namespace

std::string temp_dir() {
    std::string tmpl = (fs::temp_directory_path() / "zorbtest-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    temp_dirs().push_back(buf.data());
    return buf.data();
}

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

bool file_exists(const std::string& path) { return fs::exists(path); }

Run run_piped(const std::string& exe, const std::vector<std::string>& args,
              const std::string& input, const Env& env, const std::string& cwd,
              int timeout_ms) {
    int in[2], out[2], err[2];
    if (::pipe(in) || ::pipe(out) || ::pipe(err)) throw std::runtime_error("pipe failed");
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
        exec_child(exe, args, env, cwd);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ::signal(SIGPIPE, SIG_IGN);
    Run r;
    std::size_t written = 0;
    int infd = in[1];
    if (input.empty()) {
        ::close(infd);
        infd = -1;
    } else {
        ::fcntl(infd, F_SETFL, O_NONBLOCK);
    }
    long long deadline = now_ms() + timeout_ms;
    bool out_open = true, err_open = true;
    while (out_open || err_open) {
        long long left = deadline - now_ms();
        if (left <= 0) {
            r.timed_out = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd p[3];
        int n = 0;
        if (out_open) p[n++] = {out[0], POLLIN, 0};
        if (err_open) p[n++] = {err[0], POLLIN, 0};
        if (infd >= 0) p[n++] = {infd, POLLOUT, 0};
        ::poll(p, n, static_cast<int>(left));
        for (int i = 0; i < n; ++i) {
            if (!p[i].revents) continue;
            if (p[i].fd == infd) {
                ssize_t w = ::write(infd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                if (w < 0 || written == input.size()) {
                    ::close(infd);
                    infd = -1;
                }
                continue;
            }
            char buf[4096];
            ssize_t k = ::read(p[i].fd, buf, sizeof buf);
            std::string& dst = p[i].fd == out[0] ? r.out : r.err;
            if (k > 0)
                dst.append(buf, static_cast<std::size_t>(k));
            else if (p[i].fd == out[0])
                out_open = false;
            else
                err_open = false;
        }
    }
    if (infd >= 0) ::close(infd);
    ::close(out[0]);
    ::close(err[0]);
    int st = 0;
    ::waitpid(pid, &st, 0);
    r.status = decode(st);
    return r;
}

Pty::Pty(const std::string& exe, const std::vector<std::string>& args, int rows, int cols,
         const Env& env, const std::string& cwd) {
    winsize ws{};
    ws.ws_row = static_cast<unsigned short>(rows);
    ws.ws_col = static_cast<unsigned short>(cols);
    pid_ = ::forkpty(&master_, nullptr, nullptr, &ws);
    if (pid_ < 0) throw std::runtime_error("forkpty failed");
    if (pid_ == 0) {
        Env e = env;
        if (!e.count("TERM")) e["TERM"] = "xterm";
        exec_child(exe, args, e, cwd);
    }
}

Pty::~Pty() {
    if (pid_ > 0 && status_ < 0) {
        ::kill(pid_, SIGKILL);
        int st;
        ::waitpid(pid_, &st, 0);
    }
    if (master_ >= 0) ::close(master_);
}

void Pty::send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (w <= 0) break;
        done += static_cast<std::size_t>(w);
    }
}

bool Pty::read_some(int timeout_ms) {
    if (master_ < 0) return false;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return false;
    char buf[4096];
    ssize_t k = ::read(master_, buf, sizeof buf);
    if (k <= 0) return false;
    out_.append(buf, static_cast<std::size_t>(k));
    return true;
}

bool Pty::expect(const std::string& text, int timeout_ms) {
    long long deadline = now_ms() + timeout_ms;
    for (;;) {
        std::size_t at = out_.find(text, mark_);
        if (at != std::string::npos) {
            mark_ = at + text.size();
            return true;
        }
        long long left = deadline - now_ms();
        if (left <= 0) return false;
        if (!read_some(static_cast<int>(left))) {
            // Nothing more to read: the program may have ended.
            if (now_ms() >= deadline) return false;
            int st;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                status_ = decode(st);
                while (read_some(50)) {
                }
                at = out_.find(text, mark_);
                if (at != std::string::npos) {
                    mark_ = at + text.size();
                    return true;
                }
                return false;
            }
        }
    }
}

void Pty::drain(int ms) {
    long long deadline = now_ms() + ms;
    while (now_ms() < deadline) read_some(static_cast<int>(std::max<long long>(1, deadline - now_ms())));
}

void Pty::settle(int quiet_ms, int total_ms) {
    long long deadline = now_ms() + total_ms;
    while (now_ms() < deadline && read_some(quiet_ms)) {
    }
}

bool help_detour(Pty& t) {
    const std::string footer = "   from help-file:";
    t.mark();
    t.send("he\r");
    bool entered = false;
    for (int step = 0; step < 40; ++step) {
        std::size_t from = t.output().size();
        t.settle();
        std::string fresh = t.output().substr(from);
        if (fresh.empty()) return false;
        // Out of help: what follows the footer is the question asked again.
        if (fresh.find(footer) != std::string::npos) return t.expect(footer, 0);
        if (fresh.find("related information") != std::string::npos) {
            // In the menu: first one step right of "return" and into that
            // entry, afterwards back out.
            t.send(entered ? "return\r" : "\x1b[C\r");
            entered = true;
        } else {
            t.send("\r");   // a page of text waits for its answer
        }
    }
    return false;
}

bool play(Pty& t, const std::vector<Step>& steps, std::size_t detour_at, std::string& where) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!t.expect(steps[i].expect)) {
            where = "step " + std::to_string(i) + ": no \"" + steps[i].expect + "\"";
            return false;
        }
        if (i == detour_at) {
            t.drain(100);
            if (!help_detour(t)) {
                where = "help at step " + std::to_string(i) + " did not end";
                return false;
            }
            if (!t.expect(steps[i].expect)) {
                where = "step " + std::to_string(i) + ": not asked again after help";
                return false;
            }
        }
        t.drain(50);
        t.send(steps[i].keys);
    }
    return true;
}

int Pty::wait(int timeout_ms) {
    if (status_ >= 0) return status_;
    long long deadline = now_ms() + timeout_ms;
    for (;;) {
        int st;
        pid_t w = ::waitpid(pid_, &st, WNOHANG);
        if (w == pid_) {
            status_ = decode(st);
            while (read_some(20)) {
            }
            return status_;
        }
        if (now_ms() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &st, 0);
            status_ = -2;
            return -1;
        }
        if (!read_some(20)) ::usleep(5000);
    }
}

void Pty::set_size(int rows, int cols) {
    winsize ws{};
    ws.ws_row = static_cast<unsigned short>(rows);
    ws.ws_col = static_cast<unsigned short>(cols);
    ::ioctl(master_, TIOCSWINSZ, &ws);
}

void Pty::close_master() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

}  // namespace zt
