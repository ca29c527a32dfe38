// The file-name dialogue on any answers.  The first byte chooses whether the
// dialogue asks (ld 0) or takes the default unasked (ld -1), the second the
// screen width (-48 to 207); then three lines: the kind of file, the default
// name and the default extension; the rest is what is typed ("he" shows
// chanconv's bundled help).  The name returned is deffile(1:ld) with ld from
// 0 to 132, the extension fits its field, and the dialogue ends only by an
// accepted name, a quit or the end of input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "filedialog.h"
#include "harness.h"
#include "help.h"
#include "input.h"
#include "units.h"

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    fuzz::start();
    ::unsetenv("ZORBHEPATH");
    zorb::set_program_name("chanconv");
    (void)argv;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zorb;
    if (size < 2) return 0;
    const bool unasked = data[0] & 1;
    const int ncol = static_cast<int8_t>(data[1]) + 80;
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    Text32 filetype(fuzz::take_until(rest, "\n"));
    Text132 deffile(fuzz::take_until(rest, "\n"));
    Text16 exten(fuzz::take_until(rest, "\n"));
    fuzz::reset_dialogue();
    fuzz::set_keyboard(rest);

    int ld = unasked ? -1 : 0;
    Text132 chcom("filestructure");
    try {
        readfile(filetype, deffile, exten, ld, chcom, ncol, unit_keyboard, unit_screen);
    } catch (const fuzz::ProgramEnded& end) {
        if (end.status != exit_end_of_input) fuzz::fail("ended with: " + end.message);
        return 0;
    }
    if (ld < 0 || ld > 132) fuzz::fail("name length " + std::to_string(ld));
    return 0;
}
