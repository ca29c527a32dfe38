#include "options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "input.h"
#include "units.h"

namespace zorb {

namespace {

std::string usage_line(const ProgramDescription& program) {
    std::string line = std::string("usage: ") + program.name + " [--help | --version]";
    if (*program.arguments) line += std::string(" ") + program.arguments;
    return line;
}

// A text that cannot be written (a full disk, a closed pipe) is no success.
[[noreturn]] void show_and_end(const std::string& text) {
    write_text(unit_screen, text);
    if (std::fflush(stdout) != 0) file_error_exit("standard output", std::strerror(errno));
    std::exit(0);
}

}  // namespace

std::vector<std::string> program_options(int argc, char** argv, const ProgramDescription& program) {
    std::vector<std::string> rest;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--help")
            show_and_end(usage_line(program) + "\n" + program.help);
        if (options && arg == "--version")
            show_and_end(std::string(program.name) + " (zorb) " ZORB_VERSION "\n");
        if (options && program.dashes_end_options && arg == "--") {
            options = false;
            continue;
        }
        if (options && program.takes_arguments && !arg.empty() && arg[0] == '-') {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", usage_line(program).c_str());
            std::exit(exit_usage);
        }
        rest.emplace_back(arg);
    }
    return rest;
}

}  // namespace zorb
