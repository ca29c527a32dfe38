// `askstring` and `buffer`: free text read through the line editor, with the
// default answer or the recent commands in the editor's history.
#include <algorithm>
#include <cstdint>
#include <string>

#include "attributes.h"
#include "promptcycle.h"
#include "prompts.h"
#include "readalinef.h"
#include "sequences.h"
#include "text.h"
#include "visible.h"
#include "units.h"

namespace zorb {

using prompt::Answer;
using prompt::Cycle;

namespace {

// The prompt of the line editor for an answer.
constexpr char answer_prompt[] = ">";
// Blue "command>", then back to normal.
const std::string command_prompt = std::string(seq::blue) + "command>" + seq::normal;
// Answers of askstring are kept in 80 characters.
constexpr int answer_width = 80;

// The answer as typed decides, except that help is recognised in any case and
// after leading blanks; "he" must stand alone or be followed by more words.
Answer classify_typed(const Text132& typed) {
    if (typed.sub(1, 4) == "back") return Answer::back;
    Text132 lowered = typed;
    lc_character(lowered);
    if (lowered.sub(1, 3) == "he ") return Answer::help;
    if (typed(1) == ' ') return Answer::accept;
    if (typed(1) == '*' || typed(1) == 'q') return Answer::quit;
    return Answer::other;
}

}  // namespace

void askstring(Text132& querytype, Text132& chstr, Text132& chcom, int ncol, int /*nrd*/, int nwr) {
    char mode = prompt::take_mode(querytype);
    int ld = prompt::question_length(querytype, ncol);
    int lw = 0;
    stringlength(chstr, lw);
    // An empty default (blank, or never written: a leading NUL) shows as one blank.
    const bool empty = lw == 0;
    if (empty) lw = 1;
    // Width of the lines blanked on a redraw, fixed by the default at entry.
    const int ls = ld + lw + 4;

    Text132 line;
    if (mode == prompt::mode_replay && prompt::replay_line(line, ' ', nwr)) {
        // The recorded answer: the text between the first "[" and the last
        // "]" after it, so that an answer of any length comes back as it was
        // recorded; a line without "]" gives as many characters as the
        // default has.
        std::size_t k = line.view().find('[');
        int from = k == std::string_view::npos ? 1 : static_cast<int>(k) + 2;
        std::size_t close = line.view().rfind(']');
        int to = close != std::string_view::npos && static_cast<int>(close) + 1 >= from
                     ? static_cast<int>(close)
                     : from + lw - 1;
        chstr.assign(line.sub(from, std::min(to, from + answer_width - 1)));
        return;
    }

    lw = std::min(lw, answer_width);
    Text80 chstore(empty ? std::string_view() : chstr.sub(1, lw));

    Cycle c(querytype, chcom, nwr, ld, mode == prompt::mode_record, true, ls);
    // The answer may come from a file (fracfit's default lines): its control
    // characters are shown visibly, the answer itself keeps them.
    c.brackets = [&] { return " [" + visible_text(chstore.sub(1, lw)) + "]"; };
    // The answer in brackets is in the history, to be recalled and edited.
    c.read = [&] {
        addhist(prompt::with_nul(chstore.sub(1, lw)).c_str());
        int n = 0;
        return prompt::read_edited_answer(answer_prompt, n);
    };
    c.classify = classify_typed;
    c.take = [&](const Text132& typed) {
        chstore.assign(typed.sub(1, answer_width));
        lw = std::clamp(text_length(typed), 0, answer_width);
        return true;
    };

    Answer a = c.run();
    if (a == Answer::back) return;
    if (a == Answer::accept)
        chstr.assign(chstore.view());
    else
        chstr.assign("*");
    if (c.record) prompt::write_script(c.question_line());
}

void buffer(Array1<Text132, 64>& cmdbuff, int maxbuf, Text132& comline, int& mbuf) {
    // Never more entries than the list holds.
    const int room = std::clamp(maxbuf, 0, 64);
    mbuf = std::clamp(mbuf, 0, room);

    // Most recent last, so that the history key recalls entry 1 first.
    clearhist();
    for (int i = mbuf; i >= 1; --i) {
        int l = 0;
        stringlength(cmdbuff(i), l);
        addhist(prompt::with_nul(cmdbuff(i).sub(1, l)).c_str());
    }

    int32_t mch[readaline_max];
    const std::string prompt =
        screen_attributes() ? command_prompt : without_attributes(command_prompt);
    int n = std::clamp(static_cast<int>(readaline(mch, prompt.c_str())), 0, 132);
    comline.fill(' ');
    if (n == 0) return;
    for (int i = 0; i < n; ++i) comline(i + 1) = static_cast<char>(mch[i] & 0xff);
    const std::string_view typed = comline.sub(1, n);

    // An entry that begins with the typed text gives way to it: the entries
    // above it move down over it and the typed text becomes entry 1.
    bool matched = false;
    for (int i = 1; i <= mbuf; ++i) {
        if (cmdbuff(i).sub(1, n) != typed) continue;
        for (int j = i - 1; j >= 1; --j) cmdbuff(j + 1) = cmdbuff(j);
        cmdbuff(1) = comline;
        matched = true;
    }
    if (matched || room == 0) return;

    // A new command: everything moves down, the oldest falls off a full list.
    mbuf = std::min(mbuf + 1, room);
    for (int j = mbuf - 1; j >= 1; --j) cmdbuff(j + 1) = cmdbuff(j);
    cmdbuff(1) = comline;
}

}  // namespace zorb
