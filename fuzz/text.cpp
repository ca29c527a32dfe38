// The string routines of text.h on any field.  The first byte chooses the
// routine and its number argument, the rest is the field.  Each result must
// stay inside its field: lengths and positions between 0 and the positions
// the routine looks at, and position 132 never counted as text.
#include <cstdint>
#include <cstring>
#include <string>

#include "harness.h"
#include "text.h"

namespace {

using namespace zorb;

void check(bool ok, const std::string& what) {
    if (!ok) fuzz::fail(what);
}

void run_stringlength(Text132& ch) {
    const Text132 before = ch;
    const int measured = text_length(ch);
    check(ch == before, "text_length changed its field");
    int il = -1;
    stringlength(ch, il);
    check(il >= 0 && il <= 131, "stringlength length " + std::to_string(il));
    check(measured == il,
          "text_length " + std::to_string(measured) + ", stringlength " + std::to_string(il));
    if (il == 0) return;
    // The text now starts at position 1 and ends at il.
    check(ch(1) != ' ' && ch(il) != ' ', "stringlength did not left-justify");
    // Measured again, the text keeps its place and length (unless it now
    // starts with a NUL, which marks a field as empty).
    if (ch(1) == '\0') return;
    int again = -1;
    Text132 copy = ch;
    stringlength(copy, again);
    check(again == il && copy == ch, "stringlength is not stable on its own result");
}

void run_nextchar(Text132& ch, int il) {
    int ip = -1, ia = -1;
    Text132 cha;
    const int start = il;
    nextchar(ch, il, ip, cha, ia);
    check(il <= 130 && (start > 130 || il == start), "nextchar moved il to " + std::to_string(il));
    check(ia >= 0 && ia <= 132, "nextchar item length " + std::to_string(ia));
    check(ip >= 1 && ip <= 133, "nextchar position " + std::to_string(ip));
    if (ia > 0) {
        check(ip + ia - 1 <= 132, "nextchar item beyond the field");
        check(cha.sub(1, ia) == ch.sub(ip, ip + ia - 1), "nextchar item is not the line's");
    }
}

void run_c8toi(std::string_view bytes) {
    Text8 ch(bytes);
    int32_t n = 0;
    c8toi(ch, n);
    for (int i = 1; i <= 8; ++i)
        check(static_cast<unsigned char>(ch(i)) <= '9', "c8toi left a character above 9");
    // What itoc8 writes, c8toi reads back.
    Text8 written;
    itoc8(written, n % 10000000);
    int32_t back = 0;
    c8toi(written, back);
    check(back == n % 10000000, "c8toi does not read itoc8's text of " + std::to_string(n));
}

void run_ntrimto0(Text132& ch) {
    int n = ntrimto0(ch);
    check(n >= 0 && n <= 132, "ntrimto0 length " + std::to_string(n));
    for (int i = n + 1; i <= 132 && n > 0; ++i)
        check(ch(i) == ' ', "ntrimto0 left text after its length");
}

void run_others(Text132& ch, int arg, char fill) {
    int il = arg;
    stringend(ch, il);
    check(il >= 0 && il <= 132, "stringend position " + std::to_string(il));
    Text132 centred = ch;
    chcenter(centred, fill, arg);
    Text132 lower = ch;
    lc_character(lower);
    Text8 c8;
    int32_t nn = static_cast<int32_t>(arg) * 104729;
    itoc8(c8, nn);
    iptoc8(c8, nn);
    check(nn >= 0 && nn <= 8, "iptoc8 count " + std::to_string(nn));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int which = data[0] % 5;
    const int arg = static_cast<int8_t>(data[1]) * 2;   // -256 to 254
    std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    Text132 ch(bytes);
    // A field that ends in NUL bytes is storage never written: keep them.
    if (bytes.size() < 132 && !bytes.empty() && bytes.back() == '\0')
        for (int i = static_cast<int>(bytes.size()) + 1; i <= 132; ++i) ch(i) = '\0';
    switch (which) {
        case 0: run_stringlength(ch); break;
        case 1: run_nextchar(ch, arg); break;
        case 2: run_c8toi(bytes); break;
        case 3: run_ntrimto0(ch); break;
        default: run_others(ch, arg, bytes.empty() ? '*' : bytes[0]); break;
    }
    return 0;
}
