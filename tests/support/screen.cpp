#include "screen.h"

#include <algorithm>
#include <cstdlib>

namespace zt {

Screen::Screen(int rows, int cols)
    : rows_(rows), cols_(cols), grid_(static_cast<std::size_t>(rows), std::string(cols, ' ')) {}

void Screen::resize(int rows, int cols) {
    int drop = std::max(r_ + 1 - rows, 0);
    grid_.erase(grid_.begin(), grid_.begin() + drop);
    r_ -= drop;
    grid_.resize(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(cols), ' '));
    for (std::string& row : grid_) row.resize(static_cast<std::size_t>(cols), ' ');
    rows_ = rows;
    cols_ = cols;
    c_ = std::min(c_, cols - 1);
    pending_wrap_ = false;
}

void Screen::line_feed() {
    if (r_ + 1 < rows_) {
        ++r_;
        return;
    }
    grid_.erase(grid_.begin());
    grid_.emplace_back(cols_, ' ');
}

void Screen::put(char c) {
    if (pending_wrap_) {
        pending_wrap_ = false;
        c_ = 0;
        line_feed();
    }
    grid_[r_][c_] = c;
    if (c_ + 1 < cols_) ++c_;
    else pending_wrap_ = true;
}

void Screen::csi(const std::string& params, char final) {
    if (!params.empty() && (params[0] == '?' || params[0] == '>')) return;  // modes
    int n = params.empty() ? 0 : std::atoi(params.c_str());
    int step = std::max(n, 1);
    pending_wrap_ = false;
    switch (final) {
        case 'A': r_ = std::max(r_ - step, 0); break;
        case 'B': r_ = std::min(r_ + step, rows_ - 1); break;
        case 'C': c_ = std::min(c_ + step, cols_ - 1); break;
        case 'D': c_ = std::max(c_ - step, 0); break;
        case 'K':
            if (n == 0) std::fill(grid_[r_].begin() + c_, grid_[r_].end(), ' ');
            else if (n == 1) std::fill(grid_[r_].begin(), grid_[r_].begin() + c_ + 1, ' ');
            else grid_[r_].assign(cols_, ' ');
            break;
        case 'J':
            if (n == 2) for (auto& row : grid_) row.assign(cols_, ' ');
            break;
        default: break;  // colours and the rest show nothing
    }
}

void Screen::feed(const std::string& bytes) {
    for (char ch : bytes) {
        if (in_seq_) {
            if (seq_.empty() && ch != '[') {  // a two-byte escape: ignored
                in_seq_ = false;
                continue;
            }
            seq_ += ch;
            if (seq_.size() > 1 && ch >= 0x40 && ch <= 0x7e) {
                csi(seq_.substr(1, seq_.size() - 2), ch);
                in_seq_ = false;
            }
            continue;
        }
        switch (ch) {
            case '\x1b': in_seq_ = true; seq_.clear(); break;
            case '\r': c_ = 0; pending_wrap_ = false; break;
            case '\n': line_feed(); pending_wrap_ = false; break;
            case '\b': if (c_ > 0) --c_; pending_wrap_ = false; break;
            case '\a': break;
            default:
                if (static_cast<unsigned char>(ch) >= 32) put(ch);
                break;
        }
    }
}

std::string Screen::row(int r) const {
    std::string s = grid_[static_cast<std::size_t>(r)];
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

std::string Screen::text() const {
    std::string all;
    for (int r = 0; r < rows_; ++r) all += row(r) + "\n";
    return all;
}

}  // namespace zt
