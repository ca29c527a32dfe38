// The help browser's refusals: a blank help file name and a file that cannot
// be opened leave the caller's menu entries as they were.
#include <gtest/gtest.h>

#include <cstdio>

#include "help.h"
#include "menu.h"

namespace {

using namespace zorb;

void fill_menu() {
    for (int k = 1; k <= 64; ++k) {
        scrd.queryar(k).assign("entry " + std::to_string(k));
        scrd.helpar(k).assign("topic " + std::to_string(k));
    }
}

void expect_menu_intact() {
    for (int k = 1; k <= 64; ++k) {
        EXPECT_EQ(scrd.queryar(k).trimmed(), "entry " + std::to_string(k));
        EXPECT_EQ(scrd.helpar(k).trimmed(), "topic " + std::to_string(k));
    }
}

std::string browse(const std::string& file) {
    Text132 chcom("/topic");
    Text132 helpfile(file);
    testing::internal::CaptureStdout();
    helproutine(chcom, helpfile);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(HelpBrowser, BlankHelpFileName) {
    fill_menu();
    EXPECT_EQ(browse(""), "entry of helpfile  could not be identified\n");
    expect_menu_intact();
}

TEST(HelpBrowser, HelpFileThatCannotBeOpenedShowsOnlyTheFooter) {
    fill_menu();
    const std::string name = "/nonexistent/dir/x.help";
    std::string shown = browse(name);
    EXPECT_EQ(shown, "\x1b[31m\x1b[1A\n   from help-file:" + name + std::string(64 - name.size(), ' ') +
                         "\x1b[0m\n");
    expect_menu_intact();
}

}  // namespace
