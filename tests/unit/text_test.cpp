#include "text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zorb;

Text132 at(int pos, const std::string& s) {
    Text132 f;
    f.put(pos, pos + static_cast<int>(s.size()) - 1, s);
    return f;
}

TEST(StringLength, LeftJustifiesAndMeasuresUpTo131) {
    Text132 f = at(4, "aBc");
    int il = -1;
    lc_character(f);
    stringlength(f, il);
    EXPECT_EQ(il, 3);
    EXPECT_EQ(f.trimmed(), "abc");

    Text132 nul = Text132::nul();  // empty: left as it was
    nul(2) = 'X';
    lc_character(nul);
    stringlength(nul, il);
    EXPECT_EQ(il, 0);
    EXPECT_EQ(nul(2), 'X');

    Text132 last = at(132, "z");  // position 132 never counts, and is blanked
    stringlength(last, il);
    EXPECT_EQ(il, 0);
    EXPECT_TRUE(last.blank());

    Text132 full(" " + std::string(131, 'x'));
    stringlength(full, il);
    EXPECT_EQ(il, 130);
    EXPECT_EQ(full.trimmed(), std::string(130, 'x'));
}

// text_length measures as stringlength does and leaves the field alone.
TEST(StringLength, TextLengthMeasuresWithoutMoving) {
    Text132 nul_first = Text132::nul();
    nul_first(2) = 'X';
    Text132 nul_inside("a");
    nul_inside(2) = '\0';
    const Text132 cases[] = {Text132(),
                             at(4, "aBc"),
                             nul_first,
                             nul_inside,
                             at(132, "z"),
                             at(131, "y"),
                             Text132(" " + std::string(131, 'x'))};
    for (const Text132& c : cases) {
        SCOPED_TRACE(std::string(c.view()));
        Text132 measured = c, justified = c;
        int il = -1;
        stringlength(justified, il);
        EXPECT_EQ(text_length(measured), il);
        EXPECT_EQ(measured, c);
    }
}

TEST(StringEnd, LastNonBlankAtOrBeforeStart) {
    Text132 f("abc");
    int il = 0;
    stringend(f, il);
    EXPECT_EQ(il, 3);
    il = 2;
    stringend(f, il);
    EXPECT_EQ(il, 2);
    il = 40;
    stringend(at(50, "x"), il);
    EXPECT_EQ(il, 0);
}

TEST(NextChar, WalksItemsSeparatedByBlanksAndCommas) {
    const Text132 line("a1, b2  c3");
    Text132 cha;
    int il = 0, ip = 0, ia = 0;
    const int want_ip[] = {1, 5, 9};
    for (int item = 0; item < 3; ++item) {
        nextchar(line, il, ip, cha, ia);
        EXPECT_EQ(ip, want_ip[item]);
        EXPECT_EQ(ia, 2);
        EXPECT_EQ(cha.trimmed(), std::string(line.sub(ip, 132)).substr(0, 11 - ip));
        il = ip;
    }
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(ia, 0);
    EXPECT_TRUE(cha.blank());

    // Starts outside the line are brought back into it.
    const Text132 end = at(129, "abcd");
    il = 200;
    nextchar(end, il, ip, cha, ia);
    EXPECT_EQ(il, 130);
    EXPECT_EQ(cha.trimmed(), "d");
    il = -7;
    nextchar(end, il, ip, cha, ia);
    EXPECT_EQ(ip, 129);
    EXPECT_EQ(ia, 4);
}

TEST(CenterText, MarginsStayInsideTheColumnsAndTheField) {
    Text132 f("  ab");
    chcenter(f, '*', 6);
    EXPECT_EQ(f.sub(1, 7), "**ab** ");
    Text132 wide("abcdefgh");
    chcenter(wide, '*', 4);
    EXPECT_EQ(wide.trimmed(), "abcdefgh");
    Text132 big("x");
    chcenter(big, '.', 400);
    EXPECT_EQ(big(66), 'x');
    EXPECT_EQ(big(132), '.');
}

TEST(IntegerText, WriteAndReadBack) {
    Text8 ch;
    // A number too wide for the field fills it with asterisks.
    const std::pair<int32_t, const char*> signed_cases[] = {
        {42, " 42     "},       {-7, "-7      "},       {0, "        "},
        {9999999, " 9999999"},  {-9999999, "-9999999"}, {12345678, "********"},
        {-12345678, "********"}, {INT32_MIN, "********"}, {INT32_MAX, "********"}};
    for (auto [n, text] : signed_cases) {
        itoc8(ch, n);
        EXPECT_EQ(ch.str(), text) << n;
    }
    const struct { int32_t n; const char* text; int32_t count; } plain_cases[] = {
        {305, "305     ", 3},        {0, "        ", 0},        {99999999, "99999999", 8},
        {-1234567, "-1234567", 8},   {123456789, "********", 8}, {-12345678, "********", 8},
        {2147483647, "********", 8}};
    for (auto [n, text, count] : plain_cases) {
        int32_t nn = n;
        iptoc8(ch, nn);
        EXPECT_EQ(ch.str(), text) << n;
        EXPECT_EQ(nn, count) << n;
    }

    const std::pair<const char*, int32_t> read_cases[] = {
        {"  +12", 12}, {"-305", -305}, {"", 0}, {"99999999", 99999999}, {"7\xE9", 7},
        {"1/", 10 + ('/' - 48)}};
    for (auto [text, want] : read_cases) {
        Text8 t(text);
        int32_t n = -1;
        c8toi(t, n);
        EXPECT_EQ(n, want) << text;
    }
    Text8 x("12x");
    int32_t n = 0;
    c8toi(x, n);
    EXPECT_EQ(x.str(), "12      ");
}

TEST(TrimToNul, TextEndsAtTheFirstNul) {
    Text132 f = at(3, "abc");
    f(6) = '\0';
    f(8) = 'z';
    EXPECT_EQ(ntrimto0(f), 3);
    EXPECT_EQ(f.trimmed(), "abc");
    Text132 g = at(2, "hello");
    g(132) = 'q';
    EXPECT_EQ(ntrimto0(g), 5);
    EXPECT_EQ(g.trimmed(), "hello");
}

}  // namespace
