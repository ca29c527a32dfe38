// The absorption model and the figure of merit of select.
#include "thick.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "coeff.h"

namespace {

using zorb::coeff;

// Chooses the material offset and the energies, in that order.
void choose(int ip, std::initializer_list<int> energies) {
    coeff.ip = ip;
    for (int i = 1; i <= 8; ++i) coeff.lk(i) = 0;
    int i = 0;
    for (int k : energies) coeff.lk(++i) = k;
}

zorb::Square<double> matrix(int n, std::initializer_list<double> rows) {
    zorb::Square<double> a(n);
    a.v.assign(rows);
    return a;
}

}  // namespace

// Aluminium, energies 4 then 1, one free thickness of 0.1 mm.
TEST(FigureOfMerit, AluminiumEnergiesFourAndOne) {
    choose(0, {4, 1});
    const float thick[2] = {0.1f, 0.0f};
    zorb::Square<float> att(2);
    zorb::rintensities(2, thick, att);
    EXPECT_NEAR(att(1, 1), 0.08098f, 5e-6f);
    EXPECT_NEAR(att(1, 2), 0.77880f, 5e-6f);
    EXPECT_EQ(att(2, 1), 1.0f);
    EXPECT_EQ(att(2, 2), 1.0f);
    // S_c = a11 a12 + 1, S_r = a11 + a12, D = a11 - a12.
    const float sc = att(1, 1) * att(1, 2) + 1.0f, sr = att(1, 1) + att(1, 2);
    EXPECT_NEAR(sc, 1.06307f, 5e-6f);
    EXPECT_NEAR(sr, 0.85978f, 5e-6f);
    double d = zorb::dmgt(1e-5, 2, matrix(2, {att(1, 1), att(1, 2), 1.0, 1.0}));
    EXPECT_NEAR(d, -0.69782, 5e-6);
    const float x = 0.1f, minus_x = -0.1f;
    const float f = zorb::func(&x, 1);
    EXPECT_NEAR(f, 1.877f, 5e-4f);
    EXPECT_EQ(f, (sc / static_cast<float>(d)) * (sr / static_cast<float>(d)));
    EXPECT_EQ(zorb::func(&minus_x, 1), f);   // a thickness is a magnitude
}

// Two equal thicknesses, a zero free thickness, and absorbers so thick that
// every absorber row is 0: singular, +infinity (never NaN).
TEST(FigureOfMerit, SingularMatricesGivePlusInfinity) {
    const float inf = INFINITY;
    choose(0, {1, 2, 3});
    const float equal[2] = {0.2f, -0.2f}, zero[2] = {0.0f, 0.3f};
    EXPECT_EQ(zorb::func(equal, 2), inf);
    EXPECT_EQ(zorb::func(zero, 2), inf);
    choose(32, {4, 1});
    const float opaque = 5.0f;
    EXPECT_EQ(zorb::func(&opaque, 1), inf);
}

// The pivot is the first element of largest magnitude; each row or column
// swap changes the sign.
TEST(Determinant, PivotingSignsAndThreshold) {
    struct Case {
        int n;
        std::vector<double> a;
        double det;
    };
    const std::vector<Case> cases = {
        {2, {1, 2, 3, 4}, -2},
        {2, {4, 3, 2, 1}, -2},
        {3, {2, 0, 0, 0, 3, 0, 0, 0, 4}, 24},
        {3, {0, 0, 1, 0, 1, 0, 1, 0, 0}, -1},
        {3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0},   // rank 2
        {2, {1e-6, 0, 0, 1e-6}, 0},              // pivots below 1e-5
        {2, {1, 1, 1, 1 + 2e-5}, 2e-5},          // last pivot just above it
        {2, {1, 1, 1, 1 + 5e-6}, 0},             // and just below
    };
    for (const Case& c : cases) {
        zorb::Square<double> a(c.n);
        a.v = c.a;
        EXPECT_NEAR(zorb::dmgt(1e-5, c.n, a), c.det, 1e-12) << c.n << " " << c.a[0];
    }
    zorb::Square<double> a = matrix(3, {1, 2, 3, 4, 5, 6, 7, 8, 10}), c(3);
    std::vector<int> kp, lp;
    int it = -1;
    zorb::tsrgt(1e-5, 3, a, it, c, kp, lp);
    EXPECT_EQ(it, 1);
    EXPECT_EQ(lp[1], 3);   // the 10 in row 3, column 3
    EXPECT_EQ(kp[1], 3);
    EXPECT_EQ(c(1, 1), 10.0);
    EXPECT_NEAR(zorb::dmgt(1e-5, 3, a), -3.0, 1e-12);
}
