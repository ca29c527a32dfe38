// The double-precision helpers behind the uncertainties and the condition
// numbers the programs print.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "linalg.h"

namespace {

using zorb::condition_number;
using zorb::invert;

// a times b, both of order n, stored by rows.
std::vector<double> product(int n, const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> c(static_cast<std::size_t>(n * n), 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) c[i * n + j] += a[i * n + k] * b[k * n + j];
    return c;
}

TEST(Linalg, InverseTimesMatrixIsTheUnitMatrix) {
    // A zero first pivot (rows must be exchanged), an unsymmetric matrix, and
    // a transmission-like matrix with one row of ones.
    const std::vector<std::vector<double>> cases = {
        {0, 1, 2, 1, 0, 3, 4, -3, 8},
        {2, 1, 1, 3},
        {0.08, 0.78, 0.0, 0.5, 0.9, 0.1, 1, 1, 1},
    };
    for (const auto& a : cases) {
        const int n = static_cast<int>(std::lround(std::sqrt(double(a.size()))));
        std::vector<double> ai = a;
        ASSERT_TRUE(invert(n, ai));
        const std::vector<double> u = product(n, a, ai);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) EXPECT_NEAR(u[i * n + j], i == j ? 1.0 : 0.0, 1e-12);
    }
    std::vector<double> singular = {1, 2, 2, 4};
    EXPECT_FALSE(invert(2, singular));
}

TEST(Linalg, ConditionNumberIsTheRatioOfSingularValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        int n;
        std::vector<double> a;
        double cond;
    } cases[] = {
        {2, {1, 0, 0, 1}, 1.0},
        {2, {3, 0, 0, -0.001}, 3000.0},
        // A rotation times diag(10, 0.1): the rotation leaves the singular values.
        {2, {10 * 0.6, -0.1 * 0.8, 10 * 0.8, 0.1 * 0.6}, 100.0},
        // Singular values of [[1, 1], [0, 1]]: the golden ratio and its inverse.
        {2, {1, 1, 0, 1}, (3 + std::sqrt(5.0)) / 2},
        {3, {1, 2, 3, 2, 4, 6, 1, 0, 1}, inf},
        {2, {1, std::nan(""), 0, 1}, inf},
    };
    for (const auto& c : cases) {
        const double got = condition_number(c.n, c.a);
        if (std::isinf(c.cond)) {
            EXPECT_TRUE(std::isinf(got) || got > 1e15) << got;
        } else {
            EXPECT_NEAR(got, c.cond, 1e-9 * c.cond);
        }
    }
}

}  // namespace
