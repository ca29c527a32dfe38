// The help entry point: finds the help file of the running program and hands
// the topic to the browser.
//
// Search order for the help file:
//   1. the help root ($ZORBHEPATH) followed by the program's own help file name
//      (`localpath.localhepath`); a name that is a directory stands for
//      "<program name>.help" in it (helpfiles.h);
//   2. "helpfile.help" in the current directory;
//   3. the help files installed with the programs, or those of the build tree.
// Only when all three fail are the "not found" lines written.
//
// Help is asked from inside a prompt or a menu, whose caller may hold its
// state in the shared menu record `scrd` (entries, suffixes, lengths, the
// layout of a menu still open).  Help never writes that record: the browser
// holds its related entries itself and shows them through the menu engine
// directly, so asking for help never changes the dialogue it was asked from.
#include "help.h"

#include <cstring>
#include <string>

#include "helpfiles.h"
#include "key.h"
#include "units.h"

namespace zorb {

LocalPathRecord localpath;

namespace {

// The length of the environment value in `hepath`: it ends at the first NUL.
// A value that fills the whole field has no NUL; it is then taken whole
// rather than dropped, so that a help root of exactly 80 characters works.
int hepath_length() {
    const void* nul = std::memchr(path.hepath.c, '\0', Text80::size);
    if (!nul) return Text80::size;
    return static_cast<int>(static_cast<const char*>(nul) - path.hepath.c);
}

// "he" in a menu of the browser asks help again, inside the help shown: each
// request holds a browser and its menu on the stack, so a
// long enough run of such requests (typed ahead, pasted or piped) would
// exhaust the stack.  Requests deeper than this are refused with one line.
constexpr int max_nested_help = 8;
int nested_help = 0;

// Counts one open help request while it lives (also when the request is
// left by an exception).
struct OpenRequest {
    OpenRequest() { ++nested_help; }
    ~OpenRequest() { --nested_help; }
    OpenRequest(const OpenRequest&) = delete;
    OpenRequest& operator=(const OpenRequest&) = delete;
};

// A field as the trace lines show it.  A field that starts with NUL was never
// written (an unset help root, a program without a help file name of its
// own) and shows as an empty line; in any other the text ends at the first
// NUL and blanks stand for the rest.  So no NUL byte reaches the screen, and
// a session's log stays text.
template <int N>
std::string shown(const Field<N>& f) {
    if (f(1) == '\0') return {};
    std::string text = f.upto_nul();
    text.resize(N, ' ');
    return text;
}

template <int N>
void trace(const Text132& chin, const Field<N>& third) {
    write_line(unit_screen, " subroutine help(chin):");
    write_line(unit_screen, shown(chin));
    write_line(unit_screen, shown(third));
}

}  // namespace

void help(Text132& chin) {
    if (nested_help >= max_nested_help) {
        write_line(unit_screen, " help asked " + std::to_string(max_nested_help) +
                                    " levels deep; leave a help level to ask again");
        return;
    }
    const OpenRequest open;
    infopath();
    trace(chin, path.hepath);

    Text132 chcom;
    chcom.assign("/" + chin.str());

    Text132 helpfile;
    int l = hepath_length();
    helpfile.assign(std::string(path.hepath.c, l) + localpath.localhepath.str());
    trace(chin, helpfile);
    // A help root too long for its field is not used (help falls back as if
    // it were unset): cut, it could name another directory.
    if (path_too_long("ZORBHEPATH", Text80::size))
        write_line(unit_screen, " ZORBHEPATH is longer than " + std::to_string(Text80::size) +
                                    " characters: not used as the help root");

    std::string file = usable_help_file(help_name_text(helpfile.view()));
    if (file.empty()) {
        helpfile.assign("helpfile.help");
        file = usable_help_file("helpfile.help");
        if (file.empty()) {
            file = bundled_help_file(help_name_text(localpath.localhepath.view()));
            if (file.empty()) {
                write_line(unit_screen, " helpfile:helpfile.help");
                write_line(unit_screen, " not found in the current directory");
                return;
            }
        }
    }
    if (file != "helpfile.help") helpfile.assign(file);

    if (usable_help_file(file).empty()) {
        write_line(unit_screen, " helpfile not found:");
        write_line(unit_screen, helpfile.trimmed());
        return;
    }
    helproutine(chcom, helpfile);
}

}  // namespace zorb
