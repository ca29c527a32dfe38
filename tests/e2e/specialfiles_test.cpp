// Special files and full disks, with the real programs: a listing or an
// output that is a device or a FIFO, an input that is a device or a FIFO, and
// a converted file that cannot be written whole.  Each case checks the exit
// status, the line on standard error and the files left behind.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "session.h"

namespace {

namespace fs = std::filesystem;

const std::string table_header = "     EFG        eta      H [kG]      phi     theta";
// sixline: the listing named `name`, mode a with every default, then "q".
std::string sixline_run(const std::string& name) { return name + "\n\n\n\n\nq\n"; }
const std::string counts = "measured\n10\n20\n";
const std::string converted = "x.asc\n channel\ncounts\n 14    1      10\n 14    2      20\n";

// Waits (in the shell) until standard error of the program says it waits
// for the FIFO, at most ten seconds.
const std::string await_notice =
    "i=0; until grep -q 'is a FIFO: waiting' err || [ $i -ge 200 ]; do sleep 0.05; "
    "i=$((i+1)); done; ";

struct Case {
    std::string what;
    std::string script;       // run by /bin/sh in a fresh directory; $P is the program
    std::string exe;
    int status;
    std::string err;          // standard error holds this ("" : is empty)
    std::vector<std::pair<std::string, std::string>> files;   // then hold exactly this
};

std::string file_kind(const std::string& path) {
    std::error_code ec;
    auto st = fs::symlink_status(path, ec);
    if (ec) return "missing";
    if (fs::is_symlink(st)) return "link";
    if (fs::is_character_file(st)) return "device";
    if (fs::is_fifo(st)) return "fifo";
    return fs::is_regular_file(st) ? "file" : "other";
}

// Whether a file of a replacement was left beside the real ones.
bool temp_left(const std::string& dir) {
    for (auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind(".x.apl.", 0) == 0) return true;
    return false;
}

void run_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const std::string dir = zt::temp_dir();
        zt::Run r = zt::run_piped("/bin/sh", {"-c", "P='" + zt::built(c.exe) + "'; " + c.script},
                                  "", {{"ZORBHEPATH", zt::unset}}, dir, 30000);
        EXPECT_FALSE(r.timed_out) << c.what;
        EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err << r.out;
        const std::string err = zt::file_exists(dir + "/err") ? zt::read_file(dir + "/err") : "";
        if (c.err.empty())
            EXPECT_EQ(err, "") << c.what;
        else
            EXPECT_NE(err.find(c.err), std::string::npos) << c.what << "\n" << err;
        for (const auto& [name, want] : c.files) {
            const std::string path = name[0] == '/' ? name : dir + "/" + name;
            const std::string got = want.rfind("kind:", 0) == 0 ? "kind:" + file_kind(path)
                                                                : zt::read_file(path);
            EXPECT_EQ(got, want) << c.what << ": " << name;
        }
        EXPECT_FALSE(temp_left(dir)) << c.what;
    }
}

}  // namespace

// Devices and FIFOs: a listing or output that is one is written into, never
// emptied nor replaced; a FIFO's wait is announced; a device is no input.
TEST(SpecialFiles, DevicesAndFifos) {
    const std::string six = sixline_run("n.lst");
    const std::vector<Case> cases = {
        {"sixline listing: a link to /dev/null",
         "ln -s /dev/null n.lst; printf '" + six + "' | \"$P\" >out 2>err",
         "sixline", 0, "", {{"n.lst", "kind:link"}, {"/dev/null", "kind:device"}}},
        {"sixline listing: a FIFO read only after the program waits",
         "mkfifo n.lst; printf '" + six + "' | \"$P\" >out 2>err & " + await_notice +
             "cat n.lst >got; wait $!; head -n 1 got >first",
         "sixline", 0, "sixline: n.lst is a FIFO: waiting for a program to read it\n",
         {{"n.lst", "kind:fifo"}, {"first", table_header + "\n"}}},
        {"chanconv output: a FIFO read only after the program waits",
         "printf '" + counts + "' >x.asc; mkfifo x.apl; printf 'x.asc\\n\\n' | \"$P\" >out 2>err & " +
             await_notice + "cat x.apl >got; wait $!",
         "chanconv", 0, "chanconv: x.apl is a FIFO: waiting for a program to read it\n",
         {{"got", converted}, {"x.apl", "kind:fifo"}}},
        {"chanconv input: a FIFO written only after the program waits",
         "mkfifo x.asc; printf 'x.asc\\n\\n' | \"$P\" >out 2>err & " + await_notice +
             "printf '" + counts + "' >x.asc; wait $!",
         "chanconv", 0, "chanconv: x.asc is a FIFO: waiting for a program to write into it\n",
         {{"x.apl", converted}}},
        {"chanconv output: a link to /dev/null",
         "printf '" + counts + "' >x.asc; ln -s /dev/null x.apl; printf 'x.asc\\n\\n' | \"$P\" >out 2>err",
         "chanconv", 0, "", {{"x.apl", "kind:link"}, {"/dev/null", "kind:device"}}},
        {"chanconv input: a link to /dev/null",
         "ln -s /dev/null x.asc; printf 'x.asc\\n\\n' | \"$P\" >out 2>err",
         "chanconv", 1, "chanconv: x.asc: not a plain file or FIFO\n", {{"x.apl", "kind:missing"}}},
        {"chanconv input: a link to /dev/zero",
         "ln -s /dev/zero x.asc; printf 'x.asc\\n\\n' | \"$P\" >out 2>err",
         "chanconv", 1, "chanconv: x.asc: not a plain file or FIFO\n", {{"x.apl", "kind:missing"}}},
        {"fracfit counts file /dev/null",
         "printf '\\n\\n\\n\\n\\n' | \"$P\" /dev/null >out 2>err",
         "fracfit", 1, "fracfit: /dev/null: not a plain file\n", {}},
    };
    run_cases(cases);
}

// sixline's listing on its own terminal (through a link to /dev/tty): the
// table comes twice, the listing's copy included, and the run ends as usual.
TEST(SpecialFiles, ListingOnTheTerminal) {
    const std::string dir = zt::temp_dir();
    ASSERT_EQ(::symlink("/dev/tty", (dir + "/t.lst").c_str()), 0);
    zt::Pty t(zt::built("sixline"), {}, 60, 100, {{"ZORBHEPATH", zt::unset}}, dir);
    ASSERT_TRUE(t.expect("_file.exten:"));
    t.send("t.lst\r");
    ASSERT_TRUE(t.expect("[t.lst]"));
    t.send("\r");
    ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq"));
    t.drain();
    t.send("\r");
    ASSERT_TRUE(t.expect("L6:"));
    t.send("\r");
    ASSERT_TRUE(t.expect("d_eta:"));
    t.send("\r");
    ASSERT_TRUE(t.expect("c:L1,L6,Is,Deq")) << t.output();
    t.drain();
    t.send("q");
    t.drain();
    t.send("\r");
    EXPECT_EQ(t.wait(), 0) << t.output();
    const std::string& out = t.output();
    std::size_t first = out.find(table_header);
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find(table_header, first + 1), std::string::npos) << out;
}

// A converted file that cannot be written whole leaves the file it was to
// replace as it was, and nothing beside it; one that can replaces it and
// keeps its permissions and the link that names it.
TEST(FullDisk, ConvertedFileReplacedOnlyWhenWhole) {
    std::string many;
    for (int i = 0; i < 3000; ++i) many += std::to_string(i) + "\n";
    const std::vector<Case> cases = {
        {"file size limit (SIGXFSZ ignored: EFBIG)",
         "printf 'h\\n' >x.asc; seq 3000 >>x.asc; printf 'good\\n' >x.apl; "
         "trap '' XFSZ; ulimit -f 20; printf 'x.asc\\n\\n' | \"$P\" >out 2>err",
         "chanconv", 1, "chanconv: x.apl: File too large\n", {{"x.apl", "good\n"}}},
        {"permissions kept",
         "printf '" + counts + "' >x.asc; printf 'good\\n' >x.apl; chmod 640 x.apl; "
         "printf 'x.asc\\n\\n' | \"$P\" >out 2>err; stat -c %a x.apl >mode",
         "chanconv", 0, "", {{"x.apl", converted}, {"mode", "640\n"}}},
        {"a link to the converted file stays a link",
         "printf '" + counts + "' >x.asc; printf 'good\\n' >real.apl; ln -s real.apl x.apl; "
         "printf 'x.asc\\n\\n' | \"$P\" >out 2>err",
         "chanconv", 0, "", {{"x.apl", "kind:link"}, {"real.apl", converted}}},
        {"a new file gets the permissions of the umask",
         "printf '" + counts + "' >x.asc; umask 027; printf 'x.asc\\n\\n' | \"$P\" >out 2>err; "
         "stat -c %a x.apl >mode",
         "chanconv", 0, "", {{"x.apl", converted}, {"mode", "640\n"}}},
    };
    run_cases(cases);
}

// On a file system that is full (a tmpfs of 64 KiB; needs the right to mount).
TEST(FullDisk, FullFileSystem) {
    const std::string dir = zt::temp_dir();
    const std::string m = dir + "/m";
    ASSERT_EQ(::mkdir(m.c_str(), 0755), 0);
    if (::mount("tmpfs", m.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    std::string in = "header\n";
    for (int i = 0; i < 2000; ++i) in += "12345\n";
    zt::write_file(m + "/x.asc", in);           // 12 KiB
    zt::write_file(m + "/x.apl", "good\n");     // the file to keep
    zt::write_file(m + "/filler", std::string(24 * 1024, 'f'));
    zt::Run r = zt::run_piped(zt::built("chanconv"), {}, "x.asc\n\n", {}, m);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "chanconv: x.apl: No space left on device\n");
    EXPECT_EQ(zt::read_file(m + "/x.apl"), "good\n");
    EXPECT_FALSE(temp_left(m));
    // With room, the same conversion replaces it.
    ::unlink((m + "/filler").c_str());
    r = zt::run_piped(zt::built("chanconv"), {}, "x.asc\n\n", {}, m);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(zt::read_file(m + "/x.apl").substr(0, 28), "x.asc\n channel\ncounts\n 14   ");
    EXPECT_FALSE(temp_left(m));
    ::umount(m.c_str());
}
