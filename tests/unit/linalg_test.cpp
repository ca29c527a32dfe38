// The condition number that select and fracfit print, on matrices whose
// singular values are known.  (The inverse is checked through the
// uncertainties it gives, in uncertainty_test.)
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "linalg.h"

namespace {

using zorb::condition_number;

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
