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
    Text132 f = at(4, "abc");
    int il = -1;
    stringlength(f, il);
    EXPECT_EQ(il, 3);
    EXPECT_EQ(f.trimmed(), "abc");

    // Empty: all blank, or NUL first; the field is left as it was.
    Text132 blank;
    stringlength(blank, il);
    EXPECT_EQ(il, 0);
    Text132 nul = Text132::nul();
    nul(2) = 'x';
    stringlength(nul, il);
    EXPECT_EQ(il, 0);
    EXPECT_EQ(nul(2), 'x');

    // Position 132 never counts, and is blanked.
    Text132 last = at(132, "z");
    stringlength(last, il);
    EXPECT_EQ(il, 0);
    EXPECT_TRUE(last.blank());

    // Text filling 2..132: measured to 131, position 132 keeps its character
    // only when the text ended before it.
    Text132 full(std::string(1, ' ') + std::string(131, 'x'));
    stringlength(full, il);
    EXPECT_EQ(il, 130);
    EXPECT_EQ(full.sub(1, 130), std::string(130, 'x'));
    EXPECT_EQ(full(131), ' ');
    EXPECT_EQ(full(132), ' ');
}

TEST(StringLength, LowerCaseOnlyCapitalsOfTheText) {
    Text132 f = at(3, "AbZ-9\xC4Q");
    f(132) = 'Q';
    lc_character(f);
    EXPECT_EQ(f.sub(1, 7), "abz-9\xC4q");
    EXPECT_EQ(f(132), 'Q');
}

TEST(StringEnd, LastNonBlankAtOrBeforeStart) {
    Text132 f("abc");
    int il = 0;
    stringend(f, il);
    EXPECT_EQ(il, 3);
    il = 2;
    stringend(f, il);
    EXPECT_EQ(il, 2);
    il = 500;
    stringend(f, il);
    EXPECT_EQ(il, 3);
    Text132 g = at(5, "x");
    il = 4;
    stringend(g, il);
    EXPECT_EQ(il, 0);
    Text132 blank;
    il = 50;
    stringend(blank, il);
    EXPECT_EQ(il, 0);
}

TEST(NextChar, WalksItemsSeparatedByBlanksAndCommas) {
    const Text132 line("a1, b2  c3");
    Text132 cha;
    int il = 0, ip = 0, ia = 0;
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(ip, 1);
    EXPECT_EQ(ia, 2);
    EXPECT_EQ(cha.trimmed(), "a1, b2  c3");

    il = 1;
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(ip, 5);
    EXPECT_EQ(ia, 2);
    EXPECT_EQ(cha.trimmed(), "b2  c3");

    il = ip;
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(ip, 9);
    EXPECT_EQ(ia, 2);
    EXPECT_EQ(cha.trimmed(), "c3");

    il = ip;
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(ia, 0);
    EXPECT_TRUE(cha.blank());
}

TEST(NextChar, StartsBeyondTheLineAreCutBack) {
    Text132 line = at(129, "abcd");
    Text132 cha;
    int il = 200, ip = 0, ia = 0;
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(il, 130);
    EXPECT_EQ(ip, 132);
    EXPECT_EQ(ia, 1);
    EXPECT_EQ(cha.trimmed(), "d");

    il = -7;
    nextchar(line, il, ip, cha, ia);
    EXPECT_EQ(ip, 129);
    EXPECT_EQ(ia, 4);
    EXPECT_EQ(cha.trimmed(), "abcd");
}

TEST(CenterText, MarginsFilledInsideTheColumns) {
    Text132 f("  ab");
    chcenter(f, '*', 6);
    EXPECT_EQ(f.sub(1, 7), "**ab** ");

    Text132 odd("abc");
    chcenter(odd, '-', 8);
    EXPECT_EQ(odd.sub(1, 9), "--abc--- ");

    // Longer than the columns, or columns beyond the field: nothing leaves it.
    Text132 wide("abcdefgh");
    chcenter(wide, '*', 4);
    EXPECT_EQ(wide.trimmed(), "abcdefgh");
    Text132 big("x");
    chcenter(big, '.', 400);
    EXPECT_EQ(big(66), 'x');
    EXPECT_EQ(big(1), '.');
    EXPECT_EQ(big(132), '.');
}

TEST(IntegerText, SignPositionThenDigits) {
    Text8 ch;
    itoc8(ch, 42);
    EXPECT_EQ(ch.str(), " 42     ");
    itoc8(ch, -7);
    EXPECT_EQ(ch.str(), "-7      ");
    itoc8(ch, 0);
    EXPECT_EQ(ch.str(), "        ");
    itoc8(ch, 9999999);
    EXPECT_EQ(ch.str(), " 9999999");
    itoc8(ch, INT32_MIN);
    EXPECT_EQ(ch.str(), "-2147483");

    int32_t nn = 305;
    iptoc8(ch, nn);
    EXPECT_EQ(ch.str(), "305     ");
    EXPECT_EQ(nn, 3);
    nn = 0;
    iptoc8(ch, nn);
    EXPECT_EQ(ch.str(), "        ");
    EXPECT_EQ(nn, 0);
    nn = 2147483647;
    iptoc8(ch, nn);
    EXPECT_EQ(ch.str(), "21474836");
    EXPECT_EQ(nn, 8);
    nn = -12;
    iptoc8(ch, nn);
    EXPECT_EQ(ch.str(), "-12     ");
    EXPECT_EQ(nn, 3);
}

TEST(IntegerText, ReadBack) {
    int32_t n = -1;
    Text8 a("  +12");
    c8toi(a, n);
    EXPECT_EQ(n, 12);
    Text8 b("-305");
    c8toi(b, n);
    EXPECT_EQ(n, -305);
    Text8 c;
    c8toi(c, n);
    EXPECT_EQ(n, 0);
    Text8 d("12x");
    c8toi(d, n);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(d.str(), "12      ");
    // Characters below "0" that survive the blanking count by their code.
    Text8 e("1/");
    c8toi(e, n);
    EXPECT_EQ(n, 10 * 1 + ('/' - 48));
    Text8 f("99999999");
    c8toi(f, n);
    EXPECT_EQ(n, 99999999);
    // Bytes above 127 are above "9" too.
    Text8 g("7\xE9");
    c8toi(g, n);
    EXPECT_EQ(n, 7);
}

TEST(TrimToNul, TextEndsAtTheFirstNul) {
    Text132 f = at(3, "abc");
    f(6) = '\0';
    f(8) = 'z';
    EXPECT_EQ(ntrimto0(f), 3);
    EXPECT_EQ(f.trimmed(), "abc");
    EXPECT_TRUE(Text132(f.sub(4, 132)).blank());

    Text132 g = at(2, "hello");
    g(132) = 'q';
    EXPECT_EQ(ntrimto0(g), 5);
    EXPECT_EQ(g(132), ' ');

    Text132 empty = Text132::nul();
    EXPECT_EQ(ntrimto0(empty), 0);
    EXPECT_EQ(empty(1), '\0');
}

}  // namespace
