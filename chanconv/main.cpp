// chanconv: asks for an ASCII file of counts and converts it into a
// channel-count file (convert.h).
#include <string>

#include "convert.h"
#include "field.h"
#include "filedialog.h"
#include "input.h"
#include "options.h"
#include "units.h"

namespace {

using namespace zorb;

const ProgramDescription program = {
    "chanconv", "",
    R"(Converts an ASCII file of counts (NAME.asc: a header line, then one channel per
line) into the channel-count file of the suite (NAME.apl: a three-line header,
then one numbered line per channel).

The dialogue: one question, the input file (default data.dat, extension .dat);
the typed name is shown in the brackets and Return accepts it; "he" shows
help, "q" or "*" converts the default file.  The header line of the input is
shown and the conversion runs without further questions.

Files: NAME.asc, read; NAME.apl beside it, created or replaced (an input name
without ".asc" gives the file apl in the current directory); at most 2050
channels.  The help file chanconv.help.
Environment: ZORBHEPATH (directory of the help files; unset, the installed
ones), ZORBUTPATH (a directory shorthand in file names), NO_COLOR (set: no
colours, bold or underline).
Exit status: 0 converted; 1 a file or standard output could not be used; 3
input ended while the question was asked.
See man chanconv.
)",
    false, false};

void run() {
    Text32 filetype("counts");
    Text132 infile("data.dat");
    Text16 exten("dat");
    int ld = 0;
    Text132 chcom("filestructure");
    // A quit in the dialogue leaves the default name, which is converted.
    readfile(filetype, infile, exten, ld, chcom, 80, unit_keyboard, unit_screen);

    // The name is deffile(1:ld); after a quit ld is 0 and the default stands.
    const std::string name = ld > 0 ? std::string(infile.sub(1, ld)) : infile.trimmed();
    convert_counts(name);
}

}  // namespace

int main(int argc, char** argv) {
    zorb::set_program_name(argv[0]);
    zorb::program_options(argc, argv, program);
    run();
    return 0;
}
