// The relative intensities of the selected energies and the background
// fraction of the window, from counts behind absorbers of several thicknesses.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

constexpr int max_thickness_lines = 12;
constexpr int max_selected = 8;      // thicknesses, and energies, in one solve
constexpr int energy_count = 8;

using EnergyLabels = Array1<Text12, energy_count>;
// The labels of energies 1 to 8 as they are printed (right-aligned in 12).
const EnergyLabels& fracfit_labels();

// Transmission of energy m (1 to 8) through thickness t (mm) of aluminium, or
// of nickel when `nickel`: the two lines of the energy, each weighted by its
// share and attenuated by its own coefficient.
float transmission(int m, float t, bool nickel);

// The tables behind `transmission`, positions 1 to 16 (0 unused): energy m
// has its two lines at ik[m] and ik[m] + 1, each with its share el and its
// coefficients (1/mm) in aluminium and in nickel.
struct LineTables {
    const int32_t* ik;
    const float* el;
    const float* alcoeff;
    const float* nicoeff;
};
LineTables fracfit_line_tables();

// The data of one evaluation, as the driver has read and chosen them.
struct IntensityInput {
    int32_t nd = 0;                        // selected thicknesses = selected energies, 2 to 8
    int32_t nt = 0;                        // thickness lines of the data, at most 12
    float ntau = 0;                        // dead time times total count rate
    Array1<float, 13> thick{}, cm{};       // mm and counts of lines 1 to nt
    Array1<bool, 13> valid{};              // lines read from the file (others were skipped)
    Array1<int32_t, 12> inth{};            // the selected thickness lines
    Array1<int32_t, 8> lk{};               // the selected energies
    bool enwr1 = true;                     // diagnostic lines and the self-check
};

// Corrects the counts for dead time, solves for the intensities and prints
// them, the background fraction and the measured-versus-calculated table of
// every line read from the file.
void rintensities(const IntensityInput& in, const EnergyLabels& enel);

}  // namespace zorb
