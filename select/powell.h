// Minimisation without derivatives: Powell's direction-set method, whose
// line minimisations bracket the minimum by golden-ratio steps with
// parabolic extrapolation (`mnbrak`) and locate it by Brent's method
// (`brent`).  Single precision throughout.
#pragma once

#include "field.h"
#include "thick.h"

namespace zorb {

// A function of n variables x[0..n-1]; the figure of merit `func` by default.
using Objective = float (*)(const float* x, int n);
// A function of one abscissa along a line, n variables passed through.
using LineFunction = float (*)(float x, int n);

// The current line of a line minimisation: from pcom along xicom, of the
// objective being minimised.  Written by `linmin`, read by `f1dim`.
struct F1comRecord {
    Array1<float, 16> pcom;
    Array1<float, 16> xicom;
    Objective objective = func;
};
extern F1comRecord f1com;

// Minimises the objective from p[0..n-1] with the directions xi(., i),
// i = 1..n (updated in place).  fret: on entry the value at the start, on
// return the value at the returned point, which is the best point met at the
// end of a line minimisation or as an extrapolated point, or the start when
// none is better.  iter: the iterations (at most 100; at the limit a message
// is written and the best point returned).  np is the declared size (= n).
// True when the iterations converged, false when they reached the limit.
bool powell(float* p, Square<float>& xi, int n, int np, float ftol, int& iter, float& fret,
            Objective objective = func);

// Moves p[0..n-1] to the minimum along xi, replaces xi by the displacement
// and returns the value there in fret.
void linmin(float* p, float* xi, int n, float& fret, Objective objective = func);

// From the abscissae ax and bx, a triple ax, bx, cx with f(bx) below f(ax)
// and f(cx), and the three values.
void mnbrak(float& ax, float& bx, float& cx, float& fa, float& fb, float& fc, LineFunction f,
            int n);

// The minimum of f within the bracket ax, bx, cx, to the relative tolerance
// tol; its abscissa in xmin, its value as the result (at most 100
// iterations, one evaluation each, after one at bx).
float brent(float ax, float bx, float cx, LineFunction f, int n, float tol, float& xmin);

// The objective at pcom + x * xicom.
float f1dim(float x, int n);

}  // namespace zorb
