// `readfile`: the file-name dialogue.  The default name is offered in brackets
// (on a line of its own when it is long) and in the editor's history; a typed
// name may start with a directory shorthand, and gets the default extension
// when it has none.  The chosen name is shown in the brackets and must be
// accepted with an empty answer.
#include "filedialog.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "help.h"
#include "promptcycle.h"
#include "readalinef.h"
#include "text.h"
#include "units.h"

namespace zorb {

InfoRecord info;

namespace {

// Room taken on a one-line prompt besides the kind of file and the default:
// "/directory/", "_file.exten:  [" and "]".
constexpr int prompt_frame = 27;

// A typed name must end before the last character of its 132-character
// field: one that reaches it may have been cut from a longer line.
constexpr int max_name = 132;

// The login name and the utility directory, from the environment; a variable
// that is not set leaves the field as it was.  Without LOGNAME and USER (a
// service or a container) the login name comes from the user database, so
// that "~/" never becomes "/home//".
void fill_info() {
    const char* login = std::getenv("LOGNAME");
    if (!login || !*login) login = std::getenv("USER");
    if (!login || !*login) {
        const passwd* pw = ::getpwuid(::getuid());
        login = pw ? pw->pw_name : nullptr;
    }
    if (login) info.logname.assign(login);
    if (const char* ut = std::getenv("ZORBUTPATH")) info.utpath.assign(ut);
}

// The first blank- or comma-separated item of an environment value (which ends
// at its first NUL, if any).
std::string first_item(const Text80& value) {
    Text132 line(std::string_view(value.upto_nul()));
    int il = 0, ip = 0, ia = 0;
    Text132 cha;
    nextchar(line, il, ip, cha, ia);
    return std::string(cha.sub(1, ia));
}

// The answer with a leading "$HOME", "$home", "$ZORBUTPATH" or "~/" written out;
// deffile and ld as the answer leaves them otherwise (its first item on, and
// the item's length).  A shorthand changes only the name: what follows it on
// the line stays behind it as after a plain name, and ld counts the name, so
// "~/x more" names "/home/<login>/x" as "x more" names "x".  False when the
// name does not fit in the field: it would be cut into another name.
bool expand(const Text132& answer, Text132& deffile, int& ld) {
    int il = 0, ip = 0, ia = 0;
    Text132 cha;
    nextchar(answer, il, ip, cha, ia);
    // An item that reaches the end of the line may have been cut from a
    // longer one.
    const bool whole = ip + ia - 1 < max_name;
    std::string name;
    if (cha.starts_with("$HOME") || cha.starts_with("$home"))
        name = "/home/" + first_item(info.logname) + std::string(cha.sub(6, ia));
    else if (cha.starts_with("$ZORBUTPATH"))
        name = first_item(info.utpath) + std::string(cha.sub(12, ia));
    else if (cha.starts_with("~/"))
        name = "/home/" + first_item(info.logname) + std::string(cha.sub(2, ia));
    else {
        deffile = cha;
        ld = ia;
        return whole;
    }
    deffile.assign(name + std::string(cha.sub(ia + 1, 132)));
    ld = std::min(static_cast<int>(name.size()), 132);
    return whole && static_cast<int>(name.size()) < max_name;
}

// The extension of deffile(1:ld), or the current one appended.  Only the last
// component of a path counts, so that "../data" or a dotted directory name
// gets the extension like any other name without one.  le follows exten, so
// that an extension taken from one answer is appended whole to the next.
// False when the name with its extension does not fit in the field.
bool settle_extension(Text132& deffile, int& ld, Text16& exten, int& le) {
    std::string_view name = deffile.sub(1, ld);
    std::size_t slash = name.rfind('/');
    std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
        std::string_view ext = name.substr(dot + 1);
        exten.assign(ext);
        le = static_cast<int>(std::min<std::size_t>(ext.size(), 16));
        return true;
    }
    std::string named = std::string(name) + "." + std::string(exten.sub(1, le));
    deffile.assign(named);
    ld = std::min(static_cast<int>(named.size()), 132);
    return static_cast<int>(named.size()) < max_name;
}

}  // namespace

void readfile(const Text32& filetype, Text132& deffile, Text16& exten, int& ld, Text132& chcom,
              int ncol, int /*nrd*/, int nwr) {
    const bool ask = ld >= 0;
    int lf = 0, le = 0;
    {
        Text132 t(filetype.view());
        stringlength(t, lf);
        Text132 e(exten.view());
        stringlength(e, le);
        lf = std::min(lf, 32);
        le = std::min(le, 16);
    }
    const int lcol = std::clamp(ncol, 0, 132);
    const int ll = ncol - lf - prompt_frame;
    // The default name is limited to the screen width.
    deffile.put(std::max(ncol, 1), 132, "");
    stringlength(deffile, ld);
    fill_info();

    const std::string entry_name(deffile.sub(1, ld));
    const std::string kind = "/directory/" + std::string(filetype.sub(1, lf));
    for (;;) {
        const int shown_ld = ld;
        if (ld < ll) {
            write_line(nwr, kind + "_file.exten:  [" + std::string(deffile.sub(1, ld)) + "]");
        } else {
            write_line(nwr, kind + "_file.exten:");
            write_line(nwr, "[" + std::string(deffile.sub(1, ld)) + "]");
        }

        Text132 answer;
        if (ask) {
            addhist(prompt::with_nul(deffile.sub(1, ld)).c_str());
            int n = 0;
            answer = prompt::read_edited_answer(">", n);
        }
        prompt::cursor_up(nwr, 2);

        // The answer as typed: "he" in small letters only.
        if (answer.starts_with("he")) {
            help(chcom);
            continue;
        }
        if (answer(1) == '*' || answer(1) == 'q') {
            ld = 0;
            return;
        }
        if (answer.blank()) {
            prompt::unconfirmed_at_end(deffile.sub(1, ld) != entry_name);
            return;
        }

        // A name too long for the field is refused, not cut: the file would
        // be another one than the one typed.  The default stays as it was.
        Text132 name = deffile;
        int name_ld = ld, name_le = le;
        Text16 name_exten = exten;
        if (!expand(answer, name, name_ld) || !settle_extension(name, name_ld, name_exten, name_le)) {
            write_line(nwr, " file name too long: at most " + std::to_string(max_name - 1) +
                                " characters");
            continue;
        }
        deffile = name;
        ld = name_ld;
        exten = name_exten;
        le = name_le;

        // A default that stood on two lines is cleared twice over.
        const int times = shown_ld > ll ? 2 : 1;
        const std::string blanks(static_cast<std::size_t>(lcol), ' ');
        for (int i = 0; i < times; ++i) prompt::cursor_up(nwr, 2);
        for (int i = 0; i < 2 * times; ++i) write_line(nwr, blanks);
        for (int i = 0; i < times; ++i) prompt::cursor_up(nwr, 3);
    }
}

}  // namespace zorb
