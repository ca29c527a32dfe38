// Runs one prompt of the dialogue library on the real keyboard and screen and
// prints what it returned, for the end-to-end tests.
//
//   drv_prompt_probe ROUTINE [options]
//     ROUTINE  yesno | askvalue | askvallim | askstring | buffer | readfile
//     -q TEXT  the question (kind of file for readfile)
//     -d TEXT  the default: letter, number, text or file name
//     -f FORM  edit descriptor of the value prompts (f10.3)
//     -lo X -up X  limits of askvallim (0 and 100)
//     -c TOPIC help topic (probe)
//     -n NCOL  significant width / screen width (80)
//     -m C     mode letter put in position 132 of the question
//     -s FILE  script file on unit 10: read for mode r, written otherwise
//     -k N     calls in a row (1); each gets the question, topic and mode
//              afresh and the answer of the previous call as its default
//     -e EXT   default extension of readfile (lst); -L LD its ld on entry (0)
//     -M N     maxbuf of buffer (64); -b TEXT an entry of its list (repeatable)
//
// After each call one line "RESULT ..." shows the returned arguments.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "filedialog.h"
#include "input.h"
#include "prompts.h"
#include "units.h"

using namespace zorb;

namespace {

struct Options {
    std::string routine;
    std::string question = "probe question";
    std::string deflt;
    std::string form = "f10.3";
    float lo = 0, up = 100;
    std::string topic = "probe";
    int ncol = 80;
    char mode = ' ';
    std::string script;
    int calls = 1;
    std::string ext = "lst";
    int ld = 0;
    int maxbuf = 64;
    std::vector<std::string> entries;
};

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: drv_prompt_probe ROUTINE [options]\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    if (argc < 2) usage();
    o.routine = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) usage();
        std::string v = argv[++i];
        if (a == "-q")
            o.question = v;
        else if (a == "-d")
            o.deflt = v;
        else if (a == "-f")
            o.form = v;
        else if (a == "-lo")
            o.lo = std::strtof(v.c_str(), nullptr);
        else if (a == "-up")
            o.up = std::strtof(v.c_str(), nullptr);
        else if (a == "-c")
            o.topic = v;
        else if (a == "-n")
            o.ncol = std::atoi(v.c_str());
        else if (a == "-m")
            o.mode = v.empty() ? ' ' : v[0];
        else if (a == "-s")
            o.script = v;
        else if (a == "-k")
            o.calls = std::atoi(v.c_str());
        else if (a == "-e")
            o.ext = v;
        else if (a == "-L")
            o.ld = std::atoi(v.c_str());
        else if (a == "-M")
            o.maxbuf = std::atoi(v.c_str());
        else if (a == "-b")
            o.entries.push_back(v);
        else
            usage();
    }
    return o;
}

std::string number(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    return buf;
}

template <int N>
std::string bars(const Field<N>& f) {
    return "|" + f.trimmed() + "|";
}

}  // namespace

int main(int argc, char** argv) {
    set_program_name(argv[0]);
    Options o = parse(argc, argv);
    if (!o.script.empty()) {
        OpenMode m = o.mode == 'r' ? OpenMode::read : OpenMode::write;
        if (!open_unit(unit_script, o.script, m)) file_error_exit(o.script, "cannot open");
    }

    char ch1 = o.deflt.empty() ? 'y' : o.deflt[0];
    float value = o.deflt.empty() ? 10.0f : std::strtof(o.deflt.c_str(), nullptr);
    Text132 chstr(o.deflt);
    Text132 deffile(o.deflt.empty() ? "default.lst" : o.deflt);
    Text16 exten(o.ext);
    Array1<Text132, 64> cmdbuff;
    int mbuf = static_cast<int>(o.entries.size());
    for (int i = 1; i <= mbuf && i <= 64; ++i) cmdbuff(i).assign(o.entries[i - 1]);

    for (int call = 0; call < o.calls; ++call) {
        Text132 querytype(o.question);
        querytype(132) = o.mode;
        Text132 chcom(o.topic);
        Text7 form(o.form);
        std::string r;
        if (o.routine == "yesno") {
            yesno(querytype, ch1, chcom, o.ncol, 5, 6);
            r = std::string("ch1=") + ch1;
        } else if (o.routine == "askvalue") {
            askvalue(querytype, form, value, chcom, o.ncol, 5, 6);
            r = "value=" + number(value) + " form=" + bars(form);
        } else if (o.routine == "askvallim") {
            askvallim(querytype, form, o.lo, o.up, value, chcom, o.ncol, 5, 6);
            r = "value=" + number(value) + " mode=" + std::string(1, querytype(132));
        } else if (o.routine == "askstring") {
            askstring(querytype, chstr, chcom, o.ncol, 5, 6);
            r = "chstr=" + bars(chstr);
        } else if (o.routine == "readfile") {
            Text32 filetype(o.question);
            int ld = o.ld;
            readfile(filetype, deffile, exten, ld, chcom, o.ncol, 5, 6);
            r = "ld=" + std::to_string(ld) + " deffile=" + bars(deffile) + " exten=" + bars(exten);
            write_line(unit_screen, "RESULT " + r);
            continue;
        } else if (o.routine == "buffer") {
            Text132 comline;
            buffer(cmdbuff, o.maxbuf, comline, mbuf);
            r = "comline=" + bars(comline) + " mbuf=" + std::to_string(mbuf) + " list=";
            for (int i = 1; i <= mbuf; ++i) r += bars(cmdbuff(i));
            write_line(unit_screen, "RESULT " + r);
            continue;
        } else {
            usage();
        }
        write_line(unit_screen,
                   "RESULT " + r + " querytype=" + bars(querytype) + " chcom=" + bars(chcom));
    }
    close_unit(unit_script);
    return 0;
}
