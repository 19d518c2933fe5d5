// The door control file and the command-line switches. No terminal code lives here: the
// configuration utility links this reader on its own, and its stops write straight to fd 1.
#include <cerrno>
#include <unistd.h>

#include "door/door.hpp"
#include "door/file_forms.hpp"

namespace {
std::vector<std::string> args;

// The names that stand before the control file is read; every real file overrides them.
constexpr const char* default_sysop_first = "Local";
constexpr const char* default_sysop_last = "Sysop";
constexpr const char* default_bbs_name = "Local BBS";

struct type_word {
    const char* word;
    std::uint8_t type;
};
// CALLINFO is the word the configuration utility has long written for type 9.
constexpr type_word type_words[] = {
    {"LOCAL", 1},    {"QUICK", 3},     {"PCB12", 4},    {"WWIV", 5},     {"PCB15", 6},
    {"RBBS", 7},     {"PHOENIX", 8},   {"DORINFO1", 9}, {"CALLINFO", 9}, {"PCB14", 10},
    {"DOORSYS", 11}, {"SPITFIRE", 12}, {"2AM", 13},     {"TRIBBS", 14},  {"SRDOOR", 15},
};

void write_fd1(std::string_view s) {
    while (!s.empty()) {
        ssize_t n = ::write(1, s.data(), s.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        s.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string with_slash(std::string_view path) {
    std::string p(path);
    if (!p.empty() && p.back() != '/') p.push_back('/');
    return p;
}

// One line of the control file split as the reader sees it.
struct control_line {
    std::string key, word2, word3, rest;
    std::string rest_whole;  // the rest before it is cut to 80 (paths)
};

std::string cut80(std::string_view s) { return std::string(s.substr(0, 80)); }

control_line split_control_line(std::string_view line) {
    control_line cl;
    std::size_t i = 0;
    auto next_word = [&]() {
        while (i < line.size() && is_blank(line[i])) ++i;
        std::size_t b = i;
        while (i < line.size() && !is_blank(line[i])) ++i;
        return line.substr(b, i - b);
    };
    cl.key = cut80(upper_case(next_word()));
    std::size_t after_key = i;
    while (after_key < line.size() && is_blank(line[after_key])) ++after_key;
    cl.rest_whole = std::string(trim_trailing_blanks(line.substr(after_key)));
    cl.rest = cut80(cl.rest_whole);
    cl.word2 = cut80(upper_case(next_word()));
    cl.word3 = cut80(upper_case(next_word()));
    return cl;
}

// A comment begins with ";", or with one blank and ";". "X;MAXTIME" is a key, not a comment.
bool is_comment(std::string_view line) {
    if (trim_blanks(line).empty()) return true;
    return line[0] == ';' || (is_blank(line[0]) && line.size() > 1 && line[1] == ';');
}

door_stop invalid_parameter(std::string_view what) {
    return {exit_config_error, "Invalid parameter " + std::string(what)};
}

door_stop apply_control_line(std::string_view raw) {
    control_line cl = split_control_line(raw);
    const std::string& k = cl.key;
    if (k == "SYSOPFIRST") {
        sysop_first_name = cl.rest;
    } else if (k == "SYSOPLAST") {
        sysop_last_name = cl.rest;
    } else if (k == "BBSNAME") {
        door_cfg.bbs_name = cl.rest;
    } else if (k == "PAUSECODE") {
        door_cfg.pause_code = cl.rest;
    } else if (k == "BBSTYPE") {
        for (const auto& tw : type_words) {
            if (cl.word2 == tw.word) {
                bbs_type = tw.type;
                door_cfg.type_word = tw.word;
                return {};
            }
        }
        return invalid_parameter(raw);
    } else if (k == "STATUS") {
        if (cl.word2 == "OFF")
            door_cfg.status_line = 0;
        else if (cl.word2 == "ON")
            door_cfg.status_line = 1;
        else
            return invalid_parameter(raw);
    } else if (k == "DIGI") {
        door_cfg.digi = true;
    } else if (k == "FOSSIL") {
        fossil_flag = true;
    } else if (k == "XFOSSIL") {
        fossil_flag = true;
        door_cfg.ext_fossil = true;
    } else if (k == "LOCKBAUD") {
        locked_baud = number_or_zero<std::int32_t>(cl.word2);
    } else if (k.size() == 5 && k.compare(0, 4, "PORT") == 0 && k[4] >= '1' && k[4] <= '4') {
        int n = k[4] - '1';
        door_cfg.port_address[n] = clamp_to<std::uint16_t>(parse_hex(cl.word2).value_or(0));
        door_cfg.port_irq[n] = number_or_zero<std::uint8_t>(cl.word3);
    } else if (k == "STATFORE") {
        door_cfg.stat_fore = number_or_zero<std::uint8_t>(cl.word2);
    } else if (k == "STATBACK") {
        door_cfg.stat_back = number_or_zero<std::uint8_t>(cl.word2);
    } else if (k == "MAXTIME") {
        door_cfg.max_time = number_or_zero<std::int16_t>(cl.word2);
    } else if (k == "COLOR") {
        door_cfg.colour = true;
    } else if (k == "MONO") {
        door_cfg.colour = false;
    } else if (k == "COLOR1") {
        door_cfg.colour1 = true;
    } else if (k == "COMPORT") {
        com_port = number_or_zero<std::uint8_t>(cl.word2);
    } else {
        door_cfg.unknown_key = cl.key;
        door_cfg.unknown_word2 = cl.word2;
        door_cfg.unknown_rest = cl.rest;
        // The utility writes the drop path here; paths keep their case and full length.
        if (k == "DROPFILEPATH") {
            door_cfg.dropfile_path = cl.rest_whole;
            door_cfg.dropfile_path_given = true;
        }
    }
    return {};
}
}  // namespace

void door_set_args(int argc, char** argv) { args.assign(argv, argv + argc); }

const std::vector<std::string>& door_args() { return args; }

std::string_view bbs_type_word(int type) {
    if (type == 0) return "MAINT";
    for (const auto& tw : type_words)
        if (tw.type == type) return tw.word;
    return {};
}

void door_error_stop(const door_stop& stop) {
    write_fd1("\a\aERROR: " + stop.text + "\r\n\a\a");
    delay_ms(2000);
    halt(stop.code);
}

void config_error_exit(std::string_view text) { door_error_stop({exit_config_error, std::string(text)}); }

door_stop parse_door_switches() {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || (a[0] != '/' && a[0] != '-')) continue;
        char letter = upper_case(std::string_view(&a[1], 1))[0];
        std::string_view value = std::string_view(a).substr(2);
        switch (letter) {
        case 'B': locked_baud = number_or_zero<std::int32_t>(value); break;
        case 'C': com_port = number_or_zero<std::uint8_t>(value); break;
        case 'D': debug_mode = true; break;
        case 'E': break;
        case 'F':
        case 'H': door_cfg.logon_switch = 0; break;
        case 'L': door_cfg.logon_switch = 1; break;
        case 'M': door_cfg.suffix = value.substr(0, 2); break;
        case 'N': {
            // A node number never wraps: one the kit cannot hold is refused.
            std::int64_t n = parse_whole(value).value_or(0);
            if (n < 0 || n > 255) return invalid_parameter(a);
            node_number = static_cast<std::uint8_t>(n);
            node_given = true;
            break;
        }
        case 'P':
            // An empty /P is the current directory.
            drop_path = with_slash(value);
            door_cfg.path_switch_given = true;
            break;
        case 'R': door_cfg.rip_requested = true; break;
        case 'V':
        case 'W': break;
        default: break;
        }
    }
    return {};
}

std::string door_config_name(std::string_view name) {
    std::string n(name);
    if (door_cfg.suffix.empty()) return n;
    std::size_t slash = n.rfind('/');
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = n.rfind('.');
    if (dot == std::string::npos || dot < base) dot = n.size();
    return n.substr(0, dot) + door_cfg.suffix.str() + n.substr(dot);
}

void reset_door_config() {
    door_cfg = door_config_values{};
    door_cfg.bbs_name = default_bbs_name;
    door_cfg.pause_code = "@PAUSE@";
    sysop_first_name = default_sysop_first;
    sysop_last_name = default_sysop_last;
    bbs_type = 1;
    fossil_flag = false;
    locked_baud = 0;
    drop_path = "";
    node_given = false;
}

door_stop load_door_config(std::string_view control_file_name) {
    reset_door_config();
    if (door_stop s = parse_door_switches()) return s;
    std::string name = door_config_name(control_file_name);
    auto lines = read_text_lines(name);
    door_cfg.file_name = name;
    if (!lines) {
        lines = read_text_lines(fallback_control_file_name);
        door_cfg.file_name = fallback_control_file_name;
    }
    if (!lines) return {exit_config_error, "Configuration file, " + name + ", is missing!"};
    door_cfg.lines = *lines;
    for (const std::string& line : *lines) {
        if (is_comment(line)) continue;
        if (door_stop s = apply_control_line(line)) return s;
    }
    if (door_cfg.logon_switch != 0xFF) bbs_type = door_cfg.logon_switch;
    if (!door_cfg.path_switch_given && door_cfg.dropfile_path_given)
        drop_path = with_slash(door_cfg.dropfile_path.view());
    return {};
}

void read_door_config(std::string_view control_file_name) {
    if (door_stop s = load_door_config(control_file_name)) door_error_stop(s);
}
