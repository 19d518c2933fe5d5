// Byte images written by hand at documented offsets, independent of the engine's codecs.
#pragma once
#include <bit>
#include <cstdint>
#include <string>

struct golden {
    std::string b;
    explicit golden(std::size_t size) : b(size, '\0') {}
    golden& le(std::size_t off, std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) b.at(off + i) = static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    golden& u8(std::size_t off, int v) { return le(off, static_cast<std::uint8_t>(v), 1); }
    golden& i16(std::size_t off, int v) { return le(off, static_cast<std::uint16_t>(v), 2); }
    golden& i32(std::size_t off, std::int64_t v) { return le(off, static_cast<std::uint32_t>(v), 4); }
    golden& f64(std::size_t off, double v) { return le(off, std::bit_cast<std::uint64_t>(v), 8); }
    // Length byte, then the text (the rest of the field stays zero).
    golden& str(std::size_t off, const std::string& s) {
        b.at(off) = static_cast<char>(s.size());
        for (std::size_t i = 0; i < s.size(); ++i) b.at(off + 1 + i) = s[i];
        return *this;
    }
    golden& raw(std::size_t off, const std::string& s) {
        for (std::size_t i = 0; i < s.size(); ++i) b.at(off + i) = s[i];
        return *this;
    }
};

// Text of exactly n characters, different for each seed.
inline std::string text_of(std::size_t n, char seed) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('A' + (seed + i) % 26);
    return s;
}
