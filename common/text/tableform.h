// Deriving edit descriptors from a line of numbers written as text.
#pragma once

#include "field.h"

namespace zorb {

using Code4 = Field<4>;
using Desc5 = Field<5>;

// Numbers are separated by blanks and commas; a number is measured on its
// first 24 characters, and decimals are written as one digit (at most 9).

// Four-character codes of the numbers of ch132 (consumed), n of them.  At most
// 32 numbers are taken; any further ones stay in ch132.  A blank field gives 0.
void fout_a(Text132& ch132, Array1<Code4, 32>& chf, int& n);
// Descriptors of one common width for the first lf codes (at most 24);
// entries after lf are not touched.
void fcolumn(const Array1<Code4, 24>& chf, int lf, Array1<Desc5, 24>& chfmt);
// A whole format text for the numbers of ch132 (consumed); j is its length.
// The text holds at most 14 descriptors; further numbers stay in ch132.
void fout_c(Text132& ch132, Text132& chfmt, int& j);

}  // namespace zorb
