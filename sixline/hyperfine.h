// Hyperfine parameters of iron-57 from the positions of the lines of a
// magnetically split 3/2<->1/2 spectrum.
//
// All arithmetic is single precision, step by step; printed digits of the
// sixline tables depend on the order of every operation.
#pragma once

#include <cstdint>

namespace zorb {

// What lines 1, 2 and 6, the isomer shift and a trial quadrupole splitting
// give before the asymmetry parameter eta comes in: the field and the
// coefficients of the quadratic in the angular terms, and how far the
// solution gets.  A scan works it out once per splitting and line 2 and then
// runs through eta.
struct Splitting {
    enum class Reach : uint8_t {
        nothing,        // no field: no solution, the field left alone
        field,          // the field, but no solution, silently
        degenerate,     // the field; am2 too small: no solution, with a message
        quadratic,      // the field and the quadratic: eta decides
    };
    Reach reach = Reach::nothing;
    float haeu = 0;     // the field, kG
    float am2 = 0;      // -(a2 + 2) / 10
    float a1 = 0, a0 = 0;
};

// From lines 1, 2 and 6 (mm/s), the isomer shift `is` and a trial quadrupole
// splitting `qas` (mm/s, signed).
Splitting splitting_terms(float qas, float is, float l1, float l2, float l6);

// The solution of `split` at the asymmetry parameter `eta`: the field `haeu`
// (kG) and the angles `phi_h`, `teta_h` (radians) of the field in the
// principal-axis frame of the field gradient, reported in octant `ioct`
// (1 to 4: theta in [0, pi/2]; 5 to 8: theta replaced by pi - theta).
//
// On success `b_exist` is set true.  Without a solution `b_exist`, `phi_h`
// and `teta_h` are left alone, while `haeu` may already hold a value; two of
// the ways to fail print a message line (and an empty line) on the screen.
void solve_at_eta(const Splitting& split, float eta, int32_t ioct, float& haeu, float& phi_h,
                  float& teta_h, bool& b_exist);

// Both steps for one grid point.  A zero splitting has no solution: the
// angles would not be numbers.
void lines_l_h(float qas, float eta, float is, float l1, float l2, float l6, int32_t ioct,
               float& haeu, float& phi_h, float& teta_h, bool& b_exist);

// Arc cosine in [0, pi], total over all reals: |h| >= 1 gives 0 or pi.
float arcos(float h);

// The ratio term of the ground and excited state moments,
// 10 (mu_e / mu_g)^2 / 9 - 2, as the routine evaluates it.
float hyperfine_beta();

}  // namespace zorb
