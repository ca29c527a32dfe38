// The file-name dialogue.
#pragma once

#include "field.h"

namespace zorb {

// Environment record of the file dialogue.  `logname` (LOGNAME, else USER,
// else the user database) is filled before each question; it names the home
// directory of "~/" and "$HOME" only when HOME is not set.  The shorthands
// read HOME and ZORBUTPATH from the environment whole, so that a long value
// is never cut into another directory; `utpath` stays unfilled.
struct InfoRecord {
    Text80 user, logname, date, hostid, host, net, disksize, hepath, utpath, term, edt, shell,
        colfile;
    Text132 workdir;
};
extern InfoRecord info;

// Asks for a file of kind `filetype` with default `deffile` and default
// extension `exten`.  On return deffile(1:ld) is the chosen name and exten its
// extension; ld = 0 when the user quit.  ld < 0 on entry: show the prompt and
// take the default without reading.
void readfile(const Text32& filetype, Text132& deffile, Text16& exten, int& ld, Text132& chcom,
              int ncol, int nrd, int nwr);

}  // namespace zorb
