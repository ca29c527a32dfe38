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

// The reading of one line: the state of the number being read and the
// numbers read so far.
class LineReader {
public:
    LineReader(const Text132& ch, int nch) : ch_(ch), nch_(nch) {}

    // Reads the line; the numbers are then out(1..iout).
    void read(int& iout, NumberList& out);

private:
    // Each of these takes the character at position i_ and says whether it
    // ends the current number.
    bool digit(char c);
    bool exponent_letter(char c);
    bool other(char c);
    // Stores the number that has ended; true when no more are read.
    bool end_number();

    const Text132& ch_;
    const int nch_;
    // One element beyond the 32 that are returned: it receives an exponent
    // that follows the 32nd number, or a number after it that is then dropped.
    float acc_[34] = {};
    int iout_ = 0;

    int nnum_ = 0;     // a digit of the current number has been read
    float pt_ = 1.0f;  // place value of the next fraction digit; 1 in the integer part
    int nsig_ = 1;     // sign applied when the current number ends
    int k1_ = 0;       // first minus sign met while nsig was +1
    int k2_ = 0;       // further minus sign met while nsig was already -1
    int nex_ = 0;      // 0 none; -1 number closed by exponent letter; 1 reading exponent
    int i_ = 0;        // position of the character being read
};

void LineReader::read(int& iout, NumberList& out) {
    bool stop = false;
    do {
        ++i_;
        const char c = (i_ >= 1 && i_ <= 132) ? ch_(i_) : ' ';
        bool ends;
        if (is_digit(c))
            ends = digit(c);
        else if (c == 'e' || c == 'E')
            ends = exponent_letter(c);
        else
            ends = other(c);
        if (ends) stop = end_number();
    } while (!stop && i_ < nch_);

    iout = iout_;
    for (int k = 1; k <= 32; ++k) out(k) = acc_[k];
}

bool LineReader::digit(char c) {
    const int ic = c - '0';
    nnum_ = 1;
    float& v = acc_[iout_ + 1];
    if (pt_ == 1.0f) {
        v = 10.0f * v + static_cast<float>(ic);
    } else {
        v = v + static_cast<float>(ic) * pt_;
        pt_ = pt_ / 10.0f;
    }
    return i_ == nch_;
}

bool LineReader::exponent_letter(char c) {
    if (nex_ == 1) return true;
    // What stands before the letter decides: a point before any other
    // non-digit makes it an exponent; digits without a point make it a
    // separator that ends the number; a letter straight after any other
    // character has no effect.  Looking back literally, a blank or sign
    // further back would make the letter in " 15e3" or "x=15e3" be ignored and
    // join the digits into 153, while "15e3" at the start of a line reads as
    // 15 and 3.  Here digits before the letter always end at it, so a text
    // reads alike wherever it stands on the line and no letter glues two
    // numbers into one.
    int k = i_ - 1;
    while (k >= 1 && is_digit(ch_(k))) --k;
    if (k >= 1 && ch_(k) == '.') {
        nex_ = -1;
        return true;
    }
    if (k < 1 || k < i_ - 1) return other(c);
    return false;
}

bool LineReader::other(char c) {
    if (pt_ < 1.0f) {
        // A fraction ends here; look at this character again.
        --i_;
        return true;
    }
    if (c == '.') {
        pt_ = 0.1f;
        return false;
    }
    if (c == '-') {
        if (nsig_ == 1) k1_ = i_;
        if (nsig_ == -1) k2_ = i_;
        nsig_ = -1;
    }
    if (nnum_ == 1) return true;
    if (nex_ == 1 && c == ' ') nex_ = 0;  // a blank after the exponent letter cancels the exponent
    return false;
}

bool LineReader::end_number() {
    float& v = acc_[iout_ + 1];
    if (k1_ < i_) {
        v = static_cast<float>(nsig_) * v;
        if (k2_ < k1_)
            nsig_ = 1;
        else
            k1_ = k2_;
    }
    nnum_ = 0;
    pt_ = 1.0f;
    if (nex_ > 0) {
        acc_[iout_] = scaled(acc_[iout_], acc_[iout_ + 1]);
        acc_[iout_ + 1] = 0.0f;
        nex_ = 0;
        --iout_;
    }
    ++iout_;
    // Stop at 32 numbers, unless the 32nd was closed by an exponent letter:
    // its exponent is still read and applied.
    bool stop = false;
    if (iout_ >= 33) {
        iout_ = 32;
        stop = true;
    } else if (iout_ == 32 && nex_ != -1) {
        stop = true;
    }
    k1_ = 0;
    k2_ = 0;
    if (nex_ == -1) nex_ = 1;
    return stop;
}

}  // namespace

void trlch(int n_ch, const Text132& chin, int& iout, NumberList& out) {
    const Text132 ch = chin;
    LineReader(ch, n_ch < 132 ? n_ch : 132).read(iout, out);
}

}  // namespace zorb
