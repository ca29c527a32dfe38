// chanconv: asks for an ASCII file of counts and converts it into a
// channel-count file (convert.h).
#include <string>

#include "convert.h"
#include "field.h"
#include "filedialog.h"
#include "input.h"
#include "units.h"

namespace {

using namespace zorb;

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

int main(int, char** argv) {
    zorb::set_program_name(argv[0]);
    run();
    return 0;
}
