// Edit descriptors derived from a line of numbers written as text, so that
// numbers can be written again in the shape they were typed: integer, fixed
// or exponent form, the width of the typed number and its decimals.

#include "tableform.h"

namespace zorb {

namespace {

enum class Kind { integer, fixed, exponent };

// One number as typed: its kind, length ml, characters before the point ip,
// position ie of the exponent letter.
struct Typed {
    Kind kind = Kind::integer;
    int ml = 0;
    int ip = 0;
    int ie = 0;
};

// Replaces the commas up to the last non-blank position by blanks.
void commas_to_blanks(Text132& ch) {
    const int l = ch.last_nonblank();
    for (int k = 1; k <= l; ++k)
        if (ch(k) == ',') ch(k) = ' ';
}

// Takes the first blank-separated number off the front of ch: the field is
// shifted left past it.  False when only blanks are left.
bool take_number(Text132& ch, Typed& t) {
    int a = 1;
    while (a <= 132 && ch(a) == ' ') ++a;
    if (a > 132) return false;
    int b = a;
    while (b <= 132 && ch(b) != ' ') ++b;  // one past the number
    // The number as copied: at most 24 characters.
    int ml = b - a;
    if (ml > 24) ml = 24;
    t = Typed{};
    t.ml = ml;
    int point = 0;
    int letter = 0;
    for (int k = 1; k <= ml; ++k) {
        const char c = ch(a + k - 1);
        if (c == '.' && point == 0) point = k;
        if ((c == 'e' || c == 'E') && letter == 0) letter = k;
    }
    if (point == 0) {
        t.kind = Kind::integer;
    } else {
        t.ip = point - 1;
        if (letter != 0) {
            t.kind = Kind::exponent;
            t.ie = letter;
        } else {
            t.kind = Kind::fixed;
        }
    }
    // Remove the number and what preceded it.
    Text132 rest;
    for (int k = b; k <= 132; ++k) rest(k - b + 1) = ch(k);
    ch = rest;
    return true;
}

// Decimals fit one digit: 0 to 9.
char decimal_digit(int d) {
    if (d < 0) d = 0;
    if (d > 9) d = 9;
    return static_cast<char>('0' + d);
}

void two_digit_width(char* out, int w) {
    if (w < 0) w = 0;
    if (w > 99) w = 99;
    out[0] = static_cast<char>('0' + w / 10);
    out[1] = static_cast<char>('0' + w % 10);
}

// The shape a number was typed in: its kind letter, its width (the exponent
// form counting two more for a sign and digit of the exponent) and its
// decimals (the digits after the point, up to the exponent letter).
struct Shape {
    char letter;
    int width;
    char decimals;   // blank for an integer
};

Shape shape_of(const Typed& t) {
    switch (t.kind) {
        case Kind::fixed:
            return {'f', t.ml, decimal_digit(t.ml - t.ip - 1)};
        case Kind::exponent:
            return {'e', t.ml + 2, decimal_digit(t.ie - t.ip - 2)};
        case Kind::integer:
        default:
            return {'i', t.ml, ' '};
    }
}

}  // namespace

void fout_a(Text132& ch132, Array1<Code4, 32>& chf, int& n) {
    n = 0;
    commas_to_blanks(ch132);
    Typed t;
    while (n < 32 && take_number(ch132, t)) {
        ++n;
        const Shape sh = shape_of(t);
        char code[4] = {sh.letter, ' ', ' ', sh.decimals};
        two_digit_width(code + 1, sh.width);
        chf(n).assign(std::string_view(code, 4));
    }
}

void fcolumn(const Array1<Code4, 24>& chf, int lf, Array1<Desc5, 24>& chfmt) {
    if (lf > 24) lf = 24;
    auto digit = [](char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; };
    int lmin = 3;
    for (int k = 1; k <= lf; ++k) {
        const Code4& c = chf(k);
        const int w = c(2) == ' ' ? digit(c(3)) : 10 * digit(c(2)) + digit(c(3));
        if (w > lmin) lmin = w;
    }
    for (int k = 1; k <= lf; ++k) {
        const Code4& c = chf(k);
        char d[5];
        int n = 0;
        d[n++] = c(1);
        if (lmin >= 10) d[n++] = static_cast<char>('0' + lmin / 10 % 10);
        d[n++] = static_cast<char>('0' + lmin % 10);
        if (c(1) != 'i') {
            d[n++] = '.';
            d[n++] = c(4);
        }
        chfmt(k).assign(std::string_view(d, n));
    }
}

void fout_c(Text132& ch132, Text132& chfmt, int& j) {
    if (ch132.blank()) ch132.assign("0.0");
    commas_to_blanks(ch132);
    chfmt.fill(' ');
    // ",1x," and a five-character descriptor for each number: 14 fill the
    // text up to position 126 and leave room for the closing ")".
    int count = 0;
    int pos = 1;
    Typed t;
    while (count < 14 && take_number(ch132, t)) {
        ++count;
        // One column wider than typed; an integer is written as fixed
        // form without decimals.
        Shape sh = shape_of(t);
        if (sh.letter == 'i') sh = {'f', sh.width, '0'};
        char d[5] = {sh.letter, ' ', ' ', '.', sh.decimals};
        two_digit_width(d + 1, sh.width + 1);
        chfmt.put(pos, pos + 3, ",1x,");
        chfmt.put(pos + 4, pos + 8, std::string_view(d, 5));
        pos += 9;
    }
    chfmt(pos) = ')';
    j = pos;
}

}  // namespace zorb
