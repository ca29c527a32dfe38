#include "matrix.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "countsfile.h"

namespace fs = std::filesystem;

namespace zt {

// What the program writes in answer to the keys just sent, once it waits
// again (nothing has come for a while after the first bytes).
std::string answer_of(Pty& t) {
    std::size_t from = t.output().size();
    for (int i = 0; i < 100 && t.output().size() == from; ++i) t.settle(50, 5000);
    t.settle(80, 5000);
    return t.output().substr(from);
}

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

// A result listing of sixline: a sequence of whole tables, each a header
// line, then groups of 50-character rows, each group opened by an empty line.
std::string check_listing(const std::string& text) {
    if (text.empty()) return "";
    if (text.back() != '\n') return "last line without its new-line character";
    static const std::string efg = "     EFG        eta      H [kG]      phi     theta";
    static const std::string l2 = "     L2        eta      H [kG]      phi     theta";
    bool table = false, group = false;
    int n = 0;
    for (auto& l : lines_of(text)) {
        ++n;
        if (l == efg || l == l2) {
            table = true;
            group = false;
        } else if (l.empty() && table) {
            group = true;
        } else if (!group || l.size() != 50) {
            return "line " + std::to_string(n) + " is no header, group start or row: \"" +
                   l.substr(0, 60) + "\"";
        }
    }
    return "";
}

// A channel-count file of chanconv: the input name, " channel", "counts",
// then the channels numbered from 1, each " 14   " and its number in eight
// columns before the count's text.
std::string check_counts(const std::string& text) {
    if (text.empty() || text.back() != '\n') return "not ended by a new-line character";
    auto lines = lines_of(text);
    if (lines.size() < 3 || lines[0].empty() || lines[1] != " channel" || lines[2] != "counts")
        return "header lines missing";
    for (std::size_t i = 3; i < lines.size(); ++i) {
        std::string num = " " + std::to_string(i - 2);
        num.resize(8, ' ');
        const std::string& l = lines[i];
        if (l.compare(0, 14, " 14   " + num) != 0 || l.size() > 14 + 132)
            return "channel line " + std::to_string(i - 2) + " damaged: \"" + l.substr(0, 40) + "\"";
    }
    return "";
}

const std::string fracfit_example =
    "Fe57/Rh source\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n   1   2\n  0.00\n  1  4\n";

// fracfit's counts file after any run: it reads as a counts file with the
// example's head (every byte up to the "----" line) and three default lines.
std::string check_fracfit(const std::string& text) {
    zorb::CountsFile f, original;
    std::string why;
    if (!zorb::parse_counts(text, f, why)) return "not a counts file: " + why;
    zorb::parse_counts(fracfit_example, original, why);
    if (f.head != original.head) return "thickness lines changed";
    if (text.back() != '\n') return "last line without its new-line character";
    return "";
}

std::string check_nothing(const std::string&) { return "a file the program should not write"; }

std::vector<Program> make_programs() {
    std::vector<Program> p;
    p.push_back({"sixline",
                 {},
                 {
                     {"results of sixline", "tab\r", At::prompt},
                     {"[tab.lst]", "\r", At::prompt},
                     {"c:L1,L6,Is,Deq", "\r", At::menu},   // a
                     {"L5 and L6:", "\r", At::prompt},
                     {"octant dDq d_eta:", "\r", At::prompt},
                     {"c:L1,L6,Is,Deq", "\x1b[B\r", At::menu},   // b
                     {"shift IS:", "\r", At::prompt},
                     {"octant dDq d_eta:", "\r", At::prompt},
                     {"c:L1,L6,Is,Deq", "\x1b[B\x1b[B\r", At::menu},   // c
                     {"Deq:", "\r", At::prompt},
                     {"octant dL d_eta:", "octant=1 dL=0.1  d_eta=0.1\r", At::prompt},
                     {"[octant=1 dL=0.1  d_eta=0.1]", "\r", At::prompt},
                     {"c:L1,L6,Is,Deq", "q", At::menu},
                     {"", "\r", At::other},
                 },
                 check_listing,
                 // A fine grid: some 290,000 rows.
                 {
                     {"results of sixline", "\r", At::prompt},
                     {"c:L1,L6,Is,Deq", "\r", At::menu},
                     {"L5 and L6:", "\r", At::prompt},
                     {"octant dDq d_eta:", "1 -0.01 0.001\r", At::prompt},
                     {"[1 -0.01 0.001]", "\r", At::prompt},
                     {"c:L1,L6,Is,Deq", "q", At::menu},
                     {"", "\r", At::other},
                 },
                 4});
    // A count file with what files from other systems and instruments hold:
    // a CR LF line end, bytes above 127, a line beyond 132 characters.
    p.push_back({"chanconv",
                 {{"run7.asc", "measured 2026\n10\n20\r\n\xe9\x80 7\n" + std::string(200, '9') +
                                   "\n\n  5"},
                  {"data.dat", "default file\n1\n2\n"}},
                 {
                     {"counts_file.exten:", "run7.asc\r", At::prompt},
                     {"[run7.asc]", "\r", At::prompt},
                 },
                 check_counts});
    // fracfit rewrites its counts file: it must always read back with the
    // same head and thickness lines, whatever ended the run.
    p.push_back({"fracfit",
                 {{"ex.dat", fracfit_example, true}},
                 {
                     {"", "\r", At::other},   // the start line, read before any prompt
                     {"thickness_counts_file.exten:", "ex.dat\r", At::prompt},
                     {"[ex.dat]", "\r", At::prompt},
                     {"(thickness) n", "\r", At::prompt},
                     {"(ungated) counts", "\r", At::prompt},
                     {"sequence of energies", "\r", At::prompt},
                 },
                 check_fracfit});
    // select writes no file at all.
    p.push_back({"select",
                 {},
                 {
                     {"select absorption material", "\r", At::menu},
                     {"contributing to energy window", "\r", At::prompt},
                     {"start values of thickness", "1\r", At::prompt},
                     {"[1.000]", "\r", At::prompt},
                 },
                 check_nothing});
    return p;
}

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const std::string help_footer = "   from help-file:";

// The shortest end of `fresh` (at least 12 bytes) found nowhere earlier in
// it: the text that says this output is complete.
std::string tail_of(const std::string& fresh) {
    for (std::size_t n = std::min<std::size_t>(12, fresh.size()); n <= fresh.size(); ++n) {
        std::string s = fresh.substr(fresh.size() - n);
        if (fresh.find(s) == fresh.size() - n) return s;
    }
    return fresh;
}

Recording record(const Program& p, bool help) {
    Recording r;
    std::string dir = prepared_dir(p);
    Terminal term(p, dir);
    Pty& t = term.pty;
    auto send = [&](const std::string& wait, const std::string& keys) {
        r.waits.push_back(wait);
        r.chunks.push_back(keys);
        t.drain(20);
        t.send(keys);
    };
    for (const Stop& s : p.session) {
        if (!t.expect(s.expect)) throw std::runtime_error("recording " + p.exe + ": no " + s.expect);
        if (help && s.at != At::other) {
            send(s.expect, "he\r");
            bool entered = false, left = false;
            for (int step = 0; step < 40 && !left; ++step) {
                std::string fresh = answer_of(t);
                if (fresh.empty()) throw std::runtime_error("recording " + p.exe + ": help stuck");
                if (fresh.find(help_footer) != std::string::npos) {
                    left = t.expect(help_footer, 0) && t.expect(s.expect);
                    break;
                }
                t.mark();
                if (fresh.find("related information") != std::string::npos) {
                    send(tail_of(fresh), entered ? "return\r" : "\x1b[C\r");
                    entered = true;
                } else {
                    send(tail_of(fresh), "\r");
                }
            }
            if (!left) throw std::runtime_error("recording " + p.exe + ": help at " + s.expect);
        }
        send(s.expect, s.keys);
    }
    if (t.wait() != 0) throw std::runtime_error("recording " + p.exe + ": run did not end with 0");
    return r;
}

}  // namespace

const std::vector<Program>& programs() {
    static const std::vector<Program> p = make_programs();
    return p;
}

const Program& program(const std::string& exe) {
    for (auto& p : programs())
        if (p.exe == exe) return p;
    throw std::runtime_error("no program " + exe);
}

Env matrix_env(const std::string& dir) {
    return {{"TERM", "xterm"}, {"HOME", dir}, {"PATH", "/usr/bin:/bin"}, {"ZORBHEPATH", unset}};
}

std::string prepared_dir(const Program& p) {
    std::string dir = temp_dir();
    for (auto& f : p.inputs) write_file(dir + "/" + f.name, f.text);
    return dir;
}

std::string damage(const Program& p, const std::string& dir) {
    std::map<std::string, std::string> inputs;
    for (auto& f : p.inputs)
        if (!f.rewritten) inputs[f.name] = f.text;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (ec) return "cannot list " + dir;
        if (!it->is_regular_file()) continue;
        std::string rel = fs::relative(it->path(), dir).string();
        std::string text = read_file(it->path().string());
        if (inputs.count(rel)) {
            if (text != inputs[rel]) return rel + ": input file changed";
            continue;
        }
        std::string what = p.check(text);
        if (!what.empty()) return rel + ": " + what;
    }
    return "";
}

bool documented(int status) { return status == 0 || status == 1 || status == 3; }

Case pipe_case(const Program& p, const std::string& input, int timeout_ms) {
    std::string dir = prepared_dir(p);
    Run r = run_piped(built(p.exe), {}, input, matrix_env(dir), dir, timeout_ms);
    Case c;
    c.status = r.status;
    c.hung = r.timed_out;
    c.err = r.err;
    c.damage = damage(p, dir);
    fs::remove_all(dir);
    return c;
}

void Tally::add(const Case& c, const std::string& label, std::vector<int> allowed) {
    ++cases;
    ++statuses[c.status];
    std::string fault;
    bool allowed_status = documented(c.status);
    for (int s : allowed) allowed_status = allowed_status || c.status == s;
    if (c.hung) {
        ++hangs;
        fault = "hung";
    } else if (!allowed_status && (c.status >= 128 || c.status < 0)) {
        ++crashes;
        fault = "ended by signal " + std::to_string(c.status - 128);
    } else if (!allowed_status) {
        fault = "status " + std::to_string(c.status);
    }
    if (!c.damage.empty()) {
        ++damaged;
        fault += (fault.empty() ? "" : "; ") + c.damage;
    }
    if (!fault.empty() && faults.size() < 8)
        faults.push_back(label + ": " + fault + (c.err.empty() ? "" : " [" + c.err.substr(0, 200) + "]"));
}

std::string Tally::summary() const {
    std::string s = "[matrix] " + what + ": " + std::to_string(cases) + " cases, " +
                    std::to_string(hangs) + " hangs, " + std::to_string(crashes) + " crashes, " +
                    std::to_string(damaged) + " damaged files; status";
    for (auto& [st, n] : statuses) s += " " + std::to_string(st) + ":" + std::to_string(n);
    for (auto& f : faults) s += "\n  " + f;
    return s;
}

std::string Recording::piped() const { return piped(chunks.size()); }

std::string Recording::piped(std::size_t first_n) const {
    std::string s;
    for (std::size_t i = 0; i < first_n && i < chunks.size(); ++i) s += chunks[i];
    for (char& c : s)
        if (c == '\r') c = '\n';
    return s;
}

namespace {

// A recording is kept in the build tree for the test processes that follow,
// as long as the program and the help files are the ones it was made with.
std::string stamp_of(const Program& p) {
    auto stamp = [](const fs::path& f) {
        std::error_code ec;
        return std::to_string(fs::last_write_time(f, ec).time_since_epoch().count()) + ":" +
               std::to_string(fs::file_size(f, ec));
    };
    std::string s = stamp(built(p.exe));
    std::error_code ec;
    for (auto& e : fs::directory_iterator(source("help"), ec)) s += " " + stamp(e.path());
    return s;
}

std::string quoted(const std::string& s) {
    std::string q;
    for (unsigned char c : s) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02x", c);
        q += buf;
    }
    return q;
}

std::string unquoted(const std::string& q) {
    std::string s;
    for (std::size_t i = 0; i + 1 < q.size(); i += 2)
        s += static_cast<char>(std::stoi(q.substr(i, 2), nullptr, 16));
    return s;
}

bool load(const std::string& file, const std::string& stamp, Recording& r) {
    auto lines = lines_of(read_file(file));
    if (lines.empty() || lines[0] != stamp || lines.size() % 2 == 0) return false;
    for (std::size_t i = 1; i + 1 < lines.size(); i += 2) {
        r.waits.push_back(unquoted(lines[i]));
        r.chunks.push_back(unquoted(lines[i + 1]));
    }
    return true;
}

void store(const std::string& file, const std::string& stamp, const Recording& r) {
    std::string text = stamp + "\n";
    for (std::size_t i = 0; i < r.chunks.size(); ++i)
        text += quoted(r.waits[i]) + "\n" + quoted(r.chunks[i]) + "\n";
    std::string part = file + "." + std::to_string(::getpid());
    write_file(part, text);
    std::error_code ec;
    fs::rename(part, file, ec);
}

}  // namespace

const Recording& recording(const Program& p, bool help) {
    static std::map<std::pair<std::string, bool>, Recording> done;
    auto key = std::make_pair(p.exe, help);
    auto it = done.find(key);
    if (it != done.end()) return it->second;
    const std::string file = built("matrix-" + p.exe + (help ? "-help" : "") + ".rec");
    const std::string stamp = stamp_of(p);
    Recording r;
    if (!load(file, stamp, r)) {
        r = record(p, help);
        store(file, stamp, r);
    }
    return done.emplace(key, r).first->second;
}

Terminal::Terminal(const Program& p, const std::string& dir)
    : pty(built(p.exe), {}, 24, 80, matrix_env(dir), dir) {}

bool replay(Pty& t, const Recording& r, std::size_t from, std::size_t to, std::string& where,
            bool wait_first) {
    for (std::size_t i = from; i < to && i < r.chunks.size(); ++i) {
        if ((i > from || wait_first) && !t.expect(r.waits[i])) {
            where = "chunk " + std::to_string(i) + ": no \"" + r.waits[i] + "\"";
            return false;
        }
        t.drain(20);
        t.send(r.chunks[i]);
    }
    return true;
}

void feed(Pty& t, const std::string& bytes) {
    int fd = t.master();
    int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    std::size_t done = 0;
    long long deadline = now_ms() + 60000;
    while (done < bytes.size() && now_ms() < deadline) {
        ssize_t w = ::write(fd, bytes.data() + done, std::min<std::size_t>(512, bytes.size() - done));
        if (w > 0)
            done += static_cast<std::size_t>(w);
        else
            t.drain(5);   // the program's echo fills the other way: read it
        if (w > 0 && done % 4096 < 512) t.drain(1);
    }
    ::fcntl(fd, F_SETFL, flags);
}

bool leave_help(Pty& t) {
    bool entered = false;
    for (int step = 0; step < 40; ++step) {
        std::string fresh = answer_of(t);
        if (fresh.find(help_footer) != std::string::npos) {
            while (t.expect(help_footer, 0)) {
            }
            return true;
        }
        if (fresh.empty()) return false;
        if (fresh.find("related information") != std::string::npos) {
            t.send(entered ? "return\r" : "\x1b[C\r");
            entered = true;
        } else {
            t.send("\r");
        }
    }
    return false;
}

struct termios fresh_attributes() {
    int m = -1, s = -1;
    struct termios t {};
    if (::openpty(&m, &s, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    ::tcgetattr(s, &t);
    ::close(s);
    ::close(m);
    return t;
}

bool same_attributes(const struct termios& a, const struct termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

std::string describe(const struct termios& t) {
    std::ostringstream s;
    s << std::hex << "iflag " << t.c_iflag << " oflag " << t.c_oflag << " cflag " << t.c_cflag
      << " lflag " << t.c_lflag << " cc";
    for (unsigned i = 0; i < NCCS; ++i) s << ' ' << static_cast<int>(t.c_cc[i]);
    return s.str();
}

std::string random_stream(uint32_t seed) {
    std::mt19937 g(seed);
    auto pick = [&](int n) { return static_cast<int>(g() % static_cast<unsigned>(n)); };
    static const char* const pieces[] = {
        "\n", "\n", "\n", "\r\n", "\r", " ", "he\n", "q\n", "*\n", "q", "a", "b", "c", "@",
        "\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D", "\x1b", "\x1b[", "\x1bOP", "\x1b[3~", "\x1b[200~",
        "\x03", "\x04", "\t", "1e39", "-0", "99999999999", ".", "-", "1-2", "nan", "inf", "0",
        "-6.551 -4.2325  2.9495   5.834", "octant=1 dL=0.1  d_eta=0.1", "run7.asc", "return",
        "details", "-1e39", "1 0 0.1", "#", ",", "=", "tab",
    };
    const int npieces = static_cast<int>(sizeof pieces / sizeof pieces[0]);
    std::string s;
    int n = pick(80);
    for (int i = 0; i < n; ++i) {
        int kind = pick(10);
        if (kind < 5) {
            s += pieces[pick(npieces)];
        } else if (kind < 8) {
            s += static_cast<char>(pick(256));
        } else if (kind < 9) {
            s.append(static_cast<std::size_t>(pick(2000)), static_cast<char>(' ' + pick(95)));
        } else {
            for (int k = pick(12); k > 0; --k) s += static_cast<char>('a' + pick(26));
        }
    }
    for (char& c : s)
        if (c == '/') c = '.';
    return s;
}

}  // namespace zt
