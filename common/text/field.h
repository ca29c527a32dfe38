// Fixed-width text fields and 1-based arrays.
//
// The dialogue works on blank-padded text of a fixed number of characters,
// positions counted from 1, and which positions a routine looks at decides its
// result (position 132 never counts as text, a leading NUL means empty, ...).
// `Field<N>` models such a field once: N chars, blank by default, 1-based
// access, built from a string by cutting or padding.  Routines take fields by
// reference and change them in place.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zorb {

template <int N>
struct Field {
    static constexpr int size = N;
    char c[N];

    Field() { fill(' '); }
    Field(std::string_view s) { assign(s); }   // NOLINT: fields are built from text freely
    Field(const char* s) { assign(s); }        // NOLINT

    // A field of N NUL characters: storage that was never written.
    static Field nul() {
        Field f;
        f.fill('\0');
        return f;
    }

    char& operator()(int i) { return c[i - 1]; }
    char operator()(int i) const { return c[i - 1]; }

    void fill(char ch) { std::memset(c, ch, N); }

    // The text s from position 1, cut at N or padded with blanks.
    void assign(std::string_view s) {
        int n = static_cast<int>(std::min<std::size_t>(s.size(), N));
        if (n > 0) std::memcpy(c, s.data(), n);   // an empty view may carry no pointer
        std::memset(c + n, ' ', N - n);
    }
    template <int M>
    void assign(const Field<M>& f) { assign(f.view()); }

    // Positions i to j (1-based, inclusive), clipped to the field.
    std::string_view sub(int i, int j) const {
        i = std::max(i, 1);
        j = std::min(j, N);
        if (j < i) return {};
        return std::string_view(c + i - 1, j - i + 1);
    }
    // Positions i to j replaced by the text s, cut or blank-padded to fit.
    void put(int i, int j, std::string_view s) {
        i = std::max(i, 1);
        j = std::min(j, N);
        for (int k = i; k <= j; ++k) {
            std::size_t off = static_cast<std::size_t>(k - i);
            c[k - 1] = off < s.size() ? s[off] : ' ';
        }
    }

    std::string_view view() const { return std::string_view(c, N); }
    std::string str() const { return std::string(c, N); }

    // Last position holding neither a blank nor a NUL (0 when none).
    int last_nonblank() const {
        for (int i = N; i >= 1; --i)
            if (c[i - 1] != ' ' && c[i - 1] != '\0') return i;
        return 0;
    }
    // The text up to its last non-blank character.
    std::string trimmed() const { return std::string(c, last_nonblank()); }
    // Text up to the first NUL (the whole field when there is none).
    std::string upto_nul() const {
        const void* p = std::memchr(c, '\0', N);
        return std::string(c, p ? static_cast<const char*>(p) - c : N);
    }
    bool blank() const {
        for (char ch : c)
            if (ch != ' ') return false;
        return true;
    }
    // Whether the text occurs anywhere in the field.
    bool contains(std::string_view s) const { return view().find(s) != std::string_view::npos; }
    bool starts_with(std::string_view s) const { return view().substr(0, s.size()) == s; }

    bool operator==(const Field& o) const { return std::memcmp(c, o.c, N) == 0; }
    bool operator!=(const Field& o) const { return !(*this == o); }
};

using Text132 = Field<132>;
using Text80 = Field<80>;
using Text64 = Field<64>;
using Text32 = Field<32>;
using Text24 = Field<24>;
using Text16 = Field<16>;
using Text12 = Field<12>;
using Text8 = Field<8>;
using Text7 = Field<7>;
using Text4 = Field<4>;

// An array indexed from 1 to N (or from Lo to Hi), as the system counts.
template <class T, int N, int Lo = 1>
struct Array1 {
    T v[N];
    T& operator()(int i) { return v[i - Lo]; }
    const T& operator()(int i) const { return v[i - Lo]; }
    static constexpr int lo = Lo;
    static constexpr int hi = Lo + N - 1;
};

}  // namespace zorb
