#include "hyperfine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

using zorb::arcos;
using zorb::lines_l_h;

namespace {

uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// The measured spectrum used throughout: lines 1, 2 and 6 and the centre.
constexpr float L1 = -6.551f, L2 = -4.2325f, L6 = 5.834f, IS = -0.5f;

struct Result {
    float haeu = -1.0f, phi = -7.0f, teta = -7.0f;
    bool exist = false;
    std::string screen;
};

Result solve(float qas, float eta, int ioct, float l2 = L2) {
    Result r;
    testing::internal::CaptureStdout();
    lines_l_h(qas, eta, IS, L1, l2, L6, ioct, r.haeu, r.phi, r.teta, r.exist);
    std::fflush(stdout);
    r.screen = testing::internal::GetCapturedStdout();
    return r;
}

}  // namespace

TEST(Hyperfine, BetaIsTheSinglePrecisionValue) {
    EXPECT_EQ(bits(zorb::hyperfine_beta()), 0x3FA1E638u);
}

TEST(Hyperfine, FieldAndAnglesOfTheReferenceSpectrum) {
    Result r = solve(-0.7f, 0.2f, 1);
    ASSERT_TRUE(r.exist);
    EXPECT_EQ(r.screen, "");
    EXPECT_NEAR(r.haeu, 382.76f, 0.005f);
    EXPECT_NEAR(r.phi, 0.349079f, 2e-6f);
    EXPECT_NEAR(r.teta, 1.475006f, 2e-6f);
    EXPECT_NEAR(r.phi / 0.017453292f, 20.00f, 0.005f);
    EXPECT_NEAR(r.teta / 0.017453292f, 84.51f, 0.005f);
}

TEST(Hyperfine, EveryOctantReportsItsPhiAndTheta) {
    const float phi[] = {0.349079f, 2.792513f, 3.490672f, -0.349079f};
    for (int ioct = 1; ioct <= 8; ++ioct) {
        SCOPED_TRACE(ioct);
        Result r = solve(-0.7f, 0.2f, ioct);
        ASSERT_TRUE(r.exist);
        EXPECT_NEAR(r.haeu, 382.76f, 0.005f);
        EXPECT_NEAR(r.phi, phi[(ioct - 1) % 4], 3e-6f);
        EXPECT_NEAR(r.teta, ioct <= 4 ? 1.475006f : 1.666587f, 3e-6f);
    }
    // Octants outside 1 to 8: at most 0 acts as 1, 9 and above as 5.
    Result one = solve(-0.7f, 0.2f, 1), five = solve(-0.7f, 0.2f, 5);
    for (int ioct : {0, -3}) {
        Result r = solve(-0.7f, 0.2f, ioct);
        EXPECT_EQ(bits(r.phi), bits(one.phi));
        EXPECT_EQ(bits(r.teta), bits(one.teta));
    }
    for (int ioct : {9, 12, 1000}) {
        Result r = solve(-0.7f, 0.2f, ioct);
        EXPECT_EQ(bits(r.phi), bits(five.phi));
        EXPECT_EQ(bits(r.teta), bits(five.teta));
    }
}

TEST(Hyperfine, SinSquaredOutOfRangeIsReportedAndLeavesTheResultsAlone) {
    Result r = solve(-0.1f, 0.2f, 1);
    EXPECT_FALSE(r.exist);
    EXPECT_EQ(r.phi, -7.0f);
    EXPECT_EQ(r.teta, -7.0f);
    EXPECT_EQ(r.screen, " sin(theta)**2 =  -0.030  < 0.0\n\n");

    // b_exist is never cleared here: a caller's true survives a failure.
    float haeu = 0, phi = 0, teta = 0;
    bool exist = true;
    testing::internal::CaptureStdout();
    lines_l_h(-0.1f, 0.2f, IS, L1, L2, L6, 1, haeu, phi, teta, exist);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(exist);
}

TEST(Hyperfine, DegenerateQuadraticIsReported) {
    Result r = solve(-10.0f, 0.2f, 1, -4.0f);
    EXPECT_FALSE(r.exist);
    EXPECT_EQ(r.phi, -7.0f);
    ASSERT_EQ(r.screen.size(), 18u + 8u + 13u + 2u) << r.screen;
    EXPECT_EQ(r.screen.substr(0, 18), " am2=-(a2++2)/10 =");
    EXPECT_EQ(r.screen.substr(26), " is < 0.00001\n\n");
}

TEST(Hyperfine, SilentExitsPrintNothing) {
    // A splitting too large for the pattern: no field at all, haeu untouched.
    Result early = solve(-20.0f, 0.2f, 1);
    EXPECT_FALSE(early.exist);
    EXPECT_EQ(early.haeu, -1.0f);
    EXPECT_EQ(early.screen, "");
    // Later exits: the field was worked out, the angles have no solution.
    for (float qas : {-8.0f, 0.7f, 2.0f}) {
        Result r = solve(qas, 0.2f, 1);
        EXPECT_FALSE(r.exist) << qas;
        EXPECT_NE(r.haeu, -1.0f) << qas;
        EXPECT_EQ(r.phi, -7.0f) << qas;
        EXPECT_EQ(r.screen, "") << qas;
    }
    Result far = solve(-0.7f, 0.2f, 1, 30.0f);
    EXPECT_FALSE(far.exist);
    EXPECT_EQ(far.screen, "");
}

TEST(Hyperfine, ZeroSplittingHasNoSolution) {
    for (float qas : {0.0f, -0.0f}) {
        Result r = solve(qas, 0.2f, 1);
        EXPECT_FALSE(r.exist);
        EXPECT_EQ(r.screen, "");
        EXPECT_EQ(r.phi, -7.0f);
        EXPECT_EQ(r.teta, -7.0f);
    }
}

TEST(Hyperfine, PhiVanishesWithoutAsymmetry) {
    for (float eta : {0.0f, 0.00005f}) {
        SCOPED_TRACE(eta);
        Result r = solve(-0.7f, eta, 1);
        ASSERT_TRUE(r.exist);
        EXPECT_EQ(r.phi, 0.0f);
        EXPECT_EQ(bits(solve(-0.7f, eta, 2).phi), bits(3.1415927f));
    }
}

TEST(Arcos, StatedValues) {
    EXPECT_EQ(arcos(1.0f), 0.0f);
    EXPECT_EQ(arcos(1.5f), 0.0f);
    EXPECT_EQ(bits(arcos(-1.0f)), bits(3.1415927f));
    EXPECT_EQ(bits(arcos(-2.0f)), bits(3.1415927f));
    EXPECT_EQ(bits(arcos(0.00005f)), bits(1.5707964f));
    EXPECT_EQ(bits(arcos(-0.00005f)), bits(1.5707964f));
    EXPECT_NEAR(arcos(0.5f), 1.0471976f, 1e-7f);
    EXPECT_NEAR(arcos(-0.5f), 2.0943952f, 2e-7f);
    EXPECT_EQ(arcos(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(bits(arcos(-std::numeric_limits<float>::infinity())), bits(3.1415927f));
}

TEST(Arcos, MonotoneDecreasingAcrossTheRange) {
    float prev = arcos(-1.0f);
    for (int i = -999; i <= 1000; ++i) {
        float h = static_cast<float>(i) / 1000.0f;
        float a = arcos(h);
        EXPECT_LE(a, prev + 1e-6f) << h;
        EXPECT_NEAR(a, std::acos(static_cast<double>(h)), 2e-4) << h;
        prev = a;
    }
}
