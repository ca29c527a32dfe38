#include "numread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace zorb;
using V = std::vector<float>;

V read(const std::string& s, int n_ch = 80) {
    Text132 line(s);
    int iout = -1;
    NumberList out;
    trlch(n_ch, line, iout, out);
    return V(out.v, out.v + iout);
}

// The digit-by-digit sum in single precision is part of the value.
TEST(NumberReader, DigitByDigitSum) {
    EXPECT_EQ(read("-6.551 -4.2325  2.9495   5.834"),
              (V{-6.55100012f, -4.23250008f, 2.94950008f, 5.83400059f}));
    EXPECT_NE(read("5.834")[0], 5.834f);
    EXPECT_EQ(read("-1.5E-3"), V{-1.5f * powf(10.0f, -3.0f)});
    EXPECT_EQ(read("1.0e99"), V{INFINITY});
}

TEST(NumberReader, WhatSeparatesNumbers) {
    const std::pair<const char*, V> cases[] = {
        {"1.5,2", {1.5f, 2.0f}},       {"-1 2", {-1.0f, 2.0f}},     {"x=5", {5.0f}},
        {"Is=-0.5 +3", {-0.5f, 3.0f}}, {".5", {0.5f}},              {"1.2.3", {1.2f, 0.3f}},
        {"1.5e3", {1500.0f}},          {"15e3", {15.0f, 3.0f}},     {"1.5 e3", {1.5f, 3.0f}},
        {"1.5e 3", {1.5f, 3.0f}},      {"a e 5", {5.0f}},           {"", {}},
        // Digits without a point end at an exponent letter wherever they
        // stand.  This departs from looking back for the first non-digit,
        // which would find the blank or "=" in front and ignore the letter,
        // reading 153: a text reads alike at the start of a line and after a
        // blank, and no letter glues two numbers into one.  A letter straight
        // after any other character is ignored.
        {"  15e3", {15.0f, 3.0f}},     {"-15e3 7", {-15.0f, 3.0f, 7.0f}},
        {"x=15e3", {15.0f, 3.0f}},     {"=e5 -e2", {5.0f, -2.0f}},
        // A minus directly after digits starts a negative number and the
        // sign stays negative for the rest of the line.
        {"1-2 3", {1.0f, -2.0f, -3.0f}}, {"1 -2 3", {1.0f, -2.0f, 3.0f}}};
    for (const auto& [text, want] : cases) EXPECT_EQ(read(text), want) << text;
}

// A power of ten that is a normal float keeps the product in single precision
// bit for bit; one outside that range gives the nearest float of the number.
TEST(NumberReader, PowerOfTenOutsideTheFloatRange) {
    for (const char* m : {"1.5", "0.01", "9.99", "-3.25"})
        for (int e = -37; e <= 38; ++e)
            EXPECT_EQ(read(std::string(m) + "e" + std::to_string(e)),
                      V{powf(10.0f, static_cast<float>(e)) * read(m)[0]})
                << m << "e" << e;
    const std::pair<const char*, float> cases[] = {
        {"0.0e39", 0.0f},        {"0.0e99", 0.0f},       {"0.01e40", 1e38f},
        {"123456.0e-40", 1.23456e-35f},
        {"1000.0e-48", std::numeric_limits<float>::denorm_min()},
        {"0.4e-45", 0.0f},       {"1.0e39", INFINITY},    {"-1.0e39", -INFINITY}};
    for (const auto& [text, want] : cases) EXPECT_EQ(read(text), V{want}) << text;
    EXPECT_TRUE(std::signbit(read("-0.0e40")[0]));
    EXPECT_FALSE(std::signbit(read("0.0e40")[0]));
}

TEST(NumberReader, OnlyTheFirstNchCharacters) {
    EXPECT_EQ(read("12 34", 0), V{});
    EXPECT_EQ(read("12 34", 4), (V{12.0f, 3.0f}));
    EXPECT_EQ(read("5.", 2), V{});  // a trailing point at n_ch leaves it unfinished
    EXPECT_EQ(read("5.", 3), V{5.0f});
}

TEST(NumberReader, AtMostThirtyTwoNumbers) {
    std::string s;
    V want;
    for (int k = 1; k <= 40; ++k) s += std::to_string(k) + " ";
    for (int k = 1; k <= 32; ++k) want.push_back(static_cast<float>(k));
    EXPECT_EQ(read(s, 132), want);

    // The exponent of the 32nd number still applies; what follows is dropped.
    const std::string t = [] { std::string r; for (int k = 1; k <= 31; ++k) r += "1 "; return r; }();
    V w(31, 1.0f);
    w.push_back(2500.0f);
    EXPECT_EQ(read(t + "2.5e3 7 8", 132), w);
    w.back() = 2.5f;
    EXPECT_EQ(read(t + "2.5e x 7", 132), w);
}

}  // namespace
