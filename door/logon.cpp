// The drop-file types that need no file: the local log-on at the console and the
// maintenance user; and the status screen of the session values.
#include "door/door.hpp"
#include "door/door_internal.hpp"
#include "door/file_forms.hpp"

namespace {
// The log-on box in the PC character set: corners, bars and 31 horizontal lines.
std::string box_edge(char left, char right) { return left + std::string(31, '\xC4') + right; }

std::string drop_blanks(std::string_view s) {
    std::string r;
    for (char c : s)
        if (!is_blank(c)) r.push_back(c);
    return r;
}
}  // namespace

door_stop local_logon_read() {
    const auto& a = door_args();
    if (a.size() > 1) {
        if (auto n = parse_whole(a[1]); n && *n >= 1) {
            // A node number never wraps: one the kit cannot hold is refused.
            if (*n > 255) return {exit_config_error, "Invalid parameter " + a[1]};
            node_number = static_cast<std::uint8_t>(*n);
        }
    }
    local_mode = true;
    write_line();
    write_line(box_edge('\xDA', '\xBF'));
    write_line("\xB3          Local Logon          \xB3");
    write_line(box_edge('\xC0', '\xD9'));
    write_line();
    write_line("Please enter your name below (or leave blank for " + sysop_first_name + " " + sysop_last_name + "):");
    write_str(">");
    std::string name(trim_blanks(door_state::read_plain_line()));
    if (name.empty()) {
        user_first_name = upper_case(sysop_first_name.view());
        user_last_name = upper_case(sysop_last_name.view());
    } else {
        std::size_t b = 0;
        while (b < name.size() && !is_blank(name[b])) ++b;
        user_first_name = upper_case(std::string_view(name).substr(0, b));
        user_last_name = upper_case(drop_blanks(std::string_view(name).substr(b)));
        if (user_last_name.empty()) {
            write_line("Please enter your last name:");
            write_str(">");
            user_last_name = upper_case(trim_blanks(door_state::read_plain_line()));
        }
    }
    graphics_mode = 3;
    minutes_allowed = 120;
    security_level = 255;
    return {};
}

void local_logon() {
    if (door_stop s = local_logon_read()) door_error_stop(s);
}

void maintenance_user() {
    local_mode = true;
    user_first_name = "SYSTEM";
    user_last_name = "MAINTENANCE";
    minutes_allowed = 120;
    graphics_mode = 3;
}

std::vector<std::string> door_status_lines() {
    auto yes_no = [](bool b) { return std::string(b ? "Yes" : "No"); };
    std::string graphics = graphics_mode >= 5 ? "RIP" : graphics_mode >= 3 ? "ANSI" : "ASCII";
    std::string drop_file = door_cfg.drop_file_name.empty() ? std::string("None") : door_cfg.drop_file_name.str();
    return {
        "Baud rate: " + std::to_string(baud_rate),
        "    Local: " + yes_no(local_mode),
        " Graphics: " + graphics,
        "Time left: " + std::to_string(minutes_left()),
        " Com Port: " + std::to_string(com_port),
        "     User: " + user_first_name + " " + user_last_name,
        "Access lv: " + std::to_string(security_level),
        " Node num: " + std::to_string(node_number),
        "Lock Baud: " + (locked_baud ? std::to_string(locked_baud) : std::string("Not Locked")),
        " Software: " + std::string(bbs_type_word(bbs_type)),
        "Drop file: " + drop_file,
        "Drop Path: " + drop_path.str(),
    };
}
