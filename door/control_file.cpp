// The control file as the utility writes it. The reader (config.cpp) reads it back to the
// same settings, so a visit to the utility loses no setting of the sysop's; every line of the
// file read that is none of the writer's own stays where it stood, comments included.
#include <cstdio>

#include "door/door.hpp"
#include "door/file_forms.hpp"

namespace {
constexpr int written_types_from = 1, written_types_to = 15;

// The lines of one setting the writer writes, and the keys that stand for it in a file.
struct setting {
    std::vector<std::string_view> keys;
    std::vector<std::string> lines;
    bool written = false;
};

std::string port_line(int n) {
    bool at_default =
        door_cfg.port_address[n] == default_port_address[n] && door_cfg.port_irq[n] == default_port_irq[n];
    char buf[32];
    std::snprintf(buf, sizeof buf, "%sPORT%d %04X %d", at_default ? ";" : "", n + 1,
                  static_cast<unsigned>(door_cfg.port_address[n]), static_cast<int>(door_cfg.port_irq[n]));
    return buf;
}

// The settings in the order a new file has them.
std::vector<setting> settings() {
    std::vector<setting> s;
    s.push_back({{"DROPFILEPATH"}, {"DROPFILEPATH " + std::string(door_cfg.dropfile_path.view())}});
    s.push_back({{"SYSOPFIRST"}, {"SYSOPFIRST " + std::string(sysop_first_name.view())}});
    s.push_back({{"SYSOPLAST"}, {"SYSOPLAST " + std::string(sysop_last_name.view())}});
    s.push_back({{"BBSNAME"}, {"BBSNAME " + std::string(door_cfg.bbs_name.view())}});
    setting type{{"BBSTYPE"}, {}};
    if (bbs_type >= written_types_from && bbs_type <= written_types_to) {
        // The reader knows type 9 by both words: the file keeps the one it had.
        std::string_view word =
            bbs_type == 9 && door_cfg.type_word == "CALLINFO" ? "CALLINFO" : bbs_type_word(bbs_type);
        if (!word.empty()) type.lines.push_back("BBSTYPE " + std::string(word));
    }
    s.push_back(type);
    s.push_back({{"COMPORT"}, {com_port == 0 ? std::string(";COMPORT 1") : "COMPORT " + std::to_string(com_port)}});
    setting fossil{{"FOSSIL", "XFOSSIL"}, {}};
    if (fossil_flag && door_cfg.ext_fossil)
        fossil.lines = {"XFOSSIL"};
    else if (fossil_flag)
        fossil.lines = {"FOSSIL"};
    else if (!door_cfg.ext_fossil)
        fossil.lines = {";FOSSIL", ";XFOSSIL"};
    s.push_back(fossil);
    s.push_back({{"LOCKBAUD"},
                 {locked_baud != 0 ? "LOCKBAUD " + std::to_string(locked_baud) : std::string(";LOCKBAUD 19200")}});
    for (int n = 0; n < 4; ++n)
        s.push_back({{std::string_view("PORT1PORT2PORT3PORT4").substr(5 * n, 5)}, {port_line(n)}});
    return s;
}

// The setting a line of a file stands for: a key line of it, or the writer's comment form of
// it (";COMPORT 1"). Null for every other line.
setting* setting_of(std::vector<setting>& all, std::string_view line) {
    std::string_view rest = trim_blanks(line);
    if (!rest.empty() && rest[0] == ';') rest.remove_prefix(1);
    std::string key = upper_case(rest.substr(0, rest.find_first_of(" \t")));
    for (setting& s : all)
        for (std::string_view k : s.keys)
            if (key == k) return &s;
    return nullptr;
}
}  // namespace

void fill_default_ports() {
    for (int n = 0; n < 4; ++n) {
        if (door_cfg.port_address[n] == 0 && door_cfg.port_irq[n] == 0) {
            door_cfg.port_address[n] = default_port_address[n];
            door_cfg.port_irq[n] = default_port_irq[n];
        }
    }
}

std::string control_file_text() {
    std::string t;
    auto put = [&t](const std::vector<std::string>& lines) {
        for (const std::string& l : lines) t += l + '\n';
    };
    std::vector<setting> all = settings();
    // Each setting where the file had it (its first line), every other line as it stood.
    for (const std::string& line : door_cfg.lines) {
        setting* s = setting_of(all, line);
        if (!s) {
            put({line});
        } else if (!s->written) {
            put(s->lines);
            s->written = true;
        }
    }
    for (const setting& s : all)
        if (!s.written) put(s.lines);
    return t;
}
