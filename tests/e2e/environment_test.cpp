// The environment the programs read: the help root (ZORBHEPATH) through the
// help entry point and the document viewer.  (The file dialogue's HOME and
// ZORBUTPATH are in filedialog_test.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "session.h"

namespace {

// A directory whose path is exactly `length` characters, below `base`.
std::string dir_of_length(const std::string& base, std::size_t length) {
    std::string d = base + "/" + std::string(length - base.size() - 1, 'h');
    ::mkdir(d.c_str(), 0755);
    return d;
}

const std::string refused = " ZORBHEPATH is longer than 80 characters: not used as the help root\n";

}  // namespace

// A help root of exactly 80 characters is used; a longer one is refused with
// one line and help falls back to "helpfile.help", never to the directory
// that the value cut to its field would name.
TEST(HelpRoot, LengthOfTheValue) {
    const std::string base = zt::temp_dir();
    const std::string d79 = dir_of_length(base, 79);
    const std::string d80 = dir_of_length(base, 80);
    const std::string d88 = dir_of_length(d79, 88);
    zt::write_file(d79 + "/test.help", "/topic\nWRONG ROOT\n");
    zt::write_file(d80 + "/test.help", "/topic\nROOT OF 80\n");
    zt::write_file(d88 + "/test.help", "/topic\nROOT OF 88\n");
    const std::string cwd = zt::temp_dir();
    zt::write_file(cwd + "/helpfile.help", "/topic\nFALLBACK\n");
    const struct {
        std::string root, shown;
        bool refused;
    } cases[] = {
        {d79, "WRONG ROOT", false},   // the directory itself, asked for by name
        {d80, "ROOT OF 80", false},
        {d88, "FALLBACK", true},
        {d88 + "/", "FALLBACK", true},
    };
    for (const auto& c : cases) {
        zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {"probe", "/test.help", "topic"},
                                  "\n", {{"ZORBHEPATH", c.root}}, cwd);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\n" + c.shown), std::string::npos) << c.root << "\n" << r.out;
        EXPECT_EQ(r.out.find(refused) != std::string::npos, c.refused) << c.root << "\n" << r.out;
        if (c.refused) {
            EXPECT_EQ(r.out.find("WRONG ROOT"), std::string::npos) << r.out;
        }
    }
}

// The viewer gets the document as one argument when the help root holds a
// blank or a "*"; the line shown keeps its form.
TEST(HelpRoot, DocumentViewerTakesTheRootAsOneWord) {
    for (const std::string leaf : {"help root", "help*root"}) {
        const std::string base = zt::temp_dir();
        const std::string root = base + "/" + leaf;
        ASSERT_EQ(::mkdir(root.c_str(), 0755), 0);
        zt::write_file(root + "/test.help", "/doc\nDocument entry.\n/#more manual\n/end\n");
        ASSERT_EQ(::mkdir((base + "/bin").c_str(), 0755), 0);
        const std::string called = base + "/viewer.called";
        zt::write_file(base + "/bin/xdvi",
                       "#!/bin/sh\necho \"$# $1\" > '" + called + "'\n");
        ::chmod((base + "/bin/xdvi").c_str(), 0755);
        const char* path = std::getenv("PATH");
        zt::Run r = zt::run_piped(zt::built("drv_help_probe"), {"probe", "/test.help", "doc"},
                                  "\nmore\n\n",
                                  {{"ZORBHEPATH", root},
                                   {"PATH", base + "/bin:" + (path ? path : "")}},
                                  base);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(" xdvi $ZORBHEPATH/dvifiles/manual/manual.dvi &\n"),
                  std::string::npos)
            << r.out;
        for (int i = 0; i < 100 && !zt::file_exists(called); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(zt::file_exists(called) ? zt::read_file(called) : "",
                  "1 " + root + "/dvifiles/manual/manual.dvi\n")
            << leaf;
    }
}
