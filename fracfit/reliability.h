// What fracfit prints after the comparison table, so that a result can be
// judged: the statistical uncertainty of the intensities; the least-squares
// solution over every thickness line when the file holds more lines than
// energies were selected; and a warning (" warning: ...") where the numbers
// mean little.
#pragma once

#include "intensities.h"

namespace zorb {

// a: the transmission matrix of the selected energies and thicknesses, ai
// its inverse as the solver found it (nd x nd, stored by columns); bg: the
// background fraction printed above it (used when energy 1 is selected).
void print_reliability(const IntensityInput& in, const EnergyLabels& enel, const float* a,
                       const float* ai, float bg);

// The largest deviation of a times ai from the unit matrix, each product
// summed in single precision as the self-check prints it; NaN when an
// element is not a number.
float unit_deviation(int nd, const float* a, const float* ai);

// The condition number (2-norm) of the nd x nd matrix a stored by columns.
double matrix_condition(int nd, const float* a);

}  // namespace zorb
