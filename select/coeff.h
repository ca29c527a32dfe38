// The attenuation data of select: coefficients of the three absorber
// materials, the relative weights of the lines, the energy numbers and their
// labels, and the current choice (energies and material).
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

// Each energy number k (1 to 8) is a pair of lines at positions ik(k) and
// ik(k) + 1 of the 16-position tables; the weights of a pair add up to 1.
struct CoeffRecord {
    Array1<float, 16> alcoeff;   // aluminium, per mm
    Array1<float, 16> plcoeff;   // Plexi, (C_5O_2H_8)n, per mm
    Array1<float, 16> nicoeff;   // nickel, per mm
    Array1<float, 16> el;        // relative weight of each line
    Array1<int32_t, 8> ik;       // first line of energy number k
    Array1<int32_t, 8> lk;       // the selected energy numbers, in the order chosen
    Array1<Text12, 8> enel;      // label of energy number k
    int32_t ip = 0;              // material offset: 0 aluminium, 16 Plexi, 32 nickel
    int32_t ncol = 0, nrd = 0, nwr = 0;   // dialogue width and channels

    // The three coefficient tables as one of 48 positions: position m of the
    // chosen material is mecoeff(m + ip).
    float mecoeff(int m) const {
        if (m <= 16) return alcoeff(m);
        if (m <= 32) return plcoeff(m - 16);
        return nicoeff(m - 32);
    }
};
extern CoeffRecord coeff;

}  // namespace zorb
