// String routines on fixed-width text fields.
//
// Blank means code 32 only: a NUL in the middle of a field counts as text,
// a NUL in position 1 marks the whole field as empty.

#include "text.h"

#include <cstdint>

namespace zorb {

namespace {

bool all_blank(const Text132& ch) { return ch.blank(); }

bool is_sep(char c) { return c == ' ' || c == ','; }

// Decimal digits of v (v > 0), most significant first, into buf; returns the count.
int decimal_digits(int64_t v, char* buf) {
    char rev[20];
    int m = 0;
    while (v > 0) {
        rev[m++] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    for (int k = 0; k < m; ++k) buf[k] = rev[m - 1 - k];
    return m;
}

// Where the text of ch stands: its first position and its length.  first is
// 0 when ch is blank or starts with NUL; otherwise the first non-blank among
// 1..131 (132 when none) and the text ends at the last non-blank from 131
// down to it: position 132 never counts as text.
void text_span(const Text132& ch, int& first, int& length) {
    first = 0;
    length = 0;
    if (all_blank(ch) || ch(1) == '\0') return;
    int i = 1;
    while (i <= 131 && ch(i) == ' ') ++i;
    int j = 131;
    while (j >= i && ch(j) == ' ') --j;
    if (j < i) j = 131;
    first = i;
    length = j - i + 1;
    if (length < 0) length = 0;
}

}  // namespace

void stringlength(Text132& ch, int& il) {
    int i = 0;
    text_span(ch, i, il);
    if (i == 0) return;
    for (int k = 1; k <= il; ++k) ch(k) = ch(i + k - 1);
    for (int k = il + 1; k <= il + i && k <= 132; ++k) ch(k) = ' ';
}

int text_length(const Text132& ch) {
    int first = 0, length = 0;
    text_span(ch, first, length);
    return length;
}

void lc_character(Text132& ch) {
    int il = 0;
    stringlength(ch, il);
    for (int k = 1; k <= il; ++k) {
        unsigned char c = static_cast<unsigned char>(ch(k));
        if (c >= 'A' && c <= 'Z') ch(k) = static_cast<char>(c + 32);
    }
}

void stringend(const Text132& ch, int& il) {
    if (all_blank(ch)) {
        il = 0;
        return;
    }
    if (il <= 0 || il > 132) il = 132;
    while (il >= 1 && ch(il) == ' ') --il;
}

void nextchar(const Text132& chl, int& il, int& ip, Text132& cha, int& ia) {
    if (il > 130) il = 130;
    // A position before the line counts as "before the first item".
    const int cur = il < 0 ? 0 : il;

    // d: end of the line's text after the current position; e one beyond.
    int d = cur;
    for (int k = 131; k >= cur + 1; --k) {
        if (chl(k) != ' ') {
            d = k;
            break;
        }
    }
    const int e = d + 1;

    cha.fill(' ');

    int start;
    if (cur <= 0) {
        start = 1;
    } else {
        // Skip the rest of the current item.
        start = e;
        for (int k = cur + 1; k <= e; ++k) {
            if (is_sep(chl(k))) {
                start = k;
                break;
            }
        }
    }
    // Skip separators to the next item.
    ip = e + 1;
    for (int k = start; k <= e; ++k) {
        if (!is_sep(chl(k))) {
            ip = k;
            break;
        }
    }

    const int from = ip <= e ? ip : e;
    int to = 1;
    for (int k = from; k <= e && k <= 132; ++k) cha(to++) = chl(k);

    ia = 0;
    while (ia < 132 && !is_sep(cha(ia + 1))) ++ia;
}

void chcenter(Text132& ch, char ch1, int ncol) {
    int l = 0;
    stringlength(ch, l);
    if (ncol > 132) ncol = 132;
    // A text longer than the columns stays where it is; only a non-negative
    // shift inside the field is ever made.
    int k = (ncol - l) / 2;
    if (k < 0) k = 0;
    for (int p = l; p >= 1; --p) ch(p + k) = ch(p);
    for (int p = 1; p <= k; ++p) ch(p) = ch1;
    for (int p = l + k + 1; p <= ncol; ++p) ch(p) = ch1;
}

void itoc8(Text8& ch, int32_t nn) {
    ch.fill(' ');
    if (nn == 0) return;
    char buf[20];
    const int64_t a = nn < 0 ? -static_cast<int64_t>(nn) : nn;
    const int m = decimal_digits(a, buf);
    // Seven positions follow the sign: a longer number does not fit.
    if (m > 7) {
        ch.fill('*');
        return;
    }
    if (nn < 0) ch(1) = '-';
    for (int k = 0; k < m; ++k) ch(k + 2) = buf[k];
}

void iptoc8(Text8& ch, int32_t& nn) {
    ch.fill(' ');
    if (nn == 0) return;
    char buf[24];
    int m = 0;
    if (nn < 0) {
        buf[m++] = '-';
        m += decimal_digits(-static_cast<int64_t>(nn), buf + 1);
    } else {
        m = decimal_digits(nn, buf);
    }
    if (m > 8) {
        ch.fill('*');
        nn = 8;
        return;
    }
    for (int k = 0; k < m; ++k) ch(k + 1) = buf[k];
    nn = m;
}

void c8toi(Text8& ch, int32_t& n) {
    for (int k = 1; k <= 8; ++k)
        if (static_cast<unsigned char>(ch(k)) > '9') ch(k) = ' ';
    n = 0;
    int k = 1;
    while (k <= 8 && ch(k) == ' ') ++k;
    if (k > 8) return;
    int sign = 1;
    if (ch(k) == '+') ++k;
    if (k <= 8 && ch(k) == '-') {
        sign = -1;
        ++k;
    }
    // Eight characters cannot leave the 32-bit range: at most 99999999.
    for (; k <= 8 && ch(k) != ' '; ++k)
        n = 10 * n + (static_cast<unsigned char>(ch(k)) - 48);
    n *= sign;
}

int ntrimto0(Text132& ch) {
    if (all_blank(ch) || ch(1) == '\0') return 0;
    int i = 1;
    while (i <= 131 && ch(i) == ' ') ++i;
    int j = 0;
    int nul = 0;
    for (int k = 1; k <= 132; ++k) {
        if (ch(k) == '\0') {
            nul = k;
            break;
        }
    }
    if (nul > 0) {
        j = nul - 1;
    } else {
        j = 131;
        while (j >= i && ch(j) == ' ') --j;
    }
    int len = j - i + 1;
    if (len < 0) len = 0;
    for (int k = 1; k <= len; ++k) ch(k) = ch(i + k - 1);
    for (int k = len + 1; k <= 132; ++k) ch(k) = ' ';
    return len;
}

}  // namespace zorb
