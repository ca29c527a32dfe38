#include "fortfmt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
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

namespace {

using namespace zorb;

// The integer path of Fw.d against the library's conversion, over floats
// chosen where the two could part: a dense sweep below 1e6, a thin one over
// every magnitude (the products that leave the integer path), every halfway
// case of d decimals (the floats j / 2**(d+1), j odd), and the floats around
// the powers of ten where a field fills up, loses its leading zero or turns
// to asterisks.  Each value with both signs, each d with the widths the
// programs use and with widths one and two above d (".50", "-.5").
#if defined(__SANITIZE_ADDRESS__)
constexpr uint32_t thin = 8;
#else
constexpr uint32_t thin = 1;
#endif

uint32_t bits_of(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Fw.d of a finite value through the C library's conversion alone, the way
// every value went before the integer path: the magnitude with d decimals
// and its point, the sign, the leading zero dropped where the field has no
// room for it, asterisks where the number still does not fit.
std::string fmt_f_by_library(float v, int w, int d) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%#.*f", d, std::fabs(static_cast<double>(v)));
    std::string body = buf;
    const std::string sign = std::signbit(v) ? "-" : "";
    if (static_cast<int>(sign.size() + body.size()) > w && body.size() > 1 && body[0] == '0' &&
        body[1] == '.')
        body.erase(0, 1);
    const std::string text = sign + body;
    if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
    return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

struct Checker {
    long compared = 0;
    long parted = 0;
    void operator()(float v, int w, int d) {
        for (float x : {v, -v}) {
            ++compared;
            const std::string fast = fmt_f(x, w, d);
            const std::string ref = fmt_f_by_library(x, w, d);
            if (fast != ref && ++parted <= 10)
                ADD_FAILURE() << "F" << w << "." << d << " of " << x << " (bits " << std::hex
                              << bits_of(x)
                              << std::dec << "): \"" << fast << "\", library \"" << ref << "\"";
        }
    }
};

TEST(FortranFields, IntegerPathMatchesTheLibraryConversion) {
    Checker check;
    const std::pair<int, int> used[] = {{11, 0}, {12, 0}, {10, 1}, {5, 2}, {6, 2}, {10, 2},
                                        {8, 3},  {9, 3},  {10, 3}, {8, 4}, {10, 4}, {12, 5},
                                        {12, 6}, {14, 7}, {16, 8}};
    // Dense below 1e6, thin over all finite floats.
    for (uint32_t b = 0; b < bits_of(1e6f); b += 4999 * thin)
        for (const auto& [w, d] : used) check(from_bits(b), w, d);
    for (uint32_t b = 0; b < 0x7f800000u; b += 1000003 * thin)
        for (int d = 0; d <= 10; ++d) check(from_bits(b), 24, d);
    for (int d = 0; d <= 8; ++d) {
        // Halfway cases and their neighbours: small j all, larger j sampled.
        const float unit = std::ldexp(1.0f, -(d + 1));
        for (uint32_t j = 1; j < (1u << 24); j += j < (1u << 15) ? 2 : 2 * 997 * thin) {
            const float v = static_cast<float>(j) * unit;
            for (float x : {v, std::nextafterf(v, 0.0f), std::nextafterf(v, INFINITY)})
                check(x, 20, d);
        }
        // Around 10**p and 10**p - 0.5 / 10**d, for the widths where they
        // decide the layout.
        for (int w : {d + 1, d + 2, d + 3, d + 5, 10, 12}) {
            for (int p = -d - 1; p <= w - d; ++p) {
                for (double edge : {std::pow(10.0, p), std::pow(10.0, p) - 0.5 * std::pow(10.0, -d)}) {
                    if (!(edge > 0.0) || edge > 3e38) continue;
                    float v = static_cast<float>(edge);
                    for (int k = 0; k < 200 / static_cast<int>(thin); ++k) v = std::nextafterf(v, 0.0f);
                    for (int k = 0; k < 400 / static_cast<int>(thin); ++k, v = std::nextafterf(v, INFINITY))
                        check(v, w, d);
                }
            }
        }
    }
    EXPECT_EQ(check.parted, 0) << "of " << check.compared;
    EXPECT_GT(check.compared, 5000000 / static_cast<long>(thin));
}

}  // namespace
