// The prompts: a question with the current answer in brackets; an empty answer
// accepts it, a new answer is shown in the brackets to be confirmed.  "he"
// asks for help, "*" or "q" quits, "back" goes back in record mode.
//
// Position 132 of `querytype` carries a mode letter: "r" replays the answer
// from the script file on unit 10, "w" asks and records the accepted question
// line there.  The calling program opens and closes unit 10.
//
// Screen control lines written (each a blank, ESC and the sequence):
//   ESC "[2A"  after every answer: back to the start of the answer line
//   ESC "[3A"  after the two blank lines of a redraw: back to the question
#pragma once

#include "field.h"

namespace zorb {

// Yes or no; ch1 is the default ("y" or "n") and the decision ("*" on quit).
void yesno(Text132& querytype, char& ch1, Text132& chcom, int ncol, int nrd, int nwr);
// A real number shown under `form` (such as "f10.3").
void askvalue(Text132& querytype, Text7& form, float& value, Text132& chcom, int ncol, int nrd,
              int nwr);
// A real number brought within [alowlimit, uplimit].
void askvallim(Text132& querytype, Text7& form, float alowlimit, float uplimit, float& value,
               Text132& chcom, int ncol, int nrd, int nwr);
// Free text edited with the line editor; chstr is the default and the answer.
void askstring(Text132& querytype, Text132& chstr, Text132& chcom, int ncol, int nrd, int nwr);
// A command at the blue "command>" prompt, with a most-recently-used list
// cmdbuff(1..maxbuf), mbuf entries in use.
void buffer(Array1<Text132, 64>& cmdbuff, int maxbuf, Text132& comline, int& mbuf);

}  // namespace zorb
