// PCBOARD.SYS: a fixed block of 128 bytes in two forms, one for PCBoard 12 and one for
// PCBoard 14 and 15. A short file is read as if zero-filled to the full block.
#include <algorithm>
#include <cmath>

#include "door/door.hpp"
#include "door/door_internal.hpp"
#include "door/file_forms.hpp"

namespace {
constexpr std::size_t block_size = 128;

std::string_view field(const std::string& block, std::size_t offset, std::size_t size) {
    return std::string_view(block).substr(offset, size);
}

// Blanks and zero bytes around a name are padding.
std::string_view strip_padding(std::string_view s) {
    auto pad = [](char c) { return c == ' ' || c == '\0'; };
    while (!s.empty() && pad(s.front())) s.remove_prefix(1);
    while (!s.empty() && pad(s.back())) s.remove_suffix(1);
    return s;
}

void read_pcboard15(const std::string& b, bool pcboard15) {
    int graphics_code = 0;
    char letter = b[11];
    if (letter == '7' || letter == 'N') graphics_code = 0;
    if (letter == 'Y') graphics_code = 2;

    baud_rate = number_or_zero<std::int32_t>(trim_trailing_blanks(field(b, 13, 5)));
    if (field(b, 18, 5) == "Local") baud_rate = 0;

    user_first_name = upper_case(strip_padding(field(b, 25, 15)));
    std::string_view full = field(b, 84, 25);
    std::size_t blank = full.find(' ');
    user_last_name =
        upper_case(strip_padding(blank == std::string_view::npos ? std::string_view() : full.substr(blank + 1)));

    minutes_allowed = static_cast<std::int16_t>(le16(reinterpret_cast<const unsigned char*>(b.data()) + 109));

    char port = b[125];
    com_port = (port >= '0' && port <= '9') ? static_cast<std::uint8_t>(port - '0') : 0;
    if (baud_rate == 0) com_port = 0;

    if (pcboard15 && (static_cast<unsigned char>(b[127]) & 2)) graphics_code = 4;

    security_level = 50;
    graphics_mode = static_cast<std::uint8_t>(graphics_code + 1);
    local_mode = baud_rate == 0 || com_port == 0;
}

// The three times of a PCBoard 12 block are seconds as old 4-byte binary singles: when
// the caller logged on, the time the caller is allowed, and when the caller left for the door.
// What is left of the allowance becomes the minutes allowed, rounded half to even.
std::int16_t pcboard12_minutes(const std::string& b) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data());
    double logged_on = mbf_single(p + 72);
    double allowed = mbf_single(p + 76);
    double left_at = mbf_single(p + 80);
    double minutes = std::nearbyint((allowed - (left_at - logged_on)) / 60.0);
    if (!std::isfinite(minutes)) return 0;
    return static_cast<std::int16_t>(std::clamp(minutes, 0.0, 255.0));
}

void read_pcboard12(const std::string& b) {
    security_level = 0;
    local_mode = false;

    char c0 = b[10], c1 = b[11];
    if (c0 == '1' && c1 == '2')
        baud_rate = 1200;
    else if (c0 == '1' && c1 == '9')
        baud_rate = 19200;
    else if (c0 == '2')
        baud_rate = 2400;
    else if (c0 == '4')
        baud_rate = 4800;
    else if (c0 == '9')
        baud_rate = 9600;
    else
        baud_rate = 300;
    if (c0 == 'L') local_mode = true;

    // The first name ends at the first blank or zero byte; the last name is every later
    // character that is neither.
    std::string_view full = field(b, 14, 25);
    std::size_t i = 0;
    while (i < full.size() && full[i] != ' ' && full[i] != '\0') ++i;
    std::string last;
    for (std::size_t j = i; j < full.size(); ++j)
        if (full[j] != ' ' && full[j] != '\0') last.push_back(full[j]);
    user_first_name = upper_case(full.substr(0, i));
    user_last_name = upper_case(last);

    graphics_mode = b[57] == '0' ? 1 : 3;
    minutes_allowed = pcboard12_minutes(b);
}
}  // namespace

door_stop read_pcboard_sys(int type) {
    door_cfg.drop_file_name = "pcboard.sys";
    std::string message = type == 4 ? "Can't read system file PCBOARD.SYS" : "... Unable to open pcboard.sys file...";
    auto block = read_block(find_file_case_blind(drop_path.str(), "pcboard.sys"), block_size);
    if (!block) return {exit_drop_file_error, message};
    if (type == 4)
        read_pcboard12(*block);
    else
        read_pcboard15(*block, type == 6);
    if (user_first_name.empty()) return no_caller_stop(message);
    return {};
}
