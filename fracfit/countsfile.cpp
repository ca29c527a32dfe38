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

#include "filerewrite.h"
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

// Index of the line that ends the thickness lines (the first after the
// title that shows "----"), or 0 when there is none.
std::size_t dashes_line(const std::vector<Line>& lines) {
    for (std::size_t k = 1; k < lines.size(); ++k)
        if (ends_thickness_lines(lines[k].text)) return k;
    return 0;
}

// What follows the "----" line at index `dashes`: the default lines (as many
// as there are, without line ends) and every byte after the third.
void after_dashes(std::string_view bytes, const std::vector<Line>& lines, std::size_t dashes,
                  CountsFile& f) {
    for (std::size_t d = 0; d < 3 && dashes + 1 + d < lines.size(); ++d)
        f.defaults[d] = std::string(lines[dashes + 1 + d].text);
    f.tail = dashes + 3 < lines.size() ? std::string(bytes.substr(lines[dashes + 3].end)) : "";
}

// Why the numbers of the thickness line at index k are no thickness and
// counts; empty when they are.
std::string no_counts(float thick, float cm, std::size_t k) {
    if (!std::isfinite(cm)) return line_no(k) + "the counts are not a finite number";
    if (cm < 0.0f) return line_no(k) + "the counts are negative";
    if (!std::isfinite(thick)) return line_no(k) + "the thickness is not a finite number";
    return "";
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
    const std::size_t dashes = dashes_line(lines);
    if (dashes == 0) {
        why = "no \"----\" line after the thickness lines";
        return false;
    }
    for (std::size_t k = 1; k < dashes; ++k) {
        const int i = static_cast<int>(k);   // the line's sequence number as a thickness line
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
            why = no_counts(out(2), out(3), k);
            if (!why.empty()) return false;
            f.thick(i) = out(2);
            f.cm(i) = out(3);
            f.valid(i) = true;
            f.nickel = i;
        }
    }
    f.nt = static_cast<int>(dashes) - 1;
    if (f.nt == 0) {
        why = line_no(dashes) + "no thickness lines before the \"----\" line";
        return false;
    }
    if (!f.valid(1) || !(f.cm(1) > 0.0f)) {
        why = "line 2: thickness line 1 must hold its number 1, the thickness and counts above 0"
              " (the reference count of the evaluation)";
        return false;
    }
    if (lines.size() - dashes - 1 < 3) {
        why = line_no(dashes) + "fewer than three default lines follow the \"----\" line";
        return false;
    }
    f.head = std::string(bytes.substr(0, lines[dashes].end));
    f.eol = lines[dashes].crlf ? "\r\n" : "\n";
    after_dashes(bytes, lines, dashes, f);
    return true;
}

std::string counts_text(const CountsFile& f, const std::array<std::string, 3>& defaults) {
    std::string text = f.head;
    for (const std::string& d : defaults) text += d + f.eol;
    return text + f.tail;
}

bool same_data(const CountsFile& a, const CountsFile& b) {
    if (a.nt != b.nt || a.nickel != b.nickel) return false;
    for (int i = 1; i <= a.nt; ++i) {
        if (a.valid(i) != b.valid(i)) return false;
        if (!a.valid(i)) continue;
        if (std::memcmp(&a.thick(i), &b.thick(i), sizeof(float)) != 0 ||
            std::memcmp(&a.cm(i), &b.cm(i), sizeof(float)) != 0)
            return false;
    }
    return true;
}

namespace {

bool fail(std::string& why, const std::string& what) {
    why = what + std::strerror(errno);
    return false;
}

constexpr std::size_t largest_counts_file = 1 << 24;

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
    // Checked before anything is asked, rather than at the first choice.
    int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return fail(why, "cannot be opened for reading and writing: ");
    ::close(fd);
    return true;
}

bool read_counts_bytes(const std::string& target, std::string& bytes, std::string& why) {
    int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(why, "");
    bytes.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            ::close(fd);
            errno = err;
            return fail(why, "");
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
        if (bytes.size() > largest_counts_file) {
            ::close(fd);
            why = "larger than 16 MiB, not a counts file";
            return false;
        }
    }
    ::close(fd);
    return true;
}

bool rewrite_defaults(const std::string& target, const CountsFile& first,
                      const std::array<std::string, 3>& defaults, bool& data_changed,
                      std::string& why) {
    data_changed = false;
    std::string now;
    if (!read_counts_bytes(target, now, why)) {
        why = "not rewritten: " + why;
        return false;
    }
    const std::vector<Line> lines = lines_of(now);
    const std::size_t dashes = lines.empty() ? 0 : dashes_line(lines);
    if (dashes == 0) {
        why = "not rewritten: the \"----\" line is gone from the file";
        return false;
    }
    CountsFile f;
    f.head = now.substr(0, lines[dashes].end);
    f.eol = lines[dashes].crlf ? "\r\n" : "\n";
    after_dashes(now, lines, dashes, f);
    const std::string text = counts_text(f, defaults);
    // The thickness lines as they now read, default lines complete or not.
    CountsFile g;
    std::string ignored;
    data_changed = !parse_counts(text, g, ignored) || !same_data(first, g);
    if (text == now) return true;
    return rewrite_file(target, text, why);
}

}  // namespace zorb
