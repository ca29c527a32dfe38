// The square matrices of select: the attenuation matrix and its determinant's
// working copy, the direction set of the minimiser.
#pragma once

#include <cstddef>
#include <vector>

namespace zorb {

// An n x n matrix indexed from 1: m(i, j), row i, column j.
template <class T>
struct Square {
    explicit Square(int n_) : n(n_), v(static_cast<std::size_t>(n_ * n_)) {}
    T& operator()(int i, int j) { return v[static_cast<std::size_t>((i - 1) * n + (j - 1))]; }
    T operator()(int i, int j) const { return v[static_cast<std::size_t>((i - 1) * n + (j - 1))]; }
    int n;
    std::vector<T> v;
};

}  // namespace zorb
