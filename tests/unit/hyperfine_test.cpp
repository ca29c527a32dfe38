#include "hyperfine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

using zorb::arcos;

namespace {

uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Lines 1, 2 and 6 of the measured spectrum and its centre.
constexpr float L1 = -6.551f, L2 = -4.2325f, L6 = 5.834f, IS = -0.5f;

struct Result {
    float haeu = -1.0f, phi = -7.0f, teta = -7.0f;
    bool exist = false;
    std::string screen;
};

Result solve(float qas, float eta, int ioct, float l2 = L2) {
    Result r;
    testing::internal::CaptureStdout();
    zorb::lines_l_h(qas, eta, IS, L1, l2, L6, ioct, r.haeu, r.phi, r.teta, r.exist);
    std::fflush(stdout);
    r.screen = testing::internal::GetCapturedStdout();
    return r;
}

}  // namespace

TEST(Hyperfine, BetaIsTheSinglePrecisionValue) {
    EXPECT_EQ(bits(zorb::hyperfine_beta()), 0x3FA1E638u);
}

TEST(Hyperfine, FieldAndAnglesInEveryOctant) {
    const float phi[] = {0.349079f, 2.792513f, 3.490672f, -0.349079f};
    for (int ioct = 1; ioct <= 8; ++ioct) {
        SCOPED_TRACE(ioct);
        Result r = solve(-0.7f, 0.2f, ioct);
        ASSERT_TRUE(r.exist);
        EXPECT_EQ(r.screen, "");
        EXPECT_NEAR(r.haeu, 382.76f, 0.005f);
        EXPECT_NEAR(r.phi, phi[(ioct - 1) % 4], 3e-6f);
        EXPECT_NEAR(r.teta, ioct <= 4 ? 1.475006f : 1.666587f, 3e-6f);
    }
    // Octants at most 0 act as 1, from 9 on as 5.
    Result one = solve(-0.7f, 0.2f, 1), five = solve(-0.7f, 0.2f, 5);
    for (int ioct : {0, -3, 9, 1000}) {
        Result r = solve(-0.7f, 0.2f, ioct);
        const Result& like = ioct < 1 ? one : five;
        EXPECT_EQ(bits(r.phi), bits(like.phi)) << ioct;
        EXPECT_EQ(bits(r.teta), bits(like.teta)) << ioct;
    }
}

TEST(Hyperfine, FailuresLeaveTheResultsAlone) {
    // sin^2 theta below 0: reported with its value, then an empty line.
    Result r = solve(-0.1f, 0.2f, 1);
    EXPECT_FALSE(r.exist);
    EXPECT_EQ(r.phi, -7.0f);
    EXPECT_EQ(r.teta, -7.0f);
    EXPECT_EQ(r.screen, " sin(theta)**2 =  -0.030  < 0.0\n\n");

    // The degenerate quadratic is reported too.
    r = solve(-10.0f, 0.2f, 1, -4.0f);
    EXPECT_FALSE(r.exist);
    ASSERT_EQ(r.screen.size(), 18u + 8u + 13u + 2u) << r.screen;
    EXPECT_EQ(r.screen.substr(0, 18), " am2=-(a2++2)/10 =");
    EXPECT_EQ(r.screen.substr(26), " is < 0.00001\n\n");

    // Silent exits: no field at all (haeu untouched), and later ones after
    // the field was worked out; a zero splitting has no solution either.
    r = solve(-20.0f, 0.2f, 1);
    EXPECT_EQ(r.haeu, -1.0f);
    // A splitting so small that the scaled quantities overflow gives no
    // number for sin^2 theta: no solution, and no message.
    for (float qas : {-20.0f, -8.0f, 0.7f, 2.0f, 0.0f, -0.0f, 1e-9f, -1e-20f}) {
        r = solve(qas, 0.2f, 1);
        EXPECT_FALSE(r.exist) << qas;
        EXPECT_EQ(r.phi, -7.0f) << qas;
        EXPECT_EQ(r.screen, "") << qas;
    }

    // b_exist is never cleared: the caller's value survives a failure.
    float haeu = 0, phi = 0, teta = 0;
    bool exist = true;
    testing::internal::CaptureStdout();
    zorb::lines_l_h(-0.1f, 0.2f, IS, L1, L2, L6, 1, haeu, phi, teta, exist);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(exist);
}

TEST(Hyperfine, PhiVanishesWithoutAsymmetry) {
    for (float eta : {0.0f, 0.00005f}) {
        Result r = solve(-0.7f, eta, 1);
        ASSERT_TRUE(r.exist) << eta;
        EXPECT_EQ(r.phi, 0.0f) << eta;
        EXPECT_EQ(bits(solve(-0.7f, eta, 2).phi), bits(3.1415927f)) << eta;
    }
}

TEST(Arcos, StatedValues) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float h : {1.0f, 1.5f, inf}) EXPECT_EQ(arcos(h), 0.0f) << h;
    for (float h : {-1.0f, -2.0f, -inf}) EXPECT_EQ(bits(arcos(h)), bits(3.1415927f)) << h;
    EXPECT_EQ(bits(arcos(0.00005f)), bits(1.5707964f));
    EXPECT_EQ(bits(arcos(-0.00005f)), bits(1.5707964f));
    EXPECT_NEAR(arcos(0.5f), 1.0471976f, 1e-7f);
    EXPECT_NEAR(arcos(-0.5f), 2.0943952f, 2e-7f);
}

// A result must not depend on what was asked before it.  Each case is solved
// after a call that differs from it in one input only (a signed zero, the
// next float, another line), and against its result after a call that
// differs from it in every input.
TEST(Hyperfine, ResultsDoNotDependOnThePreviousCall) {
    struct Case {
        float qas, eta, is, l2;
    };
    const Case cases[] = {
        {-0.7f, 0.2f, IS, L2},
        {-0.7f, 0.3f, IS, L2},
        {std::nextafter(-0.7f, 0.0f), 0.2f, IS, L2},
        {-0.7f, 0.2f, std::nextafter(IS, 0.0f), L2},
        {-0.7f, 0.2f, IS + 0.01f, L2},
        {-0.7f, 0.2f, IS, -4.0f},
        {0.7f, 0.2f, IS, L2},
        {-1.5f, 0.9f, IS, L2},
        {0.0f, 0.2f, IS, L2},
        {-0.0f, 0.2f, IS, L2},
        {-0.1f, 0.2f, IS, L2},   // prints message 2
        {-0.7f, 0.0f, IS, L2},
        {-0.7f, -0.0f, IS, L2},
    };
    auto run = [](const Case& c) {
        Result r;
        testing::internal::CaptureStdout();
        zorb::lines_l_h(c.qas, c.eta, c.is, L1, c.l2, L6, 1, r.haeu, r.phi, r.teta, r.exist);
        std::fflush(stdout);
        r.screen = testing::internal::GetCapturedStdout();
        return r;
    };
    const Case other = {-3.3f, 0.77f, 0.123f, -4.1f};
    constexpr std::size_t n = sizeof cases / sizeof cases[0];
    Result fresh[n];
    for (std::size_t i = 0; i < n; ++i) {
        run(other);
        fresh[i] = run(cases[i]);
    }
    auto same = [&](std::size_t i, const Result& r) {
        EXPECT_EQ(r.exist, fresh[i].exist);
        EXPECT_EQ(bits(r.haeu), bits(fresh[i].haeu));
        EXPECT_EQ(bits(r.phi), bits(fresh[i].phi));
        EXPECT_EQ(bits(r.teta), bits(fresh[i].teta));
        EXPECT_EQ(r.screen, fresh[i].screen);
    };
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            SCOPED_TRACE(testing::Message() << "case " << j << " after case " << i);
            same(i, run(cases[i]));
            same(j, run(cases[j]));
        }
    }
}
