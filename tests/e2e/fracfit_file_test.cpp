// fracfit and its counts file: whatever happens around a run -- an edit while
// the program waits, an input that ends after a typed answer, a read-only
// directory, a second name, another owner, a signal in the middle of the
// rewrite, notes after the defaults, counts that are no counts -- the file
// ends byte for byte as the user may expect.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "session.h"

namespace {

const std::string head = "Al 0 and 0.1 mm, Ni 0.01 mm\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n";
const std::string example = head + "   1   2\n  0.00\n  1  4\n";
// The example after the choices thicknesses 1 3, dead time 0.05, energies 1 4.
const std::string chosen = head + "   1   3\n  0.05\n  1  4\n";
const std::string choose = "\n\n1 3\n\n0.05\n\n\n";   // start line, file, the three choices
const std::string defaults = "\n\n\n\n\n";
const std::string notes = "Ni foil: batch 7\n\n  measured again 2026-03-01";

// The user the file changes hands with in the owner cases.
constexpr uid_t other_uid = 4321;
constexpr gid_t other_gid = 4322;
constexpr uid_t nobody = 65534;

bool root() { return ::geteuid() == 0; }
std::string file(const std::string& dir) { return dir + "/ex.dat"; }
struct stat stat_of(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

zt::Run piped(const std::string& dir, const std::string& input) {
    return zt::run_piped(zt::built("fracfit"), {"ex.dat"}, input, {}, dir);
}

// The run as the user `nobody` (only root can start it so).
zt::Run piped_as_nobody(const std::string& dir, const std::string& input) {
    const std::string id = std::to_string(nobody);
    return zt::run_piped("/usr/bin/setpriv",
                         {"--reuid=" + id, "--regid=" + id, "--clear-groups", zt::built("fracfit"),
                          "ex.dat"},
                         input, {}, dir);
}

// Names in dir other than those given: a temporary file left behind.
std::vector<std::string> strays(const std::string& dir, const std::vector<std::string>& known) {
    std::vector<std::string> found;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n == "." || n == "..") continue;
            bool is_known = false;
            for (const auto& k : known) is_known = is_known || n == k;
            if (!is_known) found.push_back(n);
        }
        ::closedir(d);
    }
    return found;
}

// A run on a terminal: start line and file name accepted, `at_thicknesses`
// done while the thickness question waits, then the steps `rest`.
zt::Run on_terminal(const std::string& dir, const std::function<void()>& at_thicknesses,
                    const std::vector<zt::Step>& rest) {
    zt::Pty t(zt::built("fracfit"), {"ex.dat"}, 24, 80, {}, dir);
    std::string where;
    std::vector<zt::Step> steps = {{"", "\r"}, {"thickness_counts_file.exten:", "\r"}};
    zt::Run r;
    if (!zt::play(t, steps, steps.size(), where) || !t.expect("(thickness) n [1   2]")) {
        r.err = "no thickness question: " + t.output();
        return r;
    }
    t.settle();
    if (at_thicknesses) at_thicknesses();
    if (!zt::play(t, rest, rest.size(), where)) r.err = "stopped at " + where + ": " + t.output();
    r.status = t.wait();
    r.out = t.output();
    return r;
}

const std::vector<zt::Step> terminal_choices = {
    {"", "1 3\r"},           {"(thickness) n [1 3]", "\r"}, {"counts=[0.00]", "0.05\r"},
    {"counts=[0.05]", "\r"}, {"energies [1  4]", "\r"},     {"bg_fraction=", ""}};

// A signal while the rewrite syncs its file: the sync is made to last two
// seconds by the system-call tracer, and the signal comes as soon as the new
// file stands beside the old one.
zt::Run signal_during_rewrite(const std::string& dir, int sig) {
    zt::Pty t("/usr/bin/strace",
              {"-f", "-o", "/dev/null", "-e", "inject=fsync:delay_enter=2000000",
               zt::built("fracfit"), "ex.dat"},
              24, 80, {}, dir);
    std::string where;
    std::vector<zt::Step> steps = {{"", "\r"},
                                   {"thickness_counts_file.exten:", "\r"},
                                   {"(thickness) n [1   2]", "1 3\r"},
                                   {"(thickness) n [1 3]", "\r"}};
    zt::Run r;
    if (!zt::play(t, steps, steps.size(), where)) r.err = "stopped at " + where;
    for (int i = 0; i < 1000 && strays(dir, {"ex.dat"}).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (strays(dir, {"ex.dat"}).empty()) r.err += " no file written beside";
    // fracfit is the tracer's child.
    std::ifstream children("/proc/" + std::to_string(t.pid()) + "/task/" +
                           std::to_string(t.pid()) + "/children");
    pid_t child = 0;
    if (!(children >> child) || child <= 0) r.err += " no traced program";
    else ::kill(child, sig);
    r.status = t.wait(15000);
    r.out = t.output();
    // Held back, the signal ends the program before its next question.
    if (r.out.find("counts=[") != std::string::npos) r.err += " the signal came after the rewrite";
    return r;
}

struct FileCase {
    const char* what;
    std::string before;   // ex.dat before the run
    std::function<zt::Run(const std::string& dir)> run;
    int status;
    std::string after;    // ex.dat after the run, byte for byte
    std::string says;     // a line the run writes (screen or standard error)
    std::function<void(const std::string& dir)> setup = nullptr;
    // Further checks after the run; a failure is returned as text.
    std::function<std::string(const std::string& dir)> check = nullptr;
    bool needs_root = false;
};

std::function<zt::Run(const std::string&)> pipe_of(const std::string& input) {
    return [input](const std::string& dir) { return piped(dir, input); };
}

std::vector<FileCase> file_cases() {
    std::vector<FileCase> c;
    // An edit made while the program waits stays; the change is reported.
    c.push_back({"edit during the run", example,
                 [](const std::string& dir) {
                     return on_terminal(
                         dir,
                         [dir] {
                             std::string t = zt::read_file(file(dir));
                             t.replace(t.find("2 0.1 5684"), 10, "2 0.1 5648");
                             zt::write_file(file(dir), t);
                         },
                         terminal_choices);
                 },
                 0,
                 "Al 0 and 0.1 mm, Ni 0.01 mm\n1 0.0 10000\n2 0.1 5648\n3 0.01 4783\n----\n"
                 "   1   3\n  0.05\n  1  4\n",
                 " the thickness lines of ex.dat were changed during the run; the results are "
                 "from the lines as first read"});
    // End of input while the brackets show a typed answer: nothing taken.
    for (const char* input : {"\n\n1 3\n", "\n\n\n0.05\n", "\n\n\n\n1 5\n", "\nother\n"})
        c.push_back({"end of input after a typed answer (pipe)", example, pipe_of(input), 3,
                     example, "fracfit: end of input"});
    c.push_back({"end of input after a typed answer (terminal)", example,
                 [](const std::string& dir) {
                     return on_terminal(dir, nullptr,
                                        {{"", "1 3\r"}, {"(thickness) n [1 3]", "\x04"}});
                 },
                 3, example, "fracfit: end of input"});
    // End of input at a question showing its old default accepts it.
    c.push_back({"end of input at an old default", example, pipe_of("\n\n1 3\n\n"), 3,
                 head + "   1   3\n  0.00\n  1  4\n", "fracfit: end of input"});
    // Notes after the default lines stay, even when a default line is edited.
    c.push_back({"notes after the defaults", example + notes, pipe_of(choose), 0, chosen + notes,
                 ""});
    // Counts that are no counts: refused when read, the file untouched.
    const std::string big = head.substr(0, head.find("3 0.01")) + "3 0.01 1.0e39\n----\n1 2\n0\n1 4\n";
    c.push_back({"counts too large for a number", big, pipe_of(defaults), 1, big,
                 "fracfit: ex.dat: line 4: the counts are not a finite number"});
    const std::string negative = "T\n1 0 10000\n2 0.1 -5684\n3 0.01 4783\n----\n\n\n\n";
    c.push_back({"negative counts", negative, pipe_of(defaults), 1, negative,
                 "fracfit: ex.dat: line 3: the counts are negative"});
    // A comment line after the nickel foil leaves the foil nickel.
    const std::string comment = head.substr(0, head.find("----")) + "(Ni foil above)\n----\n"
                                "   1   2\n  0.00\n  1  4\n";
    c.push_back({"trailing comment line", comment, pipe_of(defaults), 0, comment,
                 "\n 3    0.0100      4783.      4783.      -0.0\n"});
    // A second name sees the new defaults: the same file, rewritten in place.
    c.push_back({"hard link", example, pipe_of(choose), 0, chosen, "",
                 [](const std::string& dir) {
                     EXPECT_EQ(::link(file(dir).c_str(), (dir + "/second.dat").c_str()), 0);
                 },
                 [](const std::string& dir) {
                     if (zt::read_file(dir + "/second.dat") != chosen) return std::string("second name");
                     if (stat_of(dir + "/second.dat").st_ino != stat_of(file(dir)).st_ino)
                         return std::string("two files now");
                     return std::string();
                 }});
    // Nothing changed: nothing written, the file's time stays.
    c.push_back({"all defaults kept", example, pipe_of(defaults), 0, example, "",
                 [](const std::string& dir) {
                     timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
                     ::utimensat(AT_FDCWD, file(dir).c_str(), old, 0);
                 },
                 [](const std::string& dir) {
                     return stat_of(file(dir)).st_mtime == 1000000000 ? std::string()
                                                                      : std::string("time changed");
                 }});
    // Another owner and group, which root can give back: they stay.
    c.push_back({"owner kept", example, pipe_of(choose), 0, chosen, "",
                 [](const std::string& dir) {
                     EXPECT_EQ(::chown(file(dir).c_str(), other_uid, other_gid), 0);
                     ::chmod(file(dir).c_str(), 02664);
                 },
                 [](const std::string& dir) {
                     struct stat st = stat_of(file(dir));
                     if (st.st_uid != other_uid || st.st_gid != other_gid) return std::string("owner");
                     if ((st.st_mode & 07777) != 02664) return std::string("mode");
                     return std::string();
                 },
                 true});
    // A group-writable file of another owner, written by a member of the
    // group: the owner cannot be given back, so the file is rewritten in place.
    c.push_back({"group-writable file of another owner", example,
                 [](const std::string& dir) { return piped_as_nobody(dir, choose); }, 0, chosen, "",
                 [](const std::string& dir) {
                     ::chmod(dir.c_str(), 0777);
                     EXPECT_EQ(::chown(file(dir).c_str(), other_uid, nobody), 0);
                     ::chmod(file(dir).c_str(), 0664);
                 },
                 [](const std::string& dir) {
                     struct stat st = stat_of(file(dir));
                     if (st.st_uid != other_uid || st.st_gid != nobody) return std::string("owner");
                     if ((st.st_mode & 07777) != 0664) return std::string("mode");
                     return std::string();
                 },
                 true});
    // A writable file in a directory that is not: rewritten in place.
    c.push_back({"read-only directory", example,
                 [](const std::string& dir) {
                     return root() ? piped_as_nobody(dir, choose) : piped(dir, choose);
                 },
                 0, chosen, "",
                 [](const std::string& dir) {
                     if (root()) { EXPECT_EQ(::chown(file(dir).c_str(), nobody, nobody), 0); }
                     ::chmod(dir.c_str(), 0555);
                 }});
    // A signal while the file is being replaced: it takes effect once the
    // file is whole, and no temporary file stays beside it.
    // Where the tracer is installed and may trace.
    if (std::system("/usr/bin/strace -o /dev/null true >/dev/null 2>&1") == 0)
        for (int sig : {SIGTERM, SIGUSR1})
            c.push_back({"signal during the rewrite", example,
                         [sig](const std::string& dir) { return signal_during_rewrite(dir, sig); },
                         128 + sig, head + "   1   3\n  0.00\n  1  4\n", ""});
    return c;
}

}  // namespace

TEST(FracfitCountsFile, WhatTheUserKeeps) {
    for (const FileCase& c : file_cases()) {
        SCOPED_TRACE(c.what);
        if (c.needs_root && !root()) continue;
        std::string dir = zt::temp_dir();
        zt::write_file(file(dir), c.before);
        if (c.setup) c.setup(dir);
        zt::Run r = c.run(dir);
        ::chmod(dir.c_str(), 0700);
        EXPECT_EQ(r.status, c.status) << r.err << r.out;
        if (c.status != 1) {
            EXPECT_EQ(r.err.find(" the signal"), std::string::npos) << r.err;
        }
        EXPECT_EQ(zt::read_file(file(dir)), c.after);
        if (!c.says.empty()) {
            EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
        }
        if (c.status == 1) {
            EXPECT_EQ(r.err, c.says + "\n");
        }
        const bool told = (r.out + r.err).find("changed during the run") != std::string::npos;
        EXPECT_EQ(told, c.says.find("changed during the run") != std::string::npos);
        EXPECT_EQ(strays(dir, {"ex.dat", "second.dat"}), std::vector<std::string>{});
        if (c.check) {
            EXPECT_EQ(c.check(dir), "");
        }
    }
}
