#include "intensities.h"

#include <cmath>
#include <string>
#include <vector>

#include "fortfmt.h"
#include "gaussj.h"
#include "reliability.h"
#include "units.h"

namespace zorb {

namespace {

// The tables of fracfit (not those of select: weights and one nickel value
// differ).  Energy m uses entries ik(m) and ik(m)+1, one for each of the two
// lines that make it up (K-alpha and K-beta, say).
const int32_t ik[energy_count + 1] = {0, 3, 5, 7, 1, 9, 11, 13, 15};
// Share of each line in its energy.
const float el[17] = {0,     0.889f, 0.111f, 1.0f,   0.0f,   0.889f, 0.111f, 0.82f, 0.18f,
                      0.867f, 0.133f, 0.885f, 0.115f, 0.675f, 0.325f, 1.0f,   0.0f};
// Attenuation coefficients, 1/mm.  Nickel's Cu K-beta value (8.90 keV, above
// nickel's K edge at 8.33 keV) is 252/mm, six times its Cu K-alpha value.
const float alcoeff[17] = {0,     26.52f, 20.13f, 2.5f,  2.5f,  0.041f, 0.0391f, 0.914f, 0.691f,
                           13.39f, 10.29f, 11.25f, 8.227f, 6.38f, 3.939f, 0.06f,  0.058f};
const float nicoeff[17] = {0,     79.06f, 57.43f, 72.646f, 72.646f, 0.286f, 0.233f, 28.24f, 21.39f,
                           43.33f, 252.0f, 272.6f, 210.7f,  169.4f,  109.9f, 0.838f, 0.773f};

void say(const std::string& text) { write_line(unit_screen, text); }

// A real truncated toward zero, in w columns; one that no integer holds
// fills the field with asterisks.
std::string truncated(float v, int w) {
    if (!(std::fabs(v) < 9.2e18f)) return std::string(static_cast<std::size_t>(w), '*');
    return fmt_i(static_cast<int64_t>(v), w);
}

// The diagnostic line of one matrix element.
void name_line(const EnergyLabels& enel, int m, int j, int nt) {
    std::string line = " name i,j=" + std::string(enel(m).view()) + fmt_i(ik[m], 12) + fmt_i(j, 12);
    if (j != nt) line += fmt_i(nt, 12);
    say(line);
}

}  // namespace

const EnergyLabels& fracfit_labels() {
    static const EnergyLabels labels = [] {
        EnergyLabels l;
        const char* const text[energy_count] = {"    57Fe14.4", "   Fe122/136", " Rh20.2/22.7",
                                                "   Fe6.4/7.0", "   Cu8.0/8.9", "   Zn8.6/9.6",
                                                " Pb10.5/12.6", " Pb72.8/75.0"};
        for (int m = 1; m <= energy_count; ++m) l(m) = Text12(text[m - 1]);
        return l;
    }();
    return labels;
}

LineTables fracfit_line_tables() { return {ik, el, alcoeff, nicoeff}; }

float transmission(int m, float t, bool nickel) {
    const float* mu = nickel ? nicoeff : alcoeff;
    const int i = ik[m];
    return el[i] * std::exp(-(mu[i] * t)) + el[i + 1] * std::exp(-(mu[i + 1] * t));
}

void rintensities(const IntensityInput& in, const EnergyLabels& enel) {
    const int nd = in.nd, nt = in.nt;
    Array1<float, 12> cn{}, ek{}, rs{};

    // Dead time: Nob/(1 - Nob/N*Ntau), N the count of line 1.
    const float cm1 = in.cm(1);
    float h = (1.0f / cm1) * in.ntau;
    for (int i = 1; i <= nd; ++i) {
        const int j = in.inth(i);
        cn(i) = in.cm(j) / (1.0f - in.cm(j) * h);
    }
    say(" selected counts:");
    std::string line;
    for (int i = 1; i <= nd; ++i) line += fmt_i(in.inth(i), 4);
    say(line);
    say(" corrected for deadtime[Nob/(1-Nob/N*Ntau)], Ntau=" + fmt_f(in.ntau, 6, 2));
    for (int i = 1; i <= nd; ++i) say(truncated(cn(i), 15));

    // The matrix: row k the energy, column l the thickness; solved through
    // its inverse.
    const std::size_t cells = static_cast<std::size_t>(nd) * static_cast<std::size_t>(nd);
    std::vector<float> a(cells), ai(cells);
    for (int k = 1; k <= nd; ++k) {
        const int m = in.lk(k);
        for (int l = 1; l <= nd; ++l) {
            const int j = in.inth(l);
            if (in.enwr1) name_line(enel, m, j, nt);
            a[(k - 1) + (l - 1) * nd] = transmission(m, in.thick(j), j == nt);
        }
    }
    d2r1(nd, a.data(), ai.data(), in.enwr1);

    // Transposed system: sum over k of att(k, i) * rs(k) = cn(i) / N.
    for (int i = 1; i <= nd; ++i) cn(i) = cn(i) / cm1;
    h = 0;
    for (int i = 1; i <= nd; ++i) {
        float s = 0;
        for (int k = 1; k <= nd; ++k) s = s + ai[(k - 1) + (i - 1) * nd] * cn(k);
        rs(i) = s;
    }
    for (int i = 1; i <= nd; ++i) h = h + rs(i);

    say("");
    say(" calculated relative intensities  normalized to 1");
    say("");
    line.clear();
    for (int i = 1; i <= nd; ++i) line += "  " + std::string(enel(in.lk(i)).view());
    say(line);
    line.clear();
    for (int i = 1; i <= nd; ++i) line += "  " + fmt_f(rs(i) / h, 12, 5);
    say(line);

    // Everything in the window that is not the 14.4 keV line (energy 1).
    int j14 = 0;
    for (int k = 1; k <= nd; ++k)
        if (ik[in.lk(k)] == 3) j14 = k;
    const float bg = j14 > 0 ? 1.0f - rs(j14) / h : 0.0f;
    if (j14 > 0)
        say("     bg_fraction=" + fmt_f(bg, 9, 3));
    else
        say("     bg_fraction: not defined, energy 1 (57Fe14.4) is not among the selected");

    // Every line read, selected or not, recalculated from the intensities,
    // with the dead time put back.
    for (int j = 1; j <= nt; ++j) {
        if (!in.valid(j)) continue;
        float s = 0;
        for (int k = 1; k <= nd; ++k) s = s + transmission(in.lk(k), in.thick(j), j == nt) * rs(k);
        ek(j) = cm1 * s;
        ek(j) = ek(j) / ((ek(j) / cm1) * in.ntau + 1.0f);
    }
    say("");
    say("Nr    mm       counts     calc         *sigma");
    for (int i = 1; i <= nt; ++i) {
        if (!in.valid(i)) continue;
        say(fmt_i(i, 2) + fmt_f(in.thick(i), 10, 4) + fmt_f(in.cm(i), 11, 0) + fmt_f(ek(i), 11, 0) +
            fmt_f((ek(i) - in.cm(i)) / std::sqrt(in.cm(i)), 10, 1));
    }
    print_reliability(in, enel, a.data(), ai.data(), bg);
}

}  // namespace zorb
