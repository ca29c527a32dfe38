// The second form of the menu selection, used to choose among a few fixed
// entries.  It draws the same menu as `query` and is worked with the same
// keys, but:
//   - texts end at a NUL character, and the title, the entries and the
//     suffixes are blanked from column ncol+1 on;
//   - the layout is always 80 columns wide (the window size is not read);
//   - there are no mode letters, no "g" flag and no record or replay;
//   - a default text holding " quit" selects without asking: the menu is drawn
//     once and the entry that the rest of the default selects is returned;
//   - a text that no entry holds highlights entry 1;
//   - "q" and "*" always quit;
//   - help is "he" followed by a blank ("he" alone too), so a longer word that
//     begins with "he" is an ordinary search text;
//   - every line goes to unit nwr, and the rest of a typed answer comes from
//     unit nrd (the first character is still a key).
#include "menu.h"
#include "menu_engine.h"

namespace zorb {

void query2(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf, int ncol, int nrd, int nwr) {
    menu_detail::MenuForm form;
    form.second = true;
    form.ncol = ncol;
    form.nrd = nrd;
    form.nwr = nwr;
    menu_detail::run_menu(lq, lk, cheader, chdf, form);
}

}  // namespace zorb
