// chanconv end to end: the real program, its answers through a pipe.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "session.h"

namespace {

zt::Run convert(const std::string& dir, const std::string& answer) {
    return zt::run_piped(zt::built("chanconv"), {}, answer, {}, dir);
}

// A data line as the converter writes it.
std::string data_line(int n, const std::string& text) {
    std::string num = " " + std::to_string(n);
    num.resize(8, ' ');
    return " 14   " + num + text;
}

}  // namespace

TEST(Chanconv, ConvertsACountFile) {
    std::string dir = zt::temp_dir();
    zt::write_file(dir + "/run7.asc", "measured 2026\n10\n20\n30\n");
    // A typed name is shown in the brackets and accepted with an empty line.
    zt::Run r = convert(dir, "run7.asc\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\n measured 2026\n"), std::string::npos);
    EXPECT_EQ(zt::read_file(dir + "/run7.apl"),
              "run7.asc\n channel\ncounts\n"
              " 14    1      10\n"
              " 14    2      20\n"
              " 14    3      30\n");
}

TEST(Chanconv, LinesEndedByCarriageReturnAndLineFeed) {
    std::string dir = zt::temp_dir();
    zt::write_file(dir + "/dos.asc", "hdr\r\n10  \r\n\r\n");
    EXPECT_EQ(convert(dir, "dos.asc\n\n").status, 0);
    EXPECT_EQ(zt::read_file(dir + "/dos.apl"),
              "dos.asc\n channel\ncounts\n" + data_line(1, "10") + "\n" + data_line(2, "") + "\n");
}

TEST(Chanconv, DataLinesAndTheirLimits) {
    std::string dir = zt::temp_dir();
    // Leading blanks stay, trailing ones go, a long line is cut at 132, an
    // empty line ends after the number, a last line without '\n' counts.
    std::string longline(140, '7');
    zt::write_file(dir + "/x.asc", "head\n   12  \n\n" + longline + "\n  5");
    zt::Run r = convert(dir, "x.asc\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/x.apl"), "x.asc\n channel\ncounts\n" + data_line(1, "   12") +
                                                 "\n" + data_line(2, "") + "\n" +
                                                 data_line(3, longline.substr(0, 132)) + "\n" +
                                                 data_line(4, "  5") + "\n");

    // At most 2050 channels.
    std::string in = "header\n";
    for (int i = 1; i <= 2100; ++i) in += std::to_string(i * 3) + "\n";
    zt::write_file(dir + "/big.asc", in);
    r = convert(dir, "big.asc\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string out = zt::read_file(dir + "/big.apl");
    std::string last = data_line(2050, std::to_string(2050 * 3)) + "\n";
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3 + 2050);
    ASSERT_GE(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);

    // A header alone gives the three header lines.
    zt::write_file(dir + "/h.asc", "only a header\n");
    r = convert(dir, "h.asc\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/h.apl"), "h.asc\n channel\ncounts\n");
}

// A header line of 32 MB is read in bounded memory and cut at 132.
TEST(Chanconv, AnEndlessLineTakesBoundedMemory) {
    std::string dir = zt::temp_dir();
    zt::Run make = zt::run_piped(
        "/bin/sh", {"-c", "{ head -c 33554432 /dev/zero | tr '\\0' 7; printf '\\n5\\n'; } > long.asc"},
        "", {}, dir);
    ASSERT_EQ(make.status, 0) << make.err;
    zt::Run r = convert(dir, "long.asc\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n " + std::string(132, '7') + "\n"), std::string::npos);
    EXPECT_EQ(zt::read_file(dir + "/long.apl"), "long.asc\n channel\ncounts\n" + data_line(1, "5") + "\n");
    rusage ru{};
    ::getrusage(RUSAGE_CHILDREN, &ru);
    EXPECT_LT(ru.ru_maxrss, 24 * 1024) << "kB";
}

TEST(Chanconv, OutputNames) {
    std::string dir = zt::temp_dir();
    zt::write_file(dir + "/a.ascii.txt", "h\n1\n");
    zt::Run r = convert(dir, "a.ascii.txt\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/a.apl"), "a.ascii.txt\n channel\ncounts\n" + data_line(1, "1") +
                                                 "\n");

    // Upper case is not ".asc": the output is "apl" in the current directory.
    zt::write_file(dir + "/B.ASC", "h\n2\n");
    r = convert(dir, "B.ASC\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/apl"), "B.ASC\n channel\ncounts\n" + data_line(1, "2") + "\n");

    // A name typed without extension gets the default one, "dat".
    zt::write_file(dir + "/run7.dat", "h\n3\n");
    r = convert(dir, "run7\n\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/apl"), "run7.dat\n channel\ncounts\n" + data_line(1, "3") + "\n");

    // Leaving the dialogue converts the default file.
    zt::write_file(dir + "/data.dat", "h\n4\n");
    r = convert(dir, "q\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/apl"), "data.dat\n channel\ncounts\n" + data_line(1, "4") + "\n");
}

TEST(Chanconv, FilesThatCannotBeRead) {
    std::string dir = zt::temp_dir();
    zt::Run r = convert(dir, "missing.asc\n\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("missing.asc"), std::string::npos) << r.err;
    EXPECT_FALSE(zt::file_exists(dir + "/missing.apl"));

    // A directory is no count file.
    ASSERT_EQ(::mkdir((dir + "/d.asc").c_str(), 0755), 0);
    r = convert(dir, "d.asc\n\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("d.asc"), std::string::npos) << r.err;
    EXPECT_FALSE(zt::file_exists(dir + "/d.apl"));

    // An output name that leads back to the input itself: refused, the
    // counts kept.
    zt::write_file(dir + "/apl", "header\n111\n");
    ASSERT_EQ(::symlink("apl", (dir + "/link.dat").c_str()), 0);
    r = convert(dir, "link.dat\n\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("apl: is the input file"), std::string::npos) << r.err;
    EXPECT_EQ(zt::read_file(dir + "/apl"), "header\n111\n");

    // An empty input: the end is reported and no output is made (nor left
    // half made beside it).
    zt::write_file(dir + "/empty.asc", "");
    r = convert(dir, "empty.asc\n\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("empty.asc"), std::string::npos) << r.err;
    EXPECT_FALSE(zt::file_exists(dir + "/empty.apl"));
}

// Help at the file question, before and after a name is typed, leaves the
// dialogue as it was: the same file is converted.
TEST(ChanconvPty, HelpAtTheFileQuestionLeavesItsAnswer) {
    const std::vector<zt::Step> session = {
        {"counts_file.exten:", "run7.asc\r"},
        {"[run7.asc]", "\r"},
    };
    for (std::size_t at = 0; at <= session.size(); ++at) {
        std::string dir = zt::temp_dir();
        zt::write_file(dir + "/run7.asc", "measured 2026\n10\n20\n");
        zt::Pty t(zt::built("chanconv"), {}, 60, 80, {}, dir);
        std::string where;
        ASSERT_TRUE(zt::play(t, session, at, where)) << where << "\n" << t.output();
        ASSERT_EQ(t.wait(), 0) << "help at step " << at;
        EXPECT_EQ(zt::read_file(dir + "/run7.apl"),
                  "run7.asc\n channel\ncounts\n" + data_line(1, "10") + "\n" +
                      data_line(2, "20") + "\n")
            << "help at step " << at;
    }
}
