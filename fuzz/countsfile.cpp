// fracfit's counts file on any bytes: a file that is read is rewritten with
// new default lines, and the rewritten file reads back with the same title,
// thickness lines, head and notes, and with exactly the default lines written.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "countsfile.h"
#include "harness.h"

namespace {

// The default lines to write: up to three short lines from the input's
// first bytes, so that odd defaults (blank, long, "----") come too.
std::array<std::string, 3> new_defaults(const uint8_t* data, size_t size) {
    std::array<std::string, 3> d = {"   1   2", "  0.00", "  1  4"};
    if (size < 1) return d;
    for (size_t i = 0; i < 3; ++i) {
        if (((data[0] >> i) & 1) == 0) continue;
        d[i].clear();
        for (size_t k = 1 + 8 * i; k < size && k < 9 + 8 * i; ++k)
            if (data[k] != '\n' && data[k] != '\r') d[i] += static_cast<char>(data[k]);
    }
    return d;
}

bool same_float(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zorb::CountsFile f;
    std::string why;
    if (!zorb::parse_counts(bytes, f, why)) {
        if (why.empty()) fuzz::fail("a refused counts file without a reason");
        return 0;
    }
    const auto defaults = new_defaults(data, size);
    const std::string text = zorb::counts_text(f, defaults);
    zorb::CountsFile g;
    if (!zorb::parse_counts(text, g, why)) fuzz::fail("the rewritten file is refused: " + why);
    if (g.title != f.title || g.head != f.head || g.nt != f.nt || g.nickel != f.nickel)
        fuzz::fail("the rewritten file has another head");
    for (int i = 1; i <= f.nt; ++i) {
        if (g.valid(i) != f.valid(i)) fuzz::fail("thickness line " + std::to_string(i) + " changed");
        if (f.valid(i) && (!same_float(g.thick(i), f.thick(i)) || !same_float(g.cm(i), f.cm(i))))
            fuzz::fail("thickness line " + std::to_string(i) + " reads otherwise");
    }
    for (int i = 0; i < 3; ++i)
        if (g.defaults[i] != defaults[i]) fuzz::fail("default line " + std::to_string(i + 1));
    if (g.tail != f.tail) fuzz::fail("the notes after the default lines changed");
    for (int i = 1; i <= g.nt; ++i)
        if (g.valid(i) && !(std::isfinite(g.cm(i)) && g.cm(i) >= 0.0f))
            fuzz::fail("counts that are no counts were read");
    return 0;
}
