// Installing the suite: `cmake --install` to any prefix, and the Debian
// package unpacked into a scratch root.  Either way the four programs, their
// help files and manual pages are in place, and an installed program finds
// its help beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "session.h"

namespace {

const char* const programs[] = {"sixline", "chanconv", "fracfit", "select"};

void expect_installed(const std::string& prefix) {
    for (const char* p : programs) {
        EXPECT_TRUE(zt::file_exists(prefix + "/bin/" + p)) << p;
        EXPECT_TRUE(zt::file_exists(prefix + "/share/man/man1/" + p + ".1")) << p;
    }
    for (const char* h : {"Mossbauer_spectrum.help", "select.help", "fracfit.help", "chanconv.help"})
        EXPECT_TRUE(zt::file_exists(prefix + "/share/zorb/help/" + h)) << h;
    // Help out of the box: no ZORBHEPATH, nothing in the current directory.
    zt::Run r = zt::run_piped(prefix + "/bin/chanconv", {}, "he\n\nq\n",
                              {{"ZORBHEPATH", zt::unset}}, zt::temp_dir());
    EXPECT_NE(r.out.find("   from help-file:" + prefix + "/share/zorb/help/chanconv.help"),
              std::string::npos)
        << r.out;
}

}  // namespace

TEST(Install, ToAnyPrefix) {
    const std::string prefix = zt::temp_dir() + "/some where";
    zt::Run r = zt::run_piped(ZORB_CMAKE, {"--install", ZORB_BUILD_DIR, "--prefix", prefix}, "");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    expect_installed(prefix);
}

TEST(Install, DebianPackageInAScratchRoot) {
    const std::string out = zt::temp_dir();
    zt::Run r = zt::run_piped(ZORB_CPACK, {"-G", "DEB", "--config",
                                           std::string(ZORB_BUILD_DIR) + "/CPackConfig.cmake",
                                           "-B", out},
                              "", {}, out, 120000);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::string deb;
    for (auto& e : std::filesystem::directory_iterator(out))
        if (e.path().extension() == ".deb") deb = e.path().string();
    ASSERT_FALSE(deb.empty()) << r.out;

    zt::Run depends = zt::run_piped("/usr/bin/dpkg-deb", {"-f", deb, "Depends"}, "");
    EXPECT_NE(depends.out.find("libreadline"), std::string::npos) << depends.out;
    EXPECT_NE(depends.out.find("libtinfo"), std::string::npos) << depends.out;

    const std::string root = zt::temp_dir();
    ASSERT_EQ(zt::run_piped("/usr/bin/dpkg", {"-x", deb, root}, "").status, 0);
    expect_installed(root + "/usr");
}
