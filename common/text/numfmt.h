// Writing one number under an edit descriptor (i, f, e, and the label form a).
#pragma once

#include "field.h"

namespace zorb {

// rn as text under formatch: left-justified in chl with its length im, and
// right-justified in the descriptor's width nn in chr.  A value above 1e10 in
// magnitude rewrites formatch to "e15.5".  A text wider than nn is framed as
// "***text***" (cut to 24) in both chl and chr, and im is the framed length,
// so chl(1:im) always shows the whole number.  A width of 25 or more gives 24
// asterisks and im = 24.  NaN and the infinities are written as "NaN",
// "Infinity" and "-Infinity".
void trlnu(Text7& formatch, float rn, Text24& chr, int& nn, Text24& chl, int& im);

}  // namespace zorb
