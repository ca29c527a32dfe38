// Reading the counts file of fracfit and the complete text of a rewrite.
#include "countsfile.h"
#include "filerewrite.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

using zorb::CountsFile;

const std::string example =
    "Al 0 and 0.1 mm, Ni 0.01 mm\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n   1   2\n  0.00\n"
    "  1  4\n";

TEST(CountsFile, TheExampleAndItsRewrite) {
    CountsFile f;
    std::string why;
    ASSERT_TRUE(zorb::parse_counts(example, f, why)) << why;
    EXPECT_EQ(f.title, "Al 0 and 0.1 mm, Ni 0.01 mm");
    EXPECT_EQ(f.nt, 3);
    EXPECT_EQ(f.thick(2), 0.1f);
    EXPECT_EQ(f.cm(3), 4783.0f);
    EXPECT_EQ(f.defaults[0], "   1   2");
    EXPECT_EQ(zorb::counts_text(f, f.defaults), example);
    // Lines after the defaults are the user's notes and stay as they are.
    ASSERT_TRUE(zorb::parse_counts(example + "notes\n\nmore", f, why));
    EXPECT_EQ(zorb::counts_text(f, {"a", "b", "c"}), example.substr(0, example.find("   1")) +
                                                          "a\nb\nc\nnotes\n\nmore");
}

TEST(CountsFile, CarriageReturnsSkippedLinesAndTheDashes) {
    CountsFile f;
    std::string why;
    // CR LF ends: the same values; the head kept byte for byte and the new
    // default lines ended as the "----" line is.
    const std::string crlf = "T\r\n1 0 100\r\nx 0.5 50\r\n3 1 20 \r\n ---- \r\n1 3\r\n0\r\n1 4";
    ASSERT_TRUE(zorb::parse_counts(crlf, f, why)) << why;
    EXPECT_EQ(f.title, "T");
    EXPECT_EQ(f.nt, 3);
    EXPECT_FALSE(f.valid(2));
    EXPECT_TRUE(f.valid(3));
    EXPECT_EQ(f.defaults[2], "1 4");
    EXPECT_EQ(zorb::counts_text(f, {"a", "b", "c"}),
              "T\r\n1 0 100\r\nx 0.5 50\r\n3 1 20 \r\n ---- \r\na\r\nb\r\nc\r\n");
    EXPECT_EQ(f.nickel, 3);
    // A line with its number but without counts is skipped too; the nickel
    // foil is the last line read as a thickness line, not a skipped one.
    ASSERT_TRUE(zorb::parse_counts("T\n1 0 100\n2 0.5\n----\n\n\n\n", f, why)) << why;
    EXPECT_EQ(f.nt, 2);
    EXPECT_FALSE(f.valid(2));
    EXPECT_EQ(f.nickel, 1);
}

TEST(CountsFile, FilesThatAreRefusedNameTheirFault) {
    std::string thirteen = "T\n";
    for (int i = 1; i <= 13; ++i) thirteen += std::to_string(i) + " 0.1 100\n";
    const struct {
        std::string text, why;
    } cases[] = {
        {"", "empty; a counts file begins with a title line"},
        {"T\n1 0 100\n2 1 50\n", "no \"----\" line after the thickness lines"},
        {"T\n1 0 100\n2 1 50\n----\n1 2\n0\n", "line 4: fewer than three default lines follow"},
        {"T\n----\n\n\n\n", "line 2: no thickness lines before"},
        {"T\n2 0 100\n----\n\n\n\n", "line 2: thickness line 1 must hold"},
        {"T\n1 0 0\n2 1 5\n----\n\n\n\n", "line 2: thickness line 1 must hold"},
        {thirteen + "----\n\n\n\n", "line 14: more than 12 thickness lines"},
        {"T\n1 0 100\n2 1 1.0e39\n----\n\n\n\n", "line 3: the counts are not a finite number"},
        {"T\n1 0 1.0e39\n----\n\n\n\n", "line 2: the counts are not a finite number"},
        {"T\n1 0 100\n2 1 -5\n----\n\n\n\n", "line 3: the counts are negative"},
        {"T\n1 0 100\n2 1.0e39 5\n----\n\n\n\n", "line 3: the thickness is not a finite number"},
    };
    for (const auto& c : cases) {
        CountsFile f;
        std::string why;
        EXPECT_FALSE(zorb::parse_counts(c.text, f, why)) << c.text;
        EXPECT_EQ(why.substr(0, c.why.size()), c.why) << c.text;
    }
}

TEST(CountsFile, ReplacedThroughTheLinkKeepingThePermissions) {
    char tmpl[] = "/tmp/countsfile_test.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl, file = dir + "/real.dat", link = dir + "/link.dat";
    FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fputs(example.c_str(), out);
    std::fclose(out);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.dat", link.c_str()), 0);

    std::string target, why;
    ASSERT_TRUE(zorb::counts_target(link, target, why)) << why;
    ASSERT_TRUE(zorb::rewrite_file(target, "new\n", why)) << why;
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_size, 4);

    // A file this user may not write is refused before anything is asked.
    ASSERT_EQ(::chmod(file.c_str(), 0440), 0);
    if (::geteuid() != 0) {
        EXPECT_FALSE(zorb::counts_target(link, target, why));
    }
    EXPECT_FALSE(zorb::counts_target(dir, target, why));
    EXPECT_FALSE(zorb::counts_target(dir + "/none.dat", target, why));
    ::unlink(link.c_str());
    ::unlink(file.c_str());
    ::rmdir(dir.c_str());
}

}  // namespace
