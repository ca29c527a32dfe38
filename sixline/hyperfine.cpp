#include "hyperfine.h"

#include <cmath>
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

float arcos(float h) {
    float h2 = h * h;
    if (h2 >= 1.0f) return h < 0.0f ? pi2 + pi2 : 0.0f;
    if (std::fabs(h) < 0.0001f) return pi2;
    float a = std::atan(std::sqrt(1.0f - h2) / h);
    if (h < 0.0f) a = a + (pi2 + pi2);
    return a;
}

Splitting splitting_terms(float qas, float is, float l1, float l2, float l6) {
    const float beta = hyperfine_beta();
    Splitting s;

    // Line positions relative to the centre of the spectrum.
    const float al1 = l1 - is;
    const float al2 = l2 - is;
    const float al6 = l6 - is;

    float hh = square(al1 + al2) + square(al2 + al6) + square(al1 + al6) - square(qas);
    float h = hh * beta / 2.0f + square(al2 + al1);
    if (h < 0.0f) return s;
    // Magnetic energy of the ground state (its moment times the field), mm/s.
    h = (std::sqrt(h) + (al1 + al2)) / beta;
    s.haeu = ctms * h / amueg;
    s.reach = Splitting::Reach::field;

    // Everything in units of half the splitting.  A zero splitting leaves no
    // scale: every quantity below would be infinite or not a number.
    const float quad = std::fabs(qas / 2.0f);
    if (quad == 0.0f) return s;
    h = h / quad;
    const float x = al2 / quad;
    const float al = al1 / quad;
    const float r = al6 / quad;

    float h1 = x + al;
    float h3 = r + al;
    const float h0 = -((2.0f * h + h3) / 2.0f);
    if (x > h0) return s;

    const float c1 = 2.0f * r + h1;
    const float c2 = x - al;
    const float d = -(2.0f * h + h1);

    // Coefficients of the quadratic in the angular terms.
    h1 = square(c1);
    const float h2 = square(c2);
    h3 = square(d);
    const float a2 = -((2.0f * h3 + h1 + h2) / 4.0f);
    s.a1 = -((d / 4.0f) * (h1 - h2));
    if (qas < 0.0f) s.a1 = -s.a1;
    s.a0 = (h3 - h1) * (h3 - h2) / 16.0f;

    s.am2 = -((a2 + 2.0f) / 10.0f);
    s.reach = s.am2 < 0.00001f ? Splitting::Reach::degenerate : Splitting::Reach::quadratic;
    return s;
}

void solve_at_eta(const Splitting& split, float eta, int32_t ioct, float& haeu, float& phi_h,
                  float& teta_h, bool& b_exist) {
    if (split.reach == Splitting::Reach::nothing) return;
    haeu = split.haeu;
    if (split.reach == Splitting::Reach::field) return;
    const float am2 = split.am2;
    if (split.reach == Splitting::Reach::degenerate) {
        message(" am2=-(a2++2)/10 =", am2, " is < 0.00001");
        return;
    }

    const float eta2 = eta * eta;
    const float h1 = eta2 / 3.0f + 1.0f;
    const float h2 = std::sqrt(h1) * split.a1 / 8.0f / am2 + 2.0f;
    // sin^2 theta
    const float sint2 =
        (2.0f * h2 +
         h1 * ((2.0f * am2 * (5.0f - eta2) / h1 + (split.a0 - 9.0f * am2 * am2) - 1.0f) / 4.0f /
               am2)) /
        (9.0f - eta2);
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

    float teta = arcos(std::sqrt(1.0f - sint2));
    const float phi = arcos(cos2p) / 2.0f;

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

void lines_l_h(float qas, float eta, float is, float l1, float l2, float l6, int32_t ioct,
               float& haeu, float& phi_h, float& teta_h, bool& b_exist) {
    solve_at_eta(splitting_terms(qas, is, l1, l2, l6), eta, ioct, haeu, phi_h, teta_h, b_exist);
}

}  // namespace zorb
