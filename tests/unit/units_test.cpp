// Numbered channels on files.
#include "units.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "session.h"

namespace {

// Lines wait in the unit's buffer and go out before the screen does, before
// every read of the keyboard (flush_output) and when the unit is closed.
TEST(Units, FileLinesGoOutBeforeTheScreenAndAtFlushAndClose) {
    const std::string file = zt::temp_dir() + "/out.lst";
    ASSERT_TRUE(zorb::open_unit(21, file, zorb::OpenMode::write));
    zorb::write_line(21, "first");
    zorb::write_line(21, " second");
    EXPECT_EQ(zt::read_file(file), "");   // in the buffer: one write for many lines
    zorb::write_line(zorb::unit_screen, "shown");
    std::fflush(stdout);                  // the screen goes out: the file first
    EXPECT_EQ(zt::read_file(file), "first\n second\n");
    zorb::write_text(21, "third");
    zorb::flush_output();
    EXPECT_EQ(zt::read_file(file), "first\n second\nthird");
    // More than a buffer holds, in pieces of odd sizes: whole and in order.
    std::string big;
    for (int i = 0; i < 20000; ++i) big += std::to_string(i) + (i % 7 ? " " : "\n");
    for (std::size_t at = 0; at < big.size(); at += 1000) zorb::write_text(21, big.substr(at, 1000));
    zorb::write_line(21, std::string(300, 'x'));   // a line longer than the small path
    zorb::close_unit(21);
    EXPECT_FALSE(zorb::unit_is_open(21));
    EXPECT_EQ(zt::read_file(file), "first\n second\nthird" + big + std::string(300, 'x') + "\n");
}

// A file read and rewritten in place: a line written after a read stands
// where the reading stopped, although the reader has read ahead.
TEST(Units, RewritingInPlaceWritesWhereTheReadingStands) {
    const std::string file = zt::temp_dir() + "/counts.dat";
    zt::write_file(file, "title\nold 1\nold 2\n");
    ASSERT_TRUE(zorb::open_unit(24, file, zorb::OpenMode::readwrite));
    std::string line;
    ASSERT_TRUE(zorb::read_line(24, line));
    EXPECT_EQ(line, "title");
    zorb::write_line(24, "new 1");
    ASSERT_TRUE(zorb::read_line(24, line));   // the written line goes out first
    EXPECT_EQ(line, "old 2");
    zorb::rewind_unit(24);
    ASSERT_TRUE(zorb::read_line(24, line));
    EXPECT_EQ(line, "title");
    zorb::close_unit(24);
    EXPECT_EQ(zt::read_file(file), "title\nnew 1\nold 2\n");
}

// Kept files are emptied only by cut_unit, also with lines waiting.
TEST(Units, CutEmptiesAKeptFileWithItsWaitingLines) {
    const std::string file = zt::temp_dir() + "/kept.lst";
    zt::write_file(file, "old listing\n");
    ASSERT_TRUE(zorb::open_unit(25, file, zorb::OpenMode::keep));
    EXPECT_EQ(zt::read_file(file), "old listing\n");
    zorb::write_line(25, "waiting");
    ASSERT_TRUE(zorb::cut_unit(25));
    zorb::write_line(25, "new");
    zorb::close_unit(25);
    EXPECT_EQ(zt::read_file(file), "new\n");
}

TEST(Units, ReadsLinesTheLastOneWithoutItsNewLineToo) {
    const std::string file = zt::temp_dir() + "/in.asc";
    zt::write_file(file, "a b\n\nlast");
    ASSERT_TRUE(zorb::open_unit(22, file, zorb::OpenMode::read));
    std::string line;
    ASSERT_TRUE(zorb::read_line(22, line));
    EXPECT_EQ(line, "a b");
    ASSERT_TRUE(zorb::read_line(22, line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(zorb::read_line(22, line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(zorb::read_line(22, line));
    zorb::rewind_unit(22);
    ASSERT_TRUE(zorb::read_line(22, line));
    EXPECT_EQ(line, "a b");
    zorb::close_unit(22);
    EXPECT_FALSE(zorb::read_line(22, line));   // a closed unit reads nothing
}

// A file that cannot take its lines (a full disk) ends the program with its
// name and the reason, not a silent loss: at the next read of the keyboard,
// at its close, and at an exit that meets it still waiting.
TEST(UnitsDeathTest, AWriteThatFailsEndsTheProgram) {
    const char* const reason = "/dev/full: No space left on device";
    EXPECT_EXIT(
        {
            zorb::open_unit(23, "/dev/full", zorb::OpenMode::write);
            zorb::write_line(23, "row");
            zorb::flush_output();
            std::exit(0);
        },
        testing::ExitedWithCode(1), reason);
    EXPECT_EXIT(
        {
            zorb::open_unit(23, "/dev/full", zorb::OpenMode::write);
            zorb::write_line(23, "row");
            zorb::close_unit(23);
            std::exit(0);
        },
        testing::ExitedWithCode(1), reason);
    EXPECT_EXIT(
        {
            zorb::open_unit(23, "/dev/full", zorb::OpenMode::write);
            zorb::write_line(23, "row");
            std::exit(0);
        },
        testing::ExitedWithCode(1), reason);
    // The screen going out does not end the program on the spot (it may be
    // inside the C library); the failure is reported at the next safe point.
    EXPECT_EXIT(
        {
            zorb::open_unit(23, "/dev/full", zorb::OpenMode::write);
            zorb::write_line(23, "row");
            zorb::write_line(zorb::unit_screen, "shown");
            std::fflush(stdout);
            zorb::write_line(23, "next row");
            std::exit(0);
        },
        testing::ExitedWithCode(1), reason);
}

// A signal that ends the program finds every line written in the file.
TEST(UnitsDeathTest, EndingSignalsWriteTheFilesOut) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        const std::string file = zt::temp_dir() + "/signal.lst";
        EXPECT_EXIT(
            {
                zorb::open_unit(26, file, zorb::OpenMode::write);
                for (int i = 0; i < 1000; ++i) zorb::write_line(26, "row " + std::to_string(i));
                ::raise(sig);
                std::exit(0);
            },
            testing::KilledBySignal(sig), "");
        std::string want;
        for (int i = 0; i < 1000; ++i) want += "row " + std::to_string(i) + "\n";
        EXPECT_EQ(zt::read_file(file), want) << "signal " << sig;
    }
}

}  // namespace
