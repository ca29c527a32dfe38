// The menu engine shared by `query` and `query2` (the two forms of the menu
// selection).  The forms differ only in the options below.
#pragma once

#include <cstdint>

#include "field.h"

namespace zorb::menu_detail {

struct MenuForm {
    bool second = false;  // the second form: fixed 80 columns, no modes, see menu2.cpp
    int ncol = 80;        // texts are blanked from column ncol+1 on when ncol <= 130
    int nrd = 5;          // unit of the rest of a typed answer
    int nwr = 6;          // unit of every menu line
};

void run_menu(int32_t& lq, int32_t& lk, Text132& cheader, Text80& chdf, const MenuForm& form);

}  // namespace zorb::menu_detail
