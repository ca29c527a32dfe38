#include "linalg.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace zorb {

bool invert(int n, std::vector<double>& a) {
    const auto at = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(i * n + j)]; };
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int i = col + 1; i < n; ++i)
            if (std::fabs(at(i, col)) > std::fabs(at(pivot, col))) pivot = i;
        const double p = at(pivot, col);
        if (p == 0.0 || !std::isfinite(p)) return false;
        if (pivot != col)
            for (int j = 0; j < n; ++j) std::swap(at(pivot, j), at(col, j));
        order[static_cast<std::size_t>(col)] = pivot;
        // In place: column col becomes the column of the inverse as it goes.
        at(col, col) = 1.0;
        for (int j = 0; j < n; ++j) at(col, j) /= p;
        for (int i = 0; i < n; ++i) {
            if (i == col) continue;
            const double f = at(i, col);
            at(i, col) = 0.0;
            for (int j = 0; j < n; ++j) at(i, j) -= f * at(col, j);
        }
    }
    // The row exchanges, undone on the columns in reverse order.
    for (int col = n - 1; col >= 0; --col) {
        const int pivot = order[static_cast<std::size_t>(col)];
        if (pivot != col)
            for (int i = 0; i < n; ++i) std::swap(at(i, pivot), at(i, col));
    }
    return true;
}

double condition_number(int n, const std::vector<double>& a) {
    const double infinity = std::numeric_limits<double>::infinity();
    for (double v : a)
        if (!std::isfinite(v)) return infinity;
    // Rotations of column pairs until all columns are orthogonal; the column
    // norms are then the singular values.
    std::vector<double> u = a;
    const auto at = [&](int i, int j) -> double& { return u[static_cast<std::size_t>(i * n + j)]; };
    for (int sweep = 0; sweep < 60; ++sweep) {
        bool rotated = false;
        for (int p = 0; p < n - 1; ++p) {
            for (int q = p + 1; q < n; ++q) {
                double alpha = 0, beta = 0, gamma = 0;
                for (int i = 0; i < n; ++i) {
                    alpha += at(i, p) * at(i, p);
                    beta += at(i, q) * at(i, q);
                    gamma += at(i, p) * at(i, q);
                }
                if (std::fabs(gamma) <= 1e-15 * std::sqrt(alpha * beta)) continue;
                rotated = true;
                // The rotation that makes columns p and q orthogonal: t the
                // smaller root of t^2 + 2 zeta t - 1 = 0.
                const double zeta = (beta - alpha) / (2.0 * gamma);
                const double t =
                    std::copysign(1.0, zeta) / (std::fabs(zeta) + std::hypot(1.0, zeta));
                const double c = 1.0 / std::sqrt(1.0 + t * t), s = c * t;
                for (int i = 0; i < n; ++i) {
                    const double up = at(i, p);
                    at(i, p) = c * up - s * at(i, q);
                    at(i, q) = s * up + c * at(i, q);
                }
            }
        }
        if (!rotated) break;
    }
    double largest = 0, smallest = infinity;
    for (int j = 0; j < n; ++j) {
        double norm = 0;
        for (int i = 0; i < n; ++i) norm += at(i, j) * at(i, j);
        norm = std::sqrt(norm);
        largest = std::max(largest, norm);
        smallest = std::min(smallest, norm);
    }
    return smallest > 0 ? largest / smallest : infinity;
}

}  // namespace zorb
