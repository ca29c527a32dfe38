#include "numfmt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "numread.h"

namespace {

using namespace zorb;

struct Shown {
    std::string chl, chr, form;  // chl(1:im), chr(1:nn), the descriptor after the call
    int im, nn;
};

Shown show(float v, const char* form) {
    Text7 f(form);
    Text24 chr, chl;
    int nn = -1, im = -1;
    trlnu(f, v, chr, nn, chl, im);
    for (int k = im + 1; k <= 24; ++k) EXPECT_EQ(chl(k), ' ') << form;
    return {std::string(chl.sub(1, im)), std::string(chr.sub(1, nn)), f.str(), im, nn};
}

// Under the sanitizers a call costs about ten times as much: the sweeps there
// take every 16th value and those ending in 99, enough for the memory checks.
#if defined(__SANITIZE_ADDRESS__)
constexpr int thin = 16;
#else
constexpr int thin = 1;
#endif
bool swept(long k) { return thin == 1 || k % thin == 0 || k % 100 == 99; }

// m with p of its digits after the point ("1999.999" for 1999999 and 3).
std::string decimal(long m, int p) {
    std::string s = std::to_string(m);
    if (p == 0) return s + ".";
    if (static_cast<int>(s.size()) <= p) s.insert(0, std::string(p + 1 - s.size(), '0'));
    return s.insert(s.size() - p, ".");
}

std::string fixed(int decimals) { return "f20." + std::to_string(decimals); }

float typed(const char* text) {
    Text132 line(text);
    int iout = 0;
    NumberList out;
    trlch(80, line, iout, out);
    return out(1);
}

TEST(NumberText, FormsAndTheirRounding) {
    const struct { float v; const char* form; const char* chl; } cases[] = {
        {2.5f, "f10.3", "2.500"},  {0.05f, "f10.3", "0.050"},   {-0.05f, "f10.3", "-0.050"},
        {10.0f, "f10.3", "10.000"}, {0.0f, "f10.3", "0.000"},   {2.5f, "F5.0", "2."},
        {1.25f, "+f6.2", "+1.25"},
        // One digit decides: 6 to 9 round up, carrying into a new digit.
        {9.9997f, "f10.3", "10.000"}, {-0.9997f, "f10.3", "-1.000"}, {0.9996f, "f10.3", "0.999"},
        {0.0007f, "f10.3", "0.001"},  {0.7f, "f5.0", "1."},
        {7.7f, "i5", "8"}, {0.5f, "i5", "    0"}, {-0.3f, "i5", "    0"}, {0.7f, "i5", "1"},
        {1500.0f, "e15.5", "1.50000e3"}, {1500.0f, "E15.5", "1.50000E3"},
        {1500.0f, "a15.5", "1.50000*10@u3@n"}, {-0.0015f, "e10.2", "-1.50e-3"},
        {1500.0f, "+e10.2", "+1.50e+3"}, {99.97f, "e10.2", "1.00e2"},
        {NAN, "f10.3", "NaN"}, {1.0e-40f, "e12.3", "1.000e-40"},
        // Its mantissa is 9.99999|605: the 6 rounds up into a new decade.
        {9.99999605e-24f, "e15.5", "1.00000e-23"}};
    for (const auto& c : cases) EXPECT_EQ(show(c.v, c.form).chl, c.chl) << c.v << " " << c.form;
    EXPECT_EQ(show(2.5f, "f10.3").chr, "     2.500");
    EXPECT_EQ(show(0.0f, "I5").chr, "    0");
    // 9.9996 as typed sums to 9.99959946: its fifth digit is a 5.
    EXPECT_EQ(show(typed("9.9996"), "f10.3").chl, "9.999");
}

TEST(NumberText, LargeValuesRewriteTheDescriptor) {
    Shown s = show(2.0e10f, "f10.3");
    EXPECT_EQ(s.form, "e15.5  ");
    EXPECT_EQ(s.chl, "2.00000e10");
    EXPECT_EQ(s.nn, 15);
    EXPECT_EQ(show(-INFINITY, "i5").chl, "-Infinity");
    EXPECT_EQ(show(1.0e10f, "f15.1").form, "f15.1  ");
}

TEST(NumberText, TooWideIsFramedAndStillReadsBack) {
    Shown s = show(12345.678f, "f8.3");
    EXPECT_EQ(s.chl, "***12345.678***");
    EXPECT_EQ(s.chr, "***12345");
    EXPECT_EQ(typed(s.chl.c_str()), typed("12345.678"));

    Text7 f("f25.1");
    Text24 chr, chl;
    int nn = 0, im = 0;
    trlnu(f, 1.0f, chr, nn, chl, im);
    EXPECT_EQ(chl.str(), std::string(24, '*'));
    EXPECT_EQ(chr.str(), std::string(24, '*'));
    EXPECT_EQ(im, 24);
}

// The value prompts show a value with trlnu and read it back with trlch: the
// shown digits must be the typed ones, also just below a power of ten.
TEST(NumberText, TypedValuesShowTheirOwnDigits) {
    EXPECT_EQ(show(typed("999.999"), "f10.3").chl, "999.999");
    EXPECT_EQ(show(99998.0f, "i8").chl, "99998");
    EXPECT_EQ(show(99.94f, "e10.2").chl, "9.99e1");
    // Every 11th decimal of up to six significant digits, the point in every
    // place from 123456. to 0.00123456, under as many decimals as typed: it
    // shows as typed, and reading what is shown and writing it again gives
    // the same text.
    int wrong = 0, unstable = 0;
    for (long m = 1; m < 1000000; m += 11 * thin) {
        for (int p = 0; p <= 8; ++p) {
            const std::string text = decimal(m, p);
            const std::string shown = show(typed(text.c_str()), fixed(p).c_str()).chl;
            if (shown != text && ++wrong < 5) ADD_FAILURE() << text << " shows as " << shown;
            if (show(typed(shown.c_str()), fixed(p).c_str()).chl != shown) ++unstable;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(unstable, 0);
}

// The per-digit nudge must not carry a value into a new leading digit it does
// not reach: 1999999 under i8, 1999.999 under f10.3.
TEST(NumberText, EveryIntegerUpTo2To24ShowsAsItself) {
    int wrong = 0;
    char want[16];
    for (long k = 0; k <= (1L << 24); ++k) {
        if (!swept(k)) continue;
        std::snprintf(want, sizeof want, "%8ld", k);
        Text7 f("i8");
        Text24 chr, chl;
        int nn = 0, im = 0;
        trlnu(f, static_cast<float>(k), chr, nn, chl, im);
        if (std::memcmp(chr.c, want, 8) != 0 && ++wrong < 5) ADD_FAILURE() << want << " shows as " << chr.str();
    }
    EXPECT_EQ(wrong, 0);
}

TEST(NumberText, OneStepBelowANewLeadingDigit) {
    // d followed by nines, 1 to 7 digits, the point in every place; seven
    // digits only from 1 up, where a float still tells the last one apart.
    int wrong = 0;
    for (int d = 1; d <= 9; ++d) {
        for (int n = 1; n <= 7; ++n) {
            const long m = std::stol(std::to_string(d) + std::string(n - 1, '9'));
            for (int p = 0; p <= (n < 7 ? 8 : 6); ++p) {
                const std::string text = decimal(m, p);
                const std::string shown = show(std::strtof(text.c_str(), nullptr), fixed(p).c_str()).chl;
                if (shown != text && ++wrong < 5) ADD_FAILURE() << text << " shows as " << shown;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Just below a power of ten log10 puts the leading digit a decade too high;
// the exponent and label forms still show six digits of the value's own
// decade, and carry into the next only when the digit after them is 6 to 9.
TEST(NumberText, ExponentFormJustBelowAPowerOfTen) {
    const struct { float v; const char* form; const char* chl; } cases[] = {
        {99999.882812f, "e15.5", "9.99999e4"},   {99999.898f, "e15.5", "9.99999e4"},
        {-99999.898f, "e15.5", "-9.99999e4"},    {99999.898f, "+e15.5", "+9.99999e+4"},
        {99999.898f, "a15.5", "9.99999*10@u4@n"}, {9.99998982e-38f, "e15.5", "9.99999e-38"},
        {9.9999946e-5f, "E15.5", "9.99999E-5"},
        // 9.99999|53125 keeps its nines (a 5 does not round up), 9.99999|609375
        // carries.
        {99999.953125f, "e15.5", "9.99999e4"},   {99999.9609375f, "e15.5", "1.00000e5"}};
    for (const auto& c : cases) EXPECT_EQ(show(c.v, c.form).chl, c.chl) << c.v << " " << c.form;
    // Six nines as typed read back a little above or below their digits, and
    // show as typed in every decade.
    for (int p = -37; p <= 37; ++p) {
        const std::string text = "9.99999e" + std::to_string(p);
        EXPECT_EQ(show(typed(text.c_str()), "e15.5").chl, text);
    }
}

// Writing, reading what was written, and writing again gives the same text,
// under the descriptors that show at most six significant digits, for floats
// spread evenly over their bit patterns.  (Above 1e10 every descriptor turns
// into e15.5, so e12.3 stops there.)
TEST(NumberText, WriteReadWriteIsStable) {
    const struct { const char* form; float lo, hi; } ranges[] = {
        {"e15.5", 1e-30f, 1e30f}, {"e12.3", 1e-30f, 1e10f}, {"f10.3", 1e-3f, 999.0f},
        {"f5.1", 0.0f, 99.0f},    {"i8", 0.0f, 16777216.0f}};
    for (const auto& r : ranges) {
        uint32_t lo = 0, hi = 0;
        std::memcpy(&lo, &r.lo, 4);
        std::memcpy(&hi, &r.hi, 4);
        int unstable = 0;
        for (uint64_t b = lo; b <= hi; b += (hi - lo) / (100000 / thin) + 1) {
            const uint32_t bits = static_cast<uint32_t>(b);
            float v = 0;
            std::memcpy(&v, &bits, 4);
            const std::string once = show(v, r.form).chl;
            const std::string twice = show(typed(once.c_str()), r.form).chl;
            if (once != twice && ++unstable < 5) ADD_FAILURE() << once << " then " << twice;
        }
        EXPECT_EQ(unstable, 0) << r.form;
    }
}

}  // namespace
