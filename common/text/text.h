// String routines on fixed-width text fields.  None keeps state, allocates or
// prints; each works in place on the caller's field, except `text_length`,
// which only measures.  `stringlength`, `text_length`, `nextchar` and
// `ntrimto0` look at positions 1 to 131 only.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

// Left-justifies ch and returns the length of its text in il.
void stringlength(Text132& ch, int& il);
// The length stringlength gives, ch left as it is.
int text_length(const Text132& ch);
// Left-justifies ch and lower-cases the capital letters of its text.
void lc_character(Text132& ch);
// Last non-blank position at or before il (0 or above 132 start at 132).
void stringend(const Text132& ch, int& il);
// Next blank- or comma-separated item after position il: its position ip, the
// rest of the line from it in cha, and its length ia.
void nextchar(const Text132& chl, int& il, int& ip, Text132& cha, int& ia);
// Centres the text in the first ncol positions, margins filled with ch1.
// ncol above 132 counts as 132; a text longer than ncol stays left-justified
// and no margin is filled.
void chcenter(Text132& ch, char ch1, int ncol);
// nn as a signed decimal with a sign position: "-" or blank in position 1, the
// digits from position 2; 0 gives 8 blanks.  A number of more than 7 digits
// does not fit and fills the field with asterisks.
void itoc8(Text8& ch, int32_t nn);
// nn as digits from position 1; nn becomes the number of characters written.
// 0 gives 8 blanks and 0.  A negative nn is written with its "-".  A text of
// more than 8 characters does not fit: 8 asterisks, and nn is then 8.
void iptoc8(Text8& ch, int32_t& nn);
// A signed decimal integer read from ch (characters above "9" are blanked in
// the caller's field).  Eight characters always fit in 32 bits.
void c8toi(Text8& ch, int32_t& n);
// Left-justifies the text that ends at the first NUL; returns its length.
int ntrimto0(Text132& ch);

}  // namespace zorb
