#include "thick.h"

#include <cmath>
#include <limits>
#include <utility>

#include "coeff.h"

namespace zorb {

void rintensities(int nd, const float* thick, Square<float>& att) {
    for (int i = 1; i <= nd; ++i) {
        int m = coeff.ik(coeff.lk(i));
        for (int j = 1; j <= nd; ++j) {
            float d = thick[j - 1];
            att(j, i) = coeff.el(m) * std::exp(-coeff.mecoeff(m + coeff.ip) * d) +
                        coeff.el(m + 1) * std::exp(-coeff.mecoeff(m + 1 + coeff.ip) * d);
        }
    }
}

float scalar_uv(int n, const float* u, const float* v) {
    float s = 0.0f;
    for (int i = 0; i < n; ++i) s = s + u[i] * v[i];
    return s;
}

float func(const float* x, int ndim) {
    const int n = ndim + 1;
    // The last thickness is the measurement without absorber.
    std::vector<float> thick(static_cast<std::size_t>(n), 0.0f);
    for (int i = 1; i <= ndim; ++i) thick[i - 1] = std::fabs(x[i - 1]);
    Square<float> wm(n);
    rintensities(n, thick.data(), wm);

    std::vector<float> u(static_cast<std::size_t>(n)), v(static_cast<std::size_t>(n));
    float sc = 0.0f;   // overlap of the columns (energies)
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            for (int k = 1; k <= n; ++k) {
                u[k - 1] = wm(k, i);
                v[k - 1] = wm(k, j);
            }
            sc = sc + scalar_uv(n, u.data(), v.data());
        }
    float sr = 0.0f;   // overlap of the rows (thicknesses)
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j)
            sr = sr + scalar_uv(n, &wm.v[static_cast<std::size_t>((i - 1) * n)],
                                &wm.v[static_cast<std::size_t>((j - 1) * n)]);

    Square<double> a(n);
    for (std::size_t k = 0; k < a.v.size(); ++k) a.v[k] = wm.v[k];
    float d = static_cast<float>(dmgt(1e-5, n, a));
    // Singular: +infinity, also where every absorber row has gone opaque
    // (row overlap 0), which the division alone would make 0/0.
    if (d == 0.0f) return std::numeric_limits<float>::infinity();
    return (sc / d) * (sr / d);
}

void tsrgt(double eps, int n, const Square<double>& a, int& it, Square<double>& c,
           std::vector<int>& kp, std::vector<int>& lp) {
    c = a;
    kp.assign(static_cast<std::size_t>(n) + 1, 0);
    lp.assign(static_cast<std::size_t>(n) + 1, 0);
    it = 1;
    int k = 1;
    while (it == 1 && k < n) {
        // Pivot: the first element of largest magnitude, rows then columns.
        double pv = c(k, k);
        int lr = k, kc = k;
        for (int i = k; i <= n; ++i)
            for (int j = k; j <= n; ++j)
                if (std::fabs(c(i, j)) > std::fabs(pv)) {
                    pv = c(i, j);
                    lr = i;
                    kc = j;
                }
        lp[k] = lr;
        kp[k] = kc;
        if (std::fabs(pv) < eps) {
            it = 0;
            break;
        }
        if (lr != k)
            for (int j = k; j <= n; ++j) std::swap(c(k, j), c(lr, j));
        if (kc != k)
            for (int i = 1; i <= n; ++i) std::swap(c(i, k), c(i, kc));
        for (int i = k + 1; i <= n; ++i) {
            c(i, k) = c(i, k) / pv;
            for (int j = k + 1; j <= n; ++j) c(i, j) = c(i, j) - c(i, k) * c(k, j);
        }
        ++k;
    }
    if (it == 1 && std::fabs(c(n, n)) < eps) it = 0;
}

double dmgt(double eps, int n, const Square<double>& a) {
    Square<double> c(n);
    std::vector<int> kp, lp;
    int it = 0;
    tsrgt(eps, n, a, it, c, kp, lp);
    if (it == 0) return 0.0;
    double det = 1.0;
    for (int k = 1; k <= n; ++k) det = det * c(k, k);
    int swaps = 0;
    for (int k = 1; k < n; ++k) {
        if (lp[k] != k) ++swaps;
        if (kp[k] != k) ++swaps;
    }
    return swaps % 2 == 1 ? -det : det;
}

}  // namespace zorb
