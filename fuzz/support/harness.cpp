#include "harness.h"

#include "helpfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "help.h"
#include "input.h"
#include "menu.h"
#include "readalinef.h"
#include "units.h"

namespace fuzz {

namespace {

std::string scratch;

void throw_ending(int status, const std::string& message) { throw ProgramEnded{status, message}; }

// At the end of the process the scratch directory goes, with the files the
// runs left in it (it holds no directories).
void remove_scratch() {
    if (DIR* d = ::opendir(scratch.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") ::unlink((scratch + "/" + name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(scratch.c_str());
}

}  // namespace

void start() {
    if (!scratch.empty()) return;
    if (!std::getenv("ZORB_FUZZ_SCREEN")) {
        std::fflush(stdout);
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::close(null);
        }
    }
    zorb::test_seam::set_exit_handler(throw_ending);
    // Files are written at every run: in memory when the system offers it.
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/zorb-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) fail("cannot make a scratch directory: " + pattern);
    scratch = pattern;
    std::atexit(remove_scratch);
}

InScratch::InScratch() : home_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (home_ < 0 || ::chdir(scratch.c_str()) != 0) fail("cannot enter " + scratch);
}

InScratch::~InScratch() {
    if (::fchdir(home_) != 0) fail("cannot go back from " + scratch);
    ::close(home_);
}

const std::string& scratch_dir() { return scratch; }

void set_keyboard(std::string_view keys) {
    int fds[2];
    if (::pipe(fds) != 0) fail(std::string("pipe: ") + std::strerror(errno));
    // A pipe holds at least 64 KiB; more is never asked of it.
    int room = ::fcntl(fds[1], F_GETPIPE_SZ);
    std::size_t n = std::min<std::size_t>(keys.size(), room > 0 ? room : 4096);
    std::size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fds[1], keys.data() + done, n - done);
        if (w <= 0) fail(std::string("write to the keyboard pipe: ") + std::strerror(errno));
        done += static_cast<std::size_t>(w);
    }
    ::close(fds[1]);
    ::dup2(fds[0], 0);
    ::close(fds[0]);
    zorb::test_seam::reset_input();
}

std::string write_file(const std::string& name, std::string_view content) {
    std::string path = scratch + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) fail("cannot write " + path);
    return path;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void reset_dialogue() {
    // Units 1 to 99 cover every number the library and the programs use.
    for (int unit = 1; unit < 100; ++unit)
        if (unit != zorb::unit_screen) {
            try {
                zorb::close_unit(unit);
            } catch (const ProgramEnded&) {
            }
        }
    zorb::scrd = zorb::ScrdRecord{};
    zorb::cmpa = zorb::CmpaRecord{};
    zorb::localpath = zorb::LocalPathRecord{};
    zorb::clearhist();
}

std::string_view take_until(std::string_view& rest, std::string_view mark) {
    std::size_t at = rest.find(mark);
    std::string_view head = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view{} : rest.substr(at + mark.size());
    return head;
}

void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz invariant failed: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzz


// The shell, replaced by a check of what would reach it: the document
// viewer's "xdvi "$ZORBHEPATH"/dvifiles/N/N.dvi &" with a plain file name N,
// nothing else.
extern "C" int system(const char* command) {
    if (!command) return 0;
    std::string_view c(command);
    const std::string_view head = "xdvi \"$ZORBHEPATH\"/dvifiles/";
    const std::size_t slash = c.find('/', head.size());
    if (c.substr(0, head.size()) != head || slash == std::string_view::npos)
        fuzz::fail(std::string("shell command: ") + command);
    std::string_view name = c.substr(head.size(), slash - head.size());
    if (!zorb::plain_file_name(name) || c.substr(slash) != "/" + std::string(name) + ".dvi &")
        fuzz::fail(std::string("shell command: ") + command);
    return 0;
}
