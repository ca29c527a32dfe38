// select: planning the thicknesses of an absorber measurement.
//
// The user chooses the absorber material and the energies that contribute
// to the detector's energy window; select then scales start thicknesses
// while showing the attenuation matrix, minimises the figure of merit
// row/det*column/det over the free thicknesses and prints the optimum.
//
// The choices (material, energies) live in the driver's own variables and
// in record `coeff`; the shared menu record only carries the material menu
// for the moment it is drawn.
#include <cstdint>
#include <string>

#include "coeff.h"
#include "d10r6.h"
#include "field.h"
#include "fortfmt.h"
#include "help.h"
#include "input.h"
#include "menu.h"
#include "numread.h"
#include "options.h"
#include "prompts.h"
#include "units.h"

namespace {

using namespace zorb;

const ProgramDescription program = {
    "select", "[WORD...]",
    R"(Plans the absorber thicknesses of a measurement: for an absorber material and
the photon energies in the detector's energy window, thicknesses whose
attenuation matrix (energy versus thickness) is as well conditioned as possible.

The dialogue: choose the material (aluminium, Plexi, nickel) from a menu, typing
part of an entry or using the arrow keys, Return accepts; then 2 to 8 energy
numbers from the list shown; then scale the start thicknesses while the matrix
is shown, until the factor 1 accepts them.  Powell's method prints its
iterations, the best thicknesses in mm and the matrix there.  Every question
shows its answer in brackets: Return accepts it, a new answer is shown in the
brackets to be accepted with Return; "he" shows help, "q" or "*" quits a
question.  A command line holding "he" (select help) first shows the help on
the measurement.  In bash, start it as ./select or command select.

Files: none written; the help file select.help.
Environment: ZORBHEPATH (directory of the help files; unset, the installed
ones), NO_COLOR (set: no colours, bold or underline).
Exit status: 0 done; 1 standard output could not be written; 2 an unknown
option; 3 input ended while a question was asked.
See man select.
)",
    true, false};

// The material menu: entry text, help topic, material offset.  The Plexi
// entry holds a left-to-right mark (U+200E, E2 80 8E) after its blank.
struct Material {
    const char* queryar;
    const char* helpar;
    int32_t ip;
};
const Material materials[3] = {
    {"Al aluminum", "background/material/Al", 0},
    {"Plexi \xE2\x80\x8E(C_5O_2H_8)n", "background/material/plexi", 16},
    {"Ni nickel", "background/material/Ni", 32},
};

// The command line, as one text; help when it holds "he".  The program
// counts by its own name as invoked, without the directories it was started
// from: an installation or home directory such as /home/stephen would
// otherwise show the help on every run, and a long path would push the
// arguments out of the 132 characters.
void command_line_help(int argc, char** argv) {
    std::string line = argc > 0 ? argv[0] : "";
    line.erase(0, line.rfind('/') + 1);
    for (int i = 1; i < argc; ++i) line += " " + std::string(argv[i]);
    Text132 chin(line);
    if (chin.contains("he")) {
        Text132 topic("background/measurement");
        help(topic);
    }
}

// The material offset ip of the entry chosen from the menu.
int32_t choose_material() {
    for (;;) {
        for (int k = 1; k <= 3; ++k) {
            scrd.queryar(k) = Text132(materials[k - 1].queryar);
            scrd.helpar(k) = Text132(materials[k - 1].helpar);
            scrd.ext(k) = Text16();
        }
        int32_t jq = 3, jk = 3;
        Text132 chin("select absorption material");
        Text80 chdf("Al");
        chdf(80) = '#';   // column layout
        query2(jq, jk, chin, chdf, coeff.ncol, coeff.nrd, coeff.nwr);
        if (jq >= 1 && jq <= 3) return materials[jq - 1].ip;
        write_line(coeff.nwr, "  no material selected");
    }
}

void write_energy(int k) {
    write_line(coeff.nwr, fmt_i(k, 3) + "    " + coeff.enel(k).str());
}

// Energy numbers as typed: the fraction is cut off.  False (with the reason
// on the screen) unless each is one of 1 to 8 and none comes twice.
bool energies_valid(int iout, const NumberList& out) {
    for (int i = 1; i <= iout; ++i) {
        if (!(out(i) >= 1.0f && out(i) < 9.0f)) {
            write_line(coeff.nwr, " energy numbers are 1 to 8");
            return false;
        }
    }
    for (int i = 1; i <= iout; ++i)
        for (int j = 1; j < i; ++j)
            if (static_cast<int>(out(i)) == static_cast<int>(out(j))) {
                write_line(coeff.nwr, " each energy only once");
                return false;
            }
    return true;
}

// The selected energies into coeff.lk; their count.
int choose_energies() {
    for (;;) {
        Text132 querytype("select energies contributing to energy window");
        Text132 chin("1 2 3");
        Text132 chcom("selection/energies");
        askstring(querytype, chin, chcom, coeff.ncol, coeff.nrd, coeff.nwr);
        int iout = 0;
        NumberList out{};
        trlch(64, chin, iout, out);
        if (iout <= 1) {
            Text132 topic("selection/energies");
            help(topic);
            continue;
        }
        if (!energies_valid(iout, out)) continue;
        for (int i = 1; i <= 8; ++i) coeff.lk(i) = i <= iout ? static_cast<int32_t>(out(i)) : 0;
        return iout;
    }
}

void run(int argc, char** argv) {
    coeff.ncol = 80;
    coeff.nrd = unit_keyboard;
    coeff.nwr = unit_screen;
    command_line_help(argc, argv);

    const int32_t ip = choose_material();
    coeff.ip = ip;
    for (int k = 1; k <= 8; ++k) write_energy(k);
    const int n = choose_energies();
    for (int i = 1; i <= n; ++i) write_energy(coeff.lk(i));
    d10r6(n - 1);
}

}  // namespace

int main(int argc, char** argv) {
    zorb::set_program_name(argv[0]);
    // The words left are all of the command line; "he" in any of them asks
    // for help.
    zorb::program_options(argc, argv, program);
    run(argc, argv);
    return 0;
}
