#include "reliability.h"

#include <cmath>
#include <string>
#include <vector>

#include "fortfmt.h"
#include "linalg.h"
#include "uncertainty.h"
#include "units.h"

namespace zorb {

namespace {

// Beyond these the selected thicknesses hardly separate the energies.
constexpr float largest_unit_deviation = 1e-3f;   // any element of A times A-inverse
constexpr double largest_condition = 1e4;
// An intensity further below zero than this many sigma is no fluctuation.
constexpr double sigmas_below_zero = 3.0;

void say(const std::string& text) { write_line(unit_screen, text); }

std::string label_of(const IntensityInput& in, const EnergyLabels& enel, int k) {
    return without_blanks(enel(in.lk(k)).str());
}

// The energy labels, and a row of values under them: the columns of the
// printed intensities (two blanks, then 12 columns with 5 decimals).
std::string labels_row(const IntensityInput& in, const EnergyLabels& enel) {
    std::string line;
    for (int k = 1; k <= in.nd; ++k) line += "  " + enel(in.lk(k)).str();
    return line;
}
std::string values_row(const std::vector<double>& v) {
    std::string line;
    for (double x : v) line += "  " + fmt_f(static_cast<float>(x), 12, 5);
    return line;
}

// Position of energy 1, the 14.4 keV line, in the selection; 0 when absent.
int position_of_14kev(const IntensityInput& in) {
    for (int k = 1; k <= in.nd; ++k)
        if (in.lk(k) == 1) return k;
    return 0;
}

// The background fraction bg and the sigma the fit gives it, when energy 1
// is selected.
void bg_row(const IntensityInput& in, const IntensityFit& fit, float bg) {
    const int k = position_of_14kev(in);
    if (k == 0) return;
    say("     bg_fraction=" + fmt_f(bg, 9, 3) + " +-" +
        fmt_f(static_cast<float>(fit.sigma[static_cast<std::size_t>(k - 1)]), 9, 3));
}

// The background fraction of a fit.
float bg_of(const IntensityInput& in, const IntensityFit& fit) {
    const int k = position_of_14kev(in);
    return k == 0 ? 0.0f : static_cast<float>(1.0 - fit.r[static_cast<std::size_t>(k - 1)]);
}

// Intensities of a fit that lie more than three sigma below zero.
void negative_intensities(const IntensityInput& in, const EnergyLabels& enel,
                          const IntensityFit& fit, const std::string& which,
                          std::vector<std::string>& warnings) {
    for (int k = 1; k <= in.nd; ++k) {
        const double r = fit.r[static_cast<std::size_t>(k - 1)],
                     s = fit.sigma[static_cast<std::size_t>(k - 1)];
        if (!(r < -sigmas_below_zero * s)) continue;
        warnings.push_back(which + "intensity of " + label_of(in, enel, k) + " is " +
                           without_blanks(fmt_f(static_cast<float>(-r / s), 8, 1)) +
                           " sigma below zero: this energy is not in the window, or the "
                           "thicknesses do not separate it");
    }
}

}  // namespace

float unit_deviation(int nd, const float* a, const float* ai) {
    float worst = 0;
    for (int k = 0; k < nd; ++k)
        for (int l = 0; l < nd; ++l) {
            float s = 0;
            for (int j = 0; j < nd; ++j) s = s + a[k + j * nd] * ai[j + l * nd];
            const float d = std::fabs(s - (k == l ? 1.0f : 0.0f));
            if (!(d <= worst)) worst = d;   // a NaN stays
            if (std::isnan(worst)) return worst;
        }
    return worst;
}

double matrix_condition(int nd, const float* a) {
    std::vector<double> m(static_cast<std::size_t>(nd * nd));
    for (int i = 0; i < nd; ++i)
        for (int j = 0; j < nd; ++j) m[static_cast<std::size_t>(i * nd + j)] = a[i + j * nd];
    return condition_number(nd, m);
}

void print_reliability(const IntensityInput& in, const EnergyLabels& enel, const float* a,
                       const float* ai, float bg) {
    std::vector<std::string> warnings;

    const IntensityFit exact = fit_intensities(in, selected_lines(in));
    say("");
    say(" statistical uncertainty (1 sigma) of the intensities:");
    say(labels_row(in, enel));
    say(values_row(exact.sigma));
    // The value printed above, with the sigma of the exact solution.
    bg_row(in, exact, bg);

    std::vector<int> left_out;
    const std::vector<int> lines = usable_lines(in, left_out);
    const bool over_all_lines = static_cast<int>(lines.size()) > in.nd;
    IntensityFit all;
    if (over_all_lines) {
        all = fit_intensities(in, lines);
        say("");
        say(" least squares over all " + std::to_string(lines.size()) +
            " thickness lines, chi2/dof=" + fmt_f(static_cast<float>(all.chi2 / all.dof), 9, 2));
        say(labels_row(in, enel));
        say(values_row(all.r));
        say(values_row(all.sigma));
        bg_row(in, all, bg_of(in, all));
        for (int j : left_out)
            warnings.push_back("thickness line " + std::to_string(j) +
                               " is left out of the least squares: 1-Nob/N*Ntau is not above 0");
    }

    const float deviation = unit_deviation(in.nd, a, ai);
    const double condition = matrix_condition(in.nd, a);
    if (!(deviation <= largest_unit_deviation) || !(condition <= largest_condition)) {
        warnings.push_back("the selected thicknesses hardly separate these energies: the "
                           "intensities mean little");
        warnings.push_back("condition number of the transmission matrix " +
                           without_blanks(fmt_g(static_cast<float>(condition), 12, 3)) +
                           ", A times A-inverse off the unit matrix by up to " +
                           without_blanks(fmt_g(deviation, 12, 3)));
    }
    negative_intensities(in, enel, exact, "", warnings);
    if (over_all_lines) negative_intensities(in, enel, all, "least-squares ", warnings);

    if (warnings.empty()) return;
    say("");
    for (const std::string& w : warnings) say(" warning: " + w);
}

}  // namespace zorb
