// Installing the suite: `cmake --install` to any prefix, and the Debian
// package unpacked into a scratch root.  Either way the four programs, their
// help files, manual pages, copyright and changelog are in place, no program
// holds the path of the folder it was built in, and an installed program
// finds its help beside it.  The package's programs are hardened as Debian
// builds its own, and lintian, where it is installed, finds nothing to report.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "session.h"

namespace {

const char* const programs[] = {"sixline", "chanconv", "fracfit", "select"};

// A sanitizer build is for the tests only: its checks carry the paths of the
// headers they report on, and it leaves fortified calls to the sanitizers, so
// neither rule of a shipped program applies to it.
#ifdef ZORB_SANITIZED
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

void expect_installed(const std::string& prefix) {
    for (const char* p : programs) {
        const std::string program = prefix + "/bin/" + p;
        ASSERT_TRUE(zt::file_exists(program)) << p;
        EXPECT_TRUE(zt::file_exists(prefix + "/share/man/man1/" + p + ".1.gz")) << p;
        const std::string bytes = zt::read_file(program);
        for (const char* built_in : {ZORB_SOURCE_DIR, ZORB_BUILD_DIR}) {
            if (sanitized) break;
            EXPECT_EQ(bytes.find(built_in), std::string::npos) << program << " holds " << built_in;
        }
    }
    for (const char* h : {"Mossbauer_spectrum.help", "select.help", "fracfit.help", "chanconv.help"})
        EXPECT_TRUE(zt::file_exists(prefix + "/share/zorb/help/" + h)) << h;
    for (const char* d : {"copyright", "changelog.gz"})
        EXPECT_TRUE(zt::file_exists(prefix + "/share/doc/zorb/" + d)) << d;
    // Help out of the box: no ZORBHEPATH, nothing in the current directory.
    zt::Run r = zt::run_piped(prefix + "/bin/chanconv", {}, "he\n\nq\n",
                              {{"ZORBHEPATH", zt::unset}}, zt::temp_dir());
    EXPECT_NE(r.out.find("   from help-file:" + prefix + "/share/zorb/help/chanconv.help"),
              std::string::npos)
        << r.out;
}

// The Debian package of this build, made in a fresh folder; "" on failure.
std::string debian_package() {
    const std::string out = zt::temp_dir();
    zt::Run r = zt::run_piped(ZORB_CPACK, {"-G", "DEB", "--config",
                                           std::string(ZORB_BUILD_DIR) + "/CPackConfig.cmake",
                                           "-B", out},
                              "", {}, out, 120000);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    for (auto& e : std::filesystem::directory_iterator(out))
        if (e.path().extension() == ".deb") return e.path().string();
    ADD_FAILURE() << "no package made: " << r.out << r.err;
    return "";
}

std::string unpacked(const std::string& deb) {
    const std::string root = zt::temp_dir();
    EXPECT_EQ(zt::run_piped("/usr/bin/dpkg", {"-x", deb, root}, "").status, 0);
    return root;
}

std::string readelf(const std::string& option, const std::string& file) {
    return zt::run_piped("/usr/bin/readelf", {"-W", option, file}, "").out;
}

}  // namespace

TEST(Install, ToAnyPrefix) {
    const std::string prefix = zt::temp_dir() + "/some where";
    zt::Run r = zt::run_piped(ZORB_CMAKE, {"--install", ZORB_BUILD_DIR, "--prefix", prefix}, "");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    expect_installed(prefix);
}

TEST(Install, DebianPackageInAScratchRoot) {
    const std::string deb = debian_package();
    ASSERT_FALSE(deb.empty());
    zt::Run depends = zt::run_piped("/usr/bin/dpkg-deb", {"-f", deb, "Depends"}, "");
    EXPECT_NE(depends.out.find("libreadline"), std::string::npos) << depends.out;
    EXPECT_NE(depends.out.find("libtinfo"), std::string::npos) << depends.out;
    expect_installed(unpacked(deb) + "/usr");
}

// Fortified library calls, a stack protector, and relocations bound at start
// and read-only after it (full RELRO), in every program of the package.
TEST(Install, PackagedProgramsAreHardened) {
    const std::string deb = debian_package();
    ASSERT_FALSE(deb.empty());
    const std::string root = unpacked(deb);
    for (const char* p : programs) {
        const std::string program = root + "/usr/bin/" + p;
        const std::string symbols = readelf("--dyn-syms", program);
        EXPECT_NE(symbols.find("__stack_chk_fail"), std::string::npos) << p;
        if (!sanitized) {
            EXPECT_NE(symbols.find("_chk@"), std::string::npos) << p << ": no fortified call";
        }
        EXPECT_NE(readelf("--program-headers", program).find("GNU_RELRO"), std::string::npos) << p;
        EXPECT_NE(readelf("--dynamic", program).find("BIND_NOW"), std::string::npos) << p;
    }
}

// lintian's errors and warnings, and its remarks on hardening, which it gives
// only as information.
TEST(Install, DebianPackagePassesLintian) {
    if (!zt::file_exists("/usr/bin/lintian"))
        GTEST_SKIP() << "lintian is not installed here (tools/setup --test installs it)";
    const std::string deb = debian_package();
    ASSERT_FALSE(deb.empty());
    zt::Run r = zt::run_piped("/usr/bin/lintian", {"--display-info", deb}, "", {}, "", 120000);
    std::istringstream lines(r.out);
    std::string line, reported;
    while (std::getline(lines, line))
        if (line.rfind("E: ", 0) == 0 || line.rfind("W: ", 0) == 0 ||
            (line.find(" hardening-") != std::string::npos &&
             !(sanitized && line.find("hardening-no-fortify-functions") != std::string::npos)))
            reported += line + "\n";
    EXPECT_EQ(reported, "") << r.err;
    EXPECT_FALSE(r.timed_out);
}
