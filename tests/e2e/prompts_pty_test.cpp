// askstring and buffer on a pseudo-terminal, where the answers are edited
// with Readline and earlier lines recalled with the history key.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string up_arrow = "\x1b[A";

zt::Pty* start(const std::vector<std::string>& args) {
    static const std::string dir = zt::temp_dir();
    return new zt::Pty(zt::built("drv_prompt_probe"), args, 24, 80, {{"ZORBHEPATH", dir}}, dir);
}

}  // namespace

TEST(AskStringTerminal, DefaultRecalledWithHistoryKeyAndEdited) {
    std::unique_ptr<zt::Pty> t(start({"askstring", "-q", "name:", "-d", "alpha"}));
    ASSERT_TRUE(t->expect("name: [alpha]"));
    ASSERT_TRUE(t->expect(">"));
    t->send(up_arrow);
    ASSERT_TRUE(t->expect("alpha"));
    t->send("X\r");
    ASSERT_TRUE(t->expect("name: [alphaX]")) << t->output();
    // The new answer is now the default recalled first; deleting the X and
    // typing Y gives another answer.
    ASSERT_TRUE(t->expect(">"));
    t->send(up_arrow);
    ASSERT_TRUE(t->expect("alphaX"));
    t->send("\x7fY\r");
    ASSERT_TRUE(t->expect("name: [alphaY]")) << t->output();
    t->send("\r");
    ASSERT_TRUE(t->expect("RESULT chstr=|alphaY|")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}

TEST(BufferTerminal, HistoryOrderAndListAfterMatching) {
    std::unique_ptr<zt::Pty> t(
        start({"buffer", "-k", "3", "-M", "3", "-b", "newest", "-b", "middle", "-b", "oldest"}));
    ASSERT_TRUE(t->expect("command>"));
    // The most recent entry comes first, then the one before it.
    t->send(up_arrow);
    ASSERT_TRUE(t->expect("newest"));
    t->send(up_arrow);
    ASSERT_TRUE(t->expect("middle"));
    t->send("\r");
    ASSERT_TRUE(t->expect("RESULT comline=|middle| mbuf=3 list=|middle||newest||oldest|"))
        << t->output();
    // A prefix replaces the entry it begins; a new command on the full list
    // drops the oldest.
    ASSERT_TRUE(t->expect("command>"));
    t->send("ol\r");
    ASSERT_TRUE(t->expect("RESULT comline=|ol| mbuf=3 list=|ol||middle||newest|")) << t->output();
    ASSERT_TRUE(t->expect("command>"));
    t->send(up_arrow);
    ASSERT_TRUE(t->expect("ol"));
    t->send("d\r");
    ASSERT_TRUE(t->expect("RESULT comline=|old| mbuf=3 list=|old||ol||middle|")) << t->output();
    EXPECT_EQ(t->wait(), 0);
}
