#include "engine/store/codec.hpp"

#include <bit>
#include <cstring>

namespace {
void put_le(std::string& b, std::size_t off, std::uint64_t v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (off + i < b.size()) b[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t get_le(std::string_view b, std::size_t off, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (off + i < b.size()) v |= std::uint64_t(static_cast<unsigned char>(b[off + i])) << (8 * i);
    return v;
}
}  // namespace

void put_u8(std::string& b, std::size_t off, std::uint8_t v) { put_le(b, off, v, 1); }
void put_i16(std::string& b, std::size_t off, std::int16_t v) { put_le(b, off, std::uint16_t(v), 2); }
void put_i32(std::string& b, std::size_t off, std::int32_t v) { put_le(b, off, std::uint32_t(v), 4); }
void put_f64(std::string& b, std::size_t off, double v) { put_le(b, off, std::bit_cast<std::uint64_t>(v), 8); }

void put_bytes(std::string& b, std::size_t off, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size() && off + i < b.size(); ++i) b[off + i] = bytes[i];
}

std::uint8_t get_u8(std::string_view b, std::size_t off) { return std::uint8_t(get_le(b, off, 1)); }
std::int16_t get_i16(std::string_view b, std::size_t off) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(get_le(b, off, 2)));
}
std::int32_t get_i32(std::string_view b, std::size_t off) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(get_le(b, off, 4)));
}
double get_f64(std::string_view b, std::size_t off) { return std::bit_cast<double>(get_le(b, off, 8)); }

std::string get_bytes(std::string_view b, std::size_t off, std::size_t count) {
    std::string out(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        if (off + i < b.size()) out[i] = b[off + i];
    return out;
}

void put_str(std::string& b, std::size_t off, std::size_t capacity, std::string_view s) {
    std::size_t n = s.size() < capacity ? s.size() : capacity;
    put_u8(b, off, static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < capacity; ++i)
        if (off + 1 + i < b.size()) b[off + 1 + i] = i < n ? s[i] : '\0';
}

std::string get_str(std::string_view b, std::size_t off, std::size_t capacity) {
    std::size_t n = get_u8(b, off);
    if (n > capacity) n = capacity;
    return get_bytes(b, off + 1, n);
}
