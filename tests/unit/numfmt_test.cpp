#include "numfmt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "numread.h"

namespace {

using namespace zorb;

struct Shown {
    std::string chl;  // chl(1:im)
    std::string chr;  // chr(1:nn)
    std::string form;
    int im;
    int nn;
};

Shown show(float v, const char* form) {
    Text7 f(form);
    Text24 chr, chl;
    int nn = -1, im = -1;
    trlnu(f, v, chr, nn, chl, im);
    Shown s{std::string(chl.sub(1, im)), std::string(chr.sub(1, nn)), f.str(), im, nn};
    // Nothing is ever written beyond the shown part.
    for (int k = im + 1; k <= 24; ++k) EXPECT_EQ(chl(k), ' ') << form;
    return s;
}

float typed(const char* text) {
    Text132 line(text);
    int iout = 0;
    NumberList out;
    trlch(80, line, iout, out);
    return out(1);
}

TEST(NumberText, FixedForm) {
    EXPECT_EQ(show(2.5f, "f10.3").chl, "2.500");
    EXPECT_EQ(show(2.5f, "f10.3").chr, "     2.500");
    EXPECT_EQ(show(0.05f, "f10.3").chl, "0.050");
    EXPECT_EQ(show(-0.05f, "f10.3").chl, "-0.050");
    EXPECT_EQ(show(10.0f, "f10.3").chl, "10.000");
    EXPECT_EQ(show(0.0f, "f10.3").chl, "0.000");
    EXPECT_EQ(show(382.76f, "  f10.3").chl, "382.760");
    EXPECT_EQ(show(2.5f, "F5.0").chl, "2.");
    EXPECT_EQ(show(1.25f, "+f6.2").chl, "+1.25");
}

TEST(NumberText, OneDigitDecidesTheRounding) {
    // A carry into a new leading digit, above and below 1.
    EXPECT_EQ(show(9.9997f, "f10.3").chl, "10.000");
    EXPECT_EQ(show(0.9997f, "f10.3").chl, "1.000");
    EXPECT_EQ(show(-0.9997f, "f10.3").chl, "-1.000");
    EXPECT_EQ(show(0.9996f, "f10.3").chl, "0.999");
    EXPECT_EQ(show(0.0007f, "f10.3").chl, "0.001");
    // 9.9996 as typed sums to 9.99959946: its fifth digit is 5, which does
    // not round up.
    EXPECT_EQ(show(typed("9.9996"), "f10.3").chl, "9.999");
    EXPECT_EQ(show(0.7f, "f5.0").chl, "1.");
}

TEST(NumberText, IntegerForm) {
    EXPECT_EQ(show(7.7f, "i5").chl, "8");
    EXPECT_EQ(show(7.7f, "i5").chr, "    8");
    EXPECT_EQ(show(0.5f, "i5").chl, "    0");
    EXPECT_EQ(show(0.3f, "i5").chl, "    0");
    EXPECT_EQ(show(-0.3f, "i5").chl, "    0");
    EXPECT_EQ(show(0.0f, "I5").chr, "    0");
    EXPECT_EQ(show(0.7f, "i5").chl, "1");
    EXPECT_EQ(show(-1234.0f, "i8").chl, "-1234");
}

TEST(NumberText, ExponentAndLabelForms) {
    EXPECT_EQ(show(1500.0f, "e15.5").chl, "1.50000e3");
    EXPECT_EQ(show(1500.0f, "E15.5").chl, "1.50000E3");
    EXPECT_EQ(show(1500.0f, "a15.5").chl, "1.50000*10@u3@n");
    EXPECT_EQ(show(-0.0015f, "e10.2").chl, "-1.50e-3");
    EXPECT_EQ(show(1500.0f, "+e10.2").chl, "+1.50e+3");
    EXPECT_EQ(show(99.97f, "e10.2").chl, "1.00e2");
    EXPECT_EQ(show(0.0f, "e10.2").chl, "0.00e-1");
}

TEST(NumberText, LargeValuesRewriteTheDescriptor) {
    Shown s = show(2.0e10f, "f10.3");
    EXPECT_EQ(s.form, "e15.5  ");
    EXPECT_EQ(s.chl, "2.00000e10");
    EXPECT_EQ(s.nn, 15);
    EXPECT_EQ(show(-3.4e38f, "i5").chl, "-3.40000e38");
    EXPECT_EQ(show(1.0e10f, "f15.1").form, "f15.1  ");
}

TEST(NumberText, TooWideIsFramedByAsterisks) {
    Shown s = show(12345.678f, "f8.3");
    EXPECT_EQ(s.chl, "***12345.678***");
    EXPECT_EQ(s.chr, "***12345");  // chr(1:nn) of the same framed text
    EXPECT_EQ(s.im, 15);
    // The framed text still reads back as the value.
    EXPECT_EQ(typed(s.chl.c_str()), typed("12345.678"));

    Shown w = show(5.0f, "f25.3");
    EXPECT_EQ(w.im, 24);
    Text7 f("f30.1");
    Text24 chr, chl;
    int nn = 0, im = 0;
    trlnu(f, 1.0f, chr, nn, chl, im);
    EXPECT_EQ(chl.str(), std::string(24, '*'));
    EXPECT_EQ(chr.str(), std::string(24, '*'));
}

TEST(NumberText, ValuesWithoutDigits) {
    EXPECT_EQ(show(NAN, "f10.3").chl, "NaN");
    EXPECT_EQ(show(-NAN, "f10.3").chl, "NaN");
    Shown inf = show(-INFINITY, "f10.3");
    EXPECT_EQ(inf.chl, "-Infinity");
    EXPECT_EQ(inf.form, "e15.5  ");
    EXPECT_EQ(show(1.0e-40f, "e12.3").chl, "1.000e-40");
    EXPECT_EQ(show(1.4e-45f, "f10.3").chl, "0.000");
}

// The value prompts show a value with trlnu and read it back with trlch: the
// shown digits must be the typed ones, including just below a power of ten.
TEST(NumberText, TypedValuesShowTheirOwnDigits) {
    EXPECT_EQ(show(typed("99.998"), "f10.3").chl, "99.998");
    EXPECT_EQ(show(typed("999.999"), "f10.3").chl, "999.999");
    EXPECT_EQ(show(99998.0f, "i8").chl, "99998");
    EXPECT_EQ(show(99.998f, "e10.2").chl, "1.00e2");
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
