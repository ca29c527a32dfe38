// Menu selection: pick one of up to 64 entries by typing a substring or with
// the arrow keys, accept with Return.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

// Menu entries, help topics and layout bookkeeping.  The caller fills
// `queryar`, `helpar` and `ext`; `query` fills the rest on every call.
struct ScrdRecord {
    Array1<Text132, 64> queryar;   // entry texts
    Array1<Text132, 64> helpar;    // help topic of each entry
    Array1<Text16, 64> ext;        // suffix shown after the entry text
    Array1<Text132, 64> type;      // display text of each entry
    Array1<int32_t, 64> ld{};      // length of ext(k)
    Array1<int32_t, 64> lw{};      // length of queryar(k) after the cut
    Array1<int32_t, 64> laenge{};  // width of the display field of entry k
    Array1<int32_t, 65, 0> lpart{};  // entries in display row r; lpart(0) = 0
};
extern ScrdRecord scrd;

// The menu of scrd entries 1..lq.  Returns the chosen entry in lq (0: none).
void query(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf);
// The second form: fixed 80-column layout, explicit units.
void query2(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf, int ncol, int nrd, int nwr);

}  // namespace zorb
