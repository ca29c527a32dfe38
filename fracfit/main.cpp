// fracfit: relative intensities of the energies in the detector window, and
// the background fraction (all that is not the 14.4 keV line), from counts
// measured behind absorbers of several thicknesses.
//
// The user chooses the thicknesses, the dead time and the energies; each
// choice is written back into the counts file at once, as the default of the
// next run.  All the dialogue's state lives in this file's variables.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "countsfile.h"
#include "field.h"
#include "filedialog.h"
#include "fortfmt.h"
#include "help.h"
#include "input.h"
#include "intensities.h"
#include "numread.h"
#include "options.h"
#include "prompts.h"
#include "text.h"
#include "units.h"
#include "visible.h"

namespace {

using namespace zorb;

constexpr int ncol = 80;   // columns passed to the prompts
constexpr int nrd = unit_keyboard;
constexpr int nwr = unit_screen;
constexpr int n_ch = 80;   // characters of an answer searched for numbers

const ProgramDescription program = {
    "fracfit", "[--] [COUNTS-FILE]",
    R"(Relative intensities of the energies in a detector's energy window, and the
background fraction of the window (all that is not the 14.4 keV line), from
counts measured behind absorbers of several thicknesses.

The dialogue: first one plain start line (empty: go on; "he": the overview);
then the counts file (default COUNTS-FILE, extension .dat), 2 to 8 thickness
lines of the file, the dead time times the total count rate, and as many
energy numbers as thicknesses.  Each choice is written back into the counts
file at once, as the default of the next run.  Every question shows its answer
in brackets: Return accepts it, a new answer is shown in the brackets to be
accepted with Return; "he" shows help.  After "--", a name beginning with "-"
is a counts file.

Files: the counts file: a title line; per thickness its number, the thickness
in mm and the counts; a line holding "----"; three default lines.  The help
file fracfit.help.
Environment: ZORBHEPATH (directory of the help files; unset, the installed
ones), ZORBUTPATH (a directory shorthand in file names), NO_COLOR (set: no
colours, bold or underline).
Exit status: 0 done; 1 the counts file or standard output could not be used;
2 an unknown option; 3 input ended while a question was asked.
See man fracfit.
)",
    true, true};

void say(const std::string& text) { write_line(nwr, text); }

void show_help(const char* topic) {
    Text132 chin(topic);
    help(chin);
}

// The line read before anything else, without prompt or line editor: "he"
// shows the overview, "st" (without "intcheck") the page on the diagnostic
// output, and either asks for the line again.  Anything else goes on.
// "intcheck" holds "he" itself, so a line with "st" and "intcheck" is let
// through first: "stintcheck" starts the run.
void start_line() {
    for (;;) {
        std::string line;
        read_line(nrd, line);   // the end of input reads as an empty line
        Text132 chin(line);
        if (chin.contains("st") && chin.contains("intcheck")) return;
        if (chin.contains("he")) {
            show_help("overview");
        } else if (chin.contains("st")) {
            show_help("enwr");
        } else {
            return;
        }
    }
}

// The counts file of this run: what was read, and the default lines as they
// stand now.  Each choice replaces one of them in the file as it then stands.
class Counts {
public:
    void open(const std::string& name) {
        name_ = name;
        std::string why, bytes;
        if (!counts_target(name, target_, why) || !read_counts_bytes(target_, bytes, why) ||
            !parse_counts(bytes, file, why))
            file_error_exit(name, why);
        lines_ = file.defaults;
    }
    // Replaces default line k (0 thickness, 1 dead time, 2 energies).
    void set_default(int k, const std::string& line) {
        lines_[static_cast<std::size_t>(k)] = line;
        std::string why;
        bool changed = false;
        if (!rewrite_defaults(target_, file, lines_, changed, why)) file_error_exit(name_, why);
        if (changed && !told_changed_) {
            told_changed_ = true;
            say(" the thickness lines of " + name_ +
                " were changed during the run; the results are from the lines as first read");
        }
    }
    // Default line k as the dialogue reads it: its first 32 characters.
    Text32 chdef(int k) const { return Text32(file.defaults[static_cast<std::size_t>(k)]); }

    CountsFile file;

private:
    std::string name_, target_;
    std::array<std::string, 3> lines_;
    bool told_changed_ = false;
};

// The thickness lines of the counts file: number, thickness and counts of
// each; one that does not hold them says it was skipped.
void print_thickness_lines(const CountsFile& f) {
    for (int i = 1; i <= f.nt; ++i) {
        if (f.valid(i))
            say(fmt_i(i, 2) + fmt_f(f.thick(i), 8, 4) + fmt_f(f.cm(i), 12, 0));
        else
            say(fmt_i(i, 2) + "   skipped: the line does not hold its number " +
                std::to_string(i) + ", a thickness and counts");
    }
}

// The whole numbers of an answer that lie between 1 and `top`, or a message.
bool numbers_within(const NumberList& out, int count, int top, Array1<int32_t, 12>& n,
                    const std::string& what) {
    for (int i = 1; i <= count; ++i) {
        if (!(out(i) >= 1.0f && out(i) < static_cast<float>(top) + 1.0f)) {
            say(" " + what + " numbers must lie between 1 and " + std::to_string(top));
            return false;
        }
        n(i) = static_cast<int32_t>(out(i));
    }
    return true;
}

// A list of numbers asked with default line k of the counts file as its
// answer; the count of numbers read.
int ask_numbers(const Counts& counts, int k, const std::string& question, const char* topic,
                NumberList& out) {
    Text132 querytype(question);
    Text132 chcom(topic);
    Text132 chin(counts.chdef(k).view());
    askstring(querytype, chin, chcom, ncol, nrd, nwr);
    int iout = 0;
    trlch(n_ch, chin, iout, out);
    return iout;
}

// Thickness selection: 2 to 8 lines of the file that were read.
void ask_thicknesses(Counts& counts, IntensityInput& in) {
    const CountsFile& f = counts.file;
    for (;;) {
        NumberList out{};
        const int iout = ask_numbers(counts, 0, "select >=2 numbers from the sequence (thickness) n",
                                     "selection/thickness", out);
        if (iout < 2 || iout > max_selected) {
            show_help("selection/thickness");
            continue;
        }
        if (!numbers_within(out, iout, f.nt, in.inth, "thickness")) continue;
        bool usable = true;
        for (int i = 1; i <= iout && usable; ++i) {
            if (f.valid(in.inth(i))) continue;
            say(" thickness line " + std::to_string(in.inth(i)) +
                " was skipped when the file was read");
            usable = false;
        }
        if (!usable) continue;
        in.nd = iout;
        break;
    }
    std::string line;
    for (int i = 1; i <= in.nd; ++i) line += fmt_i(in.inth(i), 4);
    counts.set_default(0, line);
}

// Dead time times total count rate: not negative, and small enough that
// every selected count can be corrected (1 - Nob/N*Ntau above 0).
void ask_deadtime(Counts& counts, IntensityInput& in) {
    const CountsFile& f = counts.file;
    float value = 0;
    for (;;) {
        Text132 chin(counts.chdef(1).view());
        int iout = 0;
        NumberList out{};
        trlch(n_ch, chin, iout, out);
        value = iout > 0 ? out(1) : 0.0f;
        Text132 querytype("detector deadtime times total(ungated) counts");
        Text132 chcom("deadtime/define");
        Text7 form("f6.2");
        askvalue(querytype, form, value, chcom, ncol, nrd, nwr);
        if (value < 0) {
            show_help("deadtime/define");
            continue;
        }
        const float h = (1.0f / f.cm(1)) * value;
        int too_large = 0;
        for (int i = 1; i <= in.nd && too_large == 0; ++i)
            if (!(1.0f - f.cm(in.inth(i)) * h > 0.0f)) too_large = in.inth(i);
        if (too_large == 0) break;
        say(" with this dead time 1-Nob/N*Ntau is not above 0 for thickness line " +
            std::to_string(too_large) + "; give a smaller value");
    }
    in.ntau = value;
    counts.set_default(1, fmt_f(in.ntau, 6, 2));
}

// Energy selection: as many different energies as thicknesses.
void ask_energies(Counts& counts, IntensityInput& in, const EnergyLabels& enel) {
    for (int i = 1; i <= energy_count; ++i) say(fmt_i(i, 3) + "    " + std::string(enel(i).view()));
    Text8 ch8;
    itoc8(ch8, in.nd);
    const std::string question = "select" + ch8.trimmed() + " numbers from the sequence of energies";
    for (;;) {
        NumberList out{};
        const int iout = ask_numbers(counts, 2, question, "selection/energies", out);
        if (iout < in.nd) {
            show_help("selection/energies");
            continue;
        }
        Array1<int32_t, 12> lk{};
        if (!numbers_within(out, in.nd, energy_count, lk, "energy")) continue;
        bool twice = false;
        for (int i = 1; i <= in.nd; ++i)
            for (int j = 1; j < i; ++j) twice = twice || lk(i) == lk(j);
        if (twice) {
            say(" each energy only once");
            continue;
        }
        for (int i = 1; i <= in.nd; ++i) in.lk(i) = lk(i);
        break;
    }
    std::string line;
    for (int i = 1; i <= in.nd; ++i) line += fmt_i(in.lk(i), 3);
    counts.set_default(2, line);
}

void run(const std::string& argument) {
    // The file question offers its default in ncol - 1 characters and would
    // cut a longer name into the name of another file.
    if (static_cast<int>(argument.size()) > ncol - 1)
        file_error_exit(argument, "name longer than " + std::to_string(ncol - 1) +
                                      " characters; give it from a nearer directory");
    start_line();

    Text32 filetype("thickness_counts");
    Text132 deffile(argument);
    Text16 exten("dat");
    int ld = 0;
    Text132 chcom("filestructure");
    readfile(filetype, deffile, exten, ld, chcom, ncol, nrd, nwr);
    // The chosen name; after a quit the default stands.
    const std::string name = ld > 0 ? std::string(deffile.sub(1, ld)) : deffile.trimmed();
    if (name.empty()) file_error_exit("counts file", "no name given");

    Counts counts;
    counts.open(name);
    const CountsFile& f = counts.file;
    say(" " + visible_text(Text132(f.title).trimmed()));
    print_thickness_lines(f);
    say(" material Al");

    IntensityInput in;
    // The nickel foil is the last line read as a thickness line, whatever
    // skipped lines follow it.
    in.nt = f.nickel;
    in.thick = f.thick;
    in.cm = f.cm;
    in.valid = f.valid;
    in.enwr1 = true;
    const EnergyLabels& enel = fracfit_labels();
    ask_thicknesses(counts, in);
    ask_deadtime(counts, in);
    ask_energies(counts, in, enel);

    for (int i = 1; i <= in.nd; ++i)
        say(fmt_i(in.lk(i), 3) + "    " + std::string(enel(in.lk(i)).view()));
    rintensities(in, enel);
}

}  // namespace

int main(int argc, char** argv) {
    zorb::set_program_name(argv[0]);
    // The default counts file is the first argument.
    const std::vector<std::string> arguments = zorb::program_options(argc, argv, program);
    run(arguments.empty() ? "" : arguments.front());
    return 0;
}
