// Puts the terminal layer on a real terminal or pipe.  Each argument is one
// operation, done in order, each reporting one line:
//   k          key()                       -> "key CODE"
//   r          readaline(k, "> ")          -> "line N CODES" (k prefilled with 7)
//   a:TEXT     addhist(TEXT)
//   c          clearhist()
//   w          window(1)                   -> "window NCOL NROWS NPL RESULT"
//   W:DEVICE   window(2) through DEVICE    -> "window2 NCOL NROWS NPL"
//   v:TEXT     viewdvi(TEXT)
//   p          infopath()                  -> "path NAME LENGTH VALUE" per member
//   t          attributes of standard input -> "canon 0|1 intr CODE"
//   J          the rest of the operations run in a child made the
//              foreground job, as a job-control shell would; when the child
//              stops, the attributes it left are reported ("stopped canon
//              0|1 intr CODE") and it is continued in the foreground.
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "input.h"
#include "key.h"
#include "readalinef.h"

using namespace zorb;

namespace {

void show_attributes(const char* what) {
    struct termios t;
    if (tcgetattr(0, &t) == 0)
        std::printf("%scanon %d intr %d\n", what, (t.c_lflag & ICANON) ? 1 : 0, t.c_cc[VINTR]);
    else
        std::printf("%scanon none\n", what);
    std::fflush(stdout);
}

// Makes the calling process group the terminal's foreground job.
void take_terminal(pid_t pgrp) {
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(0, pgrp);
    signal(SIGTTOU, SIG_DFL);
}

// Runs the child's share as a foreground job and reports its stops; returns
// when the child has ended.
int run_as_job(pid_t child) {
    setpgid(child, child);
    for (;;) {
        int st;
        if (waitpid(child, &st, WUNTRACED) != child) return 1;
        if (WIFSTOPPED(st)) {
            signal(SIGTTOU, SIG_IGN);
            tcsetpgrp(0, getpgrp());
            show_attributes("stopped ");
            tcsetpgrp(0, child);
            kill(child, SIGCONT);
            continue;
        }
        std::printf("job status %d\n", WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st));
        return 0;
    }
}

template <int N>
void show_path(const char* name, const Field<N>& f) {
    std::string v = f.upto_nul();
    std::printf("path %s %zu %s\n", name, v.size(), v.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    set_program_name(argv[0]);
    for (int i = 1; i < argc; ++i) {
        std::string op = argv[i];
        std::string arg = op.size() > 2 ? op.substr(2) : "";
        if (op == "k") {
            int32_t c = key();
            std::printf("key %d\n", c);
        } else if (op == "r") {
            int32_t k[readaline_max + 8];
            for (int32_t& e : k) e = 7;
            int32_t n = readaline(k, "> ");
            std::printf("line %d", n);
            for (int j = 0; j < (n > 0 ? n : 1); ++j) std::printf(" %d", k[j]);
            std::printf(" | %d\n", k[readaline_max]);
        } else if (op[0] == 'a') {
            addhist(arg.c_str());
        } else if (op == "c") {
            clearhist();
        } else if (op == "w") {
            int32_t r = pr_winsize(0, 0);
            window(1);
            std::printf("window %d %d %d %d\n", term.ncol(1), term.nrows(1), term.npl, r);
        } else if (op[0] == 'W') {
            term.winfile.assign(arg);
            window(2);
            std::printf("window2 %d %d %d\n", term.ncol(2), term.nrows(2), term.npl);
        } else if (op[0] == 'v') {
            viewdvi(arg.c_str());
        } else if (op == "p") {
            infopath();
            show_path("hepath", path.hepath);
            show_path("term", path.term);
            show_path("workdir", path.workdir);
        } else if (op == "t") {
            show_attributes("");
        } else if (op == "J") {
            std::fflush(stdout);
            pid_t child = fork();
            if (child > 0) return run_as_job(child);
            setpgid(0, 0);
            take_terminal(getpid());
        }
        std::fflush(stdout);
    }
    std::printf("done\n");
    return 0;
}
