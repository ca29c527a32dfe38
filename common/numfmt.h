// Writing one number under an edit descriptor (i, f, e, and the label form a).
#pragma once

#include "field.h"

namespace zorb {

// rn as text under formatch: left-justified in chl with its length im, and
// right-justified in the descriptor's width nn in chr.  A value above 1e10 in
// magnitude rewrites formatch to "e15.5".
void trlnu(Text7& formatch, float rn, Text24& chr, int& nn, Text24& chl, int& im);

}  // namespace zorb
