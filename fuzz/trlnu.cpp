// trlnu under any descriptor and value: the first 7 bytes are the
// descriptor, the next 4 the bits of the value.  Both texts stay in their
// fields, and the right-justified one ends at the width.  For a plain number
// (i, f or e form, not framed by asterisks, at most six significant digits,
// the precision the digits are exact to) writing it, reading the text back
// with trlch and writing that value again under the same descriptor gives the
// same text: what a value prompt shows is what it reads when accepted.
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "harness.h"
#include "numfmt.h"
#include "numread.h"

namespace {

using namespace zorb;

std::string describe(const Text7& d, float rn) {
    char bits[16];
    uint32_t u;
    std::memcpy(&u, &rn, 4);
    std::snprintf(bits, sizeof bits, "%08x", u);
    return "descriptor \"" + d.str() + "\" value " + std::to_string(rn) + " (bits " + bits + ")";
}

// The type letter of a descriptor, as trlnu finds it.
char type_letter(const Text7& d) {
    int p = 1;
    while (p <= 7 && d(p) == ' ') ++p;
    if (p <= 7 && d(p) == '+') ++p;
    return p <= 7 ? static_cast<char>(std::tolower(static_cast<unsigned char>(d(p)))) : ' ';
}

// Significant digits of the mantissa of a written number (0 when all are
// zero).
int significant_digits(std::string_view text, char letter) {
    if (letter == 'e') text = text.substr(0, text.find_first_of("eE", 1));
    std::size_t first = text.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    int n = 0;
    for (std::size_t k = first; k < text.size(); ++k)
        if (std::isdigit(static_cast<unsigned char>(text[k]))) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 11) return 0;
    Text7 formatch(std::string_view(reinterpret_cast<const char*>(data), 7));
    float rn;
    std::memcpy(&rn, data + 7, 4);
    const Text7 given = formatch;

    Text24 chr, chl;
    int nn = -1, im = -1;
    trlnu(formatch, rn, chr, nn, chl, im);
    const std::string what = describe(given, rn);
    if (nn < 0 || nn > 99) fuzz::fail("width " + std::to_string(nn) + " for " + what);
    if (im < 0 || im > 24) fuzz::fail("length " + std::to_string(im) + " for " + what);
    if (im <= nn && chr.last_nonblank() > nn) fuzz::fail("text beyond the width for " + what);

    const char letter = type_letter(formatch);
    const std::string text(chl.sub(1, im));
    if (letter != 'i' && letter != 'f' && letter != 'e') return 0;
    // Below the normal range a float holds fewer digits than are shown.
    if (!std::isfinite(rn) || (rn != 0.0f && std::fabs(rn) < 1e-36f)) return 0;
    if (text.find('*') != std::string::npos || im > nn) return 0;
    const int digits = significant_digits(text, letter);
    if (digits > 6) return 0;

    // Read as a value prompt reads what it shows: the whole field.
    Text132 line(chl.view());
    int iout = 0;
    NumberList back;
    trlch(24, line, iout, back);
    if (iout != 1) fuzz::fail("\"" + text + "\" reads as " + std::to_string(iout) +
                              " numbers, written under " + what);
    Text7 again = formatch;
    Text24 chr2, chl2;
    int nn2 = 0, im2 = 0;
    trlnu(again, back(1), chr2, nn2, chl2, im2);
    std::string text2(chl2.sub(1, im2));
    // A value that shows only zeros may carry a sign that its reading does
    // not keep ("-0.000" reads as minus zero, which is written as zero).
    auto unsigned_text = [](const std::string& t) {
        return !t.empty() && (t[0] == '-' || t[0] == '+') ? t.substr(1) : t;
    };
    if (digits == 0 && unsigned_text(text) == unsigned_text(text2)) return 0;
    if (text2 != text)
        fuzz::fail("\"" + text + "\" reads back as " + std::to_string(back(1)) + " and is written \"" +
                   text2 + "\", for " + what);
    return 0;
}
