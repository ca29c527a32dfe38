// The attenuation tables of select and fracfit checked against physics: every
// coefficient must lie within 15% of the linear attenuation coefficient that
// xraylib's total cross sections give (coherent and incoherent scattering
// and photo absorption) for the energy of its line, and the two weights of
// each energy must add up to 1.
//
// Linear attenuation, 1/mm = mass attenuation (cm2/g) * density (g/cm3) / 10,
// with aluminium 2.699 g/cm3, nickel 8.908 g/cm3 and Plexi, C5H8O2,
// 1.19 g/cm3.  The line energies are those the labels name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "coeff.h"
#include "intensities.h"

#ifdef ZORB_HAVE_XRAYLIB
#include <xraylib/xraylib.h>
#endif

namespace {

using namespace zorb;

// Energy (keV) of the line at each position 1 to 16 of both programs' tables.
const double line_kev[17] = {0,     6.40, 7.06,  14.41, 14.41, 122.06, 136.47, 20.17, 22.72,
                             8.05,  8.91, 8.64,  9.57,  10.55, 12.61,  72.8,   75.0};

struct Material {
    const char* name;
    const char* formula;   // for xraylib's compound parser
    double density;        // g/cm3
};
const Material aluminium{"Al", "Al", 2.699}, nickel{"Ni", "Ni", 8.908},
    plexi{"Plexi", "C5H8O2", 1.19};

// One table of 16 coefficients of one material in one program.
struct Table {
    const char* program;
    Material material;
    float (*at)(int position);
};
const Table tables[] = {
    {"select", aluminium, [](int m) { return coeff.alcoeff(m); }},
    {"select", plexi, [](int m) { return coeff.plcoeff(m); }},
    {"select", nickel, [](int m) { return coeff.nicoeff(m); }},
    {"fracfit", aluminium, [](int m) { return fracfit_line_tables().alcoeff[m]; }},
    {"fracfit", nickel, [](int m) { return fracfit_line_tables().nicoeff[m]; }},
};

TEST(AttenuationTables, WeightsOfEachEnergyAddUpToOne) {
    const LineTables f = fracfit_line_tables();
    for (int k = 1; k <= 8; ++k) {
        const int s = coeff.ik(k);
        EXPECT_NEAR(coeff.el(s) + coeff.el(s + 1), 1.0f, 1e-6f) << "select, energy " << k;
        const int i = f.ik[k];
        EXPECT_NEAR(f.el[i] + f.el[i + 1], 1.0f, 1e-6f) << "fracfit, energy " << k;
        // Both programs place energy k at the same positions of the tables.
        EXPECT_EQ(s, i) << "energy " << k;
    }
}

#ifdef ZORB_HAVE_XRAYLIB
// xraylib's linear attenuation coefficient, 1/mm.
double linear_attenuation(const Material& m, double kev) {
    xrl_error* error = nullptr;
    const double cm2_per_g = CS_Total_CP(m.formula, kev, &error);
    if (error) {
        ADD_FAILURE() << "xraylib: " << error->message;
        xrl_error_free(error);
        return NAN;
    }
    return cm2_per_g * m.density / 10.0;
}
#endif

TEST(AttenuationTables, EveryCoefficientWithinFifteenPercentOfXraylib) {
#ifndef ZORB_HAVE_XRAYLIB
    GTEST_SKIP() << "xraylib (Debian libxrl-dev) was not found when the tests were configured; "
                    "tools/setup installs it";
#else
    double worst = 1.0;
    std::string where;
    for (const Table& t : tables) {
        for (int m = 1; m <= 16; ++m) {
            const double reference = linear_attenuation(t.material, line_kev[m]);
            const double ratio = t.at(m) / reference;
            EXPECT_NEAR(ratio, 1.0, 0.15)
                << t.program << " " << t.material.name << " position " << m << " ("
                << line_kev[m] << " keV): " << t.at(m) << "/mm, xraylib " << reference << "/mm";
            if (std::fabs(std::log(ratio)) > std::fabs(std::log(worst))) {
                worst = ratio;
                where = std::string(t.program) + " " + t.material.name + " at " +
                        std::to_string(line_kev[m]) + " keV";
            }
        }
    }
    std::printf("worst ratio table/xraylib: %.3f (%s)\n", worst, where.c_str());
#endif
}

}  // namespace
