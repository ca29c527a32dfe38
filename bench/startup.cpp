// Start-up of each program: the time from its start until its first prompt
// reaches standard output (a pipe), and its peak resident memory over the
// whole short run (standard input then ends, and so does the program).
//
// Each program is one line of `programs`; one that is not built is skipped.
// The programs run in a scratch directory (a quit at the first prompt may
// leave a default file there).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Program {
    const char* name;
    std::vector<std::string> args;
    const char* before_prompt;   // what the program reads before its first prompt
};

const Program programs[] = {
    {"sixline", {}, ""},
    {"chanconv", {}, ""},
    {"select", {}, ""},
    {"fracfit", {}, "\n"},
};

std::string build_dir;   // where the programs are: beside this benchmark

struct Outcome {
    double seconds = 0;   // start to the first bytes of output
    long maxrss_kb = 0;
    bool ok = false;
};

Outcome start_once(const std::string& exe, const Program& p) {
    Outcome o;
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return o;
    if (::pipe2(out, O_CLOEXEC) != 0) return o;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : p.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    auto t0 = std::chrono::steady_clock::now();
    int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    ::close(out[1]);
    if (rc != 0) {
        ::close(in[1]);
        ::close(out[0]);
        return o;
    }
    std::string pre = p.before_prompt;
    if (!pre.empty() && ::write(in[1], pre.data(), pre.size()) < 0) pre.clear();
    char buf[4096];
    ssize_t n = ::read(out[0], buf, sizeof buf);
    auto t1 = std::chrono::steady_clock::now();
    ::close(in[1]);   // end of input: the program ends
    while (::read(out[0], buf, sizeof buf) > 0) {
    }
    ::close(out[0]);
    int status = 0;
    struct rusage ru {};
    ::wait4(pid, &status, 0, &ru);
    o.seconds = std::chrono::duration<double>(t1 - t0).count();
    o.maxrss_kb = ru.ru_maxrss;
    o.ok = n > 0;
    return o;
}

void BM_start(benchmark::State& state, const Program& p) {
    const std::string exe = build_dir + "/" + p.name;
    if (::access(exe.c_str(), X_OK) != 0) {
        state.SkipWithError("not built");
        return;
    }
    long peak = 0;
    for (auto _ : state) {
        Outcome o = start_once(exe, p);
        if (!o.ok) {
            state.SkipWithError("no prompt came");
            return;
        }
        state.SetIterationTime(o.seconds);
        if (o.maxrss_kb > peak) peak = o.maxrss_kb;
    }
    state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024.0;
}

std::string own_dir() {
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string s(path, static_cast<std::size_t>(n));
    return s.substr(0, s.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
    build_dir = own_dir();
    char scratch[] = "/tmp/zorb-startup-XXXXXX";
    if (!::mkdtemp(scratch) || ::chdir(scratch) != 0) return 1;
    for (const Program& p : programs)
        benchmark::RegisterBenchmark((std::string("BM_start/") + p.name).c_str(),
                                     [&p](benchmark::State& s) { BM_start(s, p); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::string cleanup = std::string("rm -rf ") + scratch;
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
