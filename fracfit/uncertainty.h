// What the counting statistics say about fracfit's intensities: the
// intensities of the selected energies with their standard deviations, from
// the selected thickness lines alone (the square system) or from every
// thickness line by weighted least squares, with the chi-square of the fit.
//
// Every count, the reference count of line 1 included, is a Poisson variable
// (variance equal to the count, and 1 for a count of 0).  The counts are
// corrected for dead time as the printed solution does, Nob/(1 - Nob/N*Ntau);
// the corrected counts are fitted by the sum over the energies of intensity
// times transmission, each line weighted by the inverse variance of its
// corrected count, and the intensities normalised to 1.  The covariance
// follows to first order: the derivatives of the normalised intensities with
// respect to every count, through the normalisation, the solution and the
// dead-time correction (in which the reference count enters every line).
// With as many lines as energies the fit is the exact solution, whatever the
// weights.  All of it in double precision.
#pragma once

#include <vector>

#include "intensities.h"

namespace zorb {

struct IntensityFit {
    bool solved = false;          // false: the lines do not determine the intensities
    std::vector<double> r;        // intensities normalised to 1, in selection order
    std::vector<double> sigma;    // their standard deviations
    double chi2 = 0;              // weighted squared residuals of the corrected counts
    int dof = 0;                  // lines used minus energies
};

// Fits the selected energies of `in` to the thickness lines `lines`
// (numbers from 1 to in.nt).
IntensityFit fit_intensities(const IntensityInput& in, const std::vector<int>& lines);

// The selected thickness lines, in selection order.
std::vector<int> selected_lines(const IntensityInput& in);

// Every line read from the file whose dead-time correction is defined
// (1 - Nob/N*Ntau above 0); in `left_out`, the lines read that are not.
std::vector<int> usable_lines(const IntensityInput& in, std::vector<int>& left_out);

}  // namespace zorb
