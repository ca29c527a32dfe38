// Runs a program as the terminal's foreground job, as a job-control shell
// does: `drv_job PROGRAM ARGS...`.  When the job stops (Ctrl-Z), the driver
// takes the terminal back, writes "[job stopped]" and waits for a line; then
// it gives the terminal to the job again and continues it.  It ends with the
// job's status (128 + the signal that ended it).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

void give_terminal(pid_t pgrp) {
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(0, pgrp);
    signal(SIGTTOU, SIG_DFL);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        setpgid(0, 0);
        give_terminal(getpid());
        execv(argv[1], argv + 1);
        _exit(127);
    }
    setpgid(child, child);
    for (;;) {
        int st;
        if (waitpid(child, &st, WUNTRACED) != child) return 2;
        if (WIFEXITED(st)) return WEXITSTATUS(st);
        if (WIFSIGNALED(st)) return 128 + WTERMSIG(st);
        give_terminal(getpgrp());
        std::fputs("\r\n[job stopped]\r\n", stdout);
        std::fflush(stdout);
        char line[256];
        if (!std::fgets(line, sizeof line, stdin)) {
            kill(child, SIGKILL);
            continue;
        }
        give_terminal(child);
        kill(-child, SIGCONT);
    }
}
