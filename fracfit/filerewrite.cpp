#include "filerewrite.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "filenames.h"

namespace zorb {

namespace {

// Holds back, for its lifetime, every signal that could end the program from
// outside (the interrupt key, kill, a closed pipe, the timers, the user
// signals, the real-time ones).  Faults the program itself raises stay
// deliverable: held back, they would not stop it.  A write past the
// file-size limit then fails with EFBIG instead of ending the program.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigset_t set;
        sigfillset(&set);
        for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT})
            sigdelset(&set, sig);
        ::sigprocmask(SIG_BLOCK, &set, &before_);
    }
    ~EndingSignalsHeld() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t before_;
};

// Writes text at the start of fd; 0 or the error.
int write_from_start(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            return n < 0 ? errno : EIO;
    }
    return 0;
}

enum class Beside { done, not_possible, failed };

// The rename: a new file beside, with the old one's owner, group and mode,
// synced and renamed over it.  not_possible when it would lose a link, or no
// file with that owner and group can be made there.
Beside replace_beside(const std::string& target, const struct stat& st, std::string_view text,
                      int& err) {
    if (st.st_nlink > 1) return Beside::not_possible;
    std::string temp;
    int fd = new_file_beside(target, temp);
    if (fd < 0) return Beside::not_possible;
    // Owner and group first: changing them may clear the set-id bits, which
    // the mode then puts back.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Beside::not_possible;
    }
    err = write_from_start(fd, text);
    if (err == 0 && (::fchmod(fd, st.st_mode & 07777) != 0 || ::fsync(fd) != 0)) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err == 0) return Beside::done;
    ::unlink(temp.c_str());
    return Beside::failed;
}

// In place: the room for a longer text is taken first, so that a full disk
// stops the rewrite before a byte of the file has changed; then the whole
// text in one write, the cut to its length, the sync.
int rewrite_in_place(const std::string& target, const struct stat& st, std::string_view text) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = 0;
    const off_t size = static_cast<off_t>(text.size());
    if (size > st.st_size && ::fallocate(fd, 0, st.st_size, size - st.st_size) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        err = errno;
    if (err == 0) err = write_from_start(fd, text);
    if (err == 0 && (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0)) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

}  // namespace

bool rewrite_file(const std::string& target, std::string_view text, std::string& why) {
    EndingSignalsHeld held;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        why = std::string("not rewritten: ") + std::strerror(errno);
        return false;
    }
    int err = 0;
    switch (replace_beside(target, st, text, err)) {
        case Beside::done:
            return true;
        case Beside::not_possible:
            err = rewrite_in_place(target, st, text);
            break;
        case Beside::failed:
            break;
    }
    if (err == 0) return true;
    why = std::string("not rewritten: ") + std::strerror(err);
    return false;
}

}  // namespace zorb
