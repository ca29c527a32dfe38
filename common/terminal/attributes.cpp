#include "attributes.h"

#include <cstdlib>

#include "sequences.h"

namespace zorb {

bool screen_attributes() {
    // The environment does not change during a run.
    static const bool wanted = std::getenv("NO_COLOR") == nullptr;
    return wanted;
}

std::string without_attributes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == seq::esc && i + 1 < text.size() && text[i + 1] == '[') {
            // Parameters are digits and ";"; a sequence that ends in anything
            // but "m" (a cursor movement) stays as it is.
            std::size_t j = i + 2;
            while (j < text.size() && ((text[j] >= '0' && text[j] <= '9') || text[j] == ';')) ++j;
            if (j < text.size() && text[j] == 'm') {
                i = j + 1;
                continue;
            }
        }
        out.push_back(text[i++]);
    }
    return out;
}

}  // namespace zorb
