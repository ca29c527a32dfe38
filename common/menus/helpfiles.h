// Finding the help file of the running program.
//
// A help file name arrives as a text field that may hold NUL characters (an
// environment value or a help file name that was never set).  These helpers
// turn it into a file system name and decide which file a name stands for:
//   - a regular file stands for itself;
//   - a directory stands for the file "<program name>.help" in it, where the
//     program name is the one set by the driver (program_name() of input.h),
//     or else the name of the program's own file (a link of another name);
//     this is how a program that names no help file of its own finds its
//     entries below the help root.
// When nothing is found through the environment or the current directory,
// the help files installed with the programs (or, in a build tree, the ones
// beside the sources) are used.
#pragma once

#include <string>
#include <string_view>

#include "field.h"

namespace zorb {

// The text of a name field: up to its first NUL, trailing blanks removed.
std::string help_name_text(std::string_view field);

// The help file that `name` stands for (see above), or "" when there is none.
std::string usable_help_file(const std::string& name);

// The help file of this program among the bundled help files: the copy
// installed beside the program (<prefix>/share/zorb/help for
// <prefix>/bin/prog), else the one at the configured install place, else, in a
// build tree, the one in the sources (through the link zorb-help beside the
// program).  `local` is the
// program's own help file name ("/..." or empty).  "" when there is none.
std::string bundled_help_file(const std::string& local);

// Whether `name` is a regular file (or a link to one).
bool is_regular_file(const std::string& name);

// A document name reaches the shell, and a details name is opened beside the
// help file: only plain file-name characters (letters, digits, ".", "_", "-")
// pass, so neither can name anything outside its own directory.
bool plain_file_name(std::string_view name);

}  // namespace zorb
