// The door kit: the session with the caller. Every byte to the caller and every key from
// the caller passes through these operations; nothing else touches the terminal.
#pragma once
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "door/fstr.hpp"
#include "door/halt.hpp"
#include "door/switches.hpp"
#include "door/sys.hpp"

// ---- Door session values (one set per process; the kit writes them, the game reads them) ----
extern fstr<30> user_first_name;
extern fstr<30> user_last_name;
extern std::uint8_t node_number;
extern bool node_given;
extern std::uint8_t graphics_mode;  // 1 ASCII, 3 ANSI, 5 RIP
extern bool local_mode;
extern std::uint8_t bbs_type;  // 0-15
extern std::int16_t minutes_allowed;
extern std::int16_t bonus_minutes;
extern std::uint8_t com_port;  // 0 = local
extern std::int32_t baud_rate;
extern std::int32_t locked_baud;
extern bool fossil_flag;
extern fstr<255> drop_path;  // ends in "/" when not empty
extern fstr<80> sysop_first_name;
extern fstr<80> sysop_last_name;
extern fstr<60> program_title;
extern std::uint8_t cur_colour;       // 0-31
extern std::uint8_t cur_back_colour;  // 0-7
extern bool text_display;
extern volatile std::sig_atomic_t carrier_present;
extern local_time start_time;
extern std::int16_t security_level;

// Why the session is ending: set when the caller's carrier was lost (hang-up, terminate
// signal, end of input, I/O error). The exit chain reads it to save the character.
extern bool carrier_lost;

// The control file read when the one asked for is missing.
constexpr const char* fallback_control_file_name = "vexlor.ctl";

// ---- Control-file values (read by read_door_config; kept for the status screen) ----
struct door_config_values {
    fstr<80> bbs_name;
    fstr<80> pause_code;
    std::uint8_t status_line = 1;
    bool digi = false;
    bool ext_fossil = false;
    std::uint16_t port_address[4] = {0, 0, 0, 0};
    std::uint8_t port_irq[4] = {0, 0, 0, 0};
    std::uint8_t stat_fore = 7;
    std::uint8_t stat_back = 1;
    std::int16_t max_time = 999;
    bool colour = true;
    bool colour1 = false;
    bool rip_requested = false;                         // switch /R
    std::uint8_t logon_switch = 0xFF;                   // 0 /F or /H, 1 /L, 0xFF none
    fstr<2> suffix;                                     // switch /M
    fstr<80> unknown_key, unknown_word2, unknown_rest;  // last unknown line
    fstr<255> dropfile_path;                            // DROPFILEPATH from the control file
    bool dropfile_path_given = false;                   // the control file named a DROPFILEPATH
    bool path_switch_given = false;                     // switch /P (wins over DROPFILEPATH)
    bool ansi = false;                                  // the caller's graphics mode is ANSI or better
    fstr<80> drop_file_name;                            // the drop file read (status screen)
    // Every line of the control file read, as read, in file order: the writer keeps each line
    // that is none of its own.
    std::vector<std::string> lines;
    // The control file read: the name asked for, or the fallback "vexlor.ctl".
    std::string file_name;
    // The BBSTYPE word the file gave (type 9 has two: DORINFO1 and CALLINFO).
    std::string type_word;
};
extern door_config_values door_cfg;

// ---- Session start ----
// The command line the kit reads its switches from (main passes argc/argv first).
void door_set_args(int argc, char** argv);
const std::vector<std::string>& door_args();
void door_init(std::string_view control_file_name);

// ---- Output ----
void send_str(std::string_view s);
void write_str(std::string_view s);
void write_line(std::string_view s = {});
void clear_screen();
void clear_to_eol();
void goto_xy(int x, int y);
void set_fore_colour(int c);
void set_back_colour(int b);
void set_colours(int c, int b);
// Sends everything buffered for the caller now.
void flush_output();
// Ends the line the cursor stands on, unless it stands at the start of one.
void fresh_line();
// Runs show while a prompt waits for a key (a message from another node, mail, an event):
// what it sends starts on a line of its own, the prompt's line ended before the first
// character; when it sends nothing, the prompt's line stays as it is.
void below_prompt(const std::function<void()>& show);

// ---- Input ----
char read_key();
bool key_waiting();
std::string read_line();
std::int16_t read_int();
std::int32_t read_longint();
std::uint8_t read_byte();
std::uint16_t read_word();
std::int16_t minutes_left();
// Shows a section of "quortext.dat" to ANSI callers; the engine installs the section reader.
void show_text_ansi(std::string_view section);
using section_lines_reader = std::vector<std::string> (*)(std::string_view section);
void set_show_text_reader(section_lines_reader r);
// Lines for the game's debug log ("FORCE:" ones always go in); the engine installs the writer.
using door_log_writer = void (*)(std::string_view line);
void set_door_log_writer(door_log_writer w);
void door_log(std::string_view line);

// ---- Carrier ----
[[noreturn]] void carrier_lost_exit();
// While this node holds the hold between nodes, a lost carrier does not end the program;
// the exit happens when the last hold is released.
void door_hold_raise();
void door_hold_lower();

// ---- Comms layer ----
void send_char(char c);
std::uint8_t read_stdin_byte();
bool stdin_ready();  // waits up to 10 ms
bool stdin_ready_ms(int ms);
void purge_io();
void purge_output();
void comms_unit_init();

// ---- The kit's own stops ----
// Exit statuses of the kit's own stops.
constexpr int exit_config_error = 18;
constexpr int exit_drop_file_error = 17;

// A stop that a reader found: the exit status and the text shown before it (code 0: none).
struct door_stop {
    int code = 0;
    std::string text;
    explicit operator bool() const { return code != 0; }
};
// Shows the stop's text straight on standard output (two BELs, "ERROR: " text, a line end, two
// BELs), waits 2000 ms and halts with the stop's code.
[[noreturn]] void door_error_stop(const door_stop& stop);

// ---- Control file and switches (free of terminal code: the utility links these alone) ----
// read_door_config stops the program on an error; load_door_config returns the stop instead.
void read_door_config(std::string_view control_file_name);
door_stop load_door_config(std::string_view control_file_name);
// The settings as they stand before a control file is read (the reader's first step).
void reset_door_config();
door_stop parse_door_switches();
std::string door_config_name(std::string_view name);
[[noreturn]] void config_error_exit(std::string_view text);
// The control-file key word of a drop-file type ("DOORSYS" for 11), empty for none.
std::string_view bbs_type_word(int type);

// ---- Control-file writer (terminal-free; the utility writes the file) ----
// The ports' settings when the control file does not set them: COM1 03F8 IRQ 4, COM2 02F8
// IRQ 3, COM3 03E8 IRQ 4, COM4 02E8 IRQ 3.
constexpr std::uint16_t default_port_address[4] = {0x3F8, 0x2F8, 0x3E8, 0x2E8};
constexpr std::uint8_t default_port_irq[4] = {4, 3, 4, 3};
// Gives each port the control file left unset (address and IRQ 0) its default.
void fill_default_ports();
// The control file's text from the settings the reader fills: DROPFILEPATH (door_cfg's),
// SYSOPFIRST, SYSOPLAST, BBSNAME, BBSTYPE (type 9 under the word the file had, else DORINFO1;
// none for a type without a word), COMPORT, FOSSIL, LOCKBAUD and the four ports, each line ending in LF. Each stands
// where the file read had it (its key line or its commented form), the others after the
// file's lines in that order; every other line of the file read stays as it stood. Read back,
// it gives the same settings.
std::string control_file_text();

// ---- Drop files ----
// read_drop_file stops the program on an error; load_drop_file returns the stop instead.
void read_drop_file();
door_stop load_drop_file();
std::string node_char(int node);
[[noreturn]] void drop_file_error_exit(std::string_view text);
void local_logon();
void maintenance_user();
std::vector<std::string> door_status_lines();

// ---- Session reset ----
// Puts every session value and the kit's terminal state back to their defaults
// (door_init does this first; tests use it between cases).
void door_reset_session();
