// fracfit's statistics without a dialogue: the sigma printed for each
// intensity is checked against the spread of the intensities over a few
// hundred sets of Poisson counts drawn from known intensities, and the
// least-squares intensities against the truth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "uncertainty.h"

namespace {

using namespace zorb;

// A measurement plan and the truth behind it.  The last thickness line is
// the nickel foil, as in every counts file.
struct Plan {
    std::vector<int> energies;
    std::vector<double> truth;   // intensities, adding up to 1
    std::vector<float> thick;    // mm, line 1 first
    std::vector<int> selected;   // thickness lines of the square solution
    double reference;            // expected count of line 1
    float ntau;
};

IntensityInput input_of(const Plan& p) {
    IntensityInput in;
    in.nd = static_cast<int>(p.energies.size());
    in.nt = static_cast<int>(p.thick.size());
    in.ntau = p.ntau;
    for (int j = 1; j <= in.nt; ++j) {
        in.thick(j) = p.thick[static_cast<std::size_t>(j - 1)];
        in.valid(j) = true;
    }
    for (int k = 1; k <= in.nd; ++k) {
        in.lk(k) = p.energies[static_cast<std::size_t>(k - 1)];
        in.inth(k) = p.selected[static_cast<std::size_t>(k - 1)];
    }
    return in;
}

// Expected counts: those whose dead-time correction Nob/(1 - Nob/N*Ntau)
// gives the true mixture exactly (line 1 at the reference count).
std::vector<double> expected_counts(const Plan& p, const IntensityInput& in) {
    const double true_reference = p.reference / (1.0 - p.ntau);
    std::vector<double> expected;
    for (int j = 1; j <= in.nt; ++j) {
        double mixture = 0;
        for (int k = 1; k <= in.nd; ++k)
            mixture += p.truth[static_cast<std::size_t>(k - 1)] *
                       transmission(in.lk(k), in.thick(j), j == in.nt);
        const double corrected = true_reference * mixture;
        expected.push_back(corrected / (1.0 + corrected * p.ntau / p.reference));
    }
    return expected;
}

// The spread of each intensity over the draws, and the mean sigma printed.
struct Tally {
    std::vector<double> sum, sum2, sigma;
    explicit Tally(std::size_t n) : sum(n), sum2(n), sigma(n) {}
    void add(const IntensityFit& f) {
        for (std::size_t k = 0; k < sum.size(); ++k) {
            sum[k] += f.r[k];
            sum2[k] += f.r[k] * f.r[k];
            sigma[k] += f.sigma[k];
        }
    }
    double mean(std::size_t k, int n) const { return sum[k] / n; }
    double spread(std::size_t k, int n) const {
        const double m = mean(k, n);
        return std::sqrt((sum2[k] - n * m * m) / (n - 1));
    }
};

TEST(Uncertainty, SpreadOfPoissonDrawsMatchesThePrintedSigma) {
    const Plan plans[] = {
        // The example of the manual: 57Fe and Fe K behind 0 and 0.1 mm Al,
        // and 0.01 mm Ni.
        {{1, 4}, {0.7, 0.3}, {0.0f, 0.1f, 0.01f}, {1, 2}, 1e4, 0.0f},
        // Three energies over five lines, with dead time.
        {{1, 4, 3}, {0.6, 0.25, 0.15}, {0.0f, 0.05f, 0.2f, 0.6f, 0.01f}, {1, 3, 5}, 2e5, 0.05f},
        // Four energies over six lines.
        {{1, 2, 3, 4},
         {0.5, 0.2, 0.2, 0.1},
         {0.0f, 0.1f, 0.5f, 2.0f, 6.0f, 0.02f},
         {1, 2, 3, 5},
         5e5,
         0.02f},
    };
    const int draws = 400;
    std::mt19937_64 random(20260611);
    for (const Plan& p : plans) {
        IntensityInput in = input_of(p);
        const std::vector<double> expected = expected_counts(p, in);
        const std::size_t n = p.energies.size();
        Tally exact(n), squares(n);
        for (int d = 0; d < draws; ++d) {
            for (int j = 1; j <= in.nt; ++j) {
                std::poisson_distribution<long> count(expected[static_cast<std::size_t>(j - 1)]);
                in.cm(j) = static_cast<float>(count(random));
            }
            std::vector<int> left_out;
            const std::vector<int> all = usable_lines(in, left_out);
            ASSERT_EQ(static_cast<int>(all.size()), in.nt);
            const IntensityFit e = fit_intensities(in, selected_lines(in));
            const IntensityFit s = fit_intensities(in, all);
            ASSERT_TRUE(e.solved && s.solved);
            exact.add(e);
            squares.add(s);
        }
        for (std::size_t k = 0; k < n; ++k) {
            SCOPED_TRACE("energy " + std::to_string(p.energies[k]) + " of " + std::to_string(n));
            const double exact_ratio = exact.spread(k, draws) / (exact.sigma[k] / draws);
            const double squares_ratio = squares.spread(k, draws) / (squares.sigma[k] / draws);
            std::printf("energies %zu, lines %d, energy %d: spread/sigma %.3f (square), "
                        "%.3f (least squares); least squares %.5f, truth %.5f\n",
                        n, in.nt, p.energies[k], exact_ratio, squares_ratio,
                        squares.mean(k, draws), p.truth[k]);
            EXPECT_NEAR(exact_ratio, 1.0, 0.15);
            EXPECT_NEAR(squares_ratio, 1.0, 0.15);
            const double standard_error = squares.spread(k, draws) / std::sqrt(double(draws));
            EXPECT_NEAR(squares.mean(k, draws), p.truth[k], 3.0 * standard_error);
        }
    }
}

// Two energies behind two thicknesses, no dead time: with r the intensity of
// 57Fe, y = N2/N1 = r T1 + (1 - r) T4, so sigma(r) = y sqrt(1/N1 + 1/N2) /
// (T1 - T4); the Fe K intensity has the same sigma.  With as many lines as
// energies the fit is exact: chi2 0, whatever the weights.
TEST(Uncertainty, TwoEnergiesByHand) {
    Plan p{{1, 4}, {0.7, 0.3}, {0.0f, 0.1f, 0.01f}, {1, 2}, 1e4, 0.0f};
    IntensityInput in = input_of(p);
    in.cm(1) = 10000;
    in.cm(2) = 5684;
    in.cm(3) = 4783;
    const IntensityFit f = fit_intensities(in, selected_lines(in));
    const double t1 = transmission(1, 0.1f, false), t4 = transmission(4, 0.1f, false);
    const double y = 5684.0 / 10000.0;
    EXPECT_NEAR(f.r[0], (y - t4) / (t1 - t4), 1e-9);
    const double sigma = y * std::sqrt(1.0 / 10000 + 1.0 / 5684) / (t1 - t4);
    EXPECT_NEAR(f.sigma[0], sigma, 1e-9);
    EXPECT_NEAR(f.sigma[1], sigma, 1e-9);
    EXPECT_NEAR(f.chi2, 0.0, 1e-12);
    EXPECT_EQ(f.dof, 0);
}

// Lines whose dead-time correction is not defined stay out of the fit, and
// so do lines skipped when the file was read; a matrix that does not
// determine the intensities says so.
TEST(Uncertainty, LinesLeftOutAndUndeterminedIntensities) {
    Plan p{{1, 4}, {0.7, 0.3}, {0.0f, 0.1f, 0.2f, 0.01f}, {1, 2}, 1e4, 0.5f};
    IntensityInput in = input_of(p);
    in.cm(1) = 10000;
    in.cm(2) = 25000;   // 1 - 25000/10000*0.5 < 0
    in.cm(3) = 4000;
    in.cm(4) = 4783;
    in.valid(3) = false;
    std::vector<int> left_out;
    EXPECT_EQ(usable_lines(in, left_out), (std::vector<int>{1, 4}));
    EXPECT_EQ(left_out, (std::vector<int>{2}));

    in.inth(2) = 1;   // the same line twice: a singular system
    const IntensityFit f = fit_intensities(in, selected_lines(in));
    EXPECT_FALSE(f.solved);
    EXPECT_TRUE(std::isnan(f.r[0]) && std::isnan(f.sigma[1]));
}

}  // namespace
