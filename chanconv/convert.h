// The conversion of chanconv: an ASCII file of counts (a header line, then
// one channel per line) into a channel-count file.
#pragma once

#include <string>

namespace zorb {

// The output name: the input name up to the dot of its first ".asc", then
// "apl"; a name without ".asc" gives "apl" in the current directory.
std::string converted_name(const std::string& infile);

// Converts the file `name` into the file converted_name(name): the input
// name, " channel", "counts", then one numbered line per channel, the counts
// carried over as text.  The header line is shown on the screen.  A file
// that cannot be opened, read or written ends the program (file_error_exit);
// an existing output file then stays as it was, since the new one replaces
// it only when complete.  The input may be a plain file or a FIFO, not a
// device; an output that is a FIFO or a device is written into.
void convert_counts(const std::string& name);

}  // namespace zorb
