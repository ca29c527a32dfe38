// Screen lines written:
//   the matrix display: an empty line, the thicknesses (16 blanks, then each
//   in F8.3, the last 0.000), an empty line, one line per selected energy
//   (4 blanks, its label, the transmissions in F8.3), an empty line;
//   " FUNC=" and the figure of merit at the accepted start, list-directed;
//   " Iterations:" (I3), " Minimum at (mm thickness): " (F12.6 each),
//   " Minimized fuction row/det*column/det =" (G12.3), and the matrix at the
//   minimum under " attenuation matrix (energy versus thickness):";
//   then the condition number of that matrix and any warning (minimum_check).
#include "d10r6.h"

#include <cmath>
#include <string>
#include <vector>

#include "coeff.h"
#include "field.h"
#include "fortfmt.h"
#include "minimum_check.h"
#include "powell.h"
#include "prompts.h"
#include "thick.h"
#include "units.h"

namespace zorb {

namespace {

constexpr float ftol = 1.0e-6f;

// The figure of merit as the minimiser calls it.  It reads the attenuation
// data of record coeff, so it needs no context of its own.
float figure_of_merit(const float* x, int n, void* /*context*/) { return func(x, n); }

void show_matrix(const std::vector<float>& p) {
    const int ndim = static_cast<int>(p.size());
    const int n = ndim + 1;
    std::vector<float> thick(static_cast<std::size_t>(n), 0.0f);
    for (int i = 0; i < ndim; ++i) thick[i] = std::fabs(p[i]);
    Square<float> att(n);
    rintensities(n, thick.data(), att);

    const int nwr = coeff.nwr;
    write_line(nwr, "");
    std::string header(16, ' ');
    for (float d : thick) header += fmt_f(d, 8, 3);
    write_line(nwr, header);
    write_line(nwr, "");
    for (int j = 1; j <= n; ++j) {
        std::string line = "    " + coeff.enel(coeff.lk(j)).str();
        for (int k = 1; k <= n; ++k) line += fmt_f(att(k, j), 8, 3);
        write_line(nwr, line);
    }
    write_line(nwr, "");
}

// The start thicknesses 0.005 i mm, scaled by the factors the user types
// until the factor 1 accepts those last shown.
void scale_start(std::vector<float>& p) {
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = 0.005f * static_cast<float>(i + 1);
    float value = 1.0f;
    do {
        for (float& x : p) x = x * value;
        show_matrix(p);
        value = 10.0f;
        Text132 querytype(" common factor multiplied to start values of thickness");
        Text7 form("f10.3");
        Text132 chcom("background/start");
        askvalue(querytype, form, value, chcom, coeff.ncol, coeff.nrd, coeff.nwr);
    } while (value != 1.0f);
}

}  // namespace

void d10r6(int ndim) {
    std::vector<float> p(static_cast<std::size_t>(ndim));
    Square<float> xi(ndim);
    for (int i = 1; i <= ndim; ++i) xi(i, i) = 1.0f;
    scale_start(p);

    const int nwr = coeff.nwr;
    write_line(nwr, " FUNC=" + fmt_ld(func(p.data(), ndim)));
    float fret = func(p.data(), ndim);
    const float start_value = fret;
    int iter = 0;
    const bool converged =
        powell(p.data(), xi, ndim, ndim, ftol, iter, fret, figure_of_merit, nullptr);

    write_line(nwr, "");
    write_line(nwr, " Iterations:" + fmt_i(iter, 3));
    std::string at = " Minimum at (mm thickness): ";
    for (float x : p) at += fmt_f(std::fabs(x), 12, 6);
    write_line(nwr, at);
    write_line(nwr, " Minimized fuction row/det*column/det =" + fmt_g(fret, 12, 3));
    write_line(nwr, "");
    write_line(nwr, "");
    write_line(nwr, " attenuation matrix (energy versus thickness):");
    show_matrix(p);
    print_minimum_check(p, {start_value, converged, fret});
}

}  // namespace zorb
