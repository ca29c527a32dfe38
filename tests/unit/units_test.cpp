// Numbered channels on files.
#include "units.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "session.h"

namespace {

TEST(Units, FileLinesAreCompleteAsSoonAsWritten) {
    const std::string file = zt::temp_dir() + "/out.lst";
    ASSERT_TRUE(zorb::open_unit(21, file, zorb::OpenMode::write));
    zorb::write_line(21, "first");
    zorb::write_line(21, " second");
    // Still open: whatever ends the program now, both lines are in the file.
    EXPECT_EQ(zt::read_file(file), "first\n second\n");
    zorb::close_unit(21);
    EXPECT_FALSE(zorb::unit_is_open(21));
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

// A file that cannot take a line (a full disk) ends the program with its
// name and the reason, not a silent loss.
TEST(UnitsDeathTest, AWriteThatFailsEndsTheProgram) {
    EXPECT_EXIT(
        {
            zorb::open_unit(23, "/dev/full", zorb::OpenMode::write);
            zorb::write_line(23, "row");
            std::exit(0);
        },
        testing::ExitedWithCode(1), "/dev/full: No space left on device");
}

}  // namespace
