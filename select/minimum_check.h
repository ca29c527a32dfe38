// What select prints after the matrix at the minimum: the condition number
// of that matrix, and a warning (" warning: ...") where the minimisation
// means little: a singular start, the iteration limit, or a minimum that is
// still infinite.
#pragma once

#include <vector>

namespace zorb {

struct MinimisationOutcome {
    float start_value = 0;    // figure of merit at the accepted start thicknesses
    bool converged = true;    // false: the minimiser stopped at its iteration limit
    float value = 0;          // figure of merit at the point returned
};

// The condition number (2-norm) of the attenuation matrix for the free
// thicknesses p (their magnitudes) and the measurement without absorber,
// for the material and energies of record `coeff`.
double attenuation_condition(const std::vector<float>& p);

// The condition line and the warnings, after the matrix at the minimum p.
void print_minimum_check(const std::vector<float>& p, const MinimisationOutcome& outcome);

}  // namespace zorb
