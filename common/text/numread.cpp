// Reading every number of a line of free text.
//
// The value of a number is accumulated digit by digit in single precision, in
// this order: integer digits as out = 10*out + digit, fraction digits as
// out + digit*pt with pt = 0.1, 0.01, ... (pt/10 each time), an exponent as
// 10**e * mantissa with powf.  This order decides the last bit of the result
// ("5.834" reads as 5.83400059, one unit in the last place above the nearest
// float), and every program reads its numbers through here so that the same
// text always gives the same value.
//
// One exception to that order: where the power of ten alone leaves the normal
// float range, powf gives an infinity, 0 or few digits, and the product is
// NaN (0.0e39), an infinity (0.01e40) or wrong (1000.0e-48) although the
// number fits.  There the mantissa, summed as above, is multiplied by the
// power in double precision and rounded once to the nearest float (0, 1e38,
// 1.4e-45).  A
// number that does not fit (1.0e39) still reads as an infinity, which the
// value prompts refuse.

#include "numread.h"

#include <cfloat>
#include <cmath>

namespace zorb {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// mantissa * 10**exponent, the power taken in single precision wherever it is
// a normal float.
float scaled(float mantissa, float exponent) {
    const float power = powf(10.0f, exponent);
    if ((power >= FLT_MIN && power <= FLT_MAX) || !std::isfinite(mantissa))
        return power * mantissa;
    if (mantissa == 0.0f) return mantissa;  // 0.0e39 is 0, -0.0e40 is -0
    return static_cast<float>(static_cast<double>(mantissa) *
                              std::pow(10.0, static_cast<double>(exponent)));
}

}  // namespace

void trlch(int n_ch, const Text132& chin, int& iout, NumberList& out) {
    const Text132 ch = chin;
    const int nch = n_ch < 132 ? n_ch : 132;

    // One element beyond the 32 that are returned: it receives an exponent
    // that follows the 32nd number, or a number after it that is then dropped.
    float acc[34] = {};
    iout = 0;

    int nnum = 0;     // a digit of the current number has been read
    float pt = 1.0f;  // place value of the next fraction digit; 1 in the integer part
    int nsig = 1;     // sign applied when the current number ends
    int k1 = 0;       // first minus sign met while nsig was +1
    int k2 = 0;       // further minus sign met while nsig was already -1
    int nex = 0;      // 0 none; -1 number closed by exponent letter; 1 reading exponent
    int i = 0;

    bool stop = false;
    do {
        ++i;
        const char c = (i >= 1 && i <= 132) ? ch(i) : ' ';
        bool end_number = false;
        bool other = false;

        if (is_digit(c)) {
            const int ic = c - '0';
            nnum = 1;
            float& v = acc[iout + 1];
            if (pt == 1.0f) {
                v = 10.0f * v + static_cast<float>(ic);
            } else {
                v = v + static_cast<float>(ic) * pt;
                pt = pt / 10.0f;
            }
            if (i == nch) end_number = true;
        } else if (c == 'e' || c == 'E') {
            if (nex == 1) {
                end_number = true;
            } else {
                // What stands before the letter decides: a point before any
                // other non-digit makes it an exponent; digits without a point
                // make it a separator that ends the number; a letter straight
                // after any other character has no effect.  Looking back
                // literally, a blank or sign further back would make the
                // letter in " 15e3" or "x=15e3" be ignored and join the digits
                // into 153, while "15e3" at the start of a line reads as 15
                // and 3.  Here digits before the letter always end at it, so
                // a text reads alike wherever it stands on the line and no
                // letter glues two numbers into one.
                int k = i - 1;
                while (k >= 1 && is_digit(ch(k))) --k;
                if (k >= 1 && ch(k) == '.') {
                    nex = -1;
                    end_number = true;
                } else if (k < 1 || k < i - 1) {
                    other = true;
                }
            }
        } else {
            other = true;
        }

        if (other) {
            if (pt < 1.0f) {
                // A fraction ends here; look at this character again.
                --i;
                end_number = true;
            } else if (c == '.') {
                pt = 0.1f;
            } else {
                if (c == '-') {
                    if (nsig == 1) k1 = i;
                    if (nsig == -1) k2 = i;
                    nsig = -1;
                }
                if (nnum == 1) {
                    end_number = true;
                } else if (nex == 1 && c == ' ') {
                    nex = 0;  // a blank after the exponent letter cancels the exponent
                }
            }
        }

        if (end_number) {
            float& v = acc[iout + 1];
            if (k1 < i) {
                v = static_cast<float>(nsig) * v;
                if (k2 < k1)
                    nsig = 1;
                else
                    k1 = k2;
            }
            nnum = 0;
            pt = 1.0f;
            if (nex > 0) {
                acc[iout] = scaled(acc[iout], acc[iout + 1]);
                acc[iout + 1] = 0.0f;
                nex = 0;
                --iout;
            }
            ++iout;
            // Stop at 32 numbers, unless the 32nd was closed by an exponent
            // letter: its exponent is still read and applied.
            if (iout >= 33) {
                iout = 32;
                stop = true;
            } else if (iout == 32 && nex != -1) {
                stop = true;
            }
            k1 = 0;
            k2 = 0;
            if (nex == -1) nex = 1;
        }
    } while (!stop && i < nch);

    for (int k = 1; k <= 32; ++k) out(k) = acc[k];
}

}  // namespace zorb
