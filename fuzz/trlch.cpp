// trlch on any line: the first byte gives the count of characters to look
// at (as a signed byte, so that counts below 1 and above 132 come too), the
// rest is the line.  The count of numbers stays within 0 to 32 and the line
// is not changed.
#include <cstdint>
#include <cstring>
#include <string>

#include "harness.h"
#include "numread.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int n_ch = static_cast<int8_t>(data[0]);
    const zorb::Text132 chin(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    const zorb::Text132 before = chin;
    int iout = -1;
    zorb::NumberList out;
    zorb::trlch(n_ch, chin, iout, out);
    if (iout < 0 || iout > 32) fuzz::fail("trlch count " + std::to_string(iout));
    if (n_ch <= 0 && iout != 0) fuzz::fail("numbers found with a count of " + std::to_string(n_ch));
    if (chin != before) fuzz::fail("trlch changed its line");
    return 0;
}
