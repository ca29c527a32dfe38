#include "numfmt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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
        {NAN, "f10.3", "NaN"}, {1.0e-40f, "e12.3", "1.000e-40"}};
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
    int wrong = 0;
    for (int k = 0; k < 1000000; k += 7) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%03d", k / 1000, k % 1000);
        if (show(typed(text), "f10.3").chl != text) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
