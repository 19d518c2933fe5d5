// The control file as the utility writes it. The reader (config.cpp) reads it back to the
// same settings, so a visit to the utility loses no setting of the sysop's.
#include <cstdio>

#include "door/door.hpp"

namespace {
constexpr int written_types_from = 1, written_types_to = 15;
}

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
    auto line = [&t](std::string_view s) {
        t += s;
        t += '\n';
    };
    line("DROPFILEPATH " + std::string(door_cfg.dropfile_path.view()));
    line("SYSOPFIRST " + std::string(sysop_first_name.view()));
    line("SYSOPLAST " + std::string(sysop_last_name.view()));
    line("BBSNAME " + std::string(door_cfg.bbs_name.view()));
    if (bbs_type >= written_types_from && bbs_type <= written_types_to) {
        // The reader knows type 9 by both words; the utility has always written CALLINFO.
        std::string_view word = bbs_type == 9 ? "CALLINFO" : bbs_type_word(bbs_type);
        if (!word.empty()) line("BBSTYPE " + std::string(word));
    }
    line(com_port == 0 ? std::string(";COMPORT 1") : "COMPORT " + std::to_string(com_port));
    if (fossil_flag && door_cfg.ext_fossil) {
        line("XFOSSIL");
    } else if (fossil_flag) {
        line("FOSSIL");
    } else if (!door_cfg.ext_fossil) {
        line(";FOSSIL");
        line(";XFOSSIL");
    }
    line(locked_baud != 0 ? "LOCKBAUD " + std::to_string(locked_baud) : std::string(";LOCKBAUD 19200"));
    for (int n = 0; n < 4; ++n) {
        bool at_default = door_cfg.port_address[n] == default_port_address[n] && door_cfg.port_irq[n] == default_port_irq[n];
        char buf[32];
        std::snprintf(buf, sizeof buf, "%sPORT%d %04X %d", at_default ? ";" : "", n + 1,
                      static_cast<unsigned>(door_cfg.port_address[n]), static_cast<int>(door_cfg.port_irq[n]));
        line(buf);
    }
    for (const std::string& kept : door_cfg.kept_lines) line(kept);
    for (const std::string& kept : door_cfg.kept_comments) line(kept);
    return t;
}
