// Solving the square system of fracfit: Gauss-Jordan elimination with full
// pivoting (`gaussj`), and the inversion with its printed self-check (`d2r1`).
//
// Matrices are stored by columns, indices from 1: element (i, j) of a matrix
// with leading dimension np is a[(i - 1) + (j - 1) * np].  All arithmetic is
// single precision.
#pragma once

#include <array>

namespace zorb {

constexpr int gaussj_nmax = 50;   // largest order the pivot bookkeeping holds

// The pivots in the order they were taken: step i used row irow(i), column
// icol(i) (as indxr and indxc record them).  For tests.
struct GaussjPivots {
    std::array<int, gaussj_nmax + 1> irow{}, icol{};
};

// Replaces a (n x n, leading dimension np) by its inverse and the m columns of
// b (np x mp) by the solutions.  Among pivot candidates of equal magnitude the
// last one in the scan (rows outer, columns inner) wins.  A pivot column met a
// second time prints " Singular matrix", a zero pivot " Singular matrix.";
// neither stops the elimination, whose results are then infinite or not
// numbers.  An order outside 1 to gaussj_nmax (more than the bookkeeping
// holds) leaves a and b unchanged.
void gaussj(float* a, int n, int np, float* b, int m, int mp, GaussjPivots* pivots = nullptr);

// Inverts a (nd x nd, leading dimension nd) into ai.  With enwr1 the internal
// self-check is printed: the matrix, its inverse, their product and the solve
// of a x = (1, 2, ..., nd).
void d2r1(int nd, const float* a, float* ai, bool enwr1);

}  // namespace zorb
