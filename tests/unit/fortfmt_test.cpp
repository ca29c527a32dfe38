#include "fortfmt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace zorb;

float from_bits(uint32_t b) {
    float v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// Every row of the reference table: descriptor, IEEE bits, value, |text|.
TEST(FortranFields, EveryRowOfTheReferenceTable) {
    std::ifstream in(std::string(ZORB_SOURCE_DIR) + "/tests/data/fortran-formats.tsv");
    ASSERT_TRUE(in) << "reference table missing";
    std::string line;
    std::getline(in, line);  // column names
    int rows = 0;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string desc, bits, value, quoted;
        std::getline(ls, desc, '\t');
        std::getline(ls, bits, '\t');
        std::getline(ls, value, '\t');
        std::getline(ls, quoted);
        ASSERT_GE(quoted.size(), 2u) << line;
        const std::string want = quoted.substr(1, quoted.size() - 2);
        const float v = from_bits(static_cast<uint32_t>(std::stoul(bits, nullptr, 16)));
        std::string got;
        if (desc == "LD") {
            got = fmt_ld(v);
        } else {
            const char kind = desc[0];
            const int w = std::stoi(desc.substr(1));
            const int d = std::stoi(desc.substr(desc.find('.') + 1));
            got = kind == 'G' ? fmt_g(v, w, d) : fmt_f(v, w, d);
        }
        EXPECT_EQ(got, want) << desc << " of " << value << " (" << bits << ")";
        ++rows;
    }
    EXPECT_EQ(rows, 1170);
}

}  // namespace

namespace {

using namespace zorb;

// Cases the table lacks: narrow fields lose the leading zero first, then fill
// with asterisks; integers; the last value before the G form's switch.
TEST(FortranFields, NarrowFieldsAndIntegers) {
    const std::pair<std::string, std::string> cases[] = {
        {fmt_f(-0.5f, 4, 2), "-.50"},       {fmt_f(0.5f, 3, 2), ".50"},
        {fmt_f(-0.5f, 3, 2), "***"},        {fmt_f(-0.04f, 3, 1), "-.0"},
        {fmt_g(-12345.0f, 9, 3), "-.123E+05"}, {fmt_g(1.5f, 6, 3), "******"},
        {fmt_f(INFINITY, 3, 1), "Inf"},     {fmt_f(-INFINITY, 3, 1), "***"},
        {fmt_f(NAN, 2, 1), "**"},           {fmt_i(-100, 3), "***"},
        {fmt_i(-100, 5), " -100"},          {fmt_ld_int(INT32_MIN), " -2147483648"},
        {fmt_ld_int(7), "           7"},
        // The float just below 999.5 stays in fixed form (the scaled product
        // would round up to the switch).
        {fmt_g(999.49994f, 12, 3), "    999.    "}, {fmt_g(-999.49994f, 12, 3), "   -999.    "}};
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

}  // namespace
