// Writing one number under an edit descriptor.
//
// The digits come from the value itself in single precision, one at a time:
// the decimal exponent from log10f (with a small upward nudge, 0.00001, so
// that an exact power of ten is not taken for the one below), then each digit
// as the whole part of z/10**k + 0.000001, subtracted from z before the next.
// Rounding looks at the one digit after the last kept: 6 to 9 round up, 5 and
// below do not.  A value shown this way and read back with the number reader
// gives the digits shown, which is what the value prompts rely on.

#include "numfmt.h"

#include <cmath>
#include <cstring>

namespace zorb {

namespace {

// Digit positions -2 .. kDigitHi; 0 is the leading digit, -1 takes a carry
// into a new leading digit.  Wide enough for two-digit decimals on any value
// the fixed form is used for (at most 10**10), so no descriptor can make the
// extraction leave the array.
constexpr int kDigitLo = -2;
constexpr int kDigitHi = 127;

// The working text of sign, zeros and digits.
struct Buf {
    char c[256];
    int n = 0;
    void add(char ch) {
        if (n < static_cast<int>(sizeof c)) c[n++] = ch;
    }
    // 1-based, blank outside what was written.
    char at(int i) const { return (i >= 1 && i <= n) ? c[i - 1] : ' '; }
};

// The whole part of x as an integer digit, safe for any x: the extraction
// only meets such values after the place value has underflowed.
int whole_part(float x) {
    if (!(x > -1000.0f && x < 1000.0f)) return 0;
    return static_cast<int>(x);
}

void put_text(Text24& f, const char* s, int len) {
    f.fill(' ');
    for (int k = 0; k < len && k < 24; ++k) f.c[k] = s[k];
}

// Text for values without digits: "NaN", "Infinity", "-Infinity".
int special_text(float rn, bool plus, char* s) {
    const char* t;
    if (std::isnan(rn))
        t = "NaN";
    else if (rn < 0)
        t = "-Infinity";
    else
        t = plus ? "+Infinity" : "Infinity";
    std::strcpy(s, t);
    return static_cast<int>(std::strlen(t));
}

}  // namespace

void trlnu(Text7& formatch, float rn, Text24& chr, int& nn, Text24& chl, int& im) {
    if (std::fabs(rn) > 1.0e10f) formatch.assign("e15.5");

    chl.fill(' ');
    chr.fill(' ');

    // The descriptor: blanks, an optional "+", the type letter, one or two
    // digits of width, optionally "." and one or two digits of decimals.
    int p = 1;
    while (p <= 7 && formatch(p) == ' ') ++p;
    bool plus = false;
    if (p <= 7 && formatch(p) == '+') {
        plus = true;
        ++p;
    }
    const char letter = p <= 7 ? formatch(p) : ' ';
    ++p;
    auto two_digits = [&](int& value) {
        value = 0;
        for (int k = 0; k < 2 && p <= 7 && formatch(p) >= '0' && formatch(p) <= '9'; ++k, ++p)
            value = 10 * value + (formatch(p) - '0');
    };
    two_digits(nn);
    int iep = 0;
    if (p <= 7 && formatch(p) == '.') {
        ++p;
        two_digits(iep);
    }

    if (nn >= 25) {
        chl.fill('*');
        chr.fill('*');
        im = 24;
        return;
    }

    enum Kind { integer, fixed, exponent, label };
    Kind kind;
    switch (letter) {
        case 'i': case 'I': kind = integer; break;
        case 'e': case 'E': kind = exponent; break;
        case 'a': case 'A': kind = label; break;
        default: kind = fixed; break;  // f/F, and any letter the system never uses
    }

    char text[64];
    int len = 0;

    if (!std::isfinite(rn)) {
        len = special_text(rn, plus, text);
    } else {
        Buf chf;
        float z;
        int ip;
        if (rn < 0) {
            z = -rn;
            chf.add('-');
            ip = 1;
        } else {
            z = rn;
            if (plus) {
                chf.add('+');
                ip = 1;
            } else {
                ip = 0;
            }
        }

        int iex = 0;
        if (z != 0.0f) iex = static_cast<int>(log10f(z) + 0.00001f);
        if (z < 1.0f) iex = iex - 1;
        float e10 = powf(10.0f, static_cast<float>(iex));
        // The nudge also lifts values just below a power of ten (99.998,
        // 999.999) into the next decade, where the first digit would be a
        // spurious leading zero ("099.998") or the per-digit nudge, ten times
        // too large there, would round the value up ("1000.000"); such values
        // keep their own decade.
        if (z != 0.0f && z < e10) {
            iex = iex - 1;
            e10 = powf(10.0f, static_cast<float>(iex));
        }

        // Index of the last digit kept.
        int last;
        if (kind == integer)
            last = iex < 0 ? -1 : iex;
        else if (kind == fixed)
            last = iep + iex < 0 ? -1 : iep + iex;
        else
            last = iep;

        int ii_store[kDigitHi - kDigitLo + 1] = {};
        auto ii = [&](int k) -> int& { return ii_store[k - kDigitLo]; };

        ii(-1) = 0;
        for (int k = 0; k <= last + 1; ++k) {
            int digit = 0;
            if (e10 > 0.0f) digit = whole_part(z / e10 + 0.000001f);
            z = z - static_cast<float>(digit) * e10;
            e10 = e10 / 10.0f;
            ii(k) = digit;
        }

        // A 6 to 9 after the last kept digit rounds up; carries pass to the left.
        if (ii(last + 1) > 5) ii(last) += 1;
        for (int k = last; k >= 0; --k) {
            if (ii(k) > 9) {
                ii(k) = 0;
                ii(k - 1) += 1;
            }
        }
        int jex = 0;
        if (ii(-1) > 0) {
            jex = -1;
            if (kind == exponent || kind == label)
                iex = iex + 1;
            else
                ip = ip + 1;
        }

        auto digit_char = [&](int k) {
            int d = (k >= kDigitLo && k <= kDigitHi) ? ii(k) : 0;
            if (d < 0) d = 0;
            if (d > 9) d = 9;
            return static_cast<char>('0' + d);
        };

        if (kind == exponent || kind == label) {
            char chexp[8];
            int ne = 0;
            if (iex < 0)
                chexp[ne++] = '-';
            else if (plus)
                chexp[ne++] = '+';
            {
                char rev[4];
                int nr = 0;
                int a = iex < 0 ? -iex : iex;
                do {
                    rev[nr++] = static_cast<char>('0' + a % 10);
                    a /= 10;
                } while (a > 0 && nr < 4);
                while (nr > 0) chexp[ne++] = rev[--nr];
            }
            for (int k = jex; k <= iep; ++k) chf.add(digit_char(k));
            // Sign and first digit, the point, then iep digits.
            for (int k = 1; k <= ip + 1; ++k) text[len++] = chf.at(k);
            text[len++] = '.';
            for (int k = ip + 2; k <= ip + 1 + iep && len < 40; ++k) text[len++] = chf.at(k);
            if (kind == exponent) {
                text[len++] = letter;
                for (int k = 0; k < ne; ++k) text[len++] = chexp[k];
            } else {
                for (const char* s = "*10@u"; *s; ++s) text[len++] = *s;
                for (int k = 0; k < ne; ++k) text[len++] = chexp[k];
                text[len++] = '@';
                text[len++] = 'n';
            }
        } else if (kind == integer) {
            if (iex < jex) {
                // Rounds below 1: a lone 0 at the right of the field, no sign.
                if (nn >= 1) {
                    for (int k = 0; k < nn - 1; ++k) text[len++] = ' ';
                    text[len++] = '0';
                } else {
                    text[len++] = '0';
                }
            } else {
                for (int k = jex; k <= iex; ++k) chf.add(digit_char(k));
                const int n = iex + ip + 1;
                for (int k = 1; k <= n && len < 40; ++k) text[len++] = chf.at(k);
            }
        } else if (iex < 0) {
            for (int k = 0; k < jex - iex; ++k) chf.add('0');
            for (int k = jex; k <= iep + iex; ++k) chf.add(digit_char(k));
            int n = ip + iep + 1;
            if (jex == -1)
                ip = ip - 1;
            else
                n = n + 1;
            for (int k = 1; k <= ip + 1; ++k) text[len++] = chf.at(k);
            text[len++] = '.';
            for (int k = ip + 2; k <= n - 1 && len < 40; ++k) text[len++] = chf.at(k);
        } else {
            for (int k = jex; k <= iep + iex; ++k) chf.add(digit_char(k));
            const int whole = iex + ip + 1;
            for (int k = 1; k <= whole; ++k) text[len++] = chf.at(k);
            text[len++] = '.';
            for (int k = whole + 1; k <= whole + iep && len < 40; ++k) text[len++] = chf.at(k);
        }
    }

    if (len <= nn) {
        put_text(chl, text, len);
        for (int k = 0; k < len; ++k) chr(nn - len + 1 + k) = text[k];
        im = len;
    } else {
        // Too wide for its field: framed by "***" on both sides, cut to 24.
        // im counts the frame, so that the text shown as chl(1:im) holds the
        // whole number and reads back as the value.
        char framed[80];
        int nf = 0;
        for (int k = 0; k < 3; ++k) framed[nf++] = '*';
        for (int k = 0; k < len; ++k) framed[nf++] = text[k];
        for (int k = 0; k < 3; ++k) framed[nf++] = '*';
        if (nf > 24) nf = 24;
        put_text(chl, framed, nf);
        put_text(chr, framed, nf);
        im = nf;
    }
}

}  // namespace zorb
