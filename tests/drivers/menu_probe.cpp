// Puts the menu (and, through it, the help system) on a real terminal or pipe.
//
//   drv_menu_probe [options] ENTRY...
//
// An ENTRY is "TEXT", "TEXT|TOPIC" or "TEXT|TOPIC|SUFFIX" (help topic and
// suffix of the entry).  Options, before the entries:
//   -t TITLE      menu title (default "choose")
//   -d DEFAULT    default search text (default empty)
//   -c            column layout ("#" in column 80 of the default)
//   -g            accept the default without asking ("g" in column 131)
//   -m LETTER     mode letter in column 132 ("w", "r", "l")
//   -s FILE       script file on unit 10: read for mode "r", written otherwise
//   -n COUNT      COUNT generated entries "item01", "item02", ... instead
//   -2 NCOL       the second form, query2, with this width (units 5 and 6)
//   -k TIMES      call the menu TIMES times (the default re-passed each time)
//   -p PROGRAM    program name (chooses the help file of a help root)
//   -l LOCAL      the program's own help file name ("/...")
//   -h TOPIC      call help(TOPIC) before the menu (with the entries in place)
//   -D            list entries 1 to N (text|topic|suffix) after each call
//   -N            usable width as the terminal reports it, not capped at 130
//                 (as sixline sets it)
//
// After each call one line: "result lq=N lk=N chdf=[TEXT] count=C", C being
// the code of column 80 of chdf minus 48.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "help.h"
#include "input.h"
#include "key.h"
#include "menu.h"
#include "units.h"

using namespace zorb;

namespace {

void fill_entry(int k, const std::string& description) {
    std::size_t a = description.find('|');
    std::size_t b = a == std::string::npos ? a : description.find('|', a + 1);
    scrd.queryar(k).assign(description.substr(0, a));
    scrd.helpar(k).assign(a == std::string::npos ? "" : description.substr(a + 1, b - a - 1));
    scrd.ext(k).assign(b == std::string::npos ? "" : description.substr(b + 1));
}

void dump(int n) {
    for (int k = 1; k <= n; ++k)
        std::printf("entry %d %s|%s|%s\n", k, scrd.queryar(k).trimmed().c_str(),
                    scrd.helpar(k).trimmed().c_str(), scrd.ext(k).trimmed().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    set_program_name("menu_probe");
    std::string title = "choose", def, mode, script, local, help_topic;
    bool columns = false, gflag = false, list = false, wide = false;
    int generated = 0, form2 = 0, times = 1;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        std::string opt = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (opt == "-t") title = next();
        else if (opt == "-d") def = next();
        else if (opt == "-c") columns = true;
        else if (opt == "-g") gflag = true;
        else if (opt == "-m") mode = next();
        else if (opt == "-s") script = next();
        else if (opt == "-n") generated = std::atoi(next().c_str());
        else if (opt == "-2") form2 = std::atoi(next().c_str());
        else if (opt == "-k") times = std::atoi(next().c_str());
        else if (opt == "-p") set_program_name(next().c_str());
        else if (opt == "-l") local = next();
        else if (opt == "-h") help_topic = next();
        else if (opt == "-D") list = true;
        else if (opt == "-N") wide = true;
    }
    int n = 0;
    if (generated > 0) {
        for (n = 1; n <= generated && n <= 64; ++n) {
            char text[16];
            std::snprintf(text, sizeof text, "item%02d", n);
            fill_entry(n, text);
        }
        --n;
    } else {
        for (; i < argc && n < 64; ++i) fill_entry(++n, argv[i]);
    }
    if (!local.empty()) localpath.localhepath.assign(local);
    if (!script.empty()) {
        OpenMode how = mode == "r" ? OpenMode::read : OpenMode::write;
        if (!open_unit(unit_script, script, how)) file_error_exit(script, "cannot open");
    }
    window(1);
    if (wide) term.npl = term.ncol(1);
    if (!help_topic.empty()) {
        Text132 topic(help_topic);
        help(topic);
        if (list) dump(n);
    }
    for (int t = 0; t < times; ++t) {
        Text132 cheader(title);
        if (gflag) cheader(131) = 'g';
        if (!mode.empty()) cheader(132) = mode[0];
        Text80 chdf(def);
        if (columns) chdf(80) = '#';
        int32_t lq = n, lk = -7;
        if (form2 > 0) query2(lq, lk, cheader, chdf, form2, unit_keyboard, unit_screen);
        else query(lq, lk, cheader, chdf);
        std::printf("result lq=%d lk=%d chdf=[%s] count=%d\n", lq, lk,
                    std::string(chdf.sub(1, 79)).c_str(), chdf(80) - 48);
        std::fflush(stdout);
        if (list) dump(n);
    }
    close_unit(unit_script);
    return 0;
}
