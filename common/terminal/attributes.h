// Colours and text attributes on the screen, and the user's wish to have none.
//
// The dialogue marks text with ECMA-48 "select graphic rendition" sequences,
// ESC "[" parameters "m": normal (0), bold (1), underline (4), red (31),
// blue (34).  With NO_COLOR in the environment (whatever its value) the
// screen gets none of them; the cursor movements (ESC "[" n "A") stay, so
// every drawing in place works as before.
#pragma once

#include <string>
#include <string_view>

#include "sequences.h"

namespace zorb {

// Whether the screen shows colours and attributes (NO_COLOR is not set).
bool screen_attributes();

// `text` without its graphic-rendition sequences.
std::string without_attributes(std::string_view text);

// Whether `text` holds an escape character (and may need the above).
inline bool has_escape(std::string_view text) {
    return text.find(seq::esc) != std::string_view::npos;
}

}  // namespace zorb
