// Fortran-style field output: how the programs print numbers in columns.
//
// Every printed number of the suite goes through here so that it comes out as
// a Fortran compiler writes it: right-aligned; a number too wide for its field
// fills the field with asterisks; NaN is "NaN" whatever its sign bit, the
// infinities "Infinity"/"-Infinity" ("Inf"/"-Inf" where that does not fit);
// decimal digits correctly rounded from the binary value (ties to even).
#pragma once

#include <cstdint>
#include <string>

namespace zorb {

// Iw: an integer in w columns.
std::string fmt_i(int64_t v, int w);
// Fw.d: fixed point, d decimals ("2." for F11.0).
std::string fmt_f(float v, int w, int d);
// Fw.d appended to out (w characters): a table row built field by field in
// one string, without a string per field.
void append_f(std::string& out, float v, int w, int d);
// Gw.d: fixed or exponent form by the value's size (G12.3: "100.    ", "0.500E-01").
std::string fmt_g(float v, int w, int d);
// List-directed REAL: the item as `write(*,*) x` writes it, leading blank
// included (9 significant digits in a 16-column item).
std::string fmt_ld(float v);
// List-directed INTEGER item (a blank, then the value right-aligned in 11).
std::string fmt_ld_int(int32_t v);
// A printed field without the blanks around it, for a number quoted in a
// sentence.
std::string without_blanks(const std::string& field);

}  // namespace zorb
