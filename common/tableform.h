// Deriving edit descriptors from a line of numbers written as text.
#pragma once

#include "field.h"

namespace zorb {

using Code4 = Field<4>;
using Desc5 = Field<5>;

// Four-character codes of the numbers of ch132 (consumed), n of them.
void fout_a(Text132& ch132, Array1<Code4, 32>& chf, int& n);
// Descriptors of one common width for the first lf codes.
void fcolumn(const Array1<Code4, 24>& chf, int lf, Array1<Desc5, 24>& chfmt);
// A whole format text for the numbers of ch132 (consumed); j is its length.
void fout_c(Text132& ch132, Text132& chfmt, int& j);

}  // namespace zorb
