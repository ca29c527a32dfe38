// The command-line options every program knows: --help and --version.
//
//   --help     the program's usage text on standard output, status 0
//   --version  "NAME (zorb) VERSION" on standard output, status 0
//
// Neither starts the dialogue or touches a file.  A program that takes
// arguments refuses any other argument beginning with "-": one usage line on
// standard error, status `exit_usage`.  Where "--" ends the options, what
// follows it is taken as it is, so a file whose name begins with "-" can
// still be given.
#pragma once

#include <string>
#include <vector>

namespace zorb {

constexpr int exit_usage = 2;   // an option the program does not know

struct ProgramDescription {
    const char* name;       // the program's own name, as in "--version"
    const char* arguments;  // what the usage line shows after the options ("" for none)
    const char* help;       // the usage text after the usage line
    bool takes_arguments;   // false: arguments other than the two options are ignored
    bool dashes_end_options;  // "--" ends the options
};

// Acts on --help and --version (and on a refused option), which end the
// program; otherwise returns the arguments after the program's name, without
// a "--" that ends the options.
std::vector<std::string> program_options(int argc, char** argv, const ProgramDescription& program);

}  // namespace zorb
