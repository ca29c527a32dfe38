// Asks for help as a program of the suite would.
//
//   drv_help_probe PROGRAM LOCAL TOPIC...
//
// PROGRAM is the program name (it chooses the help file below a help root that
// is a directory), LOCAL the program's own help file name ("-" for none, as
// select, fracfit and chanconv leave it).  Each TOPIC is handed to `help` in
// turn, and "help done TOPIC" is written after each.
#include <cstdio>
#include <string>

#include "help.h"
#include "input.h"
#include "key.h"

using namespace zorb;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: drv_help_probe PROGRAM LOCAL TOPIC...\n");
        return 2;
    }
    set_program_name(argv[1]);
    std::string local = argv[2];
    if (local != "-") localpath.localhepath.assign(local);
    window(1);
    for (int i = 3; i < argc; ++i) {
        Text132 topic(argv[i]);
        help(topic);
        std::printf("help done %s\n", argv[i]);
        std::fflush(stdout);
    }
    return 0;
}
