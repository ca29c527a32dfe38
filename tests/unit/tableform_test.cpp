#include "tableform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zorb;

TEST(TableForm, CodesByKindWidthAndDecimals) {
    Text132 line("12 1.25   1.5e3,-0.125 1.2345678901234567890123456789");
    Array1<Code4, 32> chf;
    int n = -1;
    fout_a(line, chf, n);
    ASSERT_EQ(n, 5);
    const char* want[] = {"i02 ", "f042", "e071", "f063", "f249"};
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(chf(k).str(), want[k - 1]);
    EXPECT_TRUE(line.blank()) << "the numbers are consumed";

    std::string s;  // 33 numbers: 32 codes, the last stays in the line
    for (int k = 1; k <= 33; ++k) s += std::to_string(k % 10) + " ";
    Text132 many(s);
    fout_a(many, chf, n);
    EXPECT_EQ(n, 32);
    EXPECT_EQ(many.trimmed(), " 3");
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
    chf(1) = "i 2 ";  // at least three wide; a blank tens digit counts as none
    fcolumn(chf, 1, fmt);
    EXPECT_EQ(fmt(1).str(), "i3   ");
}

TEST(TableForm, WholeFormatText) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.25,7", ",1x,f05.2,1x,f02.0)"}, {"", ",1x,f04.1)"}, {"-1.5E-3", ",1x,e10.1)"}};
    for (auto [in, want] : cases) {
        Text132 line(in), fmt;
        int j = 0;
        fout_c(line, fmt, j);
        EXPECT_EQ(fmt.trimmed(), want);
        EXPECT_EQ(j, static_cast<int>(std::string(want).size()));
        EXPECT_TRUE(line.blank());
    }
    // Fourteen descriptors fill the text; the rest stay in the line.
    Text132 line("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16"), fmt;
    int j = 0;
    fout_c(line, fmt, j);
    EXPECT_EQ(j, 127);
    EXPECT_EQ(fmt.sub(118, 127), ",1x,f03.0)");
    EXPECT_EQ(line.trimmed(), " 15 16");
}

}  // namespace
