/* The steps of sixline's `lines_l_h` as a plain single-precision C function
 * (octant 1, no screen messages): the yardstick of the benchmarks and of
 * the fine-scan listing.  Included by bench/fine_scan_ref.c and
 * bench/hyperfine.cpp; compiled with -ffp-contract=off like the programs.
 *
 * plain_lines returns 1 with the field and the angles when the grid point
 * has a solution, 0 when it has none and sixline says nothing, -1 when it
 * has none and sixline prints one of its two messages. */
#ifndef ZORB_BENCH_LINES_PLAIN_H
#define ZORB_BENCH_LINES_PLAIN_H

#include <math.h>

static const float plain_ctms = 15.2502f;
static const float plain_amueg = 0.090604f;
static const float plain_amuea = -0.15531f;
static const float plain_pi2 = 1.5707964f;

static inline float plain_sq(float v) { return v * v; }

static inline float plain_arcos(float h) {
    float h2 = h * h;
    if (h2 >= 1.0f) return h < 0.0f ? plain_pi2 + plain_pi2 : 0.0f;
    if (fabsf(h) < 0.0001f) return plain_pi2;
    float a = atanf(sqrtf(1.0f - h2) / h);
    if (h < 0.0f) a = a + (plain_pi2 + plain_pi2);
    return a;
}

static inline int plain_lines(float beta, float qas, float eta, float is, float l1, float l2, float l6,
                 float* haeu, float* phi_h, float* teta_h) {
    float al1 = l1 - is, al2 = l2 - is, al6 = l6 - is;
    float hh = plain_sq(al1 + al2) + plain_sq(al2 + al6) + plain_sq(al1 + al6) - plain_sq(qas);
    float h = hh * beta / 2.0f + plain_sq(al2 + al1);
    if (h < 0.0f) return 0;
    h = (sqrtf(h) + (al1 + al2)) / beta;
    *haeu = plain_ctms * h / plain_amueg;
    float quad = fabsf(qas / 2.0f);
    if (quad == 0.0f) return 0;
    h = h / quad;
    float x = al2 / quad, al = al1 / quad, r = al6 / quad;
    float h1 = x + al, h3 = r + al;
    float h0 = -((2.0f * h + h3) / 2.0f);
    if (x > h0) return 0;
    float c1 = 2.0f * r + h1, c2 = x - al, d = -(2.0f * h + h1);
    h1 = plain_sq(c1);
    float h2 = plain_sq(c2);
    h3 = plain_sq(d);
    float a2 = -((2.0f * h3 + h1 + h2) / 4.0f);
    float a1 = -((d / 4.0f) * (h1 - h2));
    if (qas < 0.0f) a1 = -a1;
    float a0 = (h3 - h1) * (h3 - h2) / 16.0f;
    float am2 = -((a2 + 2.0f) / 10.0f);
    if (am2 < 0.00001f) return -1;
    float eta2 = eta * eta;
    h1 = eta2 / 3.0f + 1.0f;
    h2 = sqrtf(h1) * a1 / 8.0f / am2 + 2.0f;
    float sint2 =
        (2.0f * h2 +
         h1 * ((2.0f * am2 * (5.0f - eta2) / h1 + (a0 - 9.0f * am2 * am2) - 1.0f) / 4.0f / am2)) /
        (9.0f - eta2);
    if (sint2 != sint2) return 0;
    if (sint2 < 0.0f || sint2 > 1.0f) return -1;
    float cos2p = 1.0f;
    if (!(sint2 < 0.00001f || eta < 0.0001f)) {
        cos2p = (3.0f - h2 / sint2) / eta;
        if (!(fabsf(cos2p) <= 1.0f)) return 0;
    }
    *teta_h = plain_arcos(sqrtf(1.0f - sint2));
    *phi_h = plain_arcos(cos2p) / 2.0f;   /* octant 1 */
    return 1;
}

/* 10 (mu_e / mu_g)^2 / 9 - 2 in single precision, step by step. */
static inline float plain_beta(void) {
    float ratio = plain_amuea / plain_amueg;
    float b = ratio * ratio * 10.0f;
    return b / 9.0f - 2.0f;
}

#endif
