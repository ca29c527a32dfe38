// The menu engine: one typed call that draws a menu, lets the user choose
// and says what was chosen.  `query` and `query2` (menu.h) fill a request from
// the shared record `scrd` and their arguments and write the result back
// there; the help browser asks the engine directly with entries of its own,
// so that a menu inside help never touches the record of the menu or prompt
// that asked for help.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "field.h"
#include "units.h"

namespace zorb {

// How the length of a text is taken.
enum class Measure {
    left_justified,  // the text is moved to column 1 first (`stringlength`)
    nul_ended,       // a NUL ends the text and blanks follow it (`ntrimto0`)
};

// The length of `text` by `how`; the text is changed as that rule says.
int measure(Text132& text, Measure how);
// Blanks `text` from column ncol+1 on, when ncol is 0 to 130.
void cut_after(Text132& text, int ncol);

// One entry, cut and measured as the menu shows and searches it.
struct MenuEntry {
    Text132 text;         // the entry text, searched by the typed text
    int length = 0;       // characters of `text` shown
    Text16 ext;           // suffix shown after the text and a blank
    int ext_length = 0;   // characters of `ext` shown (0: no suffix)
    Text132 topic;        // help topic, for "he" on this entry
};

// The widths the menu is drawn in.
enum class MenuWidth {
    usable,  // the window's usable width (`term.npl`), measured at every drawing
    window,  // the window's columns (`term.ncol(1)`), measured at every drawing
    fixed,   // 80 columns whatever the window
};

// Record and replay of the menu on the script unit (10), which the caller opens.
enum class MenuScript { none, record, replay };

struct MenuRequest {
    std::vector<MenuEntry> entries;  // entries 1 to n (n from 1 to 64)
    std::string title;               // shown centred in the title line
    std::string default_text;        // searched first; empty: the menu is only shown
    Text80 default_field;            // the answer handed back when nothing is typed
    bool columns = false;            // the column layout, else entries side by side
    MenuWidth width = MenuWidth::usable;
    MenuScript script = MenuScript::none;
    bool take_default = false;       // the default is accepted without asking
    bool quit_after_drawing = false; // drawn once, the default's entry chosen at once
    bool offers_help = true;         // "he" shows the help of the highlighted entry
    std::string help_word = "he";    // how an answer that asks for help begins
    bool q_quits = true;             // an answer beginning with "q" quits
    bool miss_highlights_first = false;  // a typed text no entry holds highlights entry 1
    int nrd = unit_keyboard;         // unit of the rest of a typed answer
    int nwr = unit_screen;           // unit of every menu line
};

struct MenuResult {
    std::optional<int> chosen;       // entry chosen, 0 for none or quit; empty when only shown
    Text80 answer;                   // the text last typed or highlighted
    int lines = 0;                   // net lines the cursor moved down
    // The layout last drawn, by entry number (index 0 unused) and by row.
    std::vector<int> field_widths;   // width of each entry's display field
    std::array<int32_t, 65> row_entries{};  // entries in each row; row 0 holds none
    std::vector<Text132> shown;      // display text of each entry
};

// Draws the menu and runs it until an entry is chosen or the user quits.
MenuResult choose(const MenuRequest& request);

// A request from the text fields the system passes a menu in.  The title is
// `header` cut after column ncol (in the field itself) and measured; the
// default is columns 1 to 79 of `chdf`, measured; "#" in its column 80 asks
// for the column layout.
void take_texts(MenuRequest& request, Text132& header, const Text80& chdf, int ncol, Measure how);
// An entry: `text`, and `ext` when `cut_suffix`, cut after column ncol and
// measured, in the fields themselves.
MenuEntry take_entry(Text132& text, Text16& ext, const Text132& topic, int ncol, Measure how,
                     bool cut_suffix);
// Whether an entry begins with "q" (which then does not quit the menu).
bool q_begins_an_entry(const std::vector<MenuEntry>& entries);

}  // namespace zorb
