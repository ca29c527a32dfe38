#include "helpfiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "filenames.h"
#include "input.h"

#ifndef ZORB_HELP_INSTALL_DIR
#define ZORB_HELP_INSTALL_DIR ""
#endif

namespace zorb {

namespace {

bool is_directory(const std::string& name) {
    struct stat st;
    return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool is_regular_file(const std::string& name) {
    struct stat st;
    return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string help_name_text(std::string_view field) {
    std::size_t end = field.find('\0');
    if (end == std::string_view::npos) end = field.size();
    while (end > 0 && field[end - 1] == ' ') --end;
    return std::string(field.substr(0, end));
}

// The running program's own file, links resolved ("" when unknown).
static std::string own_file() {
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    return std::string(exe, static_cast<std::size_t>(n));
}

std::string usable_help_file(const std::string& name) {
    if (is_regular_file(name)) return name;
    if (!is_directory(name)) return "";
    std::string dir = name;
    if (dir.back() != '/') dir += '/';
    // By the name the program was started by, then by its file's own name:
    // a link such as "sel" to select (select is a keyword of bash) still
    // finds select.help.
    const std::string own = own_file();
    for (const std::string& prog : {program_name(), own.substr(own.rfind('/') + 1)}) {
        if (!prog.empty() && is_regular_file(dir + prog + ".help")) return dir + prog + ".help";
    }
    return "";
}

// The help folder beside an installed program: <prefix>/bin/prog gives
// <prefix>/share/zorb/help, wherever the suite was installed.
static std::string help_beside_program() {
    const std::string exe = own_file();
    if (exe.empty()) return "";
    return directory_of(directory_of(exe)) + "/share/zorb/help";
}

// The help folder of a build tree: the link zorb-help, which the build puts
// beside the programs, to help/ of the sources.
static std::string help_in_build_tree() {
    const std::string exe = own_file();
    if (exe.empty()) return "";
    return directory_of(exe) + "/zorb-help";
}

std::string bundled_help_file(const std::string& local) {
    for (const std::string& root :
         {help_beside_program(), std::string(ZORB_HELP_INSTALL_DIR), help_in_build_tree()}) {
        const std::string& dir = root;
        if (!is_directory(dir)) continue;
        std::string found = usable_help_file(local.empty() ? dir : dir + local);
        if (!found.empty()) return found;
    }
    return "";
}

bool plain_file_name(std::string_view name) {
    if (name.empty()) return false;
    for (unsigned char ch : name) {
        bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                  (ch >= '0' && ch <= '9') || ch == '.' || ch == '_' || ch == '-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace zorb
