// The BBS drop files: which file each BBS type writes, the text files' line maps, and what
// every reader does afterwards. The PCBOARD.SYS block and the local log-on live beside this.
#include "door/door.hpp"
#include "door/door_internal.hpp"
#include "door/file_forms.hpp"

namespace {
using lines_t = std::vector<std::string>;

// Line n (counted from 1), or nothing when the file is shorter: a short file leaves the
// values of its missing lines as they were.
const std::string* line_at(const lines_t& l, std::size_t n) { return n >= 1 && n <= l.size() ? &l[n - 1] : nullptr; }

template <typename T>
void set_number(const lines_t& l, std::size_t n, T& field) {
    if (auto p = line_at(l, n)) field = number_or_zero<T>(*p);
}

// A port or speed of 0 means the caller sits at the console.
template <typename T>
void set_number_local_if_zero(const lines_t& l, std::size_t n, T& field) {
    if (!line_at(l, n)) return;
    set_number(l, n, field);
    if (field == 0) local_mode = true;
}

// The number in the text before the first blank ("38400 BAUD" gives 38400).
template <typename T>
T first_word_number(std::string_view s) {
    s = trim_blanks(s);
    std::size_t b = 0;
    while (b < s.size() && !is_blank(s[b])) ++b;
    return number_or_zero<T>(s.substr(0, b));
}

bool line_is(const lines_t& l, std::size_t n, std::string_view word) {
    auto p = line_at(l, n);
    return p && trim_blanks(*p) == word;
}

void set_name(const lines_t& l, std::size_t n, fstr<30>& field) {
    if (auto p = line_at(l, n)) field = trim_blanks(*p);
}

void set_caller_name(const lines_t& l, std::size_t n) {
    if (auto p = line_at(l, n)) {
        auto [first, last] = split_full_name(*p);
        user_first_name = first;
        user_last_name = last;
    }
}

void read_dorinfo(const lines_t& l) {
    local_mode = false;
    if (auto p = line_at(l, 4)) {
        // "COM1": the digit in the fourth character; none or 0 is a local session.
        char c = p->size() >= 4 ? (*p)[3] : '0';
        com_port = (c >= '0' && c <= '9') ? static_cast<std::uint8_t>(c - '0') : 0;
        if (com_port == 0) local_mode = true;
    }
    if (auto p = line_at(l, 5)) {
        std::string_view text = *p;
        std::size_t at = upper_case(text).find("BAUD");
        if (at != std::string::npos) text = text.substr(0, at);
        text = trim_blanks(text);
        std::string up = upper_case(text);
        baud_rate = number_or_zero<std::int32_t>(text);
        if (up == "LOCA" || up == "LOCAL" || baud_rate == 0) local_mode = true;
    }
    set_name(l, 7, user_first_name);
    set_name(l, 8, user_last_name);
    if (auto p = line_at(l, 10)) {
        std::int64_t g = parse_whole(*p).value_or(0) + 1;
        if (bbs_type == 3 || bbs_type == 9 || door_cfg.colour1) ++g;
        graphics_mode = clamp_to<std::uint8_t>(g);
    }
    set_number(l, 11, security_level);
    set_number(l, 12, minutes_allowed);
}

// The layout real BBS software writes: the caller's alias on line 2 (empty when the BBS uses
// real names) and real name on line 3, then the fields from line 11 on.
void read_chain_txt(const lines_t& l) {
    auto alias = line_at(l, 2);
    set_caller_name(l, alias && trim_blanks(*alias).empty() ? 3 : 2);
    set_number(l, 11, security_level);
    if (line_at(l, 14)) graphics_mode = line_is(l, 14, "0") ? 1 : 3;
    if (line_at(l, 15)) local_mode = line_is(l, 15, "0");
    if (auto p = line_at(l, 16)) {
        // Seconds left, written whole ("2700") or as a real ("2259.58").
        minutes_allowed = clamp_to<std::int16_t>(parse_whole_part(*p).value_or(0) / 60);
    }
    set_number(l, 20, baud_rate);  // "KB" when local reads as 0
    set_number(l, 21, com_port);
    if (auto p = line_at(l, 22)) door_cfg.bbs_name = trim_blanks(*p);
    if (auto p = line_at(l, 23)) {
        auto [first, last] = split_full_name(*p);
        sysop_first_name = first;
        sysop_last_name = last;
    }
}

void read_info_bbs(const lines_t& l) {
    set_caller_name(l, 1);
    set_number(l, 2, baud_rate);
    set_number(l, 3, com_port);
    set_number(l, 4, security_level);
    if (line_at(l, 5)) local_mode = line_is(l, 5, "TRUE");
    set_number(l, 7, minutes_allowed);
    if (line_at(l, 8)) graphics_mode = line_is(l, 8, "TRUE") ? 3 : 1;
}

void read_door_sys(const lines_t& l) {
    if (auto p = line_at(l, 1)) {
        // "COM1:" gives 1; "COM0:" (or no number) is a local session.
        std::string_view s = trim_blanks(*p);
        if (s.size() >= 3 && upper_case(s.substr(0, 3)) == "COM") s.remove_prefix(3);
        if (!s.empty() && s.back() == ':') s.remove_suffix(1);
        com_port = number_or_zero<std::uint8_t>(s);
        local_mode = com_port == 0;
    }
    set_number(l, 5, baud_rate);
    set_caller_name(l, 10);
    set_number(l, 15, security_level);
    set_number(l, 19, minutes_allowed);
    if (line_at(l, 20)) graphics_mode = line_is(l, 20, "GR") ? 3 : line_is(l, 20, "RIP") ? 5 : 1;
}

void read_sfdoors(const lines_t& l) {
    set_caller_name(l, 2);
    set_number_local_if_zero(l, 5, baud_rate);
    set_number_local_if_zero(l, 6, com_port);
    set_number(l, 7, minutes_allowed);
    if (line_at(l, 10)) graphics_mode = line_is(l, 10, "TRUE") ? 3 : 1;
    set_number(l, 11, security_level);
}

void read_jumper(const lines_t& l) {
    local_mode = false;
    security_level = 0;
    set_name(l, 5, user_first_name);
    set_name(l, 6, user_last_name);
    set_number(l, 8, minutes_allowed);
    set_number_local_if_zero(l, 9, com_port);
    set_number_local_if_zero(l, 10, baud_rate);
    if (line_at(l, 15)) {
        if (line_is(l, 16, "TRUE"))
            graphics_mode = 3;
        else if (line_is(l, 15, "TRUE") && line_is(l, 16, "FALSE"))
            graphics_mode = 2;
        else
            graphics_mode = 1;
    }
}

door_stop read_tribbs(const lines_t& l) {
    local_mode = false;
    security_level = 0;
    set_caller_name(l, 2);
    if (line_at(l, 6)) graphics_mode = line_is(l, 6, "Y") ? 3 : 1;
    set_number(l, 7, minutes_allowed);
    if (auto p = line_at(l, 11)) {
        // A node number never wraps: one the kit cannot hold is refused.
        std::int64_t n = parse_whole(*p).value_or(0);
        if (n < 0 || n > 255) return {exit_config_error, "Invalid parameter " + *p};
        node_number = static_cast<std::uint8_t>(n);
    }
    set_number_local_if_zero(l, 12, com_port);
    set_number_local_if_zero(l, 13, baud_rate);
    set_number(l, 14, locked_baud);
    return {};
}

void read_doorfile_sr(const lines_t& l) {
    security_level = 255;
    set_caller_name(l, 1);
    if (auto p = line_at(l, 2)) graphics_mode = (!p->empty() && (*p)[0] == '1') ? 3 : 1;
    if (auto p = line_at(l, 5)) baud_rate = first_word_number<std::int32_t>(*p);
    if (auto p = line_at(l, 6)) {
        com_port = first_word_number<std::uint8_t>(*p);
        local_mode = com_port == 0;
    }
    if (auto p = line_at(l, 7)) minutes_allowed = first_word_number<std::int16_t>(*p);
}

struct text_drop_file {
    std::string file;
    std::string message;  // shown when it cannot be read or names no caller
    door_stop (*read)(const lines_t&);
};

template <void (*F)(const lines_t&)>
door_stop no_stop(const lines_t& l) {
    F(l);
    return {};
}

text_drop_file text_drop_file_of(int type) {
    switch (type) {
    case 3:
    case 7:
    case 9: {
        std::string c = type == 9 ? "1" : node_char(node_number);
        return {"dorinfo" + c + ".def", "Can't open DORINFO" + c + ".DEF", no_stop<read_dorinfo>};
    }
    case 5: return {"chain.txt", "Error in opening \"Chain.txt\"", no_stop<read_chain_txt>};
    case 8: return {"info.bbs", "Error in opening \"info.bbs\"", no_stop<read_info_bbs>};
    case 11: return {"door.sys", "Cannot load " + drop_path.str() + "DOOR.SYS", no_stop<read_door_sys>};
    case 12: return {"sfdoors.dat", "Cannot load SFDOORS.DAT", no_stop<read_sfdoors>};
    case 13: return {"jumper.dat", "Cannot open JUMPER.DAT", no_stop<read_jumper>};
    case 14: return {"tribbs.sys", "Cannot open TRIBBS.SYS", read_tribbs};
    case 15: return {"DOORFILE.SR", "Cannot load DOORFILE.SR", no_stop<read_doorfile_sr>};
    default: return {};
    }
}

door_stop read_text_drop_file(int type) {
    text_drop_file f = text_drop_file_of(type);
    if (!f.read) return {};
    door_cfg.drop_file_name = f.file;
    auto lines = read_text_lines(find_file_case_blind(drop_path.str(), f.file));
    if (!lines) return {exit_drop_file_error, f.message};
    if (door_stop s = f.read(*lines)) return s;
    if (trim_blanks(user_first_name.view()).empty()) return no_caller_stop(f.message);
    return {};
}
}  // namespace

door_stop no_caller_stop(std::string message) {
    door_log("FORCE:Drop file " + drop_path.str() + door_cfg.drop_file_name.str() + " holds no caller's name");
    return {exit_drop_file_error, std::move(message)};
}

std::pair<std::string, std::string> split_full_name(std::string_view full) {
    std::string s = upper_case(trim_blanks(full));
    std::size_t b = 0;
    while (b < s.size() && !is_blank(s[b])) ++b;
    return {s.substr(0, b), std::string(trim_blanks(std::string_view(s).substr(b)))};
}

std::string node_char(int node) {
    if (node >= 0 && node <= 9) return std::string(1, static_cast<char>('0' + node));
    if (node >= 10 && node <= 35) return std::string(1, static_cast<char>('A' + node - 10));
    return std::to_string(node);
}

door_stop load_drop_file() {
    door_stop s;
    door_cfg.drop_file_name = "";
    switch (bbs_type) {
    case 0: maintenance_user(); break;
    case 1: s = local_logon_read(); break;
    case 2: break;
    case 4:
    case 6:
    case 10: s = read_pcboard_sys(bbs_type); break;
    default: s = read_text_drop_file(bbs_type); break;
    }
    if (s) return s;
    user_first_name = upper_case(user_first_name.view());
    user_last_name = upper_case(user_last_name.view());
    door_cfg.ansi = graphics_mode >= 3;
    if (door_cfg.max_time < minutes_allowed) minutes_allowed = door_cfg.max_time;
    return {};
}

void read_drop_file() {
    if (door_stop s = load_drop_file()) door_error_stop(s);
}

void drop_file_error_exit(std::string_view text) { door_error_stop({exit_drop_file_error, std::string(text)}); }
