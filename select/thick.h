// The absorption model and the figure of merit of select.
//
// For the chosen material and energies (record `coeff`) and a set of
// thicknesses, the attenuation matrix holds the transmission of every energy
// through every thickness.  The figure of merit row/det*column/det reduces it
// to one number, small when the matrix is far from singular and its rows and
// columns overlap little.  All arithmetic is single precision in the order
// written, except the determinant (double).
#pragma once

#include <vector>

#include "square.h"

namespace zorb {

// att(j, i): transmission of selected energy i through thickness thick[j-1]
// (mm), for nd energies and nd thicknesses.
void rintensities(int nd, const float* thick, Square<float>& att);

// The figure of merit for the free thicknesses x[0..ndim-1] (their
// magnitudes count) and the measurement without absorber.  A singular
// matrix gives +infinity.
float func(const float* x, int ndim);

// u . v, accumulated in order from 0.
float scalar_uv(int n, const float* u, const float* v);

// The determinant by triangularisation with complete pivoting; 0 when a
// pivot falls below eps.
double dmgt(double eps, int n, const Square<double>& a);

// Triangularises a copy c of a with complete pivoting: it = 1 (regular) or
// 0 (singular), kp(k) and lp(k) the pivot column and row of step k.
void tsrgt(double eps, int n, const Square<double>& a, int& it, Square<double>& c,
           std::vector<int>& kp, std::vector<int>& lp);

}  // namespace zorb
