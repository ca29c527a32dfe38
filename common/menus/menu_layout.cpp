// The menu's geometry (menu_layout.h): its widths and the rows of its entries.
#include "menu_layout.h"

#include <algorithm>

#include "key.h"

namespace zorb::menu_detail {

namespace {

// The window's size now, taken at every drawing: a window made smaller while
// the menu is open gets a drawing that fits it.  The usable width follows
// the window; one that a program set beyond the 130 columns that `window`
// allows (sixline takes the whole width) stays the whole width.
void measure_window() {
    const bool whole_width = term.npl > 130;
    window(1);
    if (whole_width) term.npl = term.ncol(1);
}

// Columns of equal fields of width w, balanced so that the last column is
// not left nearly empty; 0 columns when not even one fits.
bool column_layout(int n, int wmax, const MenuWidths& widths, MenuLayout& layout) {
    int w = wmax + 2;
    int m = widths.npx / w;
    // A field shows w + 1 characters (a blank or bracket, the text, the
    // padding).  Fewer columns only where a row of m would be wider than
    // the terminal: it would wrap and break every redraw in place.
    if (m * (w + 1) > widths.fit) m = widths.fit / (w + 1);
    int r = m > 0 ? (n + m - 1) / m : 0;
    int e = 0;
    while (m > 0) {
        e = m * r - n;
        if (e >= r - 1) {
            --m;
            continue;
        }
        if (e < 0) {
            ++m;
            e = m * r - n;
        }
        break;
    }
    if (m <= 0) return false;
    for (int k = 1; k <= n; ++k) layout.field_widths[k] = w + 5;
    for (int i = 1; i < r; ++i) layout.row_entries[i] = m;
    layout.row_entries[r] = m - e;
    layout.rows = r;
    return true;
}

// Flow layout: entries side by side while they fit.  An entry as wide as
// the menu gets a row of its own, and the next entry starts a new row; no
// row is left empty.
void flow_layout(const std::vector<MenuEntry>& entries, int npx, MenuLayout& layout) {
    std::array<int, 66> part{};
    const int n = static_cast<int>(entries.size());
    int r = 1;
    int s = 0;
    for (int k = 1; k <= n; ++k) {
        const MenuEntry& e = entries[k - 1];
        int len = e.ext_length + ((e.length + 5) / 10) * 10 + 10;
        layout.field_widths[k] = len;
        if (len < npx) {
            s += len + 6;
            ++part[r];
            if (s > npx) {
                if (part[r] > 1) {
                    --part[r];
                    ++r;
                    part[r] = 1;
                    s = len + 4;
                } else {
                    ++r;
                    s = 0;
                }
            } else if (s == npx) {
                ++r;
                s = 0;
            }
        } else {
            if (part[r] > 0) ++r;
            part[r] = 1;
            ++r;
            s = 0;
        }
    }
    layout.rows = part[r] > 0 ? r : r - 1;
    for (int i = 1; i <= 64; ++i) layout.row_entries[i] = i <= layout.rows ? part[i] : 0;
}

}  // namespace

MenuWidths menu_widths(MenuWidth rule) {
    MenuWidths w;
    if (rule == MenuWidth::fixed) return w;
    measure_window();
    int base = rule == MenuWidth::window ? term.ncol(1) : term.npl;
    // A window too narrow for any menu is drawn as if it had room for one.
    w.npx = std::max(std::min(base - 3, 130), 1);
    w.npli = std::max(std::min(term.ncol(1) - 3, 129), 4);
    w.fit = std::max<int>(term.ncol(1), 4);
    return w;
}

int MenuLayout::row_lines(int row, int npli) const {
    int first = 0;
    for (int i = 1; i < row; ++i) first += row_entries[i];
    return row_entries[row] == 1 && field_widths[first + 1] > npli ? 2 : 1;
}

int MenuLayout::all_row_lines(int npli) const {
    int lines = 0;
    for (int r = 1; r <= rows; ++r) lines += row_lines(r, npli);
    return lines;
}

MenuLayout lay_out(const std::vector<MenuEntry>& entries, bool columns, const MenuWidths& w) {
    MenuLayout layout;
    const int n = static_cast<int>(entries.size());
    layout.field_widths.assign(static_cast<std::size_t>(n) + 1, 0);
    int wmax = 0;
    for (const MenuEntry& e : entries) wmax = std::max(wmax, e.ext_length + e.length + 3);
    if (!columns || !column_layout(n, wmax, w, layout)) flow_layout(entries, w.npx, layout);
    return layout;
}

std::vector<std::string> row_texts(const MenuLayout& layout, const std::vector<Text132>& shown,
                                   int npli) {
    std::vector<std::string> lines;
    int first = 0;
    for (int r = 1; r <= layout.rows; ++r) {
        if (layout.row_lines(r, npli) == 2) {
            const Text132& t = shown[static_cast<std::size_t>(first) + 1];
            lines.emplace_back(t.sub(1, npli - 3));
            lines.push_back(" " + std::string(t.sub(npli - 2, 132)));
        } else {
            std::string text;
            for (int k = first + 1; k <= first + layout.row_entries[r]; ++k) {
                int width = layout.field_widths[k];
                std::string field(shown[static_cast<std::size_t>(k)].sub(1, width));
                field.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
                text += field;
            }
            lines.push_back(text);
        }
        first += layout.row_entries[r];
    }
    return lines;
}

}  // namespace zorb::menu_detail
