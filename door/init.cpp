// Opening the door session: switches, control file, drop file, the caller's terminal.
#include <sys/utsname.h>

#include "door/door.hpp"
#include "door/door_internal.hpp"
#include "door/file_forms.hpp"

namespace {
section_lines_reader show_reader = nullptr;
door_log_writer log_writer = nullptr;

// At every halt: what is still buffered for the caller goes out, unless the caller is gone.
void door_exit_proc() {
    if (carrier_lost || !carrier_present)
        door_state::discard_output();
    else
        flush_output();
}

// Asks the caller's terminal whether it speaks RIP: a RIP terminal answers ESC "[!" with
// "RIPSCRIP" and its version.
bool detect_rip() {
    if (local_mode) return false;
    if (graphics_mode >= 3) send_str("\x1b[0;30m");
    write_line();
    write_line("Checking for RIP");
    send_str("\x1b[!");
    flush_output();
    delay_ms(222);
    std::string answer;
    for (int round = 0; round < 666 && answer.size() < 14; ++round) {
        if (!door_state::carrier_ok()) break;
        if (!stdin_ready_ms(2)) continue;
        int b = door_state::take_byte();
        if (b > 0) answer.push_back(static_cast<char>(b));
    }
    bool rip = answer.compare(0, 3, "RIP") == 0;
    if (rip) write_str("Rip Detected");
    write_line();
    return rip;
}

std::string system_name() {
    struct utsname u;
    if (uname(&u) != 0) return "Unix";
    return u.sysname;
}
}  // namespace

void door_reset_session() {
    user_first_name = "";
    user_last_name = "";
    node_number = 0;
    node_given = false;
    graphics_mode = 0;
    local_mode = false;
    bbs_type = 1;
    minutes_allowed = 0;
    bonus_minutes = 0;
    com_port = 0;
    baud_rate = 0;
    locked_baud = 0;
    fossil_flag = false;
    drop_path = "";
    cur_colour = 7;
    cur_back_colour = 0;
    text_display = false;
    carrier_present = 1;
    carrier_lost = false;
    security_level = 0;
    start_time = clock_now();
    door_cfg = door_config_values{};
    door_state::line_counter = 1;
    door_state::page_length = 25;
    door_state::paging = false;
    door_state::command_stacking = false;
    door_state::stacked.clear();
    door_state::pending_key = -1;
    door_state::decoded_key = -1;
    door_state::stuffed.clear();
    door_state::macro.clear();
    door_state::link_ready = false;
    door_state::hold_count = 0;
    door_state::in_carrier_exit = false;
    door_state::utf8_console = false;
    door_state::discard_output();
    door_state::reset_cursor();
}

void door_init(std::string_view control_file_name) {
    door_reset_session();
    comms_unit_init();
    add_exit_proc(door_exit_proc);
    read_door_config(control_file_name);
    // Without a drop file the session is on the sysop's own console (a BBS caller's
    // terminal always gets the PC character set as it is).
    door_state::utf8_console = bbs_type <= 1 && door_state::locale_is_utf8();
    door_state::page_length = 25;
    cur_colour = 7;
    cur_back_colour = 0;
    start_time = clock_now();
    read_drop_file();
    if (!local_mode) purge_io();
    door_state::enter_raw_mode();
    if (local_mode && (bbs_type == 4 || door_cfg.rip_requested)) graphics_mode = 5;
    if (graphics_mode != 5 && detect_rip()) graphics_mode = 5;
    door_cfg.ansi = graphics_mode >= 3;
    cur_colour = 7;
    cur_back_colour = 0;
    if (graphics_mode == 3) set_colours(7, 0);
    door_state::line_counter = 1;
    bonus_minutes = 0;
    door_state::stuffed.clear();
    door_state::macro.clear();
    user_first_name = upper_case(user_first_name.view());
    user_last_name = upper_case(user_last_name.view());
    door_state::command_stacking = true;
    set_colours(2, 0);
    write_line(system_name() + " detected");
    set_colours(7, 0);
    flush_output();
}

void set_show_text_reader(section_lines_reader r) { show_reader = r; }

void set_door_log_writer(door_log_writer w) { log_writer = w; }

void door_log(std::string_view line) {
    if (log_writer) log_writer(line);
}

void show_text_ansi(std::string_view section) {
    if (graphics_mode != 3 || !show_reader) return;
    std::vector<std::string> lines = show_reader(section);
    text_display = true;
    for (const std::string& l : lines) write_line(l);
    text_display = false;
}
