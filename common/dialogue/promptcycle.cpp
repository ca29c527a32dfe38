#include "promptcycle.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "help.h"
#include "input.h"
#include "numfmt.h"
#include "readalinef.h"
#include "sequences.h"
#include "text.h"
#include "units.h"

namespace zorb::prompt {

void cursor_up(int nwr, int n) { write_line(nwr, seq::up_line(n)); }

namespace {

// Whether someone watches the dialogue on a terminal (the screen or the
// keyboard is one), rather than a script producing a transcript.
bool at_terminal() { return ::isatty(1) == 1 || input_is_terminal(); }

}  // namespace

void redraw(int nwr, int width) {
    std::string blanks(static_cast<std::size_t>(std::max(width, 0)), ' ');
    // The blanks cover the question, not its answer in brackets nor a long
    // typed answer: on a terminal the rest of both lines is erased too
    // (ESC "[K"), or a shorter answer would keep the end of the longer one.
    // A transcript keeps the lines of blanks alone.
    if (nwr == unit_screen && at_terminal()) blanks += seq::erase_to_end;
    cursor_up(nwr, 2);
    write_line(nwr, blanks);
    write_line(nwr, blanks);
    cursor_up(nwr, 3);
}

int question_length(const Text132& querytype, int ncol) {
    // Outside 1..132 the whole field counts, as stringend takes 0 to mean.
    int il = (ncol < 0 || ncol > 132) ? 132 : ncol;
    stringend(querytype, il);
    return il;
}

bool read_script(Text132& line) {
    if (!unit_is_open(unit_script)) return false;
    std::string s;
    if (!read_line(unit_script, s)) return false;
    line.assign(s);
    return true;
}

bool replay_line(Text132& line, char lead, int nwr) {
    if (read_script(line)) return true;
    write_line(nwr, std::string(1, lead) + "end of sript file: switch to interactive mode");
    return false;
}

char take_mode(Text132& querytype) {
    char mode = querytype(132);
    querytype(132) = ' ';
    return mode;
}

void write_script(std::string_view line) { write_line(unit_script, line); }

Text132 read_lowered_answer(int nrd) {
    // read_line on the keyboard applies the end-of-input rule: the first end
    // reads as an empty answer (which accepts), a later read ends the program.
    std::string s;
    if (!read_line(nrd, s)) s.clear();
    Text132 answer(s);
    lc_character(answer);
    return answer;
}

std::string with_nul(std::string_view s) {
    std::string t(s);
    t.push_back('\0');
    return t;
}

Text132 read_edited_answer(const char* prompt, int& n) {
    int32_t mch[readaline_max];
    n = readaline(mch, prompt);
    n = std::clamp(n, 0, 132);
    Text132 answer;
    for (int i = 0; i < n; ++i) answer(i + 1) = static_cast<char>(mch[i] & 0xff);
    if (n > 0) addhist(with_nul(answer.sub(1, n)).c_str());
    return answer;
}

Answer classify_lowered(const Text132& answer, bool allow_back) {
    if (allow_back && answer.sub(1, 4) == "back") return Answer::back;
    if (answer.sub(1, 2) == "he") return Answer::help;
    if (answer(1) == ' ') return Answer::accept;
    if (answer(1) == '*' || answer(1) == 'q') return Answer::quit;
    return Answer::other;
}

void show(Text7& form, float v, Shown& s) {
    Text24 chr;
    int nn = 0;
    trlnu(form, v, chr, nn, s.chl, s.im);
    s.im = std::clamp(s.im, 0, 24);
    s.value = v;
}

float shown_value(const Shown& s) {
    // The whole text is read, not only its first im characters: for a number
    // too wide for its descriptor those are the overflow marks and a cut text,
    // and the value would lose its last digits.
    Text132 t(s.chl.view());
    int count = 0;
    NumberList out;
    trlch(24, t, count, out);
    return count > 0 ? out(1) : s.value;
}

bool bracket_value(const Text132& line, float& value) {
    int j = 80;
    while (j >= 1 && line(j) != ']') --j;
    if (j < 1) return false;
    int i = j - 1;
    while (i >= 1 && line(i) != '[') --i;
    // Positions i+1 to j-1, at most 24 characters, of which 16 are read.
    Text132 between(line.sub(i + 1, std::min(j - 1, i + 24)));
    int count = 0;
    NumberList out;
    trlch(16, between, count, out);
    value = out(1);
    return true;
}

void unconfirmed_at_end(bool new_answer) {
    if (new_answer && keyboard_ended()) end_of_input_exit();
}

void read_numbers(const Text132& answer, int ncol, int& count, NumberList& out) {
    trlch(std::clamp(ncol, 0, 132), answer, count, out);
}

std::string Cycle::question_line() const { return std::string(querytype.sub(1, ld)) + brackets(); }

namespace {

// The help page on script files; the topic is passed through the question
// field, which then gets its question back.
void help_on_scripts(Cycle& c) {
    c.querytype.assign(script_topic);
    help(c.querytype);
    c.querytype = c.querystore;
}

}  // namespace

Answer Cycle::run() {
    const std::string first_line = question_line();   // with the default it was asked with
    for (;;) {
        std::string line = question_line();
        write_line(nwr, record ? "(b) " + line : line);
        Text132 answer = read();
        cursor_up(nwr, 2);
        switch (classify(answer)) {
            case Answer::back: {
                std::string topic(chcom.sub(1, 4));
                chcom.put(1, 4, "back");
                if (record) return Answer::back;
                // Going back needs a script being recorded.  The refusal
                // leaves the topic as it was, so that the caller is not told
                // of a step back that did not happen and help stays on topic.
                help_on_scripts(*this);
                write_line(nwr, " a script file has not been defined");
                chcom.put(1, 4, topic);
                break;
            }
            case Answer::help:
                help(chcom);
                if (record && script_help) help_on_scripts(*this);
                break;
            case Answer::accept:
                unconfirmed_at_end(line != first_line);
                return Answer::accept;
            case Answer::quit:
                return Answer::quit;
            case Answer::other:
                if (take(answer)) redraw(nwr, blank_width);
                break;
        }
    }
}

}  // namespace zorb::prompt
