#include "coeff.h"

namespace zorb {

// Nickel's coefficient for Cu K-beta (8.90 keV, above nickel's K edge at
// 8.33 keV) is 252/mm: about 280 cm2/g at 8.908 g/cm3, six times its Cu K-alpha
// value, which is why nickel foils filter Cu K-beta.
CoeffRecord coeff = {
    {{26.52f, 20.13f, 2.5f, 2.5f, 0.041f, 0.0391f, 0.914f, 0.691f, 13.39f, 10.29f, 11.25f,
      8.227f, 6.38f, 3.939f, 0.06f, 0.058f}},
    {{1.543f, 1.155f, 0.148f, 0.148f, 0.0183f, 0.0175f, 0.067f, 0.055f, 0.757f, 0.578f, 0.631f,
      0.461f, 0.358f, 0.226f, 0.0213f, 0.021f}},
    {{79.06f, 57.43f, 72.647f, 72.647f, 0.286f, 0.233f, 28.24f, 21.39f, 43.33f, 252.0f, 272.6f,
      210.7f, 169.4f, 109.9f, 0.838f, 0.773f}},
    {{0.834f, 0.166f, 1.0f, 0.0f, 0.889f, 0.111f, 0.828f, 0.172f, 0.88f, 0.12f, 0.878f, 0.122f,
      0.675f, 0.325f, 1.0f, 0.0f}},
    {{3, 5, 7, 1, 9, 11, 13, 15}},
    {{0, 0, 0, 0, 0, 0, 0, 0}},
    {{Text12("   57Fe14.41"), Text12("   Fe122/136"), Text12("Rh20.14/22.9"),
      Text12("  Fe6.4/7.06"), Text12("  Cu8.04/8.9"), Text12(" Zn8.63/9.57"),
      Text12(" Pb10.5/12.6"), Text12(" Pb72.8/75.0")}},
    0, 0, 0, 0,
};

}  // namespace zorb
