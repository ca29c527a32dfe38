// The solver of fracfit: pivot order, inverse and solution, singular cases,
// and the printed self-check of the inversion.
#include "gaussj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using zorb::d2r1;
using zorb::gaussj;

// Column-major n x n from rows.
std::vector<float> by_columns(const std::vector<std::vector<float>>& rows) {
    const std::size_t n = rows.size();
    std::vector<float> a(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) a[i + j * n] = rows[i][j];
    return a;
}

TEST(Gaussj, TwoByTwoInverseSolutionAndFirstPivot) {
    std::vector<float> a = by_columns({{2, 1}, {1, 3}});
    std::vector<float> b = {1, 2};
    zorb::GaussjPivots p;
    testing::internal::CaptureStdout();
    gaussj(a.data(), 2, 2, b.data(), 1, 1, &p);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(p.irow[1], 2);
    EXPECT_EQ(p.icol[1], 2);
    const float inverse[] = {0.6f, -0.2f, -0.2f, 0.4f};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(a[k], inverse[k], 1e-6f) << k;
    EXPECT_NEAR(b[0], 0.2f, 1e-6f);
    EXPECT_NEAR(b[1], 0.6f, 1e-6f);
}

TEST(Gaussj, EqualMagnitudesTakeTheLastDiagonalFirst) {
    for (int n : {1, 3, 8}) {
        std::vector<float> a(static_cast<std::size_t>(n * n), 0.0f);
        for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i * n + i)] = 1.0f;
        const std::vector<float> identity = a;
        std::vector<float> b(static_cast<std::size_t>(n), 1.0f);
        zorb::GaussjPivots p;
        gaussj(a.data(), n, n, b.data(), 1, 1, &p);
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(p.irow[i], n + 1 - i) << n;
            EXPECT_EQ(p.icol[i], n + 1 - i) << n;
        }
        EXPECT_EQ(a, identity);
    }
}

TEST(Gaussj, SingularMatricesSayItAndGoOn) {
    struct Case {
        std::vector<std::vector<float>> rows;
        std::string messages;
    } cases[] = {
        {{{1, 2}, {0, 0}}, " Singular matrix.\n"},
        // The zero pivot makes the rest not numbers, which are never chosen.
        {{{0, 0}, {0, 0}}, " Singular matrix.\n"},
        {{{1, 1}, {1, 1}}, " Singular matrix.\n"},
        // Nothing to choose at all: no index ever leaves the matrix.
        {{{NAN, NAN}, {NAN, NAN}}, ""},
    };
    for (const Case& c : cases) {
        std::vector<float> a = by_columns(c.rows);
        std::vector<float> b = {1, 2};
        testing::internal::CaptureStdout();
        gaussj(a.data(), 2, 2, b.data(), 1, 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.messages) << c.rows[0][0];
        bool finite = true;
        for (float v : a) finite = finite && std::isfinite(v);
        EXPECT_FALSE(finite) << c.rows[0][0];
    }
}

TEST(D2r1, SelfCheckOfTheTwoByTwoExample) {
    std::vector<float> a = by_columns({{2, 1}, {1, 3}}), ai(4);
    const std::vector<float> kept = a;
    testing::internal::CaptureStdout();
    d2r1(2, a.data(), ai.data(), true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n"
              " internal***********************************\n"
              " (A(K,L), L=1,N)\n"
              ",     2.00000     1.00000\n"
              ",     1.00000     3.00000\n"
              " Inverse of Matrix A : \n"
              ",     0.60000    -0.20000\n"
              ",    -0.20000     0.40000\n"
              " A times A-inverse (compare with unit matrix)\n"
              ",     1.00000     0.00000\n"
              ",     0.00000     1.00000\n"
              " Check the following vectors for equality:\n"
              "           Original   Matrix*Sol'n\n"
              " Vector  1:\n"
              "            1.000000    1.000000\n"
              "            2.000000    2.000000\n"
              " ************************** end internal\n"
              "\n");
    EXPECT_EQ(a, kept);
    EXPECT_NEAR(ai[0], 0.6f, 1e-6f);
    // Without the switch nothing is printed; the inverse is the same.
    std::vector<float> quiet(4);
    testing::internal::CaptureStdout();
    d2r1(2, a.data(), quiet.data(), false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(quiet, ai);
}

}  // namespace
