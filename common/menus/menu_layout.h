// The menu's geometry: the widths it is drawn in and how its entries are
// placed in rows.  Nothing here writes to the screen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "field.h"
#include "menu_engine.h"

namespace zorb::menu_detail {

struct MenuWidths {
    int npx = 80;   // usable width: title line, closing line, rows
    int npli = 80;  // line width of a long entry, split over two lines
    int fit = 80;   // columns of the window: no line may be wider
    bool operator==(const MenuWidths& o) const {
        return npx == o.npx && npli == o.npli && fit == o.fit;
    }
};

// The widths by `rule`; the window is measured anew for the first two.
MenuWidths menu_widths(MenuWidth rule);

struct MenuLayout {
    std::vector<int> field_widths;       // display field of entry k (index 0 unused)
    std::array<int32_t, 65> row_entries{};  // entries in row r; row 0 holds none
    int rows = 0;

    // Lines that row `row` takes: two for a lone entry wider than `npli`.
    int row_lines(int row, int npli) const;
    int all_row_lines(int npli) const;
};

// The entries in columns (when `columns` and they fit) or side by side.
MenuLayout lay_out(const std::vector<MenuEntry>& entries, bool columns, const MenuWidths& w);

// The lines of the rows as drawn: the display texts of a row one after
// another, each cut or padded to its field, or a long entry on two lines.
std::vector<std::string> row_texts(const MenuLayout& layout, const std::vector<Text132>& shown,
                                   int npli);

}  // namespace zorb::menu_detail
