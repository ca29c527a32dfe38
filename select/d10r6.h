// The working stage of select: scaling the start thicknesses while the
// attenuation matrix is shown, then the minimisation of the figure of merit
// and its result.
#pragma once

namespace zorb {

// For ndim free thicknesses (the selected energies less one), with the
// energies and the material of record `coeff` chosen.
void d10r6(int ndim);

}  // namespace zorb
