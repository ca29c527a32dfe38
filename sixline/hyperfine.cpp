#include "hyperfine.h"

#include <cmath>
#include <cstring>
#include <string>

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

// Single-precision arc tangent, the C library's classic steps one for one
// (the same result as its atanf for every argument, bit for bit): the
// argument is reduced against 0, 1/2, 1, 3/2 or infinity and an odd
// polynomial of degree 23 gives the rest.  Done here so that it is inlined
// into `lines_l_h` beside the other steps instead of called.
inline float arc_tan(float x) {
    // atan of 1/2, 1, 3/2 and infinity, each split into a head and a tail.
    static constexpr float atanhi[4] = {0x1.dac670p-2f, 0x1.921fb4p-1f, 0x1.f730bcp-1f,
                                        0x1.921fb4p+0f};
    static constexpr float atanlo[4] = {0x1.586ed2p-28f, 0x1.4442d0p-25f, 0x1.281f68p-25f,
                                        0x1.4442d0p-24f};
    static constexpr float aT[11] = {
        0x1.555556p-2f,  -0x1.99999ap-3f, 0x1.24924ap-3f,  -0x1.c71c70p-4f,
        0x1.745cdcp-4f,  -0x1.3b0f2ap-4f, 0x1.10d66ap-4f,  -0x1.dde2d6p-5f,
        0x1.97b4b2p-5f,  -0x1.2b4442p-5f, 0x1.0ad3aep-6f,
    };
    const uint32_t hx = bits(x);
    const uint32_t ix = hx & 0x7fffffffu;
    const bool negative = (hx >> 31) != 0;
    int id;
    if (ix >= 0x4c000000u) {                   // |x| >= 2^25, or not a number
        if (ix > 0x7f800000u) return x + x;
        return negative ? -atanhi[3] - atanlo[3] : atanhi[3] + atanlo[3];
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
    // The odd and the even terms of the polynomial apart.
    const float s1 =
        z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
    const float s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
    if (id < 0) return x - x * (s1 + s2);
    const float a = atanhi[id] - ((x * (s1 + s2) - atanlo[id]) - x);
    return negative ? -a : a;
}

// The arc cosine of `arcos`, inlined into `lines_l_h`.
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

    float teta = arc_cos(std::sqrt(1.0f - sint2));
    const float phi = arc_cos(cos2p) / 2.0f;

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
