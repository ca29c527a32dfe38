// The cycle shared by the prompts `yesno`, `askvalue`, `askvallim` and
// `askstring` (and the screen conventions `readfile` also uses).
//
// One pass: write the question with its answer in brackets, read an answer,
// write the ESC "[2A" line, then act on the answer:
//   "back"     record mode: return to the caller with "back" in chcom(1:4);
//              otherwise refuse it with the help page on script alteration
//   "he"       help on the prompt's topic (in record mode also on scripts)
//   blank      accept what stands in the brackets
//   "*", "q"   quit
//   other      the routine takes it as a new answer; a usable one is shown
//              in the brackets of the redrawn question and must be accepted
//
// Screen control lines (each a blank, ESC and the sequence, then the line end):
//   ESC "[2A"  after every answer, and first line of a redraw
//   ESC "[3A"  after the two blank lines of a redraw
//   ESC "[K"   erase to the end of the line: ends each blank line of a redraw
//              on a terminal
// Internal to the library: the prompts themselves are declared in prompts.h.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "field.h"
#include "numread.h"

namespace zorb::prompt {

// Mode letters carried in position 132 of the question.
constexpr char mode_replay = 'r';
constexpr char mode_record = 'w';

// What an answer asks for.
enum class Answer { back, help, accept, quit, other };

// The help topic on script files, shown for "back" outside record mode and
// as the second help page in record mode.
inline constexpr std::string_view script_topic = "zorb/script/alteration";

// Writes the line " ESC[<n>A".
void cursor_up(int nwr, int n);
// Redraw after a new answer: ESC "[2A", two lines of `width` blanks, ESC "[3A";
// on a terminal each blank line also ends in ESC "[K" (erase to its end).
void redraw(int nwr, int width);

// Length of the question: its last non-blank position at or before ncol.
int question_length(const Text132& querytype, int ncol);

// The next line of the script file (unit 10), cut to 132 characters; false at
// its end (or when no script file is open).
bool read_script(Text132& line);
// Replay: the next script line; at the end of the script the routine's
// end-of-script line (its first character `lead` tells the routines apart)
// is written on nwr and false returned, and the routine asks instead.
bool replay_line(Text132& line, char lead, int nwr);
// The mode letter of a call: position 132 of the question, then blanked.
char take_mode(Text132& querytype);
// One line to the script file.
void write_script(std::string_view line);

// One answer line from unit nrd, cut to 132 characters, lower-cased and
// left-justified.  The end of input reads as an empty answer.
Text132 read_lowered_answer(int nrd);
// One line from the line editor at `prompt` (NUL-terminated text) into a field
// of 132, as typed; n is its length (0 for an empty line).  A non-empty line is
// also added to the editor's history.
Text132 read_edited_answer(const char* prompt, int& n);
// The text s followed by a NUL, for the line editor.
std::string with_nul(std::string_view s);

// Classification of an answer that has been lower-cased and left-justified
// (the value prompts); `allow_back` is false for `yesno`, which also tests for
// help first (the only difference when "back" is not recognised).
Answer classify_lowered(const Text132& answer, bool allow_back);

// The text shown for a number: trlnu's left-justified text and its length,
// and the value it was made from.
struct Shown {
    Text24 chl;
    int im = 0;
    float value = 0.0f;
    std::string text() const { return std::string(chl.sub(1, im)); }
};
// Makes the shown text of v under form (trlnu may rewrite form to "e15.5").
void show(Text7& form, float v, Shown& s);
// The first number of a shown text, so that a value carries the digits shown;
// the value itself when the text holds no digits ("NaN").
float shown_value(const Shown& s);
// A value read from a script line: the text between the last "]" at or before
// position 80 and the nearest "[" before it.  False when there is no "]".
bool bracket_value(const Text132& line, float& value);
// An empty answer that is the end of input accepts only the default the
// question was asked with: when the brackets show a new answer, typed but not
// confirmed, the program ends (end-of-input status) without taking it.
void unconfirmed_at_end(bool new_answer);
// The numbers among the first ncol characters of an answer.
void read_numbers(const Text132& answer, int ncol, int& count, NumberList& out);

// The state of one prompt call and the parts in which the routines differ.
struct Cycle {
    Cycle(Text132& querytype_, Text132& chcom_, int nwr_, int ld_, bool record_, bool script_help_,
          int blank_width_)
        : querytype(querytype_),
          chcom(chcom_),
          nwr(nwr_),
          ld(ld_),
          record(record_),
          script_help(script_help_),
          blank_width(blank_width_),
          querystore(querytype_) {}

    Text132& querytype;
    Text132& chcom;
    int nwr;
    int ld;              // question length
    bool record;         // record mode: "(b) " prefix, "back" returns
    bool script_help;    // record mode: "he" also shows the page on scripts
    int blank_width;     // width of the blank lines of a redraw
    Text132 querystore;  // the question, restored after a help topic borrowed it

    std::function<std::string()> brackets;           // text after the question
    std::function<Text132()> read;                   // one answer
    std::function<Answer(const Text132&)> classify;  // what it asks for
    std::function<bool(const Text132&)> take;        // a new answer; true when usable

    // The question line as shown (without the record prefix).
    std::string question_line() const;
    // Runs passes until the answer is accepted, quits, or goes back (record
    // mode only); returns which.
    Answer run();
};

}  // namespace zorb::prompt
