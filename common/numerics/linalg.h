// Small dense linear algebra in double precision, for the checks that come
// with the programs' results (uncertainties, least squares, conditioning);
// the printed results themselves are computed in single precision elsewhere.
//
// A matrix of order n is a vector of n * n values stored by rows:
// element (i, j), 0-based, is a[i * n + j].
#pragma once

#include <vector>

namespace zorb {

// Replaces a by its inverse (Gauss-Jordan elimination with partial
// pivoting).  False, with a undefined, when a pivot is zero or not finite.
bool invert(int n, std::vector<double>& a);

// The condition number in the 2-norm: the largest singular value over the
// smallest (one-sided Jacobi rotations).  Infinity for a singular matrix or
// one holding a value that is not finite.
double condition_number(int n, const std::vector<double>& a);

}  // namespace zorb
