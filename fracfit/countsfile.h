// The counts file of fracfit: reading it, and rewriting its three default
// lines without ever leaving it damaged.
//
//   line 1            a title
//   lines 2 ...       one line per absorber thickness: its sequence number,
//                     the thickness in mm and the counts behind it (free
//                     form, the first 80 characters are searched); the last
//                     one is the nickel foil, at most 12
//   a line with "----" anywhere ends the thickness lines
//   3 default lines   thickness selection, dead time, energy selection
//
// A thickness line whose first number is not its own sequence number is
// skipped (its values stay unset and it is marked so).  Lines ended by CR LF
// read as with LF.  A rewrite keeps every byte up to and including the "----"
// line, writes the default lines with the line end of the "----" line, and
// ends the file after the third.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "field.h"

namespace zorb {

struct CountsFile {
    std::string title;                     // line 1, without its line end
    int nt = 0;                            // thickness lines (the "----" line not counted)
    Array1<float, 13> thick{}, cm{};       // mm and counts of lines 1 to nt
    Array1<bool, 13> valid{};              // whether line i was read (its number was i)
    std::string head;                      // every byte up to the end of the "----" line
    std::string eol = "\n";                // line end of the "----" line
    std::array<std::string, 3> defaults;   // the default lines as they stand, no line end
};

// Reads the bytes of a counts file.  False, with the reason in `why` (naming
// the line), when there is no "----" line, fewer than three lines after it,
// more than 12 thickness lines, or a thickness line 1 without a positive
// count (the reference of every other count).
bool parse_counts(std::string_view bytes, CountsFile& f, std::string& why);

// The file with the default lines `defaults` (each without line end).
std::string counts_text(const CountsFile& f, const std::array<std::string, 3>& defaults);

// Where a counts file named `name` is rewritten: the file a symbolic link
// points to, so that the link stays a link.  False (why set) when the file
// cannot be read and written, or no file can be made beside it.
bool counts_target(const std::string& name, std::string& target, std::string& why);

// Replaces the file `target` by `text` as a whole: written beside it, given
// its permissions, and renamed over it, so that the file is at every moment
// either the old one or the new one.  False, with the reason, on failure
// (the old file then stays).
bool replace_file(const std::string& target, const std::string& text, std::string& why);

}  // namespace zorb
