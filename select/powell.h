// Minimisation without derivatives: Powell's direction-set method, whose
// line minimisations bracket the minimum by golden-ratio steps with
// parabolic extrapolation (`mnbrak`) and locate it by Brent's method
// (`brent`).  Single precision throughout.
//
// The minimiser knows nothing of what it minimises: the caller passes the
// objective with a context, which every evaluation receives unchanged, and a
// line minimisation hands its line to the one-dimensional search the same
// way.  Nothing is kept between calls.
#pragma once

#include "square.h"

namespace zorb {

// A function of n variables x[0..n-1]; context: what the caller passed with it.
using Objective = float (*)(const float* x, int n, void* context);
// A function of one abscissa; context: what the caller passed with it.
using LineFunction = float (*)(float x, void* context);

// Minimises the objective from p[0..n-1] with the directions xi(., i),
// i = 1..n (updated in place).  fret: on entry the value at the start, on
// return the value at the returned point, which is the best point met at the
// end of a line minimisation or as an extrapolated point, or the start when
// none is better.  iter: the iterations (at most 100; at the limit a message
// is written and the best point returned).  np is the declared size (= n).
// True when the iterations converged, false when they reached the limit.
bool powell(float* p, Square<float>& xi, int n, int np, float ftol, int& iter, float& fret,
            Objective objective, void* context);

// Moves p[0..n-1] to the minimum of the objective along xi, replaces xi by
// the displacement and returns the value there in fret.
void linmin(float* p, float* xi, int n, float& fret, Objective objective, void* context);

// From the abscissae ax and bx, a triple ax, bx, cx with f(bx) below f(ax)
// and f(cx), and the three values.
void mnbrak(float& ax, float& bx, float& cx, float& fa, float& fb, float& fc, LineFunction f,
            void* context);

// The minimum of f within the bracket ax, bx, cx, to the relative tolerance
// tol; its abscissa in xmin, its value as the result (at most 100
// iterations, one evaluation each, after one at bx).
float brent(float ax, float bx, float cx, LineFunction f, void* context, float tol, float& xmin);

}  // namespace zorb
