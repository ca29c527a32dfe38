// Fortran-style field output.
//
// Decimal digits come from the C library's conversion of the exact binary
// value (a float widens to double without change), which rounds correctly
// with ties to even: 0.125 in F5.2 is 0.12, 2.5 in F11.0 is 2.  The choice
// between fixed and exponent form in G editing is made by comparing the value
// with thresholds computed in single precision, as the programs' Fortran
// runtime does: 99.95 in G12.3 is "100." and 0.9995 is "1.00".

#include "fortfmt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zorb {

namespace {

std::string stars(int w) { return std::string(w > 0 ? w : 0, '*'); }

std::string right(const std::string& s, int w) {
    if (static_cast<int>(s.size()) > w) return stars(w);
    return std::string(w - s.size(), ' ') + s;
}

// NaN and the infinities, right-aligned in w: the long spelling of an
// infinity where it fits, else the short one, else asterisks.
std::string special(float v, int w) {
    if (std::isnan(v)) return right("NaN", w);
    const bool neg = std::signbit(v);
    const std::string sign = neg ? "-" : "";
    if (static_cast<int>(sign.size()) + 8 <= w) return right(sign + "Infinity", w);
    return right(sign + "Inf", w);
}

// |v| with d decimals, the point always written ("2." for d = 0).
std::string fixed_digits(float v, int d) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%#.*f", d, std::fabs(static_cast<double>(v)));
    return buf;
}

// sign and body right-aligned in w; a body "0.xxx" loses its zero where the
// field has no room for it.
std::string fit(const std::string& sign, std::string body, int w) {
    if (static_cast<int>(sign.size() + body.size()) > w && body.size() > 1 && body[0] == '0' &&
        body[1] == '.')
        body.erase(0, 1);
    return right(sign + body, w);
}

// Fw.d of a finite value.  The sign of a negative value stays even when it
// rounds to zero.
std::string fixed(float v, int w, int d) {
    return fit(std::signbit(v) ? "-" : "", fixed_digits(v, d), w);
}

// Fw.d of a finite value from the integer v * 10**d, appended to out;
// false, with out untouched, where that product is not exact (d > 8) or does
// not fit the 53 bits of a double's integers.  Same layout as `fixed`: the
// sign of a negative value that rounds to zero stays, "0." loses its zero
// where the field has no room for it, too wide a number is asterisks.
bool fixed_exact(std::string& out, float v, int w, int d) {
    static constexpr double scale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    if (d > 8) return false;
    const double s = std::fabs(static_cast<double>(v)) * scale[d];
    if (!(s < 9007199254740992.0)) return false;
    uint64_t n = static_cast<uint64_t>(s);
    const double rest = s - static_cast<double>(n);  // exact: s and n share their high bits
    if (rest > 0.5 || (rest == 0.5 && (n & 1) != 0)) ++n;
    // The body from its last digit back: d decimals, the point, the whole part.
    char buf[32];
    char* const end = buf + sizeof buf;
    char* p = end;
    for (int k = 0; k < d; ++k, n /= 10) *--p = static_cast<char>('0' + n % 10);
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    const int neg = std::signbit(v) ? 1 : 0;
    int len = static_cast<int>(end - p);
    if (neg + len > w && p[0] == '0') {  // "0." and its decimals
        ++p;
        --len;
    }
    if (neg + len > w) {
        out.append(static_cast<std::size_t>(w), '*');
        return true;
    }
    out.append(static_cast<std::size_t>(w - neg - len), ' ');
    if (neg) out.push_back('-');
    out.append(p, static_cast<std::size_t>(len));
    return true;
}

// Powers of ten as the runtime builds them in single precision: repeated
// multiplication, a division for negative powers.
float power_of_ten(int n) {
    float r = 1.0f;
    for (int i = 0; i < (n >= 0 ? n : -n); ++i) r *= 10.0f;
    return n >= 0 ? r : 1.0f / r;
}

// The exponent form 0.ddd E+ee (lead = 0) or d.ddd E+ee (lead = 1) of a finite
// value with d significant digits, right-aligned in w; the exponent has two
// digits, or three without the letter when it needs them.
std::string exponent_form(float v, int d, int lead, int w) {
    const std::string sign = std::signbit(v) ? "-" : "";
    const int sig = d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", sig > 0 ? sig - 1 : 0, std::fabs(static_cast<double>(v)));
    // buf is "D.DDDe+XX"; collect the digits and the decimal exponent.
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int e10 = *p == 'e' ? std::atoi(p + 1) : 0;
    const bool zero = v == 0.0f;
    int ex = zero ? 0 : (lead == 1 ? e10 : e10 + 1);
    std::string mant;
    if (lead == 1)
        mant = digits.substr(0, 1) + "." + digits.substr(1);
    else
        mant = "0." + digits;
    char eb[16];
    const int ae = ex < 0 ? -ex : ex;
    if (ae <= 99)
        std::snprintf(eb, sizeof eb, "E%c%02d", ex < 0 ? '-' : '+', ae);
    else
        std::snprintf(eb, sizeof eb, "%c%03d", ex < 0 ? '-' : '+', ae);
    return fit(sign, mant + eb, w);
}

// G editing with d significant digits in w columns (exponent part of four).
// value_digits is d; fixed form is F(w-4).(d-i) followed by four blanks, i the
// number of digits before the point that the value gets.
std::string general(float v, int w, int d, int lead_in_exponent) {
    const int n = 4;
    const float m = std::fabs(v);
    if (m == 0.0f) {
        std::string f = fixed(v, w - n, d > 0 ? d - 1 : 0);
        if (f[0] == '*') return stars(w);
        return f + std::string(n, ' ');
    }
    const float r = 0.5f;
    const float rexp_d = power_of_ten(-d);
    // Exponent form from 10**d - r up: compared as a difference, because the
    // product 10**-d * (m + r) rounds up to 1 just below the boundary.
    const float exp_d = power_of_ten(d);
    const bool use_exponent = m < 0.1f - 0.1f * r * rexp_d || r >= exp_d - m;
    if (use_exponent) return exponent_form(v, d, lead_in_exponent, w);
    // Digits before the point: the number of boundaries 10**j * (1 - r*10**-d),
    // j = 0 .. d-1, that the value reaches.
    const float scale = 1.0f - r * rexp_d;
    int i = 0;
    while (i < d && !(m < power_of_ten(i) * scale)) ++i;
    std::string f = fixed(v, w - n, d - i);
    if (f[0] == '*') return stars(w);
    return f + std::string(n, ' ');
}

}  // namespace

std::string fmt_i(int64_t v, int w) {
    if (w <= 0) return {};
    return right(std::to_string(v), w);
}

std::string fmt_f(float v, int w, int d) {
    std::string s;
    append_f(s, v, w, d);
    return s;
}

void append_f(std::string& out, float v, int w, int d) {
    if (w <= 0) return;
    if (d < 0) d = 0;
    if (!std::isfinite(v))
        out += special(v, w);
    else if (!fixed_exact(out, v, w, d))
        out += fixed(v, w, d);
}

std::string fmt_g(float v, int w, int d) {
    if (w <= 0) return {};
    if (d < 0) d = 0;
    if (!std::isfinite(v)) return special(v, w);
    return general(v, w, d, 0);
}

std::string fmt_ld(float v) {
    // A blank, then a 16-column item: 9 significant digits, the exponent
    // form with one digit before the point.
    if (!std::isfinite(v)) return " " + special(v, 16);
    return " " + general(v, 16, 9, 1);
}

std::string fmt_ld_int(int32_t v) { return " " + fmt_i(v, 11); }

std::string without_blanks(const std::string& field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

}  // namespace zorb
