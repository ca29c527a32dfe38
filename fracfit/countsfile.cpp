#include "countsfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "intensities.h"
#include "numread.h"

namespace zorb {

namespace {

struct Line {
    std::string_view text;   // without its line end (nor a CR before the LF)
    std::size_t end = 0;     // offset just past its line end
    bool crlf = false;
};

std::vector<Line> lines_of(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t nl = bytes.find('\n', at);
        Line l;
        l.end = nl == std::string_view::npos ? bytes.size() : nl + 1;
        l.text = bytes.substr(at, (nl == std::string_view::npos ? bytes.size() : nl) - at);
        if (!l.text.empty() && l.text.back() == '\r') {
            l.text.remove_suffix(1);
            l.crlf = nl != std::string_view::npos;
        }
        lines.push_back(l);
        at = l.end;
    }
    return lines;
}

std::string line_no(std::size_t index) { return "line " + std::to_string(index + 1) + ": "; }

// The dashes end the thickness lines where the line, as the program holds it
// (132 characters), shows them.
bool ends_thickness_lines(std::string_view text) {
    return Text132(text).contains("----");
}

}  // namespace

bool parse_counts(std::string_view bytes, CountsFile& f, std::string& why) {
    f = CountsFile{};
    const std::vector<Line> lines = lines_of(bytes);
    if (lines.empty()) {
        why = "empty; a counts file begins with a title line";
        return false;
    }
    f.title = std::string(lines[0].text);

    std::size_t k = 1;   // index of the line being read
    int i = 0;           // its sequence number as a thickness line
    for (;; ++k) {
        if (k >= lines.size()) {
            why = "no \"----\" line after the thickness lines";
            return false;
        }
        if (ends_thickness_lines(lines[k].text)) break;
        ++i;
        if (i > max_thickness_lines) {
            why = line_no(k) + "more than 12 thickness lines before the \"----\" line";
            return false;
        }
        int iout = 0;
        NumberList out{};
        trlch(80, Text132(lines[k].text), iout, out);
        // A line that does not begin with its own number, or lacks the
        // thickness and the counts, is skipped.
        if (iout >= 3 && std::trunc(out(1)) == static_cast<float>(i)) {
            f.thick(i) = out(2);
            f.cm(i) = out(3);
            f.valid(i) = true;
        }
    }
    f.nt = i;
    if (f.nt == 0) {
        why = line_no(k) + "no thickness lines before the \"----\" line";
        return false;
    }
    if (!f.valid(1) || !(f.cm(1) > 0.0f) || !std::isfinite(f.cm(1))) {
        why = "line 2: thickness line 1 must hold its number 1, the thickness and counts above 0"
              " (the reference count of the evaluation)";
        return false;
    }
    if (lines.size() - k - 1 < 3) {
        why = line_no(k) + "fewer than three default lines follow the \"----\" line";
        return false;
    }
    f.head = std::string(bytes.substr(0, lines[k].end));
    f.eol = lines[k].crlf ? "\r\n" : "\n";
    for (int d = 0; d < 3; ++d) f.defaults[static_cast<std::size_t>(d)] = std::string(lines[k + 1 + static_cast<std::size_t>(d)].text);
    return true;
}

std::string counts_text(const CountsFile& f, const std::array<std::string, 3>& defaults) {
    std::string text = f.head;
    for (const std::string& d : defaults) text += d + f.eol;
    return text;
}

namespace {

std::string directory_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside `target`, open for writing: its descriptor and name.
int file_beside(const std::string& target, std::string& name) {
    std::size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    name = directory_of(target) + "/." + base + ".XXXXXX";
    std::vector<char> buf(name.begin(), name.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    name = buf.data();
    return fd;
}

bool fail(std::string& why, const std::string& what) {
    why = what + std::strerror(errno);
    return false;
}

}  // namespace

bool counts_target(const std::string& name, std::string& target, std::string& why) {
    char resolved[PATH_MAX];
    if (!::realpath(name.c_str(), resolved)) return fail(why, "");
    target = resolved;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return fail(why, "");
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return fail(why, "");
    }
    // A device or a pipe would be replaced by a plain file at the rewrite.
    if (!S_ISREG(st.st_mode)) {
        why = "not a plain file";
        return false;
    }
    int fd = ::open(target.c_str(), O_RDWR);
    if (fd < 0) return fail(why, "cannot be opened for reading and writing: ");
    ::close(fd);
    // The rewrite is made beside the file: try that now, before anything is
    // asked, rather than at the first choice.
    std::string probe;
    fd = file_beside(target, probe);
    if (fd < 0) return fail(why, "no file can be written beside it to replace it: ");
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool replace_file(const std::string& target, const std::string& text, std::string& why) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return fail(why, "");
    std::string temp;
    int fd = file_beside(target, temp);
    if (fd < 0) return fail(why, "no file can be written beside it: ");
    int err = 0;
    std::size_t done = 0;
    while (err == 0 && done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            err = n < 0 ? errno : EIO;
    }
    // Owner and group where this user may keep them; the permissions always.
    if (err == 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) { /* another owner stays ours */ }
    if (err == 0 && (::fchmod(fd, st.st_mode & 07777) != 0 || ::fsync(fd) != 0)) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err == 0) return true;
    ::unlink(temp.c_str());
    errno = err;
    return fail(why, "not rewritten: ");
}

}  // namespace zorb
