// Rewriting a file the user keeps (fracfit's counts file): the new text takes
// the place of the old one, and the file keeps its owner, group, mode and
// every name it has.
//
// Where it keeps them, the text is written to a new file beside the old one,
// given the old one's owner, group and mode, synced and renamed over it, so
// that the file is at every moment either the old one or the new one.  Where
// a rename cannot keep them -- more than one link, no room for a new file in
// the directory (a read-only directory), an owner or group this user cannot
// give a new file -- the file is rewritten in place: the whole text in one
// write from its start, then cut to the text's length and synced.
//
// Signals that end the program (interrupt, terminate, hang-up, quit) are held
// back while the file is replaced and take effect right after it: no signal
// leaves a temporary file beside it or a half-rewritten file.
#pragma once

#include <string>
#include <string_view>

namespace zorb {

// Replaces the contents of the plain file `target` by `text`.  False, with
// the reason in `why`, on failure (a failed rename leaves the old file).
bool rewrite_file(const std::string& target, std::string_view text, std::string& why);

}  // namespace zorb
