#include "convert.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "field.h"
#include "input.h"
#include "text.h"
#include "units.h"
#include "visible.h"

namespace zorb {

namespace {


constexpr int input_unit = 11;
constexpr int output_unit = 12;
constexpr int max_channels = 2050;

// The next line of the input, cut to its first 132 characters; a line ended
// by CR LF (a file from another system) ends before the CR.
bool read_channel_line(const std::string& name, Text132& chin) {
    std::string line;
    errno = 0;
    if (!read_line(input_unit, line)) {
        if (errno != 0) file_error_exit(name, std::strerror(errno));
        return false;
    }
    chin.assign(line);
    return true;
}

}  // namespace

std::string converted_name(const std::string& infile) {
    std::size_t at = infile.find(".asc");
    if (at == std::string::npos) return "apl";
    return infile.substr(0, at + 1) + "apl";
}

void convert_counts(const std::string& name) {
    // What the name stands for is looked at before it is opened: a directory
    // opens like a file but cannot be read, and a device is no file of
    // counts and may never end (/dev/zero).  A FIFO is read: its open waits,
    // with a line that says so, for a program to write into it.
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) file_error_exit(name, std::strerror(EISDIR));
        if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode))
            file_error_exit(name, "not a plain file or FIFO");
    }
    if (!open_unit(input_unit, name, OpenMode::read)) file_error_exit(name, std::strerror(errno));
    const std::string outfile = converted_name(name);
    // The output replaces the file of that name: when that is the input
    // itself (through a link, or a name such as d.asc/../d.apl) the counts
    // would be lost.
    struct stat out_st {};
    if (::stat(outfile.c_str(), &out_st) == 0 && out_st.st_dev == st.st_dev &&
        out_st.st_ino == st.st_ino)
        file_error_exit(outfile, "is the input file itself; nothing converted");
    // Written beside an existing file and put in its place only when whole:
    // a full disk or a failed read leaves the old file as it was.
    if (!open_unit(output_unit, outfile, OpenMode::replace))
        file_error_exit(outfile, std::strerror(errno));

    Text132 chin;
    if (!read_channel_line(name, chin)) file_error_exit(name, "end of file before the header line");
    // The header is shown with its control characters visible; the output
    // file gets the counts' lines as they are.
    write_line(unit_screen, " " + visible_text(chin.trimmed()));

    write_line(output_unit, name);
    write_line(output_unit, " channel");
    write_line(output_unit, "counts");

    Text8 ch8;
    for (int32_t i = 1; i <= max_channels; ++i) {
        itoc8(ch8, i);
        if (!read_channel_line(name, chin)) break;
        write_line(output_unit, " 14   " + ch8.str() + chin.trimmed());
    }
    close_unit(output_unit);
    close_unit(input_unit);
}

}  // namespace zorb
