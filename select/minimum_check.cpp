#include "minimum_check.h"

#include <cmath>
#include <string>

#include "coeff.h"
#include "fortfmt.h"
#include "linalg.h"
#include "thick.h"
#include "units.h"

namespace zorb {

namespace {

void warn(const std::string& text) { write_line(coeff.nwr, " warning: " + text); }

}  // namespace

double attenuation_condition(const std::vector<float>& p) {
    const int n = static_cast<int>(p.size()) + 1;
    std::vector<float> thick(static_cast<std::size_t>(n), 0.0f);
    for (std::size_t i = 0; i < p.size(); ++i) thick[i] = std::fabs(p[i]);
    Square<float> att(n);
    rintensities(n, thick.data(), att);
    return condition_number(n, std::vector<double>(att.v.begin(), att.v.end()));
}

void print_minimum_check(const std::vector<float>& p, const MinimisationOutcome& outcome) {
    write_line(coeff.nwr,
               " condition number of the attenuation matrix at the minimum: " +
                   without_blanks(fmt_g(static_cast<float>(attenuation_condition(p)), 12, 3)));
    if (std::isinf(outcome.start_value))
        warn("the start thicknesses give a singular matrix (an infinite figure of merit), so "
             "the minimiser stopped at a point that has not converged; try another start factor");
    if (!outcome.converged)
        warn("the minimiser reached its iteration limit without converging: the thicknesses "
             "above are not a minimum; try another start factor");
    if (std::isinf(outcome.value))
        warn("the figure of merit at the point found is still Infinity (a singular matrix); "
             "try another start factor");
}

}  // namespace zorb
