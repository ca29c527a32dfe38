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
//   further lines     the user's notes, kept as they are
//
// A thickness line whose first number is not its own sequence number is
// skipped (its values stay unset and it is marked so); the last line read as a
// thickness line is the nickel foil.  A thickness line with counts that are
// not a finite number, or are negative, or with a thickness that is not a
// finite number, is refused.  Lines ended by CR LF read as with LF.
//
// A rewrite takes the file as it stands at that moment: every byte up to and
// including the "----" line and every line after the three default lines
// stay as they are; the default lines are written with the line end of the
// "----" line.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "field.h"

namespace zorb {

struct CountsFile {
    std::string title;                     // line 1, without its line end
    int nt = 0;                            // thickness lines (the "----" line not counted)
    int nickel = 0;                        // the last line read as a thickness line
    Array1<float, 13> thick{}, cm{};       // mm and counts of lines 1 to nt
    Array1<bool, 13> valid{};              // whether line i was read (its number was i)
    std::string head;                      // every byte up to the end of the "----" line
    std::string eol = "\n";                // line end of the "----" line
    std::array<std::string, 3> defaults;   // the default lines as they stand, no line end
    std::string tail;                      // every byte after the third default line
};

// Reads the bytes of a counts file.  False, with the reason in `why` (naming
// the line), when there is no "----" line, fewer than three lines after it,
// more than 12 thickness lines, a thickness line 1 without a positive count
// (the reference of every other count), or counts that are no counts.
bool parse_counts(std::string_view bytes, CountsFile& f, std::string& why);

// The file with the default lines `defaults` (each without line end).
std::string counts_text(const CountsFile& f, const std::array<std::string, 3>& defaults);

// Whether two readings hold the same thickness lines: the same lines read,
// with the same thicknesses and counts, and the same nickel line.
bool same_data(const CountsFile& a, const CountsFile& b);

// Where a counts file named `name` is rewritten: the file a symbolic link
// points to, so that the link stays a link.  False (why set) when it is not
// a plain file that this user can read and write.
bool counts_target(const std::string& name, std::string& target, std::string& why);

// The bytes of the counts file `target`.  False (why set) when it cannot be
// read or is too large to be a counts file.
bool read_counts_bytes(const std::string& target, std::string& bytes, std::string& why);

// Writes `defaults` into the counts file `target` as it stands now (see
// above); a text that would not change is not written at all.  `data_changed`
// tells whether its thickness lines now differ from `first`, the reading the
// results are computed from.  False (why set) when the file cannot be read,
// has no "----" line any more, or cannot be written.
bool rewrite_defaults(const std::string& target, const CountsFile& first,
                      const std::array<std::string, 3>& defaults, bool& data_changed,
                      std::string& why);

}  // namespace zorb
