// File names: the directory a name lies in, and a new hidden file made beside
// a named one (where a file is replaced by renaming its successor over it).
#pragma once

#include <string>

namespace zorb {

// The directory part of a file name: "." when it has none, "/" for a name
// directly below the root.
std::string directory_of(const std::string& file);

// A new, empty file ".NAME.XXXXXX" in the directory of `target` (NAME its
// last component, the X a unique suffix), open for reading and writing and
// closed on exec: its descriptor and, in `name`, its name; -1, errno set,
// when none can be made.
int new_file_beside(const std::string& target, std::string& name);

}  // namespace zorb
