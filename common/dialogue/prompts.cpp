// `yesno`, `askvalue` and `askvallim`: the prompts whose answer is read as a
// plain line from unit nrd, lower-cased and left-justified before it is looked
// at.  Numbers are shown with trlnu and read back from the shown text with
// trlch, so a returned value carries exactly the digits shown.
#include "prompts.h"

#include <cmath>

#include "promptcycle.h"
#include "units.h"

namespace zorb {

using prompt::Answer;
using prompt::Cycle;
using prompt::Shown;

namespace {

// The answer of a value prompt: usable when it holds exactly one number, and a
// finite one.  A number too large for a float (1.0e39, sixty digits) reads as
// an infinity, which no descriptor can show as digits and no caller can use:
// the question is asked again, as for any other answer that is not a number.
bool one_number(const Text132& answer, int ncol, float& value) {
    int count = 0;
    NumberList out;
    prompt::read_numbers(answer, ncol, count, out);
    if (count != 1 || !std::isfinite(out(1))) return false;
    value = out(1);
    return true;
}

// v brought within the limits; a NaN counts as below them.
float within(float v, float alowlimit, float uplimit) {
    if (!(v >= alowlimit)) v = alowlimit;
    if (v > uplimit) v = uplimit;
    return v;
}

}  // namespace

void yesno(Text132& querytype, char& ch1, Text132& chcom, int ncol, int nrd, int nwr) {
    char mode = prompt::take_mode(querytype);
    int ld = prompt::question_length(querytype, ncol);

    Text132 line;
    if (mode == prompt::mode_replay && prompt::replay_line(line, '1', nwr)) {
        write_line(nwr, line.view());
        ch1 = line.sub(2, 132).find("[y]") != std::string_view::npos ? 'y' : 'n';
        return;
    }

    Cycle c(querytype, chcom, nwr, ld, mode == prompt::mode_record, false, ld);
    c.brackets = [&] { return std::string(" [") + ch1 + "]"; };
    c.read = [&] { return prompt::read_lowered_answer(nrd); };
    c.classify = [](const Text132& a) { return prompt::classify_lowered(a, false); };
    // Any other answer redraws the question; only a leading n or y changes it.
    c.take = [&](const Text132& a) {
        if (a(1) == 'n') ch1 = 'n';
        if (a(1) == 'y') ch1 = 'y';
        return true;
    };

    if (c.run() == Answer::quit) {
        ch1 = '*';
        return;
    }
    if (c.record) prompt::write_script(c.question_line());
}

void askvalue(Text132& querytype, Text7& form, float& value, Text132& chcom, int ncol, int nrd,
              int nwr) {
    char mode = prompt::take_mode(querytype);
    int ld = prompt::question_length(querytype, ncol);

    Text132 line;
    if (mode == prompt::mode_replay && prompt::replay_line(line, ' ', nwr)) {
        write_line(nwr, line.view());
        // A line without "]" among its first 80 characters holds no value:
        // the caller's value stays.
        prompt::bracket_value(line, value);
        return;
    }

    // A value typed but not accepted never reaches the caller: quitting or
    // going back leaves the value the call began with.
    const float entry_value = value;
    Shown shown;
    prompt::show(form, value, shown);

    Cycle c(querytype, chcom, nwr, ld, mode == prompt::mode_record, true, ld);
    c.brackets = [&] { return "=[" + shown.text() + "]"; };
    c.read = [&] { return prompt::read_lowered_answer(nrd); };
    c.classify = [](const Text132& a) { return prompt::classify_lowered(a, true); };
    c.take = [&](const Text132& a) {
        if (!one_number(a, ncol, value)) return false;
        prompt::show(form, value, shown);
        return true;
    };

    switch (c.run()) {
        case Answer::quit:
            querytype.assign("*");
            value = entry_value;
            return;
        case Answer::accept:
            value = prompt::shown_value(shown);
            if (c.record) prompt::write_script(c.question_line());
            return;
        default:
            value = entry_value;
            return;
    }
}

void askvallim(Text132& querytype, Text7& form, float alowlimit, float uplimit, float& value,
               Text132& chcom, int ncol, int nrd, int nwr) {
    // The mode letter stays in the caller's field after a replay; it is
    // blanked only when the prompt goes on to ask.
    char mode = querytype(132);
    Text132 line;
    if (mode == prompt::mode_replay && prompt::replay_line(line, '3', nwr)) {
        // A replayed value is taken as recorded, not brought within limits.
        if (!prompt::bracket_value(line, value)) value = 0.0f;
        return;
    }
    querytype(132) = ' ';
    int ld = prompt::question_length(querytype, ncol);

    const float entry_value = value;   // kept on quit and back, as in askvalue
    Shown low, up, shown;
    prompt::show(form, alowlimit, low);
    prompt::show(form, uplimit, up);

    Cycle c(querytype, chcom, nwr, ld, mode == prompt::mode_record, true, ld);
    // Every pass starts by bringing the value within the limits, so a new
    // answer outside them is shown (and accepted) at the nearer limit.
    c.brackets = [&] {
        value = within(value, alowlimit, uplimit);
        prompt::show(form, value, shown);
        return "  (" + low.text() + "-" + up.text() + ")  [" + shown.text() + "]   ";
    };
    c.read = [&] { return prompt::read_lowered_answer(nrd); };
    c.classify = [](const Text132& a) { return prompt::classify_lowered(a, true); };
    c.take = [&](const Text132& a) { return one_number(a, ncol, value); };

    switch (c.run()) {
        case Answer::quit:
            querytype.assign("q");
            value = entry_value;
            return;
        case Answer::accept: {
            std::string recorded = c.question_line();
            // A descriptor too coarse for a limit can show a value just
            // outside it (0.05 under f5.1 shows as 0.0); the limits hold.
            value = within(prompt::shown_value(shown), alowlimit, uplimit);
            if (c.record) prompt::write_script(recorded);
            return;
        }
        default:
            value = entry_value;
            return;
    }
}

}  // namespace zorb
