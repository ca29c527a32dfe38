// The help system: the entry point `help` and the browser `helproutine`.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb {

// The program's help file name relative to the help root, beginning with "/".
struct LocalPathRecord {
    Text80 localhepath = Text80::nul();
};
extern LocalPathRecord localpath;

// Browser settings.
struct CmpaRecord {
    Text64 helproot;               // directory in front of a details file name
    int32_t nwrwin = 0;            // output unit of the help text
    Array1<Field<16>, 8> chterm;   // not used in this system
};
extern CmpaRecord cmpa;

// Shows the help entry of topic chin.
void help(Text132& chin);
// Shows entry chcom ("/" + topic) of help file `helpfile` and its related entries.
void helproutine(Text132& chcom, Text132& helpfile);

}  // namespace zorb
