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

// The login name, from the environment; without LOGNAME and USER (a service
// or a container) it comes from the user database.  It names the home
// directory only when HOME is not set.
void fill_info() {
    const char* login = std::getenv("LOGNAME");
    if (!login || !*login) login = std::getenv("USER");
    if (!login || !*login) {
        const passwd* pw = ::getpwuid(::getuid());
        login = pw ? pw->pw_name : nullptr;
    }
    if (login) info.logname.assign(login);
}

// The first blank- or comma-separated item of a text (which ends at its first
// NUL, if any).
std::string first_item(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    Text132 line(value.substr(0, 132));
    int il = 0, ip = 0, ia = 0;
    Text132 cha;
    nextchar(line, il, ip, cha, ia);
    return std::string(cha.sub(1, ia));
}

// The home directory for "~/" and "$HOME": the HOME variable, whole (a home
// may lie anywhere and hold blanks), without a closing "/" since the rest of
// the name brings its own; "/home/" and the login name only when HOME is not
// set.  False when neither is known.
bool home_directory(std::string& home) {
    const char* value = std::getenv("HOME");
    if (value && *value) {
        home = value;
        while (!home.empty() && home.back() == '/') home.pop_back();
        return true;
    }
    const std::string login = first_item(info.logname.view());
    home = "/home/" + login;
    return !login.empty();
}

// The utility directory for "$ZORBUTPATH": the first item of the variable,
// read whole, so that a long value is never cut into another directory.
// False when the variable is not set or holds no item: the name would start
// at the root of the file system.
bool utility_directory(std::string& dir) {
    const char* value = std::getenv("ZORBUTPATH");
    dir = value ? first_item(value) : "";
    return !dir.empty();
}

// A typed name the dialogue does not take; the default stays.
struct Refusal {
    std::string line;   // one screen line, "" when the name was taken
};

const char* const too_long = " file name too long: at most 131 characters";

// The answer with a leading "$HOME", "$home", "$ZORBUTPATH" or "~/" written out;
// deffile and ld as the answer leaves them otherwise (its first item on, and
// the item's length).  A shorthand changes only the name: what follows it on
// the line stays behind it as after a plain name, and ld counts the name, so
// "~/x more" names "<home>/x" as "x more" names "x".  A name that does not
// fit in the field (it would be cut into another name) or a shorthand that
// stands for nothing is refused.
Refusal expand(const Text132& answer, Text132& deffile, int& ld) {
    int il = 0, ip = 0, ia = 0;
    Text132 cha;
    nextchar(answer, il, ip, cha, ia);
    // An item that reaches the end of the line may have been cut from a
    // longer one.
    const bool whole = ip + ia - 1 < max_name;
    std::string name, dir;
    if (cha.starts_with("$HOME") || cha.starts_with("$home") || cha.starts_with("~/")) {
        if (!home_directory(dir)) return {" ~/ and $HOME: neither HOME nor a login name is known"};
        name = dir + std::string(cha.sub(cha.starts_with("~/") ? 2 : 6, ia));
    } else if (cha.starts_with("$ZORBUTPATH")) {
        if (!utility_directory(dir))
            return {" $ZORBUTPATH: the variable ZORBUTPATH is not set; no directory to put first"};
        name = dir + std::string(cha.sub(12, ia));
    } else {
        deffile = cha;
        ld = ia;
        return {whole ? "" : too_long};
    }
    deffile.assign(name + std::string(cha.sub(ia + 1, 132)));
    ld = std::min(static_cast<int>(name.size()), 132);
    return {whole && static_cast<int>(name.size()) < max_name ? "" : too_long};
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
    const int lf = std::min(text_length(Text132(filetype.view())), 32);
    int le = std::min(text_length(Text132(exten.view())), 16);
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
        // be another one than the one typed; so is a shorthand that stands
        // for no directory.  The default stays as it was.
        Text132 name = deffile;
        int name_ld = ld, name_le = le;
        Text16 name_exten = exten;
        Refusal refused = expand(answer, name, name_ld);
        if (refused.line.empty() && !settle_extension(name, name_ld, name_exten, name_le))
            refused.line = too_long;
        if (!refused.line.empty()) {
            write_line(nwr, refused.line);
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
