// The minimiser of select: bracketing, Brent's line search, Powell's
// direction sets, on functions with known minima; and the index sort.
#include "powell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "indexx.h"

namespace {

int calls = 0;   // evaluations of the function under test

float parabola2(float x, void*) { return ++calls, (x - 2.0f) * (x - 2.0f); }
float parabola_m3(float x, void*) { return ++calls, (x + 3.0f) * (x + 3.0f); }
float vee(float x, void*) { return ++calls, std::fabs(x - 0.3f); }
float quartic(float x, void*) { return ++calls, (x - 5.0f) * (x - 5.0f) * (x - 5.0f) * (x - 5.0f); }

struct LineCase {
    const char* name;
    zorb::LineFunction f;
    float minimum;
    int bracket_calls, brent_calls;
};

// Each function bracketed from 0 and 1, then searched to 1e-4.
const std::vector<LineCase> line_cases = {
    {"(x-2)^2", parabola2, 2.0f, 4, 5},      // the parabola's vertex at once
    {"(x+3)^2", parabola_m3, -3.0f, 5, 5},   // uphill: the search turns
    {"|x-0.3|", vee, 0.3f, 3, 14},
    {"(x-5)^4", quartic, 5.0f, 7, 11},
};

float bowl(const float* x, int n, void*) {
    ++calls;
    float s = 0.0f;
    for (int i = 0; i < n; ++i) {
        float d = x[i] - static_cast<float>(i + 1);
        s = s + d * d;
    }
    return s;
}
// A valley along x = y, flat in any third variable: the directions must
// turn for it.
float valley(const float* x, int, void*) {
    ++calls;
    float d = x[0] - x[1], s = x[0] + x[1] - 2.0f;
    return 10.0f * d * d + s * s;
}
float nowhere(const float*, int, void*) { return ++calls, NAN; }

zorb::Square<float> unit_directions(int n) {
    zorb::Square<float> xi(n);
    for (int i = 1; i <= n; ++i) xi(i, i) = 1.0f;
    return xi;
}

}  // namespace

TEST(LineSearch, BracketThenBrentPinnedCounts) {
    for (const LineCase& c : line_cases) {
        SCOPED_TRACE(c.name);
        calls = 0;
        float ax = 0.0f, bx = 1.0f, cx = 0.0f, fa = 0.0f, fb = 0.0f, fc = 0.0f;
        zorb::mnbrak(ax, bx, cx, fa, fb, fc, c.f, nullptr);
        EXPECT_EQ(calls, c.bracket_calls);
        // A bracket: bx between ax and cx, its value below both.
        EXPECT_GT((bx - ax) * (cx - bx), 0.0f);
        EXPECT_LE(fb, fa);
        EXPECT_LE(fb, fc);
        EXPECT_GT((c.minimum - std::fmin(ax, cx)) * (std::fmax(ax, cx) - c.minimum), 0.0f);
        calls = 0;
        float xmin = 0.0f;
        float f = zorb::brent(ax, bx, cx, c.f, nullptr, 1.0e-4f, xmin);
        EXPECT_EQ(calls, c.brent_calls);
        EXPECT_NEAR(xmin, c.minimum, 2e-4f * std::fabs(c.minimum) + 0.02f);
        EXPECT_EQ(f, c.f(xmin, nullptr));
    }
}

TEST(LineSearch, BrentStopsAfterAHundredIterationsSilently) {
    // A tolerance of 0 is never met (1e-10 near 2 is below one unit).
    calls = 0;
    float xmin = 0.0f;
    testing::internal::CaptureStdout();
    zorb::brent(1.0f, 1.9f, 3.0f, parabola2, nullptr, 0.0f, xmin);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(calls, 101);
    EXPECT_NEAR(xmin, 2.0f, 1e-3f);
}

// What powell returns: the best point met (the start when nothing beats the
// value passed in), the iterations, the message at the limit.
TEST(Powell, ResultIterationsAndMessage) {
    struct Case {
        const char* name;
        zorb::Objective f;
        std::vector<float> start;
        float fret_in;   // NaN: the value at the start
        std::vector<float> p;
        float fret;      // NaN: the value at p
        int iter;
        std::string screen;
    };
    const std::string limit = " Powell exceeding maximum iterations.\n";
    const std::vector<Case> cases = {
        {"n = 1, the line minimum", bowl, {0.0f}, NAN, {1.0f}, NAN, 2, ""},
        {"nothing beats the value in", bowl, {0.0f, 0.0f}, -1.0f, {0.0f, 0.0f}, -1.0f, 0, ""},
        {"converged in iteration 1", bowl, {1.0f, 2.0f}, NAN, {1.0f, 2.0f}, 0.0f, 1, ""},
        {"iteration limit", nowhere, {0.25f, 0.5f}, 3.0f, {0.25f, 0.5f}, 3.0f, 100, limit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> p = c.start;
        const int n = static_cast<int>(p.size());
        float fret = std::isnan(c.fret_in) ? c.f(p.data(), n, nullptr) : c.fret_in;
        zorb::Square<float> xi = unit_directions(n);
        int iter = -1;
        testing::internal::CaptureStdout();
        zorb::powell(p.data(), xi, n, n, 1.0e-6f, iter, fret, c.f, nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.screen);
        for (int j = 0; j < n; ++j) EXPECT_NEAR(p[j], c.p[j], 1e-3f) << j;
        EXPECT_EQ(fret, std::isnan(c.fret) ? c.f(p.data(), n, nullptr) : c.fret);
        if (c.iter > 0) {
            EXPECT_EQ(iter, c.iter);
        }
    }
}

TEST(Powell, ValleyTurnsDirectionsButNeverMovesTheLast) {
    float p[3] = {-1.0f, 0.5f, 0.0f};
    float fret = valley(p, 3, nullptr);
    zorb::Square<float> xi = unit_directions(3);
    int iter = 0;
    zorb::powell(p, xi, 3, 3, 1.0e-6f, iter, fret, valley, nullptr);
    EXPECT_NEAR(p[0], 1.0f, 1e-2f);
    EXPECT_NEAR(p[1], 1.0f, 1e-2f);
    EXPECT_EQ(fret, valley(p, 3, nullptr));
    EXPECT_GT(iter, 1);
    EXPECT_LT(iter, 100);
    // The third direction never lowers the value, so it is never the one of
    // largest decrease; a new direction takes the place of that one, and the
    // last column is not moved there: it stays the third unit vector.
    EXPECT_EQ(xi(1, 3), 0.0f);
    EXPECT_EQ(xi(2, 3), 0.0f);
    EXPECT_EQ(xi(3, 3), 1.0f);
    EXPECT_TRUE(xi(2, 1) != 0.0f || xi(1, 2) != 0.0f);   // a direction has turned
}

TEST(IndexSort, Tables) {
    struct Case {
        std::vector<float> a;
        std::vector<int> indx;
    };
    const std::vector<Case> cases = {
        {{3, 1, 2}, {2, 3, 1}},
        {{7}, {1}},
        {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
        {{5, 4, 3, 2, 1}, {5, 4, 3, 2, 1}},
        {{0.5f, -2, 9, 0.5f + 1e-6f, -7, 3}, {5, 2, 1, 4, 6, 3}},
    };
    for (const Case& c : cases) {
        std::vector<int> indx(c.a.size(), -1);
        zorb::indexx(static_cast<int>(c.a.size()), c.a.data(), indx.data());
        EXPECT_EQ(indx, c.indx);
    }
    int untouched = 42;
    zorb::indexx(0, nullptr, &untouched);
    EXPECT_EQ(untouched, 42);
    // Equal values: a permutation in ascending order, whatever its order.
    std::vector<float> a = {2, 1, 2, 1, 2, 1, 2};
    std::vector<int> indx(a.size());
    zorb::indexx(7, a.data(), indx.data());
    std::vector<int> seen(8, 0);
    for (std::size_t i = 0; i < indx.size(); ++i) {
        ++seen[static_cast<std::size_t>(indx[i])];
        if (i > 0) {
            EXPECT_LE(a[indx[i - 1] - 1], a[indx[i] - 1]);
        }
    }
    EXPECT_EQ(seen, std::vector<int>({0, 1, 1, 1, 1, 1, 1, 1}));
}
