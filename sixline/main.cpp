// sixline: hyperfine parameters from the line positions of a magnetically
// split 57Fe spectrum (the 14.4 keV 3/2<->1/2 transition).
//
// The user picks an input mode from a menu, gives the line positions and a
// scan definition, and gets a table of every grid point with a solution, on
// the screen and in the result listing.  After each table the menu comes
// back; leaving the menu or a line-position prompt ends the run.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "field.h"
#include "filedialog.h"
#include "fortfmt.h"
#include "help.h"
#include "hyperfine.h"
#include "input.h"
#include "key.h"
#include "menu.h"
#include "numread.h"
#include "options.h"
#include "prompts.h"
#include "units.h"

namespace {

using namespace zorb;

constexpr int ncl = 80;   // columns passed to the prompts
constexpr int nrd = unit_keyboard;
constexpr int nwr = unit_screen;
constexpr int listing_unit = 7;
constexpr float rad = 0.017453292f;   // radians per degree

const ProgramDescription program = {
    "sixline", "",
    R"(Hyperfine parameters (quadrupole splitting, eta, field H in kG, the angles phi
and theta) from the line positions of a magnetically split 57Fe spectrum (the
14.4 keV 3/2<->1/2 transition; the nuclear moments of 57Fe are built in).

The dialogue: the result listing (default sixline.lst); then, again after each
table, a menu of three input modes (a: lines 1, 2, 5, 6; b: lines 1, 2, 6 and
the isomer shift; c: lines 1, 6, the isomer shift and the splitting), typing
part of an entry or using the arrow keys, Return accepts; the line positions in
mm/s; the octant and the scan steps.  Every grid point with a solution is a row
on the screen and in the listing.  Every question shows its answer in
brackets: Return accepts it, a new answer is shown in the brackets to be
accepted with Return; "he" shows help; "q" in the menu ends the run.

Files: the result listing, written from its start at the first table; the help
file Mossbauer_spectrum.help.
Environment: ZORBHEPATH (directory of the help files; unset, the installed
ones), ZORBUTPATH (a directory shorthand in file names), NO_COLOR (set: no
colours, bold or underline).
Exit status: 0 done; 1 a file or standard output could not be used; 3 input
ended while a question was asked.
See man sixline.
)",
    false, false};

const char* const header_efg = "     EFG        eta      H [kG]      phi     theta";
const char* const header_l2 = "     L2        eta      H [kG]      phi     theta";

// The result listing.  An existing file is opened without cutting it, so a
// run that writes no table leaves it as it was (also one that may be written
// but not read); the first line written empties it first, so that it then
// holds exactly the tables of this run.  A missing file is made at once.
class Listing {
public:
    void open(const std::string& name) {
        name_ = name;
        if (!open_unit(listing_unit, name, OpenMode::keep)) file_error_exit(name, std::strerror(errno));
        fresh_ = false;
    }
    void line(std::string_view text) {
        if (!fresh_) {
            if (!cut_unit(listing_unit)) file_error_exit(name_, std::strerror(errno));
            fresh_ = true;
        }
        write_line(listing_unit, text);
    }
    void close() { close_unit(listing_unit); }

private:
    std::string name_;
    bool fresh_ = false;
};

Listing listing;

// A line for both the screen and the listing.
void table_line(std::string_view text) {
    write_line(nwr, text);
    listing.line(text);
}

// A count of grid steps: the quotient truncated toward zero.  A quotient that
// is not a number or does not fit a 32-bit integer yields no count.
bool step_count(float q, int32_t& n) {
    if (!(q > -2147483648.0f && q < 2147483648.0f)) return false;
    n = static_cast<int32_t>(q);
    return true;
}

// The octant typed as a real, truncated toward zero; values beyond the
// integer range saturate (they act as the outermost octants anyway).
int32_t octant_of(float v) {
    if (v != v) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

struct ScanDefinition {
    int32_t ioct = 1;
    float step = 0;      // dDq or dL
    float deta = 0;
    int64_t ninner = 0;  // eta steps: neta + 1, or none
    int32_t nouter = 0;  // steps of the first column, from the line positions
};

// Scans up to this many grid points run at once; a larger one (it writes a
// row per point with a solution, easily gigabytes) is run only when the user
// says so.
constexpr int64_t large_scan = 10000000;

// Whether the scan is to run: at once when it is not large, else after the
// user has been told its size and said yes (the default is no).
bool scan_confirmed(const ScanDefinition& s) {
    const int64_t points = static_cast<int64_t>(s.nouter > 0 ? s.nouter : 0) * s.ninner;
    if (points <= large_scan) return true;
    write_line(nwr, " the scan has " + std::to_string(points) + " grid points");
    Text132 querytype("scan them all?");
    Text132 chcom("sixline");
    char ch1 = 'n';
    yesno(querytype, ch1, chcom, ncl, nrd, nwr);
    return ch1 == 'y';
}

// Asks for the octant and the two steps; false when the user quits back to
// the line-position prompt.  `outer_steps` gives the steps of the first
// column for a definition; a large scan not confirmed is asked for again.
template <class OuterSteps>
bool ask_scan(const char* question, const char* defaults, ScanDefinition& s,
              OuterSteps outer_steps) {
    Text132 querytype(question);
    Text132 chcom("sixline");
    NumberList out{};
    int nn = 0;
    for (;;) {
        Text132 ch132(defaults);
        askstring(querytype, ch132, chcom, ncl, nrd, nwr);
        if (ch132(1) == '*' || ch132(1) == 'q') return false;
        trlch(80, ch132, nn, out);
        if (nn != 3) {
            write_line(nwr, " 3 numbers are expected");
            continue;
        }
        s.ioct = octant_of(out(1));
        s.step = out(2);
        s.deta = out(3);
        int32_t neta = 0;
        s.ninner = step_count(1.0f / s.deta, neta) ? static_cast<int64_t>(neta) + 1 : 0;
        s.nouter = outer_steps(s);
        if (scan_confirmed(s)) return true;
    }
}

// Asks for the four numbers of a mode, offering chstart; false when the user
// quits the run.  The answer is kept as the mode's default for the next time
// the mode is chosen.
bool ask_positions(const char* question, Text132& chstart, Text80& last, NumberList& out) {
    Text132 querytype(question);
    Text132 chcom("sixline");
    int nn = 0;
    for (;;) {
        askstring(querytype, chstart, chcom, ncl, nrd, nwr);
        last.assign(chstart.sub(1, 80));
        if (chstart(1) == '*' || chstart(1) == 'q') return false;
        trlch(80, chstart, nn, out);
        if (nn == 4) return true;
        write_line(nwr, " 4 numbers are expected");
    }
}

// The first column of a table: `count` values, each the one before plus
// `step`, the first being `start` + `step`.
struct Axis {
    float start = 0;
    float step = 0;
    int32_t count = 0;
};

// The grid: the values of `outer` in the first column, and the eta steps of
// `s` within each; `splitting_at(value)` gives what the lines, the shift and
// the splitting at that value give before eta comes in.  One group of rows
// per outer value that has a solution, preceded by an empty line.  A table
// without a row says so on the screen (the listing keeps the header alone).
template <class SplittingAt>
void scan(const char* header, Axis outer, const ScanDefinition& s, SplittingAt splitting_at) {
    table_line(header);
    std::string row;  // one row of five F10 fields, its storage kept from row to row
    row.reserve(50);
    bool any = false;
    float column = outer.start;
    for (int32_t i = 1; i <= outer.count; ++i) {
        column = column + outer.step;
        const Splitting split = splitting_at(column);
        bool group = false;
        for (int64_t k = 1; k <= s.ninner; ++k) {
            float eta = static_cast<float>(k) * s.deta;
            float haeu = 0, phi_h = 0, teta_h = 0;
            bool b_exist = false;
            solve_at_eta(split, eta, s.ioct, haeu, phi_h, teta_h, b_exist);
            if (!b_exist) continue;
            if (!group) table_line("");
            group = true;
            row.clear();
            append_f(row, column, 10, 3);
            append_f(row, eta, 10, 3);
            append_f(row, haeu, 10, 2);
            append_f(row, phi_h / rad, 10, 2);
            append_f(row, teta_h / rad, 10, 2);
            table_line(row);
            any = true;
        }
    }
    if (!any)
        write_line(nwr, " no grid point of this scan has a solution: the table has no row; "
                        "check the sign of the step and the line positions");
}

// Steps of the quadrupole scan of modes a and b: the splitting runs over
// step, 2 step, ... up to half the distance from line 1 to line 6.
int32_t splitting_steps(const ScanDefinition& s, float l1, float l6) {
    int32_t il = 0;
    if (!step_count(((l6 - l1) / 2.0f) / std::fabs(s.step), il)) il = 0;
    return il;
}

void scan_splitting(const ScanDefinition& s, float is, float l1, float l2, float l6) {
    scan(header_efg, Axis{0.0f, s.step, s.nouter}, s,
         [&](float qas) { return splitting_terms(qas, is, l1, l2, l6); });
}

// Steps of the line-2 scan of mode c: line 2 runs from line 1 towards line
// 6, halfway at most; a step pointing away from line 6 gives no rows.
int32_t line2_steps(const ScanDefinition& s, float l1, float l6) {
    int32_t il = 0;
    if (!step_count(((l6 - l1) / 2.0f) / s.step, il)) il = 0;
    return il;
}

void scan_line2(const ScanDefinition& s, float qas, float is, float l1, float l6) {
    scan(header_l2, Axis{l1, s.step, s.nouter}, s,
         [&](float l2) { return splitting_terms(qas, is, l1, l2, l6); });
}

// Modes a and b: the splitting is scanned.  Mode a takes lines 1, 2, 5 and 6
// and the isomer shift as their mean; mode b lines 1, 2 and 6 and the isomer
// shift.  False when the run is to end.
bool mode_ab(bool mode_a, Text80& last) {
    NumberList out{};
    Text132 chstart(last.view());
    const char* question =
        mode_a ? "line position L1,L2,L5 and L6:" : "line position L1,L2,L6, and shift IS:";
    for (;;) {
        if (!ask_positions(question, chstart, last, out)) return false;
        float l1 = out(1), l2 = out(2), l6, is;
        if (mode_a) {
            float l5 = out(3);
            l6 = out(4);
            is = (l2 + l1 + l5 + l6) / 4.0f;
            write_line(nwr, " Is=" + fmt_f(is, 10, 3));
        } else {
            l6 = out(3);
            is = out(4);
        }
        ScanDefinition s;
        auto steps = [&](const ScanDefinition& d) { return splitting_steps(d, l1, l6); };
        if (!ask_scan("octant dDq d_eta:", "octant=1 dDq=-0.1  d_eta=0.1", s, steps)) continue;
        scan_splitting(s, is, l1, l2, l6);
        return true;
    }
}

// Mode c: lines 1 and 6, the isomer shift and the splitting; line 2 is
// scanned.  A zero splitting has no solution anywhere on the grid (no angle
// could be computed), so it is refused and the line positions asked again.
bool mode_c(Text80& last) {
    NumberList out{};
    Text132 chstart(last.view());
    for (;;) {
        if (!ask_positions("line position L1,L6, shift IS,and  Deq:", chstart, last, out))
            return false;
        float l1 = out(1), l6 = out(2), is = out(3), qas = out(4);
        if (qas == 0.0f) {
            write_line(nwr, " the quadrupole splitting Deq must not be zero");
            continue;
        }
        ScanDefinition s;
        auto steps = [&](const ScanDefinition& d) { return line2_steps(d, l1, l6); };
        if (!ask_scan("octant dL d_eta:", "octant=1 dL=-0.1  d_eta=0.1", s, steps)) continue;
        scan_line2(s, qas, is, l1, l6);
        return true;
    }
}

void run() {
    localpath.localhepath = Text80("/Mossbauer_spectrum.help");
    const int kwin = 1;
    window(kwin);
    // The menus use the whole width the terminal reports.
    term.npl = term.ncol(kwin);

    Text32 filetype("results of sixline");
    Text132 deffile("sixline.lst");
    // The dialogue's extension and length are the driver's own, not members
    // of the shared menu record that help and menus rewrite.
    Text16 exten("lst");
    int ld = 0;
    Text132 chcom("sixline/outfile");
    readfile(filetype, deffile, exten, ld, chcom, ncl, nrd, nwr);
    if (ld == 0) return;

    listing.open(std::string(deffile.sub(1, ld)));
    write_line(nwr, "");
    write_line(nwr, "");

    Array1<Text80, 3> chst;
    chst(1) = Text80("-6.551 -4.2325  2.9495   5.834");
    chst(2) = Text80("-6.551 -4.2325 5.834  Is=-0.5");
    chst(3) = Text80(" L=-6.5509 R=5.8341  Is=-0.5 Deq=-4.0");

    for (;;) {
        int32_t lq = 3, lk = 3;
        for (int k = 1; k <= 3; ++k) {
            scrd.ext(k) = Text16();
            scrd.helpar(k) = Text132("sixline");
        }
        scrd.queryar(1) = Text132("a:L1,L2,L5,L6");
        scrd.queryar(2) = Text132("b:L1,L2,L6,Is");
        scrd.queryar(3) = Text132("c:L1,L6,Is,Deq");
        Text80 chdf("a");
        chdf(80) = '#';   // the menu lays its entries out in columns
        Text132 chin("hyperfine fields from line positions of a 3/2<->1/2 transition");
        query(lq, lk, chin, chdf);
        if (lq == 0) break;

        bool go_on;
        if (lq == 2)
            go_on = mode_ab(false, chst(2));
        else if (lq == 3)
            go_on = mode_c(chst(3));
        else
            go_on = mode_ab(true, chst(1));
        if (!go_on) break;
    }
    listing.close();
}

}  // namespace

int main(int argc, char** argv) {
    zorb::set_program_name(argv[0]);
    zorb::program_options(argc, argv, program);
    run();
    return 0;
}
