// Reading every number of a line of free text.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

using NumberList = Array1<float, 32>;

// Reads the numbers among the first n_ch characters of chin (at most 132) into
// out(1..iout), iout at most 32.  Never fails: other characters separate.
// An exponent that follows the 32nd number is still applied to it; nothing is
// ever written beyond out(32).
void trlch(int n_ch, const Text132& chin, int& iout, NumberList& out);

}  // namespace zorb
