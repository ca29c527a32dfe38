#include "visible.h"

namespace zorb {

namespace {

// The "^X" form of a C0 control or DEL.
void append_caret(std::string& out, unsigned char c) {
    out.push_back('^');
    out.push_back(c == 0x7f ? '?' : static_cast<char>(c + 0x40));
}

bool continuation(unsigned char c) { return c >= 0x80 && c <= 0xbf; }

// The length of a well-formed UTF-8 character of two to four bytes at the
// start of `s`, or 0 when `s` starts with none.
std::size_t utf8_length(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    std::size_t n = lead >= 0xc2 && lead <= 0xdf   ? 2
                    : lead >= 0xe0 && lead <= 0xef ? 3
                    : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                   : 0;
    if (n == 0 || s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if (!continuation(b(i))) return 0;
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    if (lead == 0xe0 && b(1) < 0xa0) return 0;
    if (lead == 0xed && b(1) > 0x9f) return 0;
    if (lead == 0xf0 && b(1) < 0x90) return 0;
    if (lead == 0xf4 && b(1) > 0x8f) return 0;
    return n;
}

}  // namespace

std::string visible_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t' || (c >= 0x20 && c < 0x7f)) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c < 0x20 || c == 0x7f) {
            append_caret(out, c);
            ++i;
        } else if (std::size_t n = utf8_length(text.substr(i))) {
            const unsigned char second = static_cast<unsigned char>(text[i + 1]);
            if (c == 0xc2 && second <= 0x9f) {
                out += "M-";
                append_caret(out, static_cast<unsigned char>(second - 0x80));
            } else {
                out.append(text.substr(i, n));
            }
            i += n;
        } else if (c <= 0x9f) {
            out += "M-";
            append_caret(out, static_cast<unsigned char>(c - 0x80));
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
            ++i;
        }
    }
    return out;
}

}  // namespace zorb
