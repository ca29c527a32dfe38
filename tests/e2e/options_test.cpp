// The command-line options of the four programs: --help and --version end
// the program at once without a dialogue or a file; an unknown option is
// refused where a program takes arguments; fracfit's "--" ends the options.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "session.h"

namespace {

const std::vector<std::string> programs = {"select", "fracfit", "sixline", "chanconv"};

// What the dialogue would read, so that a program that started it would
// leave marks (a listing, a converted file, a question on the screen).
const std::string answers = "\n\n\n\n\n\n";

bool empty_dir(const std::string& dir) { return std::filesystem::is_empty(dir); }

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

}  // namespace

TEST(Options, HelpAndVersionEndAtOnceWithoutTouchingAFile) {
    for (const std::string& p : programs) {
        // Options stand anywhere before the words of the command line.
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--help"}, {"--help", "--version"}, {"run7.asc", "--help"}}) {
            SCOPED_TRACE(p + " " + args.back());
            std::string dir = zt::temp_dir();
            zt::write_file(dir + "/run7.asc", "header\n1\n");
            zt::Run r = zt::run_piped(zt::built(p), args, answers, {}, dir);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out.rfind("usage: " + p + " [--help | --version]", 0), 0u) << r.out;
            EXPECT_TRUE(has(r.out, "\nExit status: 0 ")) << r.out;
            const std::string last = "\nSee man " + p + ".\n";
            EXPECT_TRUE(r.out.size() > last.size() &&
                        r.out.compare(r.out.size() - last.size(), last.size(), last) == 0)
                << r.out;
            // Nothing but the text: no question, and the directory as it was.
            EXPECT_FALSE(has(r.out, "exten:") || has(r.out, "absorption material")) << r.out;
            EXPECT_EQ(zt::read_file(dir + "/run7.asc"), "header\n1\n");
            std::filesystem::remove(dir + "/run7.asc");
            EXPECT_TRUE(empty_dir(dir));
        }
        std::string dir = zt::temp_dir();
        zt::Run r = zt::run_piped(zt::built(p), {"--version", "--help"}, answers, {}, dir);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, p + " (zorb) " + ZORB_VERSION + "\n");
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(empty_dir(dir));
    }
}

TEST(Options, UnknownOptionsAreRefusedWhereArgumentsAreTaken) {
    struct Case {
        std::string program;
        std::vector<std::string> args;
        std::string usage;
    };
    const std::string select_usage = "usage: select [--help | --version] [WORD...]\n";
    const std::string fracfit_usage = "usage: fracfit [--help | --version] [--] [COUNTS-FILE]\n";
    const std::vector<Case> cases = {
        {"select", {"-x"}, select_usage},
        {"select", {"-help"}, select_usage},      // holds "he", but is an option
        {"select", {"help", "--hex"}, select_usage},
        {"select", {"--"}, select_usage},          // select has no end of options
        {"fracfit", {"-x"}, fracfit_usage},
        {"fracfit", {"-"}, fracfit_usage},
        {"fracfit", {"--versions"}, fracfit_usage},
        {"fracfit", {"ex.dat", "-v"}, fracfit_usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program + " " + c.args.back());
        std::string dir = zt::temp_dir();
        zt::Run r = zt::run_piped(zt::built(c.program), c.args, answers, {}, dir);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.usage);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(empty_dir(dir));
    }
}

TEST(Options, ProgramsWithoutArgumentsStillIgnoreOtherWords) {
    // sixline and chanconv take no arguments and go on with the dialogue.
    zt::Run r = zt::run_piped(zt::built("sixline"), {"-x", "words"}, "q\n", {}, zt::temp_dir());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "[sixline.lst]")) << r.out;
    r = zt::run_piped(zt::built("chanconv"), {"-q"}, "q\n", {}, zt::temp_dir());
    EXPECT_TRUE(has(r.out, "[data.dat]")) << r.out;
}

TEST(Options, FracfitTakesACountsFileAfterTheEndOfOptions) {
    const std::string counts =
        "title\n1 0.0 10000\n2 0.1 5684\n3 0.01 4783\n----\n   1   2\n  0.00\n  1  4\n";
    for (const std::string name : {"-counts.dat", "--help"}) {
        SCOPED_TRACE(name);
        std::string dir = zt::temp_dir();
        zt::write_file(dir + "/" + name, counts);
        zt::Run r = zt::run_piped(zt::built("fracfit"), {"--", name}, "\n\n\n\n\n\n", {}, dir);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(has(r.out, "[" + name + "]")) << r.out;
        EXPECT_TRUE(has(r.out, "       0.69998       0.30002\n")) << r.out;
        EXPECT_EQ(zt::read_file(dir + "/" + name), counts);
    }
}

TEST(Options, AHelpTextThatCannotBeWrittenIsNoSuccess) {
    for (const std::string& p : programs) {
        zt::Run r = zt::run_piped("/bin/sh", {"-c", "exec \"$0\" --help >/dev/full", zt::built(p)},
                                  "", {}, zt::temp_dir());
        EXPECT_EQ(r.status, 1) << p;
        EXPECT_EQ(r.err, p + ": standard output: No space left on device\n");
    }
}
