// The odd forms that files from BBS software and sysops' editors come in, read in one place:
// text lines ended by CR, LF or CR LF, numbers padded with blanks, names of any case, fixed
// blocks shorter than they should be, and the old 4-byte binary reals with the exponent last.
// Nothing here touches the terminal: the configuration utility links it too.
#pragma once
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Blanks are spaces and tabs.
bool is_blank(char c);
std::string_view trim_blanks(std::string_view s);
std::string_view trim_trailing_blanks(std::string_view s);
std::string upper_case(std::string_view s);  // ASCII letters only, like the BBS software does

// Splits text into lines: CR, LF and CR LF each end a line; a Ctrl-Z ends the text (DOS
// editors leave one behind); every line is cut to 255 characters.
std::vector<std::string> split_text_lines(std::string_view bytes);

// The whole file, or nothing when it cannot be opened or read. Reads at most max_bytes.
std::optional<std::string> read_whole_file(const std::string& path, std::size_t max_bytes = 1 << 20);
std::optional<std::vector<std::string>> read_text_lines(const std::string& path);
// The first size bytes of a file, zero-filled when the file is shorter; nothing when it cannot
// be opened.
std::optional<std::string> read_block(const std::string& path, std::size_t size);

// The names of the entries of a directory (the current one for an empty dir), in no order;
// none when it cannot be read.
std::vector<std::string> file_names_in(const std::string& dir);
// The name to open for dir + name: the exact name when it exists, else the one entry of dir
// whose name matches case-blind (BBSes on Unix often write upper-case names), else the exact
// name. An empty dir is the current directory.
std::string find_file_case_blind(const std::string& dir, const std::string& name);

// A whole decimal number with optional sign and blanks around it; anything else is not a
// number. Numbers too large for 64 bits saturate.
std::optional<std::int64_t> parse_whole(std::string_view s);
// A hexadecimal number (optionally "$" or "0x" first).
std::optional<std::int64_t> parse_hex(std::string_view s);
// A number of seconds written whole ("2700") or real ("2259.58"); the whole part.
std::optional<std::int64_t> parse_whole_part(std::string_view s);

template <typename T>
T clamp_to(std::int64_t v) {
    if (v < static_cast<std::int64_t>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (v > static_cast<std::int64_t>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}
// Text that is not a number reads as 0; a number too large for the field is clamped.
template <typename T>
T number_or_zero(std::string_view s) {
    return clamp_to<T>(parse_whole(s).value_or(0));
}

// A 4-byte single in the old binary form: three mantissa bytes (low first, the
// sign in the top bit of the third), then the exponent (bias 128, 0 means zero).
double mbf_single(const unsigned char* p);
// Little-endian 16-bit value.
std::uint16_t le16(const unsigned char* p);
