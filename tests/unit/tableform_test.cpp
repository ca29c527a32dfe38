#include "tableform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zorb;

std::string code(const Array1<Code4, 32>& chf, int k) { return chf(k).str(); }

TEST(TableForm, CodesByKindWidthAndDecimals) {
    Text132 line("12 1.25   1.5e3,-0.125");
    Array1<Code4, 32> chf;
    int n = -1;
    fout_a(line, chf, n);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(code(chf, 1), "i02 ");
    EXPECT_EQ(code(chf, 2), "f042");
    EXPECT_EQ(code(chf, 3), "e071");
    EXPECT_EQ(code(chf, 4), "f063");
    EXPECT_TRUE(line.blank()) << "the numbers are consumed";
}

TEST(TableForm, LimitsKeepEveryFieldIntact) {
    // 33 numbers: 32 codes, the last stays in the line.
    std::string s;
    for (int k = 1; k <= 33; ++k) s += std::to_string(k % 10) + " ";
    Text132 line(s);
    Array1<Code4, 32> chf;
    int n = 0;
    fout_a(line, chf, n);
    EXPECT_EQ(n, 32);
    EXPECT_EQ(line.trimmed(), " 3");

    // A 30-character number is measured on its first 24; more than nine
    // decimals are written as 9.
    Text132 longnum("1.2345678901234567890123456789");
    fout_a(longnum, chf, n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(code(chf, 1), "f249");

    Text132 blank;
    fout_a(blank, chf, n);
    EXPECT_EQ(n, 0);
}

TEST(TableForm, ColumnsShareTheWidestWidth) {
    Array1<Code4, 24> chf;
    chf(1) = "i02 ";
    chf(2) = "f042";
    chf(3) = "e121";
    Array1<Desc5, 24> fmt;
    fmt(4) = "keep ";
    fcolumn(chf, 3, fmt);
    EXPECT_EQ(fmt(1).str(), "i12  ");
    EXPECT_EQ(fmt(2).str(), "f12.2");
    EXPECT_EQ(fmt(3).str(), "e12.1");
    EXPECT_EQ(fmt(4).str(), "keep ");

    // At least three wide; a blank tens position counts the units alone.
    chf(1) = "i 2 ";
    chf(2) = "f021";
    fcolumn(chf, 2, fmt);
    EXPECT_EQ(fmt(1).str(), "i3   ");
    EXPECT_EQ(fmt(2).str(), "f3.1 ");
}

TEST(TableForm, WholeFormatText) {
    Text132 line("1.25,7");
    Text132 fmt;
    int j = 0;
    fout_c(line, fmt, j);
    EXPECT_EQ(j, 19);
    EXPECT_EQ(fmt.trimmed(), ",1x,f05.2,1x,f02.0)");
    EXPECT_TRUE(line.blank());

    Text132 blank;
    fout_c(blank, fmt, j);
    EXPECT_EQ(j, 10);
    EXPECT_EQ(fmt.trimmed(), ",1x,f04.1)");

    Text132 expo("-1.5E-3");
    fout_c(expo, fmt, j);
    EXPECT_EQ(fmt.trimmed(), ",1x,e10.1)");
}

TEST(TableForm, FormatTextStopsAtFourteenDescriptors) {
    Text132 line("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
    Text132 fmt;
    int j = 0;
    fout_c(line, fmt, j);
    EXPECT_EQ(j, 127);
    EXPECT_EQ(fmt(127), ')');
    EXPECT_EQ(fmt.sub(118, 126), ",1x,f03.0");
    EXPECT_EQ(line.trimmed(), " 15 16");
}

}  // namespace
