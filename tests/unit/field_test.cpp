#include "field.h"

#include <gtest/gtest.h>

using zorb::Field;

TEST(Field, BuiltFromTextIsCutOrBlankPadded) {
    Field<5> f("abc");
    EXPECT_EQ(f.str(), "abc  ");
    Field<3> g("abcdef");
    EXPECT_EQ(g.str(), "abc");
    EXPECT_EQ(f(1), 'a');
    EXPECT_EQ(f(5), ' ');
    EXPECT_EQ(f.trimmed(), "abc");
}

TEST(Field, SubAndPutStayInsideTheField) {
    Field<6> f("abcdef");
    EXPECT_EQ(f.sub(0, 99), "abcdef");
    EXPECT_EQ(f.sub(4, 2), "");
    f.put(5, 9, "XYZ");
    EXPECT_EQ(f.str(), "abcdXY");
    f.put(2, 3, "");
    EXPECT_EQ(f.str(), "a  dXY");
}

TEST(Field, NulFieldHasNoTextAndIsNotBlank) {
    auto f = Field<4>::nul();
    EXPECT_EQ(f.upto_nul(), "");
    EXPECT_FALSE(f.blank());
    EXPECT_EQ(f.last_nonblank(), 0);
}
