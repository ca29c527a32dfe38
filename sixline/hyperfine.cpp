#include "hyperfine.h"

#include <cmath>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "fortfmt.h"
#include "units.h"

namespace zorb {

namespace {

// A magnetic energy in mm/s divided by a moment in nuclear magnetons, times
// ctms, is a field in kG.
constexpr float ctms = 15.2502f;
// Magnetic moments of the ground state (spin 1/2) and of the excited state
// (spin 3/2) of the 14.4 keV transition, nuclear magnetons.
constexpr float amueg = 0.090604f;
constexpr float amuea = -0.15531f;
constexpr float pi = 3.1415927f;
constexpr float pi2 = 1.5707964f;   // pi/2

float square(float v) { return v * v; }

// One message line on the screen: text, the value in 8 columns with 3
// decimals, text; then an empty line.
void message(const char* before, float value, const char* after) {
    write_line(unit_screen, std::string(before) + fmt_f(value, 8, 3) + after);
    write_line(unit_screen, "");
}

}  // namespace

float hyperfine_beta() {
    // Quotient, square, times 10, divided by 9, minus 2, each rounded to
    // single precision (1.2648382; evaluated in double it would be 1.2648379).
    float ratio = amuea / amueg;
    float sq = ratio * ratio;
    float t = sq * 10.0f;
    t = t / 9.0f;
    return t - 2.0f;
}

namespace {

uint32_t bits(float v) {
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

// atan of 0, 1/2, 1, 3/2 and infinity, each split into a head and a tail, and
// the coefficients of the polynomial of the arc tangent.
constexpr float atan_hi[5] = {0.0f, 0x1.dac670p-2f, 0x1.921fb4p-1f, 0x1.f730bcp-1f, 0x1.921fb4p+0f};
constexpr float atan_lo[5] = {0.0f, 0x1.586ed2p-28f, 0x1.4442d0p-25f, 0x1.281f68p-25f,
                              0x1.4442d0p-24f};
constexpr float atan_poly[11] = {
    0x1.555556p-2f,  -0x1.99999ap-3f, 0x1.24924ap-3f,  -0x1.c71c70p-4f,
    0x1.745cdcp-4f,  -0x1.3b0f2ap-4f, 0x1.10d66ap-4f,  -0x1.dde2d6p-5f,
    0x1.97b4b2p-5f,  -0x1.2b4442p-5f, 0x1.0ad3aep-6f,
};

// Single-precision arc tangent, the C library's classic steps one for one
// (the same result as its atanf for every argument, bit for bit): the
// argument is reduced against 0, 1/2, 1, 3/2 or infinity and an odd
// polynomial of degree 23 gives the rest.  Written out here so that
// `lines_l_h` can take two of them at once (arc_cos_pair) and need not call
// the library.
inline float arc_tan(float x) {
    const uint32_t hx = bits(x);
    const uint32_t ix = hx & 0x7fffffffu;
    const bool negative = (hx >> 31) != 0;
    int id;
    if (ix >= 0x4c000000u) {                   // |x| >= 2^25, or not a number
        if (ix > 0x7f800000u) return x + x;
        return negative ? -atan_hi[4] - atan_lo[4] : atan_hi[4] + atan_lo[4];
    }
    if (ix < 0x3ee00000u) {                    // |x| < 7/16
        if (ix < 0x31000000u) return x;        // |x| < 2^-29
        id = -1;
    } else {
        x = std::fabs(x);
        if (ix < 0x3f980000u) {                // |x| < 19/16
            if (ix < 0x3f300000u) {            // 7/16 <= |x| < 11/16
                id = 0;
                x = (2.0f * x - 1.0f) / (2.0f + x);
            } else {                           // 11/16 <= |x| < 19/16
                id = 1;
                x = (x - 1.0f) / (x + 1.0f);
            }
        } else if (ix < 0x401c0000u) {         // |x| < 39/16
            id = 2;
            x = (x - 1.5f) / (1.0f + 1.5f * x);
        } else {                               // 39/16 <= |x| < 2^25
            id = 3;
            x = -1.0f / x;
        }
    }
    const float z = x * x;
    const float w = z * z;
    // The odd and the even terms of the polynomial apart, each by Horner's rule
    // in w = x^4.
    float p1 = atan_poly[10], p2 = atan_poly[9];
    for (int i = 8; i >= 0; i -= 2) p1 = atan_poly[i] + w * p1;
    for (int i = 7; i >= 1; i -= 2) p2 = atan_poly[i] + w * p2;
    const float s1 = z * p1;
    const float s2 = w * p2;
    if (id < 0) return x - x * (s1 + s2);
    const float a = atan_hi[id + 1] - ((x * (s1 + s2) - atan_lo[id + 1]) - x);
    return negative ? -a : a;
}

// The arc cosine of `arcos`.
inline float arc_cos(float h) {
    float h2 = h * h;
    if (h2 >= 1.0f) return h < 0.0f ? pi2 + pi2 : 0.0f;
    if (std::fabs(h) < 0.0001f) return pi2;
    float a = arc_tan(std::sqrt(1.0f - h2) / h);
    if (h < 0.0f) a = a + (pi2 + pi2);
    return a;
}

// Everything of one call that does not depend on eta: the shifted lines, the
// field, the coefficients of the quadratic and the way the call ends when it
// ends before eta comes in.  The scans hold the splitting, the shift and the
// lines while they run through eta, so the last of these is kept and reused
// when the same five inputs (bit for bit) come again.
struct SplitStage {
    enum Exit : uint8_t {
        none,       // no solution, `haeu` untouched
        field,      // no solution, `haeu` set
        am2_small,  // `haeu` set, the am2 message, no solution
        go_on,      // `haeu` set, eta decides
    };
    uint32_t qas = 0, is = 0, l1 = 0, l2 = 0, l6 = 0;
    bool valid = false;
    Exit exit = none;
    float haeu = 0, a1 = 0, am2 = 0;
    float am2_2 = 0;  // 2 am2
    float a0_am2 = 0; // a0 - 9 am2 am2
};

void split_stage(float qas, float is, float l1, float l2, float l6, SplitStage& s) {
    static const float beta = hyperfine_beta();
    s.qas = bits(qas);
    s.is = bits(is);
    s.l1 = bits(l1);
    s.l2 = bits(l2);
    s.l6 = bits(l6);
    s.valid = true;
    s.exit = SplitStage::none;

    // Line positions relative to the centre of the spectrum.
    const float al1 = l1 - is;
    const float al2 = l2 - is;
    const float al6 = l6 - is;

    float hh = square(al1 + al2) + square(al2 + al6) + square(al1 + al6) - square(qas);
    float h = hh * beta / 2.0f + square(al2 + al1);
    if (h < 0.0f) return;
    // Magnetic energy of the ground state (its moment times the field), mm/s.
    h = (std::sqrt(h) + (al1 + al2)) / beta;
    s.haeu = ctms * h / amueg;
    s.exit = SplitStage::field;

    // Everything in units of half the splitting.  A zero splitting leaves no
    // scale: every quantity below would be infinite or not a number.
    const float quad = std::fabs(qas / 2.0f);
    if (quad == 0.0f) return;
    h = h / quad;
    const float x = al2 / quad;
    const float al = al1 / quad;
    const float r = al6 / quad;

    float h1 = x + al;
    float h3 = r + al;
    const float h0 = -((2.0f * h + h3) / 2.0f);
    if (x > h0) return;

    const float c1 = 2.0f * r + h1;
    const float c2 = x - al;
    const float d = -(2.0f * h + h1);

    // Coefficients of the quadratic in the angular terms.
    h1 = square(c1);
    const float h2 = square(c2);
    h3 = square(d);
    const float a2 = -((2.0f * h3 + h1 + h2) / 4.0f);
    float a1 = -((d / 4.0f) * (h1 - h2));
    if (qas < 0.0f) a1 = -a1;
    s.a1 = a1;
    const float a0 = (h3 - h1) * (h3 - h2) / 16.0f;

    const float am2 = -((a2 + 2.0f) / 10.0f);
    s.am2 = am2;
    s.am2_2 = 2.0f * am2;
    s.a0_am2 = a0 - 9.0f * am2 * am2;
    s.exit = s.am2 < 0.00001f ? SplitStage::am2_small : SplitStage::go_on;
}

#if defined(__SSE2__)
// arc_cos of two arguments at once, u in lane 0 and v in lane 1 of the SSE
// registers: the packed operations round every lane as the scalar ones do, so
// each result is arc_cos's bit for bit.  The arc tangent is arc_tan's with its
// reduction written out: t = (a |x| + b) / (c |x| + d) and, past the
// polynomial p, hi - ((t p - lo) - t) with x's sign put back; with no
// reduction (a, b, c, d, hi, lo) = (1, 0, 0, 1, 0, 0) gives |x| - |x| p.
// Arguments of the special cases go to arc_cos.
inline void arc_cos_pair(float u, float v, float& au, float& av) {
    const __m128 h = _mm_setr_ps(u, v, 0.5f, 0.5f);
    const __m128 h2 = _mm_mul_ps(h, h);
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 special =
        _mm_or_ps(_mm_or_ps(_mm_cmpge_ps(h2, _mm_set1_ps(1.0f)),
                            _mm_cmplt_ps(_mm_andnot_ps(sign, h), _mm_set1_ps(0.0001f))),
                  _mm_cmpunord_ps(h, h));
    if (_mm_movemask_ps(special) & 3) {
        au = arc_cos(u);
        av = arc_cos(v);
        return;
    }
    const __m128 x = _mm_div_ps(_mm_sqrt_ps(_mm_sub_ps(_mm_set1_ps(1.0f), h2)), h);
    float num[2], den[2], hi[2], lo[2];   // lanes 0 and 1
    for (int k = 0; k < 2; ++k) {
        const float xk = k == 0 ? _mm_cvtss_f32(x) : _mm_cvtss_f32(_mm_shuffle_ps(x, x, 1));
        const uint32_t ix = bits(xk) & 0x7fffffffu;
        if (ix >= 0x4c000000u || ix < 0x31000000u) {
            au = arc_cos(u);
            av = arc_cos(v);
            return;
        }
        const float ax = std::fabs(xk);
        int id;
        if (ix < 0x3ee00000u) {
            id = 0;
            num[k] = ax;
            den[k] = 1.0f;
        } else if (ix < 0x3f300000u) {
            id = 1;
            num[k] = 2.0f * ax - 1.0f;
            den[k] = 2.0f + ax;
        } else if (ix < 0x3f980000u) {
            id = 2;
            num[k] = ax - 1.0f;
            den[k] = ax + 1.0f;
        } else if (ix < 0x401c0000u) {
            id = 3;
            num[k] = ax - 1.5f;
            den[k] = 1.0f + 1.5f * ax;
        } else {
            id = 4;
            num[k] = -1.0f;
            den[k] = ax;
        }
        hi[k] = atan_hi[id];
        lo[k] = atan_lo[id];
    }
    const __m128 t = _mm_div_ps(_mm_setr_ps(num[0], num[1], 1.0f, 1.0f),
                                _mm_setr_ps(den[0], den[1], 1.0f, 1.0f));
    const __m128 z = _mm_mul_ps(t, t);
    const __m128 w = _mm_mul_ps(z, z);
    auto c = [](int i) { return _mm_set1_ps(atan_poly[i]); };
    auto mul = [](__m128 a, __m128 b) { return _mm_mul_ps(a, b); };
    auto add = [](__m128 a, __m128 b) { return _mm_add_ps(a, b); };
    // The odd and the even terms of the polynomial apart, as in arc_tan.
    __m128 p1 = c(10), p2 = c(9);
    for (int i = 8; i >= 0; i -= 2) p1 = add(c(i), mul(w, p1));
    for (int i = 7; i >= 1; i -= 2) p2 = add(c(i), mul(w, p2));
    const __m128 s1 = mul(z, p1);
    const __m128 s2 = mul(w, p2);
    const __m128 hi_v = _mm_setr_ps(hi[0], hi[1], 0.0f, 0.0f);
    const __m128 lo_v = _mm_setr_ps(lo[0], lo[1], 0.0f, 0.0f);
    __m128 a = _mm_sub_ps(hi_v, _mm_sub_ps(_mm_sub_ps(mul(t, add(s1, s2)), lo_v), t));
    a = _mm_or_ps(_mm_andnot_ps(sign, a), _mm_and_ps(sign, x));
    // Plus pi where h < 0 (a is not 0 here, so adding 0 elsewhere changes nothing).
    a = add(a, _mm_and_ps(_mm_cmplt_ps(h, _mm_setzero_ps()), _mm_set1_ps(pi2 + pi2)));
    au = _mm_cvtss_f32(a);
    av = _mm_cvtss_f32(_mm_shuffle_ps(a, a, 1));
}
#endif

// The terms of one call that depend on eta alone.  The scans run through the
// same etas for every splitting, so those of the last etas are kept, each in
// the slot its bits hash to.  A slot starts out holding eta = +0.
struct EtaTerms {
    uint32_t eta = 0;
    float eta2 = 0.0f;
    float h1 = 1.0f;       // eta2 / 3 + 1
    float root_h1 = 1.0f;  // its square root
    float five = 5.0f;     // 5 - eta2
    float nine = 9.0f;     // 9 - eta2
};

constexpr int eta_slots = 128;

const EtaTerms& eta_terms(float eta) {
    thread_local EtaTerms slots[eta_slots];
    const uint32_t key = bits(eta);
    EtaTerms& t = slots[(key * 0x9E3779B1u) >> 25];
    if (t.eta != key) {
        t.eta = key;
        t.eta2 = eta * eta;
        t.h1 = t.eta2 / 3.0f + 1.0f;
        t.root_h1 = std::sqrt(t.h1);
        t.five = 5.0f - t.eta2;
        t.nine = 9.0f - t.eta2;
    }
    return t;
}

}  // namespace

float arcos(float h) { return arc_cos(h); }

void lines_l_h(float qas, float eta, float is, float l1, float l2, float l6, int32_t ioct,
               float& haeu, float& phi_h, float& teta_h, bool& b_exist) {
    thread_local SplitStage last;
    SplitStage& s = last;
    if (!s.valid || s.qas != bits(qas) || s.is != bits(is) || s.l1 != bits(l1) ||
        s.l2 != bits(l2) || s.l6 != bits(l6))
        split_stage(qas, is, l1, l2, l6, s);

    if (s.exit == SplitStage::none) return;
    haeu = s.haeu;
    if (s.exit == SplitStage::field) return;
    const float am2 = s.am2;
    if (s.exit == SplitStage::am2_small) {
        message(" am2=-(a2++2)/10 =", am2, " is < 0.00001");
        return;
    }
    const float a1 = s.a1;

    // eta2 = eta^2, h1 = eta2 / 3 + 1
    const EtaTerms& e = eta_terms(eta);
    const float h1 = e.h1;
    const float h2 = e.root_h1 * a1 / 8.0f / am2 + 2.0f;
    // sin^2 theta
    const float sint2 =
        (2.0f * h2 +
         h1 * ((s.am2_2 * e.five / h1 + s.a0_am2 - 1.0f) / 4.0f / am2)) /
        e.nine;
    // A value that is not a number (a splitting so small that the scaled
    // quantities overflow) is no solution either, and says nothing.
    if (sint2 != sint2) return;
    if (sint2 < 0.0f || sint2 > 1.0f) {
        message(" sin(theta)**2 =", sint2, "  < 0.0");
        return;
    }

    // Cosine of twice phi; phi is 0 when theta or eta vanishes.
    float cos2p = 1.0f;
    if (!(sint2 < 0.00001f || eta < 0.0001f)) {
        cos2p = (3.0f - h2 / sint2) / eta;
        if (!(std::fabs(cos2p) <= 1.0f)) return;   // NaN included
    }

#if defined(__SSE2__)
    float teta, phi;
    arc_cos_pair(std::sqrt(1.0f - sint2), cos2p, teta, phi);
    phi = phi / 2.0f;
#else
    float teta = arc_cos(std::sqrt(1.0f - sint2));
    const float phi = arc_cos(cos2p) / 2.0f;
#endif

    int32_t i_oct = ioct;
    if (ioct > 4) {
        teta = pi - teta;
        i_oct = ioct - 4;
    }
    teta_h = teta;
    switch (i_oct) {
        case 2: phi_h = pi - phi; break;
        case 3: phi_h = pi + phi; break;
        case 4: phi_h = -phi; break;
        default: phi_h = phi; break;
    }
    b_exist = true;
}

}  // namespace zorb
