// The terminal layer on a real pseudo-terminal and on pipes, through the
// driver drv_term_probe (one operation per argument, one report line each).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "session.h"

namespace {

const std::string probe = zt::built("drv_term_probe");
constexpr int zorb_key_nothing = -256;   // the code of a key that does nothing

struct Mode {
    bool canonical;
    int intr;
};

Mode mode_of(const zt::Pty& pty) {
    struct termios t;
    EXPECT_EQ(tcgetattr(pty.master(), &t), 0);
    return {(t.c_lflag & ICANON) != 0, t.c_cc[VINTR]};
}

// Waits until the terminal is (or is no longer) in key mode.
bool wait_key_mode(const zt::Pty& pty, bool key_mode, int timeout_ms = 5000) {
    for (int waited = 0; waited < timeout_ms; waited += 5) {
        if (mode_of(pty).canonical != key_mode) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void expect_canonical_restored(const zt::Pty& pty) {
    ASSERT_TRUE(wait_key_mode(pty, false));
    Mode m = mode_of(pty);
    EXPECT_TRUE(m.canonical);
    EXPECT_EQ(m.intr, 3);   // Ctrl-C interrupts again
}

// One key typed while key() waits, the code it reported, and the terminal's
// attributes seen by the program right after.
void type_key(zt::Pty& pty, const std::string& bytes, int code) {
    ASSERT_TRUE(wait_key_mode(pty, true)) << "key mode never entered";
    EXPECT_EQ(mode_of(pty).intr, '#');
    pty.send(bytes);
    EXPECT_TRUE(pty.expect("key " + std::to_string(code) + "\r\ncanon 1 intr 3\r\n"))
        << pty.output();
}

TEST(KeyOnTerminal, CodesOfReturnAtArrowsAndPlainBytes) {
    std::vector<std::string> ops;
    for (int i = 0; i < 8; ++i) ops.insert(ops.end(), {"k", "t"});
    zt::Pty pty(probe, ops);
    type_key(pty, "\r", 64);
    type_key(pty, "@", 64);
    type_key(pty, "\x1b[A", -65);
    type_key(pty, "\x1b[B", -66);
    type_key(pty, "\x1b[C", -67);
    type_key(pty, "\x1b[D", -68);
    type_key(pty, "a", 97);
    type_key(pty, "\xe9", 233);
    EXPECT_TRUE(pty.expect("done"));
    EXPECT_EQ(pty.wait(), 0);
}

TEST(KeyOnTerminal, ControlKeyWaitsForTwoMoreBytesAndCtrlCDoesNotInterrupt) {
    zt::Pty pty(probe, {"k", "k"});
    for (const char* control : {"\t", "\x03"}) {
        ASSERT_TRUE(wait_key_mode(pty, true));
        pty.mark();
        pty.send(control);
        pty.drain(200);
        pty.send("x");
        pty.drain(200);
        EXPECT_EQ(pty.since_mark().find("key"), std::string::npos) << pty.since_mark();
        pty.send("y");
        EXPECT_TRUE(pty.expect("key -121\r\n")) << pty.output();
    }
    EXPECT_EQ(pty.wait(), 0);
    expect_canonical_restored(pty);
}

// Escape sequences read whole: the code of each, and the next key ("a")
// read as itself, so that no byte of a sequence is left behind.
struct Sequence {
    const char* name;
    const char* bytes;
    int code;
};
const Sequence sequences[] = {
    {"up", "\x1b[A", -65},
    {"left, application mode", "\x1bOD", -68},
    {"Ctrl-down", "\x1b[1;5B", -66},
    {"PageUp", "\x1b[5~", zorb_key_nothing},
    {"Delete", "\x1b[3~", zorb_key_nothing},
    {"Home", "\x1b[H", zorb_key_nothing},
    {"Home, vt220", "\x1b[1~", zorb_key_nothing},
    {"F5", "\x1b[15~", zorb_key_nothing},
    {"F1, application mode", "\x1bOP", zorb_key_nothing},
    {"F5, Linux console", "\x1b[[E", zorb_key_nothing},
    {"Alt-x", "\x1bx", zorb_key_nothing},
    {"Alt-up", "\x1b\x1b[A", zorb_key_nothing},
    {"mouse report", "\x1b[<0;12;5M", zorb_key_nothing},
    {"cut short by a line end", "\x1b[12\n", zorb_key_nothing},
};

TEST(KeySequences, WholeSequenceIsOneKeyOnPipeAndTerminal) {
    for (const Sequence& q : sequences) {
        SCOPED_TRACE(q.name);
        bool cut_short = std::string(q.bytes).back() == '\n';
        std::string second = cut_short ? "64" : "97";   // the line end left behind
        auto r = zt::run_piped(probe, {"k", "k"}, std::string(q.bytes) + "a");
        EXPECT_EQ(r.out, "key " + std::to_string(q.code) + "\nkey " + second + "\ndone\n");
        if (cut_short) continue;   // a terminal sends no such thing
        zt::Pty pty(probe, {"k", "k"});
        ASSERT_TRUE(wait_key_mode(pty, true));
        pty.send(q.bytes);
        ASSERT_TRUE(pty.expect("key " + std::to_string(q.code) + "\r\n")) << pty.output();
        ASSERT_TRUE(wait_key_mode(pty, true));
        pty.send("a");
        EXPECT_TRUE(pty.expect("key 97\r\n")) << pty.output();
        EXPECT_EQ(pty.wait(), 0);
    }
}

TEST(KeyOnTerminal, HashInterruptKillsWithTerminalRestored) {
    zt::Pty pty(probe, {"k", "k"});
    ASSERT_TRUE(wait_key_mode(pty, true));
    pty.send("#");
    EXPECT_EQ(pty.wait(), 128 + SIGINT);
    expect_canonical_restored(pty);
}

TEST(KeyOnTerminal, EndingSignalsRestoreTheTerminalFirst) {
    const std::string dir = zt::temp_dir();   // where a core dump would land
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT}) {
        zt::Pty pty(probe, {"k"}, 24, 80, {}, dir);
        ASSERT_TRUE(wait_key_mode(pty, true));
        kill(pty.pid(), sig);
        EXPECT_EQ(pty.wait(), 128 + sig) << "signal " << sig;
        expect_canonical_restored(pty);
    }
}

TEST(KeyOnTerminal, SuspendRestoresAndContinueSetsKeyModeAgain) {
    zt::Pty pty(probe, {"J", "k"});
    ASSERT_TRUE(wait_key_mode(pty, true));
    pty.send("\x1a");   // Ctrl-Z
    ASSERT_TRUE(pty.expect("stopped canon 1 intr 3\r\n")) << pty.output();
    // Continued in the foreground: key mode again, and the key still read.
    ASSERT_TRUE(wait_key_mode(pty, true));
    pty.send("z");
    EXPECT_TRUE(pty.expect("key 122\r\n")) << pty.output();
    EXPECT_TRUE(pty.expect("job status 0"));
    EXPECT_EQ(pty.wait(), 0);
    expect_canonical_restored(pty);
}

TEST(KeyOnPipe, EndOfInputGivesMinusOneThenEndsTheProgram) {
    auto r = zt::run_piped(probe, {"k", "k"}, "");
    EXPECT_EQ(r.out, "key -1\n");
    EXPECT_EQ(r.err, "drv_term_probe: end of input\n");
    EXPECT_EQ(r.status, 3);
    // Input ending inside an escape sequence is the end of input too.
    r = zt::run_piped(probe, {"k", "k"}, "\x1b[");
    EXPECT_EQ(r.out, "key -1\n");
    EXPECT_EQ(r.status, 3);
}

TEST(KeyOnPipe, KeyAndLineReaderShareTheStream) {
    auto r = zt::run_piped(probe, {"k", "r", "r", "k"}, "x\nabc\n@");
    EXPECT_EQ(r.out, "key 120\n> line 0 7 | 7\n> line 3 97 98 99 | 7\nkey 64\ndone\n");
    EXPECT_EQ(r.status, 0);
}

TEST(Window, SizesOfTerminalAndFallbacks) {
    {
        zt::Pty pty(probe, {"w"}, 50, 200);
        EXPECT_TRUE(pty.expect("window 200 50 130 1\r\n")) << pty.output();
    }
    {
        zt::Pty pty(probe, {"w"}, 100, 120);
        EXPECT_TRUE(pty.expect("window 120 100 120 1\r\n")) << pty.output();
    }
    {
        // A terminal that reports no width counts as 80 x 24, still obtained.
        zt::Pty pty(probe, {"w"}, 30, 0);
        EXPECT_TRUE(pty.expect("window 80 24 80 1\r\n")) << pty.output();
    }
    EXPECT_EQ(zt::run_piped(probe, {"w"}, "").out, "window 80 24 80 0\ndone\n");
    const std::string file = zt::temp_dir() + "/input";
    zt::write_file(file, "x\n");
    auto r = zt::run_piped("/bin/sh", {"-c", "exec \"$0\" w < \"$1\"", probe, file}, "");
    EXPECT_EQ(r.out, "window 80 24 80 0\ndone\n");
}

// Waits for the prompt, then types a line.
void type_line(zt::Pty& pty, const std::string& bytes, const std::string& report) {
    ASSERT_TRUE(pty.expect("> ")) << pty.output();
    pty.send(bytes);
    EXPECT_TRUE(pty.expect(report)) << pty.output();
}

TEST(ReadalineOnTerminal, LinesCodesAndHistory) {
    zt::Pty pty(probe, {"r", "r", "r", "a:first", "r", "c", "r", "r"});
    type_line(pty, "\r", "line 0 7 | 7\r\n");
    type_line(pty, "abc\r", "line 3 97 98 99 | 7\r\n");
    type_line(pty, "\xe9\r", "line 1 -23 | 7\r\n");
    type_line(pty, "\x1b[A\r", "line 5 102 105 114 115 116 | 7\r\n");
    type_line(pty, "\x1b[A\r", "line 0 7 | 7\r\n");   // history emptied
    // Edited with the arrow keys: "ac", left, "b".
    type_line(pty, "ac\x1b[Db\r", "line 3 97 98 99 | 7\r\n");
    EXPECT_TRUE(pty.expect("done"));
    EXPECT_EQ(pty.wait(), 0);
}

TEST(ReadalineOnTerminal, OverlongLineIsCutAndEndOfInputEndsTheProgram) {
    zt::Pty pty(probe, {"r", "r", "r"}, 24, 200);
    std::string codes;
    for (int i = 0; i < 132; ++i) codes += " 120";
    type_line(pty, std::string(140, 'x') + "\r", "line 132" + codes + " | 7\r\n");
    type_line(pty, "\x04", "line 0 7 | 7\r\n");   // Ctrl-D: the end of input
    EXPECT_TRUE(pty.expect("drv_term_probe: end of input"));
    EXPECT_EQ(pty.wait(), 3);
    expect_canonical_restored(pty);
}

TEST(ReadalineOnTerminal, BytesTypedAheadOfTheEditorAreKept) {
    zt::Pty pty(probe, {"k", "r"});
    ASSERT_TRUE(wait_key_mode(pty, true));
    pty.send("xabc\r");   // one key, and the next line before its prompt
    EXPECT_TRUE(pty.expect("key 120\r\n")) << pty.output();
    EXPECT_TRUE(pty.expect("line 3 97 98 99 | 7\r\n")) << pty.output();
    EXPECT_EQ(pty.wait(), 0);
}

TEST(ReadalineOnTerminal, InterruptEndsTheProgramWithTerminalRestored) {
    zt::Pty pty(probe, {"r", "r"});
    ASSERT_TRUE(pty.expect("> "));
    pty.send("ab");
    ASSERT_TRUE(pty.expect("ab"));
    pty.set_size(30, 100);   // a resize on the way is no interrupt
    pty.drain(100);
    pty.send("\x03");
    EXPECT_EQ(pty.wait(), 128 + SIGINT);
    expect_canonical_restored(pty);
}

TEST(ReadalineOnPipe, PlainTranscriptAndEndOfInput) {
    std::string codes;
    for (int i = 0; i < 132; ++i) codes += " 120";
    auto r = zt::run_piped(probe, {"r", "r", "r", "r", "r", "r"},
                           "\nabc\n\xe9\n" + std::string(200, 'x') + "\n");
    EXPECT_EQ(r.out, "> line 0 7 | 7\n> line 3 97 98 99 | 7\n> line 1 -23 | 7\n> line 132" +
                         codes + " | 7\n> line 0 7 | 7\n");
    EXPECT_EQ(r.err, "drv_term_probe: end of input\n");
    EXPECT_EQ(r.status, 3);
    // A last line without its new-line character still counts.
    EXPECT_EQ(zt::run_piped(probe, {"r"}, "ab").out, "> line 2 97 98 | 7\ndone\n");
}

TEST(Viewdvi, PrintsTheCommandAndRunsTheViewerInTheBackground) {
    const std::string dir = zt::temp_dir();
    zt::write_file(dir + "/xdvi",
                   "#!/bin/sh\nexec >/dev/null 2>&1\necho \"$*\" > \"$(dirname \"$0\")/marker\"\n"
                   "sleep 3\n");
    chmod((dir + "/xdvi").c_str(), 0755);
    zt::Env env{{"PATH", dir + ":/usr/bin:/bin"}};
    auto start = std::chrono::steady_clock::now();
    auto r = zt::run_piped(probe, {"v:doc.dvi &"}, "", env);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.out, " xdvi doc.dvi &\ndone\n");
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    for (int i = 0; i < 400 && !zt::file_exists(dir + "/marker"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(zt::read_file(dir + "/marker"), "doc.dvi\n");
}

TEST(Viewdvi, NameTooLongForTheCommandIsRefused) {
    const std::string dir = zt::temp_dir();
    zt::write_file(dir + "/xdvi", "#!/bin/sh\necho \"$*\" > \"$(dirname \"$0\")/marker\"\n");
    chmod((dir + "/xdvi").c_str(), 0755);
    zt::Env env{{"PATH", dir + ":/usr/bin:/bin"}};
    // 126 characters fit "xdvi " and the NUL in 132; 127 do not.
    std::string fits(126, 'a'), too_long(127, 'a');
    auto r = zt::run_piped(probe, {"v:" + fits}, "", env);
    EXPECT_EQ(r.out, " xdvi " + fits + "\ndone\n");
    EXPECT_EQ(zt::read_file(dir + "/marker"), fits + "\n");
    std::remove((dir + "/marker").c_str());
    r = zt::run_piped(probe, {"v:" + too_long}, "", env);
    EXPECT_EQ(r.out, " Document name too long for the viewer; not shown.\ndone\n");
    EXPECT_FALSE(zt::file_exists(dir + "/marker"));
}

// A value longer than its field is refused (cut, it would name another
// directory): the field stays empty, as for an unset variable.
TEST(Infopath, ValuesTooLongForTheirFieldsAreRefused) {
    zt::Env env{{"ZORBHEPATH", std::string(100, 'h')},
                {"PWD", std::string(200, 'w')},
                {"TERM", zt::unset}};
    auto r = zt::run_piped(probe, {"p"}, "", env);
    EXPECT_EQ(r.out, "path hepath 0 \npath term 0 \npath workdir 0 \ndone\n");
    r = zt::run_piped(probe, {"p"}, "", {{"ZORBHEPATH", "/opt/help"}, {"TERM", "vt100"}});
    EXPECT_NE(r.out.find("path hepath 9 /opt/help\npath term 5 vt100\n"), std::string::npos);
}

}  // namespace
