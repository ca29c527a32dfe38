#include "numread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace zorb;

std::vector<float> read(const std::string& s, int n_ch = 80) {
    Text132 line(s);
    int iout = -1;
    NumberList out;
    std::memset(&out, 0x7f, sizeof out);
    trlch(n_ch, line, iout, out);
    return std::vector<float>(out.v, out.v + iout);
}

using V = std::vector<float>;

// The digit-by-digit sum in single precision is part of the value.
TEST(NumberReader, DigitByDigitSum) {
    EXPECT_EQ(read("5.834"), V{5.83400059f});
    EXPECT_NE(read("5.834")[0], 5.834f);
    EXPECT_EQ(read("-6.551 -4.2325  2.9495   5.834"),
              (V{-6.55100012f, -4.23250008f, 2.94950008f, 5.83400059f}));
    EXPECT_EQ(read("9.9996"), V{9.99959946f});
    EXPECT_EQ(read("1.5e3"), V{1500.0f});
    EXPECT_EQ(read("-1.5E-3"), V{-1.5f * powf(10.0f, -3.0f)});
}

TEST(NumberReader, Separators) {
    EXPECT_EQ(read("1.5,2"), (V{1.5f, 2.0f}));
    EXPECT_EQ(read("-1 2"), (V{-1.0f, 2.0f}));
    EXPECT_EQ(read("x=5"), V{5.0f});
    EXPECT_EQ(read("Is=-0.5 +3"), (V{-0.5f, 3.0f}));
    EXPECT_EQ(read(".5"), V{0.5f});
    EXPECT_EQ(read("1.2.3"), (V{1.2f, 0.3f}));
    EXPECT_EQ(read(""), V{});
    EXPECT_EQ(read("12 34", 0), V{});
    // Only the first n_ch characters count.
    EXPECT_EQ(read("12 34", 4), (V{12.0f, 3.0f}));
}

TEST(NumberReader, ExponentOnlyAfterAPoint) {
    EXPECT_EQ(read("15e3"), (V{15.0f, 3.0f}));
    EXPECT_EQ(read("1.5 e3"), (V{1.5f, 3.0f}));
    EXPECT_EQ(read("1.5e 3"), (V{1.5f, 3.0f}));
    // An exponent letter straight after digits ends the number wherever it
    // stands, not only at the start of the line.
    EXPECT_EQ(read("  15e3"), (V{15.0f, 3.0f}));
    EXPECT_EQ(read("-15e3 7"), (V{-15.0f, 3.0f, 7.0f}));
    EXPECT_EQ(read("a e 5"), V{5.0f});
}

// A minus sign directly after digits starts a negative number, and the sign
// stays negative for the rest of the line.
TEST(NumberReader, SignCarriedAfterMinusBetweenNumbers) {
    EXPECT_EQ(read("1-2"), (V{1.0f, -2.0f}));
    EXPECT_EQ(read("1-2 3 4"), (V{1.0f, -2.0f, -3.0f, -4.0f}));
    EXPECT_EQ(read("1 -2 3"), (V{1.0f, -2.0f, 3.0f}));
    EXPECT_EQ(read("--2 3"), (V{-2.0f, -3.0f}));
}

TEST(NumberReader, NumberEndingAtTheLastCharacter) {
    EXPECT_EQ(read("12", 2), V{12.0f});
    EXPECT_EQ(read("2.5", 3), V{2.5f});
    // A trailing point at n_ch leaves the number unfinished.
    EXPECT_EQ(read("5.", 2), V{});
    EXPECT_EQ(read("5.", 3), V{5.0f});
}

TEST(NumberReader, AtMostThirtyTwoNumbers) {
    std::string s;
    for (int k = 1; k <= 40; ++k) s += std::to_string(k) + " ";
    V want;
    for (int k = 1; k <= 32; ++k) want.push_back(static_cast<float>(k));
    EXPECT_EQ(read(s, 132), want);

    // The exponent of the 32nd number still applies; what follows is dropped.
    std::string t;
    for (int k = 1; k <= 31; ++k) t += "1 ";
    V w(31, 1.0f);
    w.push_back(2500.0f);
    EXPECT_EQ(read(t + "2.5e3 7 8", 132), w);
    w.back() = 2.5f;
    EXPECT_EQ(read(t + "2.5e x 7", 132), w);
}

TEST(NumberReader, AnyBytesStayInside) {
    std::string junk;
    for (int k = 0; k < 132; ++k) junk += static_cast<char>((k * 37 + 11) % 256);
    Text132 line(junk);
    int iout = -1;
    NumberList out;
    trlch(500, line, iout, out);
    EXPECT_GE(iout, 0);
    EXPECT_LE(iout, 32);
    // Huge exponents overflow to infinity rather than wrapping.
    EXPECT_EQ(read("1.0e99")[0], INFINITY);
    EXPECT_EQ(read("1.0e-99")[0], 0.0f);
}

}  // namespace
