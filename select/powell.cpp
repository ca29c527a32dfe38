#include "powell.h"

#include <cmath>
#include <utility>
#include <vector>

#include "units.h"

namespace zorb {

namespace {

constexpr int itmax = 100;       // iterations of powell and of brent
constexpr float tol = 1.0e-4f;   // relative tolerance of a line minimisation
constexpr float gold = 1.618034f;     // golden ratio, (1 + sqrt 5) / 2
constexpr float glimit = 100.0f;      // largest parabolic step, in last intervals
constexpr float tiny = 1.0e-20f;      // least magnitude of the parabola's denominator
constexpr float cgold = 0.381966f;    // golden-section fraction, (3 - sqrt 5) / 2
constexpr float zeps = 1.0e-10f;      // absolute tolerance near zero

// The best point met so far and its value.  Only a strictly smaller value
// replaces it, so of equal values the first met stays.
struct Best {
    float value;
    std::vector<float> point;
    void offer(const float* x, int n, float f) {
        if (f < value) {
            value = f;
            point.assign(x, x + n);
        }
    }
};

// The line of a line minimisation: the objective at from + x * along.
struct Line {
    Line(const float* p, const float* xi, int n_, Objective objective_, void* context_)
        : n(n_),
          from(p, p + n_),
          along(xi, xi + n_),
          objective(objective_),
          context(context_),
          point(static_cast<std::size_t>(n_)) {}
    int n;
    std::vector<float> from, along;
    Objective objective;
    void* context;
    std::vector<float> point;  // where the objective is evaluated
};

// The objective along a line (context: the Line).
float f1dim(float x, void* context) {
    Line& line = *static_cast<Line*>(context);
    for (int j = 0; j < line.n; ++j) line.point[j] = line.from[j] + x * line.along[j];
    return line.objective(line.point.data(), line.n, line.context);
}

}  // namespace

void mnbrak(float& ax, float& bx, float& cx, float& fa, float& fb, float& fc, LineFunction f,
            void* context) {
    fa = f(ax, context);
    fb = f(bx, context);
    if (fb > fa) {   // run downhill from ax to bx
        std::swap(ax, bx);
        std::swap(fa, fb);
    }
    cx = bx + gold * (bx - ax);
    fc = f(cx, context);
    while (fb >= fc) {
        // The parabola through the three points; its vertex u, no further
        // than ulim.
        float r = (bx - ax) * (fb - fc);
        float q = (bx - cx) * (fb - fa);
        float s = std::copysign(std::fmax(std::fabs(q - r), tiny), q - r);
        float u = bx - ((bx - cx) * q - (bx - ax) * r) / (2.0f * s);
        float ulim = bx + glimit * (cx - bx);
        float fu;
        if ((bx - u) * (u - cx) > 0.0f) {   // between bx and cx
            fu = f(u, context);
            if (fu < fc) {
                ax = bx;
                fa = fb;
                bx = u;
                fb = fu;
                return;
            }
            if (fu > fb) {
                cx = u;
                fc = fu;
                return;
            }
            u = cx + gold * (cx - bx);
            fu = f(u, context);
        } else if ((cx - u) * (u - ulim) > 0.0f) {   // between cx and its limit
            fu = f(u, context);
            if (fu < fc) {
                bx = cx;
                cx = u;
                u = cx + gold * (cx - bx);
                fb = fc;
                fc = fu;
                fu = f(u, context);
            }
        } else if ((u - ulim) * (ulim - cx) >= 0.0f) {   // beyond the limit
            u = ulim;
            fu = f(u, context);
        } else {
            u = cx + gold * (cx - bx);
            fu = f(u, context);
        }
        ax = bx;
        bx = cx;
        cx = u;
        fa = fb;
        fb = fc;
        fc = fu;
    }
}

float brent(float ax, float bx, float cx, LineFunction f, void* context, float tol_, float& xmin) {
    float a = ax < cx ? ax : cx;   // the interval that holds the minimum
    float b = ax > cx ? ax : cx;
    float x = bx;   // the best point so far
    float w = bx;   // the second best
    float v = bx;   // the previous value of w
    float e = 0.0f;   // the step before the last
    float d = 0.0f;   // the last step
    float fx = f(x, context);
    float fv = fx, fw = fx;
    for (int iter = 1; iter <= itmax; ++iter) {
        float xm = (a + b) / 2.0f;
        float tol1 = tol_ * std::fabs(x) + zeps;
        float tol2 = 2.0f * tol1;
        if (std::fabs(x - xm) <= tol2 - (b - a) / 2.0f) break;
        bool parabolic = false;
        if (std::fabs(e) > tol1) {
            float r = (x - w) * (fx - fv);
            float q = (x - v) * (fx - fw);
            float p = (x - v) * q - (x - w) * r;
            q = 2.0f * (q - r);
            if (q > 0.0f) p = -p;
            q = std::fabs(q);
            float etemp = e;
            e = d;
            if (!(std::fabs(p) >= std::fabs(q * etemp / 2.0f) || p <= q * (a - x) ||
                  p >= q * (b - x))) {
                d = p / q;
                float u = x + d;
                if (u - a < tol2 || b - u < tol2) d = std::copysign(tol1, xm - x);
                parabolic = true;
            }
        }
        if (!parabolic) {   // golden section into the larger part
            e = x >= xm ? a - x : b - x;
            d = cgold * e;
        }
        float u = std::fabs(d) >= tol1 ? x + d : x + std::copysign(tol1, d);
        float fu = f(u, context);
        if (fu <= fx) {
            if (u >= x)
                a = x;
            else
                b = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            if (u < x)
                a = u;
            else
                b = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    xmin = x;
    return fx;
}

void linmin(float* p, float* xi, int n, float& fret, Objective objective, void* context) {
    Line line(p, xi, n, objective, context);
    float ax = 0.0f, xx = 1.0f, bx = 0.0f, fa = 0.0f, fx = 0.0f, fb = 0.0f;
    mnbrak(ax, xx, bx, fa, fx, fb, f1dim, &line);
    float xmin = 0.0f;
    fret = brent(ax, xx, bx, f1dim, &line, tol, xmin);
    for (int j = 0; j < n; ++j) {
        xi[j] = xi[j] * xmin;
        p[j] = p[j] + xi[j];
    }
}

bool powell(float* p, Square<float>& xi, int n, int /*np*/, float ftol, int& iter, float& fret,
            Objective objective, void* context) {
    Best best{fret, std::vector<float>(p, p + n)};
    std::vector<float> pt(p, p + n), ptt(static_cast<std::size_t>(n)),
        xit(static_cast<std::size_t>(n));
    fret = objective(p, n, context);
    iter = 0;
    auto give_best = [&] {
        fret = best.value;
        for (int j = 0; j < n; ++j) p[j] = best.point[static_cast<std::size_t>(j)];
    };
    for (;;) {
        ++iter;
        float fp = fret;
        int ibig = 1;
        float del = 0.0f;   // the largest decrease since the start of the iteration
        for (int i = 1; i <= n; ++i) {
            for (int j = 1; j <= n; ++j) xit[j - 1] = xi(j, i);
            linmin(p, xit.data(), n, fret, objective, context);
            best.offer(p, n, fret);
            if (std::fabs(fp - fret) > del) {
                del = std::fabs(fp - fret);
                ibig = i;
            }
        }
        if (ftol * (std::fabs(fp) + std::fabs(fret)) >= 2.0f * std::fabs(fp - fret)) {
            give_best();
            return true;
        }
        if (iter == itmax) {
            write_line(unit_screen, " Powell exceeding maximum iterations.");
            give_best();
            return false;
        }
        // The point extrapolated along the move of this iteration.
        for (int j = 0; j < n; ++j) {
            ptt[j] = 2.0f * p[j] - pt[j];
            xit[j] = p[j] - pt[j];
            pt[j] = p[j];
        }
        float fptt = objective(ptt.data(), n, context);
        best.offer(ptt.data(), n, fptt);
        if (fptt >= fp) continue;
        float dec = fp - fret - del;
        float ext = fp - fptt;
        float t = 2.0f * (fp - 2.0f * fret + fptt) * (dec * dec) - del * (ext * ext);
        if (t >= 0.0f) continue;
        // Along the move of the iteration; its direction takes the place of
        // the one of largest decrease.
        linmin(p, xit.data(), n, fret, objective, context);
        best.offer(p, n, fret);
        for (int j = 1; j <= n; ++j) xi(j, ibig) = xit[j - 1];
    }
}

}  // namespace zorb
