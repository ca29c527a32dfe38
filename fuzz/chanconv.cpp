// The chanconv converter on any file of counts.  The first line of the input
// is the file's name (only letters, digits, ".", "_" and "-" are kept, at
// most 64; none left gives "d.asc"), the rest its content.  The converted file must hold
// the name, " channel", "counts" and one numbered line per channel line of
// the input (up to 2050), each the line as read (cut to 132 characters, a CR
// before its end dropped) without trailing blanks; the conversion refuses
// only an empty file and a file that would be its own output.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "convert.h"
#include "field.h"
#include "harness.h"
#include "input.h"
#include "text.h"
#include "units.h"

namespace {

using namespace zorb;

std::string file_name(std::string_view line) {
    std::string name;
    for (unsigned char ch : line)
        if (std::isalnum(ch) || ch == '.' || ch == '_' || ch == '-') name.push_back(static_cast<char>(ch));
    if (name.size() > 64) name.resize(64);
    if (name.empty() || name == "." || name == "..") name = "d.asc";
    return name;
}

// The converted file as it must be.
std::string expected(const std::string& name, std::string_view content) {
    std::string out = name + "\n channel\ncounts\n";
    std::size_t at = content.find('\n');
    if (at == std::string_view::npos) return out;   // the header only
    content.remove_prefix(at + 1);
    for (int32_t i = 1; i <= 2050 && !content.empty(); ++i) {
        std::size_t end = content.find('\n');
        std::string line(content.substr(0, end));
        content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
        if (line.size() <= line_kept + 1 && !line.empty() && line.back() == '\r') line.pop_back();
        Text132 chin(line);
        Text8 ch8;
        itoc8(ch8, i);
        out += " 14   " + ch8.str() + chin.trimmed() + "\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string name = file_name(fuzz::take_until(rest, "\n"));
    const std::string outfile = converted_name(name);
    fuzz::InScratch here;
    fuzz::reset_dialogue();
    fuzz::set_keyboard("");
    fuzz::write_file(name, rest);
    ::unlink(outfile.c_str());
    const bool refused = rest.empty() || outfile == name;
    try {
        convert_counts(name);
        if (refused) fuzz::fail("converted " + name + " although it must be refused");
        if (fuzz::read_file(outfile) != expected(name, rest))
            fuzz::fail("the converted file differs from its input " + name);
    } catch (const fuzz::ProgramEnded& end) {
        if (!refused) fuzz::fail("refused " + name + ": " + end.message);
    }
    fuzz::reset_dialogue();
    ::unlink(name.c_str());
    ::unlink(outfile.c_str());
    return 0;
}
