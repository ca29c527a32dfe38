#include "units.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "input.h"

namespace zorb {

namespace {

struct OpenFile {
    std::FILE* stream;
    std::string name;
};

std::map<int, OpenFile>& files() {
    static std::map<int, OpenFile> f;
    return f;
}

std::FILE* stream_of(int unit) {
    if (unit == unit_screen) return stdout;
    auto it = files().find(unit);
    return it == files().end() ? nullptr : it->second.stream;
}

// A file that cannot take what is written to it (disk full, device error)
// ends the program with its name and the reason, never a silent loss.
void check_written(int unit, bool ok) {
    if (ok || unit == unit_screen) return;
    auto it = files().find(unit);
    if (it == files().end()) return;
    file_error_exit(it->second.name, std::strerror(errno ? errno : EIO));
}

// A file opened for writing without cutting it, made when missing; it may be
// one that can be written but not read.
std::FILE* open_kept(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "w");
    if (!f) {
        int e = errno;
        ::close(fd);
        errno = e;
    }
    return f;
}

}  // namespace

bool open_unit(int unit, const std::string& path, OpenMode mode) {
    close_unit(unit);
    std::FILE* f = nullptr;
    if (mode == OpenMode::keep)
        f = open_kept(path);
    else
        f = std::fopen(path.c_str(), mode == OpenMode::read    ? "r"
                                     : mode == OpenMode::write ? "w"
                                                               : "r+");
    if (!f) return false;
    files()[unit] = OpenFile{f, path};
    return true;
}

void close_unit(int unit) {
    auto it = files().find(unit);
    if (it == files().end()) return;
    OpenFile file = it->second;
    files().erase(it);
    if (std::fclose(file.stream) != 0) file_error_exit(file.name, std::strerror(errno));
}

bool unit_is_open(int unit) { return unit == unit_screen || files().count(unit) > 0; }

void rewind_unit(int unit) {
    if (std::FILE* f = stream_of(unit)) std::rewind(f);
}

bool cut_unit(int unit) {
    std::FILE* f = stream_of(unit);
    if (!f || f == stdout) return false;
    if (std::fflush(f) != 0 || ::ftruncate(::fileno(f), 0) != 0) return false;
    std::rewind(f);
    return true;
}

void write_text(int unit, std::string_view text) {
    std::FILE* f = stream_of(unit);
    if (!f) return;
    errno = 0;
    check_written(unit, std::fwrite(text.data(), 1, text.size(), f) == text.size());
}

void write_line(int unit, std::string_view text) {
    std::FILE* f = stream_of(unit);
    if (!f) return;
    errno = 0;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
              std::fputc('\n', f) != EOF;
    // A file is flushed line by line, so that it is complete whatever ends
    // the program; the screen is flushed before every read.
    if (f != stdout) ok = ok && std::fflush(f) == 0;
    check_written(unit, ok);
}

bool read_line(int unit, std::string& line) {
    if (unit == unit_keyboard) return keyboard_line(line);
    std::FILE* f = stream_of(unit);
    line.clear();
    if (!f) return false;
    int ch;
    bool any = false;
    std::size_t dropped = 0;
    while ((ch = std::fgetc(f)) != EOF) {
        any = true;
        if (ch == '\n') break;
        keep_byte(line, static_cast<char>(ch), dropped);
    }
    finish_line(line, dropped);
    return any;
}

}  // namespace zorb
