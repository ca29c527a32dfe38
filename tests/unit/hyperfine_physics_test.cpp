// Cross-check of sixline's tables with an independent forward model: the
// nuclear Hamiltonians of the 14.4 keV level (I = 3/2) and of the ground
// state (I = 1/2) of iron-57, with the magnetic term and the quadrupole term,
// diagonalised numerically, give the six line positions of every printed
// row; they must be the line positions the table was computed from, within
// the rounding of the printed digits.
//
// The model, in mm/s (energies divided by E_gamma / c per mm/s):
//   H_I = -(mu / I) mu_N B (sin t cos p I_x + sin t sin p I_y + cos t I_z)
//         + A [3 I_z^2 - I (I + 1) + eta (I_x^2 - I_y^2)]        (I = 3/2 only)
// in the principal axes of the field gradient, with theta (t) the polar
// angle of the field to the z axis and phi (p) its azimuth from the x axis;
// A = e Q V_zz / (4 I (2I - 1)) = e Q V_zz / 12.  The first column "EFG" is
// the quadrupole splitting of the level without field, with the sign of
// V_zz: qas = (e Q V_zz / 2) sqrt(1 + eta^2 / 3), so A = qas / (6 sqrt(1 +
// eta^2 / 3)).  (Read as e Q V_zz / 2 alone, the rows of large splitting
// and eta miss by up to 0.5 mm/s.)
//
// Lines: a transition from ground level g to excited level e lies at the
// velocity IS + E_e - E_g.  With the excited levels in rising energy e1 < e2
// < e3 < e4 and the ground levels g- > g+ (g- is m = -1/2, the upper one, as
// the ground moment is positive), the six allowed lines, numbered from the
// lowest velocity, are 1: e1 - g-, 2: e2 - g-, 3: e3 - g-, 4: e2 - g+,
// 5: e3 - g+, 6: e4 - g+.  The quadrupole term has no trace, so the mean of
// lines 1, 2, 5 and 6 is the isomer shift.
//
// Constants:
//   mu_N = 3.15245125844e-8 eV/T, the nuclear magneton (CODATA 2018);
//   E_gamma = 14.4129 keV, the energy of the first excited level of 57Fe
//     (ENSDF, nuclear data sheets for A = 57);
//   c = 299792458 m/s; 1 kG = 0.1 T.
//   That makes 15.25044 kG per (mm/s per mu_N); sixline converts with
//   15.2502, as if E_gamma were 14.41268 keV: the fields it prints are
//   1.5e-5 of their value low, which moves the model's lines by 1.5e-5 of
//   their distance from the centre (1.3e-4 mm/s at 8.5 mm/s).  The tolerance
//   takes that in besides the rounding of the printed digits.
//   The moments are those sixline is built with: ground state +0.090604 mu_N,
//   14.4 keV level -0.15531 mu_N (g-factors +0.181208 and -0.103540, ratio
//   g_e / g_g = -0.57139).  Tabulated values (N. J. Stone, Atomic Data and
//   Nuclear Data Tables 90 (2005) 75: +0.09044(7) and -0.1549(2) mu_N) differ
//   by a few parts in a thousand, which would move the lines by about
//   0.005 mm/s; the printed digits were computed with the program's values,
//   so the model takes them.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <array>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "fortfmt.h"
#include "hyperfine.h"

namespace {

using Matrix = Eigen::MatrixXcd;

constexpr double mu_n = 3.15245125844e-8;   // eV/T
constexpr double e_gamma = 14412.9;         // eV
constexpr double c_light = 299792458.0;     // m/s
// mm/s per nuclear magneton and kG.
const double mms_per_mun_kg = mu_n * 0.1 / (e_gamma * 1e-3 / c_light);
constexpr double mu_ground = 0.090604;
constexpr double mu_excited = -0.15531;
constexpr double degree = 3.14159265358979323846 / 180.0;
// The printed digits of a row (field and angles to 0.01, splitting and eta
// to 0.001) fix the line positions to 3e-4 mm/s.
constexpr double rounding = 3e-4;
// sixline's field per (mm/s per mu_N), and how far the model's is from it.
constexpr double sixline_kg_per_mms = 15.2502;
const double scale_difference =
    std::fabs(1.0 / (mu_n * 0.1 / (e_gamma * 1e-3 / c_light)) / sixline_kg_per_mms - 1.0);

// How close the model's line must come to the position `line` of a spectrum
// centred at `is`.
double tolerance(double line, double is) {
    return rounding + scale_difference * std::fabs(line - is);
}

struct SpinMatrices {
    Matrix x, y, z;
};

// I_x, I_y, I_z in the basis m = I, I - 1, ..., -I.
SpinMatrices spin(double i) {
    const int n = static_cast<int>(std::lround(2 * i + 1));
    Matrix raise = Matrix::Zero(n, n), z = Matrix::Zero(n, n);
    for (int k = 0; k < n; ++k) {
        const double m = i - k;
        z(k, k) = m;
        if (k > 0) raise(k - 1, k) = std::sqrt(i * (i + 1) - m * (m + 1));
    }
    const Matrix lower = raise.adjoint();
    return {(raise + lower) / 2.0, (raise - lower) / std::complex<double>(0, 2), z};
}

// Energies (mm/s, rising) of a level of spin i and moment mu in the field
// `kg` at angles theta, phi, with the quadrupole factor a.
Eigen::VectorXd levels(double i, double mu, double kg, double a, double eta, double theta,
                       double phi) {
    const SpinMatrices s = spin(i);
    const Matrix one = Matrix::Identity(s.z.rows(), s.z.cols());
    Matrix h = -(mu / i) * mms_per_mun_kg * kg *
               (std::sin(theta) * std::cos(phi) * s.x + std::sin(theta) * std::sin(phi) * s.y +
                std::cos(theta) * s.z);
    if (a != 0.0) h += a * (3.0 * s.z * s.z - i * (i + 1) * one + eta * (s.x * s.x - s.y * s.y));
    return Eigen::SelfAdjointEigenSolver<Matrix>(h).eigenvalues();
}

// The six line positions, lines 1 to 6.
std::array<double, 6> six_lines(double qas, double eta, double kg, double phi_deg,
                                double theta_deg, double is) {
    const double a = qas / (6.0 * std::sqrt(1.0 + eta * eta / 3.0));
    const Eigen::VectorXd e = levels(1.5, mu_excited, kg, a, eta, theta_deg * degree, phi_deg * degree);
    const Eigen::VectorXd g = levels(0.5, mu_ground, kg, 0.0, 0.0, theta_deg * degree, phi_deg * degree);
    const double upper = g(1), lower = g(0);
    return {is + e(0) - upper, is + e(1) - upper, is + e(2) - upper,
            is + e(1) - lower, is + e(2) - lower, is + e(3) - lower};
}

// One row as the table prints it, read back.
struct Row {
    double first, eta, kg, phi, theta;
    float exact_first;   // the grid value before printing
};

double printed(float v, int decimals) { return std::stod(zorb::fmt_f(v, 10, decimals)); }

// The rows of a table, computed as sixline's driver does: the first column
// runs over `outer` steps of `step` from `start` (the splitting, or line 2
// when `scan_l2`), eta over 0.1 to 1.1.
std::vector<Row> table(float l1, float l2, float l6, float is, float qas, float start, float step,
                       int outer, bool scan_l2, int ioct) {
    std::vector<Row> rows;
    float column = start;
    for (int i = 1; i <= outer; ++i) {
        column = column + step;
        for (int k = 1; k <= 11; ++k) {
            const float eta = static_cast<float>(k) * 0.1f;
            float haeu = 0, phi = 0, teta = 0;
            bool exist = false;
            testing::internal::CaptureStdout();   // the messages of points without a solution
            zorb::lines_l_h(scan_l2 ? qas : column, eta, is, l1, scan_l2 ? column : l2, l6, ioct,
                            haeu, phi, teta, exist);
            std::fflush(stdout);
            testing::internal::GetCapturedStdout();
            if (!exist) continue;
            const float rad = 0.017453292f;
            rows.push_back({printed(column, 3), printed(eta, 3), printed(haeu, 2),
                            printed(phi / rad, 2), printed(teta / rad, 2), column});
        }
    }
    return rows;
}

// Mode a with its defaults: lines -6.551 -4.2325 2.9495 5.834, the isomer
// shift their mean, octant 1, splitting -0.1 to -6.1.  Lines 1, 2 and 6 are
// what the routine solved for; line 5 follows from the mean.
TEST(HyperfinePhysics, EveryRowOfTheDefaultTableGivesItsLines) {
    EXPECT_LT(scale_difference, 2e-5);   // the two conversions agree that far
    const float l1 = -6.551f, l2 = -4.2325f, l5 = 2.9495f, l6 = 5.834f;
    const float is = (l2 + l1 + l5 + l6) / 4.0f;
    std::vector<Row> rows = table(l1, l2, l6, is, 0, 0, -0.1f, 61, false, 1);
    ASSERT_EQ(rows.size(), 332u);
    for (const Row& r : rows) {
        std::array<double, 6> l = six_lines(r.first, r.eta, r.kg, r.phi, r.theta, is);
        SCOPED_TRACE("row " + std::to_string(r.first) + " " + std::to_string(r.eta));
        EXPECT_NEAR(l[0], l1, tolerance(l1, is));
        EXPECT_NEAR(l[1], l2, tolerance(l2, is));
        EXPECT_NEAR(l[4], l5, tolerance(l5, is));
        EXPECT_NEAR(l[5], l6, tolerance(l6, is));
    }
}

// Mode b on a spectrum made by the model itself (500 kG, splitting +0.4,
// eta 0.3, theta 50, phi 30 degrees, isomer shift 0.37), reported in octant 7
// (phi + 180, 180 - theta), which gives the same six lines: every row
// reproduces lines 1, 2 and 6, and the row at the true splitting and eta
// gives back the true field and angles.
TEST(HyperfinePhysics, ModeBFindsTheSpectrumItWasMadeFrom) {
    const double is = 0.37;
    std::array<double, 6> made = six_lines(0.4, 0.3, 500.0, 30.0, 50.0, is);
    const float l1 = static_cast<float>(made[0]), l2 = static_cast<float>(made[1]),
                l6 = static_cast<float>(made[5]);
    const int outer = static_cast<int>(((l6 - l1) / 2.0f) / 0.1f);
    std::vector<Row> rows = table(l1, l2, l6, static_cast<float>(is), 0, 0, 0.1f, outer, false, 7);
    ASSERT_GT(rows.size(), 100u);
    bool found = false;
    for (const Row& r : rows) {
        std::array<double, 6> l = six_lines(r.first, r.eta, r.kg, r.phi, r.theta, is);
        SCOPED_TRACE("row " + std::to_string(r.first) + " " + std::to_string(r.eta));
        EXPECT_NEAR(l[0], l1, tolerance(l1, is));
        EXPECT_NEAR(l[1], l2, tolerance(l2, is));
        EXPECT_NEAR(l[5], l6, tolerance(l6, is));
        if (r.first == 0.4 && r.eta == 0.3) {
            found = true;
            EXPECT_NEAR(r.kg, 500.0, 0.02);
            EXPECT_NEAR(r.phi, 210.0, 0.01);
            EXPECT_NEAR(r.theta, 130.0, 0.01);
        }
    }
    EXPECT_TRUE(found);
}

// Mode c with its default lines (L1 -6.5509, L6 5.8341, isomer shift -0.5,
// splitting -4.0) and line 2 scanned upward by 0.1: each row gives lines 1
// and 6 and the line 2 of its grid point.
TEST(HyperfinePhysics, ModeCRowsGiveTheirLineTwo) {
    const float l1 = -6.5509f, l6 = 5.8341f, is = -0.5f, qas = -4.0f;
    const int outer = static_cast<int>(((l6 - l1) / 2.0f) / 0.1f);
    std::vector<Row> rows = table(l1, 0, l6, is, qas, l1, 0.1f, outer, true, 1);
    ASSERT_GT(rows.size(), 10u);
    EXPECT_EQ(rows.front().first, -4.451);
    for (const Row& r : rows) {
        std::array<double, 6> l = six_lines(qas, r.eta, r.kg, r.phi, r.theta, is);
        SCOPED_TRACE("row " + std::to_string(r.first) + " " + std::to_string(r.eta));
        EXPECT_NEAR(l[0], l1, tolerance(l1, is));
        EXPECT_NEAR(l[1], r.exact_first, tolerance(r.exact_first, is));
        EXPECT_NEAR(l[5], l6, tolerance(l6, is));
    }
}

}  // namespace
