#include "gaussj.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "fortfmt.h"
#include "units.h"

namespace zorb {

namespace {

// Element (i, j), 1-based, of a matrix stored by columns.
struct Matrix {
    float* p;
    int ld;
    float& operator()(int i, int j) const { return p[(i - 1) + (j - 1) * ld]; }
};

void message(const char* text) { write_line(unit_screen, text); }

// One matrix row of the check: a comma, then the values in f12.5, twelve to
// a line (a longer row goes on in a line without the comma).
void print_row(const Matrix& a, int k, int n) {
    std::string line = ",";
    for (int l = 1; l <= n; ++l) {
        if (l > 1 && (l - 1) % 12 == 0) {
            write_line(unit_screen, line);
            line.clear();
        }
        line += fmt_f(a(k, l), 12, 5);
    }
    write_line(unit_screen, line);
}

void print_matrix(const Matrix& a, int n) {
    for (int k = 1; k <= n; ++k) print_row(a, k, n);
}

}  // namespace

void gaussj(float* ap, int n, int np, float* bp, int m, int mp, GaussjPivots* pivots) {
    (void)mp;
    if (n < 1 || n > gaussj_nmax) return;
    Matrix a{ap, np}, b{bp, np};
    std::array<int, gaussj_nmax + 1> ipiv{}, indxr{}, indxc{};
    int irow = 0, icol = 0;
    for (int i = 1; i <= n; ++i) {
        float big = 0;
        for (int j = 1; j <= n; ++j) {
            if (ipiv[j] == 1) continue;
            for (int k = 1; k <= n; ++k) {
                // Greater-or-equal: the last of equal magnitudes wins, and an
                // all-zero candidate set still gives a pivot.
                if (ipiv[k] == 0) {
                    if (std::fabs(a(j, k)) >= big) {
                        big = std::fabs(a(j, k));
                        irow = j;
                        icol = k;
                    }
                } else if (ipiv[k] > 1) {
                    message(" Singular matrix");
                }
            }
        }
        // Only not-a-number candidates: nothing is chosen and the pivot of
        // the step before stands (row and column 1 at the first step), so
        // that no index ever leaves the matrix.
        if (irow == 0) irow = icol = 1;
        ++ipiv[icol];
        if (irow != icol) {
            for (int l = 1; l <= n; ++l) std::swap(a(irow, l), a(icol, l));
            for (int l = 1; l <= m; ++l) std::swap(b(irow, l), b(icol, l));
        }
        indxr[i] = irow;
        indxc[i] = icol;
        if (pivots) {
            pivots->irow[i] = irow;
            pivots->icol[i] = icol;
        }
        if (a(icol, icol) == 0.0f) message(" Singular matrix.");
        float pivinv = 1.0f / a(icol, icol);
        a(icol, icol) = 1.0f;
        for (int l = 1; l <= n; ++l) a(icol, l) = a(icol, l) * pivinv;
        for (int l = 1; l <= m; ++l) b(icol, l) = b(icol, l) * pivinv;
        for (int ll = 1; ll <= n; ++ll) {
            if (ll == icol) continue;
            float dum = a(ll, icol);
            a(ll, icol) = 0.0f;
            for (int l = 1; l <= n; ++l) a(ll, l) = a(ll, l) - a(icol, l) * dum;
            for (int l = 1; l <= m; ++l) b(ll, l) = b(ll, l) - b(icol, l) * dum;
        }
    }
    for (int l = n; l >= 1; --l) {
        if (indxr[l] == indxc[l]) continue;
        for (int k = 1; k <= n; ++k) std::swap(a(k, indxr[l]), a(k, indxc[l]));
    }
}

void d2r1(int nd, const float* ap, float* aip, bool enwr1) {
    if (enwr1) {
        write_line(unit_screen, "");
        message(" internal***********************************");
    }
    // The test right-hand side (1, 2, ..., nd) and the working matrices.
    const std::size_t cells = static_cast<std::size_t>(nd) * static_cast<std::size_t>(nd);
    std::vector<float> bw(cells), xw(cells), tw(cells), uw(cells);
    Matrix a{const_cast<float*>(ap), nd}, ai{aip, nd}, b{bw.data(), nd}, x{xw.data(), nd},
        t{tw.data(), nd}, u{uw.data(), nd};
    for (int j = 1; j <= nd; ++j) b(j, 1) = static_cast<float>(j);
    if (enwr1) {
        message(" (A(K,L), L=1,N)");
        print_matrix(a, nd);
    }
    for (std::size_t c = 0; c < cells; ++c) aip[c] = ap[c];
    for (int l = 1; l <= nd; ++l) x(l, 1) = b(l, 1);
    gaussj(aip, nd, nd, xw.data(), 1, nd);
    if (!enwr1) return;

    message(" Inverse of Matrix A : ");
    print_matrix(ai, nd);
    message(" A times A-inverse (compare with unit matrix)");
    for (int k = 1; k <= nd; ++k) {
        for (int l = 1; l <= nd; ++l) {
            float s = 0;
            for (int j = 1; j <= nd; ++j) s = s + a(k, j) * ai(j, l);
            u(k, l) = s;
        }
        print_row(u, k, nd);
    }
    message(" Check the following vectors for equality:");
    write_line(unit_screen, "           Original   Matrix*Sol'n");
    write_line(unit_screen, " Vector " + fmt_i(1, 2) + ":");
    for (int k = 1; k <= nd; ++k) {
        float s = 0;
        for (int j = 1; j <= nd; ++j) s = s + a(k, j) * x(j, 1);
        t(k, 1) = s;
        write_line(unit_screen, "        " + fmt_f(b(k, 1), 12, 6) + fmt_f(t(k, 1), 12, 6));
    }
    message(" ************************** end internal");
    write_line(unit_screen, "");
}

}  // namespace zorb
