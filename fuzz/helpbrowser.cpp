// The help browser on any help file with any keyboard.  The input is
//
//   the topic line ("/name", "/name*" for the marker line only)
//   the help file, named h.help
//   optionally "@@details@@" and a line end, then the file d of the
//     help file's directory (what "/#details d" shows)
//   optionally "@@keys@@" and a line end, then what is typed
//
// "he" in the browser's menus asks help of the same file again.  After the
// browser returns, the caller's menu entries are as they were and the help
// file is closed.  A document to be shown reaches the shell only as a
// checked name (harness.h).
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "harness.h"
#include "help.h"
#include "input.h"
#include "menu.h"
#include "units.h"

namespace {

using namespace zorb;

void fill_menu() {
    for (int k = 1; k <= 64; ++k) {
        scrd.queryar(k).assign("entry " + std::to_string(k));
        scrd.helpar(k).assign("topic " + std::to_string(k));
        scrd.ext(k).assign("x" + std::to_string(k));
    }
}

void check_menu() {
    for (int k = 1; k <= 64; ++k)
        if (scrd.queryar(k).trimmed() != "entry " + std::to_string(k) ||
            scrd.helpar(k).trimmed() != "topic " + std::to_string(k) ||
            scrd.ext(k).trimmed() != "x" + std::to_string(k))
            fuzz::fail("the caller's menu entry " + std::to_string(k) + " was changed");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::start();
    ::setenv("ZORBHEPATH", fuzz::scratch_dir().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view topic = fuzz::take_until(rest, "\n");
    std::string_view files = fuzz::take_until(rest, "@@keys@@\n");
    const std::string_view keys = rest;
    const std::string_view helptext = fuzz::take_until(files, "@@details@@\n");
    fuzz::write_file("h.help", helptext);
    fuzz::write_file("d", files);

    fuzz::reset_dialogue();
    localpath.localhepath.assign("/h.help");
    fuzz::set_keyboard(keys);
    fill_menu();
    Text132 chcom(topic);
    Text132 helpfile(fuzz::scratch_dir() + "/h.help");
    try {
        helproutine(chcom, helpfile);
    } catch (const fuzz::ProgramEnded& end) {
        if (end.status != exit_end_of_input) fuzz::fail("ended with: " + end.message);
        return 0;
    }
    check_menu();
    if (unit_is_open(unit_helpfile) || unit_is_open(unit_details))
        fuzz::fail("a help file was left open");
    return 0;
}
