#include "uncertainty.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "linalg.h"

namespace zorb {

namespace {

using Matrix = std::vector<std::vector<double>>;

Matrix zeros(std::size_t rows, std::size_t cols) {
    return Matrix(rows, std::vector<double>(cols, 0.0));
}

// The correction factor 1 - Nob/N*Ntau of a count c.
double correction(const IntensityInput& in, double c) {
    return 1.0 - c * (static_cast<double>(in.ntau) / static_cast<double>(in.cm(1)));
}

// The variance of a count: the count itself, but at least 1, so that a
// count of 0 still carries the uncertainty of about one count.
double poisson_variance(double count) { return std::max(count, 1.0); }

}  // namespace

std::vector<int> selected_lines(const IntensityInput& in) {
    std::vector<int> lines;
    for (int i = 1; i <= in.nd; ++i) lines.push_back(in.inth(i));
    return lines;
}

std::vector<int> usable_lines(const IntensityInput& in, std::vector<int>& left_out) {
    std::vector<int> lines;
    left_out.clear();
    for (int j = 1; j <= in.nt; ++j) {
        if (!in.valid(j)) continue;
        if (correction(in, in.cm(j)) > 0.0)
            lines.push_back(j);
        else
            left_out.push_back(j);
    }
    return lines;
}

IntensityFit fit_intensities(const IntensityInput& in, const std::vector<int>& lines) {
    const std::size_t nd = static_cast<std::size_t>(in.nd), rows = lines.size(),
                      vars = static_cast<std::size_t>(in.nt) + 1;   // counts by line number
    const double n_ref = in.cm(1), ntau = in.ntau;
    IntensityFit fit;
    fit.dof = static_cast<int>(rows) - in.nd;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    fit.r.assign(nd, nan);
    fit.sigma.assign(nd, nan);
    if (rows < nd || nd == 0) return fit;

    // Corrected counts, their derivatives with respect to every count (the
    // line's own, and the reference count through Nob/N*Ntau), the weights
    // and the transmissions.
    std::vector<double> cn(rows), w(rows);
    Matrix dcn = zeros(rows, vars), x = zeros(rows, nd);
    for (std::size_t r = 0; r < rows; ++r) {
        const int j = lines[r];
        const double c = in.cm(j), f = correction(in, c);
        cn[r] = c / f;
        dcn[r][static_cast<std::size_t>(j)] += 1.0 / (f * f);
        dcn[r][1] += -c * c * ntau / (n_ref * n_ref) / (f * f);
        const double own = 1.0 / (f * f);
        w[r] = 1.0 / (own * own * poisson_variance(c));
        for (std::size_t k = 0; k < nd; ++k)
            x[r][k] = transmission(in.lk(static_cast<int>(k) + 1), in.thick(j), j == in.nt);
    }

    // s = G^-1 X' W cn with G = X' W X; P = G^-1 X' W maps corrected counts
    // to intensities.
    std::vector<double> g(nd * nd, 0.0);
    for (std::size_t a = 0; a < nd; ++a)
        for (std::size_t b = 0; b < nd; ++b)
            for (std::size_t r = 0; r < rows; ++r) g[a * nd + b] += x[r][a] * w[r] * x[r][b];
    if (!invert(static_cast<int>(nd), g)) return fit;
    Matrix p = zeros(nd, rows);
    std::vector<double> s(nd, 0.0);
    for (std::size_t a = 0; a < nd; ++a)
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t b = 0; b < nd; ++b) p[a][r] += g[a * nd + b] * x[r][b] * w[r];
            s[a] += p[a][r] * cn[r];
        }
    double total = 0;
    for (double v : s) total += v;

    // Derivatives of the normalised intensities s / total with respect to
    // every count, and the variance that the Poisson counts give them.
    Matrix ds = zeros(nd, vars);
    for (std::size_t a = 0; a < nd; ++a)
        for (std::size_t r = 0; r < rows; ++r)
            for (std::size_t v = 1; v < vars; ++v) ds[a][v] += p[a][r] * dcn[r][v];
    for (std::size_t a = 0; a < nd; ++a) {
        fit.r[a] = s[a] / total;
        double variance = 0;
        for (std::size_t v = 1; v < vars; ++v) {
            double dtotal = 0;
            for (std::size_t b = 0; b < nd; ++b) dtotal += ds[b][v];
            const double d = (ds[a][v] - fit.r[a] * dtotal) / total;
            if (d == 0.0) continue;   // a count that does not enter
            variance += d * d * poisson_variance(in.cm(static_cast<int>(v)));
        }
        fit.sigma[a] = std::sqrt(variance);
    }
    for (std::size_t r = 0; r < rows; ++r) {
        double model = 0;
        for (std::size_t k = 0; k < nd; ++k) model += x[r][k] * s[k];
        fit.chi2 += w[r] * (cn[r] - model) * (cn[r] - model);
    }
    fit.solved = std::isfinite(total) && total != 0.0;
    return fit;
}

}  // namespace zorb
