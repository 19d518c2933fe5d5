// How the game meets the BBS: the door control file and the BBS Setup screen.
#include <limits>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/lookups.hpp"

namespace cfg {
namespace {
constexpr int first_item_row = 6;
constexpr int value_column = 28;  // where each row's value (and its field) starts
constexpr int prompt_row = 17;

// Type 9 reads DORINFO1.DEF whatever the node: it is shown by the file it reads.
const char* const software_labels[16] = {
    "",        "Local",        "N/A",         "QuickBBS", "PCBoard v12", "WWIV BBS", "PCBoard v15", "RBBS",
    "Phoenix", "DORINFO1.DEF", "PCBoard v14", "DOOR.SYS", "Spitfire",    "2AM",      "TRIBBS",      "SRDOOR"};
const char* const fossil_labels[3] = {"Internal Com Routines", "Regular Fossil Driver", "Extended Fossil Driver"};
constexpr std::int32_t baud_choices[6] = {2400, 9600, 14400, 19200, 38400, 57600};
constexpr int pick_column_width = 30;

enum setup_item { sysop = 1, net_address, mail_dir, software, drop_path_row, fossil, port, baud, port_settings, leave };
constexpr int item_count = leave;

std::string software_label(int type) { return type >= 1 && type <= 15 ? software_labels[type] : "N/A"; }

int fossil_choice() { return !fossil_flag ? 0 : door_cfg.ext_fossil ? 2 : 1; }

std::string with_slash(std::string text) {
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

std::string item_value(int item) {
    switch (item) {
    case sysop: return std::string(sysop_first_name.view()) + " " + std::string(sysop_last_name.view());
    case net_address: return std::string(game_stats.net_address.view());
    case mail_dir: return std::string(game_stats.mail_dir.view());
    case software: return software_label(bbs_type);
    case drop_path_row: return std::string(door_cfg.dropfile_path.view());
    case fossil: return fossil_labels[fossil_choice()];
    case port: return com_port == 0 ? "Read from Drop File" : "Com " + std::to_string(com_port);
    case baud: return locked_baud == 0 ? "Port not Locked" : std::to_string(locked_baud);
    default: return "";
    }
}

const char* const item_labels[item_count] = {
    "Sysop Name             : ", "BBS Network Address    : ", "Net Mail Directory     : ", "BBS Software           : ",
    "Drop file path         : ", "Internal Com/Fossil    : ", "Com port               : ", "Locked Baud Rate       : ",
    "Modify Com port settings",  "Return to Main Menu"};

void draw_setup(const cursor_menu& menu) {
    clear_console();
    frame_line("`!  BBS Setup");
    goto_xy_console(1, 3);
    print_labelled("`9Game was started on   : `%", game_stats.started_text.view());
    print_line();
    print_line("`9Game currently on day : `%" + std::to_string(game_stats.day));
    for (int item = 1; item <= item_count; ++item) {
        goto_xy_console(1, first_item_row + item - 1);
        print_labelled("  `3" + std::string(item_labels[item - 1]) + "`%", item_value(item));
    }
    draw_menu_arrow(menu);
}

// A refused value: the line that says why, seen before the screen is drawn again.
void refuse(const std::string& why) { foot_message({why}); }

// Choices below the prompt row in columns of rows lines each, so that every pick list fits
// the screen with its prompt.
void show_choices(const std::vector<std::string>& lines, int rows) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int index = static_cast<int>(i);
        goto_xy_console(1 + (index / rows) * pick_column_width, prompt_row + 1 + index % rows);
        print_text(lines[i]);
    }
}

// Edits a row's value in place; false when the sysop left with Escape or typed nothing.
bool edit_row(int item, std::string& text, std::size_t max_length) {
    bool abort = false;
    std::string initial = text;
    edit_field(text, initial, value_column, max_length, first_item_row + item - 1, 0, abort);
    return !abort && !trim_trailing(trim_leading(text)).empty();
}

// A prompt with a field after it on a row of its own.
bool ask(int row, const std::string& prompt, std::string& text, std::size_t max_length) {
    goto_xy_console(1, row);
    print_text(prompt);
    bool abort = false;
    std::string initial = text;
    edit_field(text, initial, static_cast<int>(strip_codes(prompt).size()) + 1, max_length, row, 0, abort);
    return !abort;
}

// The prompt on the prompt row and one key from lo to hi; 0 for any other key.
char pick(const std::string& prompt, char lo, char hi) {
    goto_xy_console(1, prompt_row);
    print_text(prompt);
    bool extended;
    char k = get_key(extended);
    return !extended && k >= lo && k <= hi ? k : 0;
}

void edit_sysop_name() {
    std::string text = item_value(sysop);
    if (!edit_row(sysop, text, 40)) return;
    std::string name = collapse_spaces(trim_trailing(trim_leading(text)));
    std::size_t blank = name.find(' ');
    sysop_first_name = upcase_first(name.substr(0, blank));
    sysop_last_name = blank == std::string::npos ? std::string(".") : name.substr(blank + 1);
}

void interbbs_notice() {
    goto_xy_console(1, prompt_row);
    print_line("`3That function will eventually tie into the InterBBS play of QVH");
    print_line("Currently, nothing accesses it  ");
}

void edit_net_address() {
    interbbs_notice();
    std::string text = item_value(net_address);
    if (!edit_row(net_address, text, 23)) return;
    if (text.find(':') == std::string::npos || text.find('/') == std::string::npos)
        return refuse("`4A network address holds \":\" and \"/\" (as in 1:1/1.1).");
    game_stats.net_address = text;
}

void edit_mail_dir() {
    interbbs_notice();
    std::string text = item_value(mail_dir);
    if (edit_row(mail_dir, text, 40)) game_stats.mail_dir = with_slash(text);
}

void pick_software() {
    std::vector<std::string> lines;
    for (int type = 1; type <= 15; ++type) {
        if (type == 2) continue;
        char letter = type == 1 ? 'A' : static_cast<char>(type + 63);
        lines.push_back("`3(`#" + std::string(1, letter) + "`3) " + software_labels[type]);
    }
    show_choices(lines, 7);  // A to N in two columns of seven
    char k = upcase_str(std::string(1, pick("`9Which BBS software (`3A`9-`3N`9) : `%", 'A', 'z')))[0];
    if (k == 'A')
        bbs_type = 1;
    else if (k >= 'B' && k <= 'N')
        bbs_type = static_cast<std::uint8_t>(k - 63);
}

void cycle_fossil() {
    int next = (fossil_choice() + 1) % 3;
    fossil_flag = next != 0;
    door_cfg.ext_fossil = next == 2;
}

void pick_port() {
    std::vector<std::string> lines;
    for (int n = 0; n < 4; ++n)
        lines.push_back("`3" + std::to_string(n + 1) + "`9) Com " + std::to_string(n + 1) + "   ADDRESS : `%" +
                        hex_word(door_cfg.port_address[n]) + "`9   IRQ : `%" + std::to_string(door_cfg.port_irq[n]));
    lines.push_back("`35`9) Read port from drop file");
    show_choices(lines, 5);
    char k = pick("`9Which port (`31`9-`35`9) : `%", '1', '5');
    if (k == 0) return;
    com_port = static_cast<std::uint8_t>(k == '5' ? 0 : k - '0');
}

void pick_baud() {
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i)
        lines.push_back("`3" + std::to_string(i + 1) + "`9) " + std::to_string(baud_choices[i]));
    lines.push_back("`37`9) Other");
    lines.push_back("`38`9) Port not Locked.");
    show_choices(lines, 4);  // eight choices in two columns of four
    char k = pick("`9Which rate (`31`9-`38`9) : `%", '1', '8');
    if (k == 0) return;
    if (k <= '6') {
        locked_baud = baud_choices[k - '1'];
    } else if (k == '8') {
        locked_baud = 0;
    } else {
        clear_console();
        std::string text;
        if (!ask(1, "`9Enter the new baud the port should be locked at :`% ", text, 10)) return;
        std::string why;
        auto rate = typed_number(text, true, 1, std::numeric_limits<std::int32_t>::max(), why);
        if (rate) locked_baud = static_cast<std::int32_t>(*rate);
        if (!why.empty()) refuse(why);
    }
}

void modify_ports() {
    char k = pick("`9Which port (`31`9-`34`9) : `%", '1', '4');
    if (k == 0) return;
    int n = k - '1';
    std::string number(1, k);
    std::string text;
    if (ask(prompt_row + 1, "`9Address for Port " + number + " : `%", text, 4)) {
        std::string hex = trim_trailing(trim_leading(text));
        bool ok =
            !hex.empty() && hex.size() <= 4 && hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
        if (ok)
            door_cfg.port_address[n] = static_cast<std::uint16_t>(std::stoul(hex, nullptr, 16));
        else if (!hex.empty())
            return refuse("`4A port address is a hexadecimal number from 0 to FFFF.");
    }
    text.clear();
    if (ask(prompt_row + 2, "`9IRQ for Port " + number + " : `%", text, 3)) {
        std::string why;
        auto irq = typed_number(text, false, 0, 255, why);
        if (irq) door_cfg.port_irq[n] = static_cast<std::uint8_t>(*irq);
        if (!why.empty()) refuse(why);
    }
}
}  // namespace

void load_control_file() {
    com_port = 0;
    // The file the game reads: "quorvath.dat", else the fallback name.
    if (file_exists(control_file_name) || file_exists(fallback_control_file_name)) {
        if (door_stop stop = load_door_config(control_file_name)) door_error_stop(stop);
    } else {
        reset_door_config();
        bbs_type = 11;
        door_cfg.dropfile_path = program_directory();
    }
    fill_default_ports();
}

// Back into the file that was read, so the game goes on reading what the sysop set.
void write_control_file() {
    rewrite_or_stop(door_cfg.file_name.empty() ? control_file_name : door_cfg.file_name, control_file_text());
}

void bbs_setup() {
    cursor_menu menu;
    for (int item = 1; item <= item_count; ++item) menu.rows.push_back(first_item_row + item - 1);
    for (;;) {
        draw_setup(menu);
        menu_input in = cursor_menu_key(menu);
        while (in.event == menu_event::none || in.event == menu_event::key) in = cursor_menu_key(menu);
        if (in.event == menu_event::quit) return;
        switch (menu.selected) {
        case sysop: edit_sysop_name(); break;
        case net_address: edit_net_address(); break;
        case mail_dir: edit_mail_dir(); break;
        case software: pick_software(); break;
        case drop_path_row: {
            std::string text = item_value(drop_path_row);
            if (edit_row(drop_path_row, text, 40)) door_cfg.dropfile_path = with_slash(text);
            break;
        }
        case fossil: cycle_fossil(); break;
        case port: pick_port(); break;
        case baud: pick_baud(); break;
        case port_settings: modify_ports(); break;
        default: return;
        }
    }
}

}  // namespace cfg
