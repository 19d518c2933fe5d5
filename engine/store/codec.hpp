// Little-endian record fields at fixed byte offsets. Record images are std::string byte
// buffers. Every get reads zero for bytes past the end of its input (a short block is
// zero-filled before it is parsed); every put beyond the end of its buffer is dropped.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "door/fstr.hpp"

void put_u8(std::string& b, std::size_t off, std::uint8_t v);
void put_i16(std::string& b, std::size_t off, std::int16_t v);
void put_i32(std::string& b, std::size_t off, std::int32_t v);
void put_f64(std::string& b, std::size_t off, double v);  // IEEE double, little-endian
// Raw bytes (reserved areas), copied as they stand.
void put_bytes(std::string& b, std::size_t off, std::string_view bytes);

std::uint8_t get_u8(std::string_view b, std::size_t off);
std::int16_t get_i16(std::string_view b, std::size_t off);
std::int32_t get_i32(std::string_view b, std::size_t off);
double get_f64(std::string_view b, std::size_t off);
std::string get_bytes(std::string_view b, std::size_t off, std::size_t count);

// A string field of capacity n takes n+1 bytes: the length byte, then n bytes, zeros past
// the length. On reading a length byte above n is clamped to n.
void put_str(std::string& b, std::size_t off, std::size_t capacity, std::string_view s);
std::string get_str(std::string_view b, std::size_t off, std::size_t capacity);

template <std::size_t N>
void put_fstr(std::string& b, std::size_t off, const fstr<N>& s) {
    put_str(b, off, N, s.view());
}
template <std::size_t N>
fstr<N> get_fstr(std::string_view b, std::size_t off) {
    // A field wholly inside the block is taken as it stands, without a copy on the way.
    if (off < b.size()) {
        std::size_t n = static_cast<unsigned char>(b[off]);
        if (n > N) n = N;
        if (b.size() - off - 1 >= n) return fstr<N>(b.substr(off + 1, n));
    }
    return fstr<N>(get_str(b, off, N));
}
