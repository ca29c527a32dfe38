#include "readalinef.h"

#include <poll.h>
#include <readline/history.h>
#include <readline/readline.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "input.h"
#include "key.h"
#include "sequences.h"
#include "units.h"

// Readline's switch between characters of several bytes (as the locale
// says) and single bytes.
extern "C" int rl_byte_oriented;

namespace zorb {

namespace {

// Readline's byte source: the one reader of standard input, so that bytes
// typed ahead of the editor (or left after a single key) reach it.  A signal
// during the wait is handed to Readline, which restores the terminal and acts
// on it as it would on its own reads.
int editor_getc(FILE*) {
    for (;;) {
        int b = input_byte_interruptible();
        if (b == input_interrupted) {
            rl_check_signals();
            continue;
        }
        return b < 0 ? EOF : b;
    }
}

// Readline asks whether more bytes are at hand (to tell a lone Escape from an
// escape sequence): bytes already buffered count, and otherwise the terminal
// is watched for the time Readline allows.
int editor_input_available() {
    if (input_buffered()) return 1;
    int timeout_us = rl_set_keyboard_input_timeout(-1);
    struct pollfd p = {0, POLLIN, 0};
    int r = ::poll(&p, 1, timeout_us <= 0 ? 0 : (timeout_us + 999) / 1000);
    return r > 0 ? 1 : 0;
}

// A character of the line is one byte: bytes 128 to 255 are characters, not
// Meta keys nor parts of a multibyte character (which Readline, in a UTF-8
// locale, would drop when they do not form one).  The editor writes nothing
// to the terminal but the prompt and the line.  Set again at the start of
// every line, after Readline has read its start-up file and the locale.
int editor_settings() {
    rl_byte_oriented = 1;
    rl_variable_bind("input-meta", "on");
    rl_variable_bind("convert-meta", "off");
    rl_variable_bind("output-meta", "on");
    rl_variable_bind("enable-meta-key", "off");
    rl_variable_bind("enable-bracketed-paste", "off");
    return 0;
}

void prepare_editor() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    rl_readline_name = "zorb";
    rl_getc_function = editor_getc;
    rl_input_available_hook = editor_input_available;
    rl_startup_hook = editor_settings;
    rl_initialize();
    editor_settings();
}

// Stores the line's bytes as signed 8-bit codes; at most readaline_max.
int32_t store_line(int32_t* k, const char* s, std::size_t n) {
    if (n > static_cast<std::size_t>(readaline_max)) n = readaline_max;
    for (std::size_t i = 0; i < n; ++i) k[i] = static_cast<signed char>(s[i]);
    return static_cast<int32_t>(n);
}

// The prompt for the editor: each escape sequence in it (a colour change)
// is marked as taking no room on the screen, so that the editor places the
// cursor by the prompt's visible width.
std::string editor_prompt(const char* prompt) {
    std::string out;
    for (const char* p = prompt; *p; ++p) {
        if (*p != seq::esc) {
            out.push_back(*p);
            continue;
        }
        out.push_back(RL_PROMPT_START_IGNORE);
        out.push_back(*p);
        if (p[1] == '[') {
            out.push_back(*++p);
            while (p[1] && !(p[1] >= '@' && p[1] <= '~')) out.push_back(*++p);
            if (p[1]) out.push_back(*++p);
        }
        out.push_back(RL_PROMPT_END_IGNORE);
    }
    return out;
}

}  // namespace

int32_t readaline(int32_t* k, const char* prompt) {
    if (!input_is_terminal()) {
        // No terminal: the prompt and a plain line, nothing else, so that a
        // scripted session reads as a clean transcript.
        keyboard_read_begin();
        write_text(unit_screen, prompt ? prompt : "");
        std::string line;
        if (!keyboard_line(line)) return 0;
        return store_line(k, line.data(), line.size());
    }
    keyboard_read_begin();
    prepare_editor();
    std::string shown = editor_prompt(prompt ? prompt : "");
    // The editor sets the terminal to its own mode while it edits; a signal
    // that ends the program meanwhile puts back the attributes it found.
    editor_mode(true);
    char* line = ::readline(shown.c_str());
    editor_mode(false);
    if (!line) {
        // End of input at the editor: end the line the prompt stands on, so
        // that the next screen line does not overwrite the question.
        write_line(unit_screen, "");
        keyboard_end_met();
        return 0;
    }
    int32_t n = store_line(k, line, std::strlen(line));
    std::free(line);
    return n;
}

void addhist(const char* s) { add_history(s); }

void clearhist() { clear_history(); }

void viewdvi(const char* dvifile) { viewdvi(dvifile, dvifile); }

void viewdvi(const char* dvifile, const char* run) {
    // The command is built in 132 characters, its NUL included.
    constexpr std::size_t command_size = 132;
    static const char viewer[] = "xdvi ";
    std::size_t n = std::strlen(dvifile);
    if (sizeof viewer - 1 + n + 1 > command_size) {
        write_line(unit_screen, " Document name too long for the viewer; not shown.");
        std::fflush(stdout);
        return;
    }
    write_line(unit_screen, " " + std::string(viewer) + dvifile);
    std::fflush(stdout);
    const std::string command = std::string(viewer) + run;
    int ignored = std::system(command.c_str());
    (void)ignored;
}

void startgv(const char* s) {
    std::fflush(stdout);
    int ignored = std::system(s);
    (void)ignored;
}

}  // namespace zorb
