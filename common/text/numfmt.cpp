// Writing one number under an edit descriptor.
//
// The digits come from the value itself in single precision, one at a time:
// the decimal exponent from log10f (with a small upward nudge, 0.00001, so
// that an exact power of ten is not taken for the one below), then each digit
// as the whole part of z/10**k + 0.000001, subtracted from z before the next.
// Rounding looks at the one digit after the last kept: 6 to 9 round up, 5 and
// below do not.  A value shown this way and read back with the number reader
// gives the digits shown, which is what the value prompts rely on.
//
// Two guards keep the nudges from showing a different number:
// - A digit is never so large that the digits so far exceed the value by more
//   than 0.4 of the last unit shown (digits finer than the value's own
//   precision aside), the unit being that of the decade the value lies in.
//   Rounding up on a 6 to 9 never shows more than that; only the per-digit
//   nudge could, and it did for values one step below a new leading digit:
//   1999999 under i8 showed 2000000, 1999.999 under f10.3 showed 2000.000,
//   99999.898 under e15.5 showed 1.00000e5.  Where the nudge's step is within
//   that margin it stands (9.99999605e-24 under e15.5 is 1.00000e-23).
// - A leading digit 0 means the value lies in the decade below (99.998 would
//   show as 099.998): the digits are taken again one decade lower.

#include "numfmt.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace zorb {

namespace {

enum class Kind { integer, fixed, exponent, label };

struct Descriptor {
    bool plus = false;  // "+": a plus sign before positive values and exponents
    char letter = ' ';  // the type letter as written (the exponent form repeats it)
    Kind kind = Kind::fixed;
    int nn = 0;   // field width
    int iep = 0;  // decimals
};

// Blanks, an optional "+", the type letter, one or two digits of width,
// optionally "." and one or two digits of decimals.
Descriptor read_descriptor(const Text7& formatch) {
    Descriptor d;
    int p = 1;
    while (p <= 7 && formatch(p) == ' ') ++p;
    if (p <= 7 && formatch(p) == '+') {
        d.plus = true;
        ++p;
    }
    d.letter = p <= 7 ? formatch(p) : ' ';
    ++p;
    auto two_digits = [&](int& value) {
        value = 0;
        for (int k = 0; k < 2 && p <= 7 && formatch(p) >= '0' && formatch(p) <= '9'; ++k, ++p)
            value = 10 * value + (formatch(p) - '0');
    };
    two_digits(d.nn);
    if (p <= 7 && formatch(p) == '.') {
        ++p;
        two_digits(d.iep);
    }
    switch (d.letter) {
        case 'i': case 'I': d.kind = Kind::integer; break;
        case 'e': case 'E': d.kind = Kind::exponent; break;
        case 'a': case 'A': d.kind = Kind::label; break;
        default: d.kind = Kind::fixed; break;  // f/F, and any letter the system never uses
    }
    return d;
}

// The rounded digits of a value.  Index 0 is the leading digit, at the place
// 10**iex; index -1 takes a carry into a new leading digit (jex is then -1).
// Wide enough for two-digit decimals on any value the fixed form is used for
// (at most 10**10), so no descriptor can make the extraction leave the array.
struct Digits {
    static constexpr int lo = -2, hi = 127;
    int iex = 0;  // decimal exponent of the leading digit (raised by a carry in
                  // the exponent and label forms)
    int jex = 0;  // first digit to write: 0, or -1 after a carry
    int last = 0;
    int ii_store[hi - lo + 1] = {};
    int& ii(int k) { return ii_store[k - lo]; }
    int at(int k) const { return (k >= lo && k <= hi) ? ii_store[k - lo] : 0; }
    // The digit at the place 10**p of the rounded value.
    int at_place(int p) const {
        const int k = iex - p;
        return k >= jex && k <= last ? at(k) : 0;
    }
};

// The whole part of x as a digit.  Only a nudge ever makes a remainder
// negative, and then by less than one, so 0 is that digit; far larger
// quotients appear only once the place value has underflowed.
int whole_part(float x) {
    if (!(x > 0.0f && x < 1000.0f)) return 0;
    return static_cast<int>(x);
}

int last_kept(Kind kind, int iep, int iex) {
    int last = iep;
    if (kind == Kind::integer) last = iex;
    if (kind == Kind::fixed) last = iep + iex;
    return last < 0 ? -1 : last;
}

// Digits 0 .. last+1 of z, taken at the decade iex.
void take_digits(float z, Kind kind, int iep, int iex, Digits& d) {
    d.iex = iex;
    d.last = last_kept(kind, iep, iex);
    const double zv = z;
    // Only digits at a place of at least the spacing of floats at z are what
    // z holds; finer ones, and a step of less than half that spacing, are left
    // as the nudge makes them.
    const double spacing = static_cast<double>(std::nextafterf(z, INFINITY)) - zv;
    double place = std::pow(10.0, iex);
    // The last unit shown is that of the decade the value lies in.  The nudge
    // on log10 may put iex one decade above a value just below a power of
    // ten.  The exponent and label forms keep their count of digits, so in the
    // value's own decade their last unit is ten times finer; the unit of the
    // decade above would let 99999.898 pass as 1.00000e5 under e15.5, where
    // six digits give 9.99999e4.  The integer and fixed forms have the same
    // unit in either decade.
    const int shown = zv < place ? iex - 1 : iex;
    const double margin =
        std::max(0.4 * std::pow(10.0, shown - last_kept(kind, iep, shown)), spacing / 2.0);
    float e10 = powf(10.0f, static_cast<float>(iex));
    double so_far = 0.0;  // the digits taken, as a number
    d.ii(-1) = 0;
    for (int k = 0; k <= d.last + 1; ++k) {
        int digit = e10 > 0.0f ? whole_part(z / e10 + 0.000001f) : 0;
        if (k <= d.last && place >= spacing)
            while (digit > 0 && so_far + digit * place - zv > margin) --digit;
        z = z - static_cast<float>(digit) * e10;
        so_far += digit * place;
        e10 = e10 / 10.0f;
        place /= 10.0;
        d.ii(k) = digit;
    }
}

// Rounding on the single digit after the last kept: 6 to 9 round up, and
// carries pass to the left, into index -1 at most.
void round_digits(Kind kind, Digits& d) {
    if (d.ii(d.last + 1) > 5) d.ii(d.last) += 1;
    for (int k = d.last; k >= 0; --k) {
        if (d.ii(k) > 9) {
            d.ii(k) = 0;
            d.ii(k - 1) += 1;
        }
    }
    d.jex = d.ii(-1) > 0 ? -1 : 0;
    if (d.jex == -1 && (kind == Kind::exponent || kind == Kind::label)) d.iex += 1;
}

// The rounded digits of z >= 0 under the descriptor.
Digits digits_of(float z, const Descriptor& f) {
    int iex = 0;
    if (z != 0.0f) iex = static_cast<int>(log10f(z) + 0.00001f);
    if (z < 1.0f) iex = iex - 1;
    Digits d;
    take_digits(z, f.kind, f.iep, iex, d);
    if (z != 0.0f && d.ii(0) == 0) take_digits(z, f.kind, f.iep, iex - 1, d);
    round_digits(f.kind, d);
    return d;
}

char digit_char(int d) { return static_cast<char>('0' + (d < 0 ? 0 : d > 9 ? 9 : d)); }

// Integer form: the digits down to the units; a value that rounds below 1 is a
// lone 0 at the right of the field, without a sign.
std::string integer_text(const std::string& sign, const Digits& d, int nn) {
    if (d.iex < d.jex) return std::string(static_cast<std::size_t>(nn > 1 ? nn - 1 : 0), ' ') + '0';
    std::string t = sign;
    for (int p = d.iex - d.jex; p >= 0; --p) t += digit_char(d.at_place(p));
    return t;
}

// Fixed form: the whole part (at least one digit), ".", iep decimals.
std::string fixed_text(const std::string& sign, const Digits& d, int iep) {
    std::string t = sign;
    const int top = d.iex - d.jex > 0 ? d.iex - d.jex : 0;
    for (int p = top; p >= 0; --p) t += digit_char(d.at_place(p));
    t += '.';
    for (int p = -1; p >= -iep; --p) t += digit_char(d.at_place(p));
    return t;
}

// The mantissa of the exponent and label forms: one digit, ".", iep digits.
std::string mantissa_text(const std::string& sign, const Digits& d, int iep) {
    std::string t = sign + digit_char(d.at(d.jex)) + '.';
    for (int k = d.jex + 1; k <= d.jex + iep; ++k) t += digit_char(d.at(k));
    return t;
}

// The power of ten: "-" or (with the plus flag) "+", then its digits.
std::string power_text(int iex, bool plus) {
    std::string t = iex < 0 ? "-" : plus ? "+" : "";
    return t + std::to_string(iex < 0 ? -iex : iex);
}

std::string exponent_text(const std::string& sign, const Digits& d, const Descriptor& f) {
    return mantissa_text(sign, d, f.iep) + f.letter + power_text(d.iex, f.plus);
}

// Label form: the power written with raise and lower marks, 1.5*10@u3@n.
std::string label_text(const std::string& sign, const Digits& d, const Descriptor& f) {
    return mantissa_text(sign, d, f.iep) + "*10@u" + power_text(d.iex, f.plus) + "@n";
}

// Values without digits.
std::string special_text(float rn, bool plus) {
    if (std::isnan(rn)) return "NaN";
    if (rn < 0) return "-Infinity";
    return plus ? "+Infinity" : "Infinity";
}

std::string number_text(float rn, const Descriptor& f) {
    if (!std::isfinite(rn)) return special_text(rn, f.plus);
    const std::string sign = rn < 0 ? "-" : f.plus ? "+" : "";
    const Digits d = digits_of(std::fabs(rn), f);
    switch (f.kind) {
        case Kind::integer: return integer_text(sign, d, f.nn);
        case Kind::exponent: return exponent_text(sign, d, f);
        case Kind::label: return label_text(sign, d, f);
        default: return fixed_text(sign, d, f.iep);
    }
}

void put_text(Text24& f, const std::string& s) {
    f.fill(' ');
    for (std::size_t k = 0; k < s.size() && k < 24; ++k) f.c[k] = s[k];
}

}  // namespace

void trlnu(Text7& formatch, float rn, Text24& chr, int& nn, Text24& chl, int& im) {
    if (std::fabs(rn) > 1.0e10f) formatch.assign("e15.5");
    chl.fill(' ');
    chr.fill(' ');
    const Descriptor f = read_descriptor(formatch);
    nn = f.nn;
    if (nn >= 25) {
        chl.fill('*');
        chr.fill('*');
        im = 24;
        return;
    }

    std::string text = number_text(rn, f);
    if (static_cast<int>(text.size()) > nn) {
        // Too wide for its field: framed by "***" on both sides, cut to 24.
        // im counts the frame, so that the text shown as chl(1:im) holds the
        // whole number and reads back as the value.
        text = "***" + text + "***";
        if (text.size() > 24) text.resize(24);
        put_text(chl, text);
        put_text(chr, text);
    } else {
        put_text(chl, text);
        for (std::size_t k = 0; k < text.size(); ++k)
            chr(nn - static_cast<int>(text.size()) + 1 + static_cast<int>(k)) = text[k];
    }
    im = static_cast<int>(text.size());
}

}  // namespace zorb
