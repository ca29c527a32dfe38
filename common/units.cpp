#include "units.h"

#include <cstdio>
#include <map>

#include "input.h"

namespace zorb {

namespace {

std::map<int, std::FILE*>& files() {
    static std::map<int, std::FILE*> f;
    return f;
}

std::FILE* stream_of(int unit) {
    if (unit == unit_screen) return stdout;
    auto it = files().find(unit);
    return it == files().end() ? nullptr : it->second;
}

}  // namespace

bool open_unit(int unit, const std::string& path, OpenMode mode) {
    close_unit(unit);
    const char* m = mode == OpenMode::read ? "r" : mode == OpenMode::write ? "w" : "r+";
    std::FILE* f = std::fopen(path.c_str(), m);
    if (!f) return false;
    files()[unit] = f;
    return true;
}

void close_unit(int unit) {
    auto it = files().find(unit);
    if (it == files().end()) return;
    std::fclose(it->second);
    files().erase(it);
}

bool unit_is_open(int unit) { return unit == unit_screen || files().count(unit) > 0; }

void rewind_unit(int unit) {
    if (std::FILE* f = stream_of(unit)) std::rewind(f);
}

void write_text(int unit, std::string_view text) {
    std::FILE* f = stream_of(unit);
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
}

void write_line(int unit, std::string_view text) {
    std::FILE* f = stream_of(unit);
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fputc('\n', f);
    // A file is flushed line by line, so that it is complete whatever ends
    // the program; the screen is flushed before every read.
    if (f != stdout) std::fflush(f);
}

bool read_line(int unit, std::string& line) {
    if (unit == unit_keyboard) return keyboard_line(line);
    std::FILE* f = stream_of(unit);
    line.clear();
    if (!f) return false;
    int ch;
    bool any = false;
    while ((ch = std::fgetc(f)) != EOF) {
        any = true;
        if (ch == '\n') return true;
        line.push_back(static_cast<char>(ch));
    }
    return any;
}

}  // namespace zorb
