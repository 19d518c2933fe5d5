// Fixed-capacity text: the length-prefixed strings of the game's records and globals.
// Assignment cuts to the capacity, so a field can never hold more than its record allows.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t N>
struct fstr {
    static_assert(N >= 1 && N <= 255, "a short string holds 1 to 255 characters");
    static constexpr std::size_t capacity = N;

    unsigned char len = 0;
    char data[N] = {};

    fstr() = default;
    fstr(std::string_view s) { assign(s); }
    fstr(const char* s) { assign(s ? std::string_view(s) : std::string_view()); }
    fstr(const std::string& s) { assign(std::string_view(s)); }

    fstr& operator=(std::string_view s) {
        assign(s);
        return *this;
    }
    fstr& operator=(const char* s) {
        assign(s ? std::string_view(s) : std::string_view());
        return *this;
    }
    fstr& operator=(const std::string& s) {
        assign(std::string_view(s));
        return *this;
    }

    void assign(std::string_view s) {
        std::size_t n = std::min(s.size(), N);
        if (n) std::memmove(data, s.data(), n);
        if (n < N) std::memset(data + n, 0, N - n);
        len = static_cast<unsigned char>(n);
    }

    std::size_t size() const { return len; }
    bool empty() const { return len == 0; }
    std::string_view view() const { return std::string_view(data, len); }
    std::string str() const { return std::string(data, len); }
    operator std::string() const { return str(); }
    operator std::string_view() const { return view(); }

    bool operator==(std::string_view s) const { return view() == s; }
    // Exact matches for literals and strings, so that no comparison is ambiguous.
    bool operator==(const char* s) const { return view() == std::string_view(s ? s : ""); }
    bool operator==(const std::string& s) const { return view() == std::string_view(s); }
    bool operator==(const fstr& o) const { return view() == o.view(); }
};

template <std::size_t N>
inline std::string operator+(const std::string& a, const fstr<N>& b) {
    return a + b.str();
}
template <std::size_t N>
inline std::string operator+(const fstr<N>& a, const std::string& b) {
    return a.str() + b;
}
template <std::size_t N>
inline std::string operator+(const char* a, const fstr<N>& b) {
    return std::string(a) + b.str();
}
template <std::size_t N>
inline std::string operator+(const fstr<N>& a, const char* b) {
    return a.str() + b;
}

// Short strings outside records hold at most 255 characters.
inline std::string cut255(std::string s) {
    if (s.size() > 255) s.resize(255);
    return s;
}
