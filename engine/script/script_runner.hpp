// Where every script run of the game starts: run_script finds the file in the game
// directory, decodes an encoded (.scc) script into a temporary file of its own, and hands it
// to the interpreter. Also the day's timed events of "events.dat" and the random events of
// "random.scr" that the menu loops try between keys.
//
// Encoded scripts (.scc): decimal groups of three digits, read without regard to line ends.
// The offset stands in the LAST group, as read_file_number reads it (the one reader of the
// offset); the encoder also writes it as the first group, so that an encoded file both
// starts and ends with its offset ("events.scc" starts and ends with "113"). Every group is
// decoded as its number minus the offset: 13 ends a line, 0 (the offset's own groups) and
// 10 are nothing, 1-255 is the code of one character; any other group is skipped with a
// FORCE line in the debug log.
#pragma once
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "door/fstr.hpp"
#include "engine/text/text_file.hpp"

// One timed event of today.
struct event_entry {
    fstr<4> time;      // HHMM
    fstr<255> script;  // the script file
    fstr<255> params;  // its parameter line
    std::uint8_t done = 0;
};

// Today's timed events in the order of "events.dat"; the entry due next (null: none); set
// while an event script (timed or random) runs.
extern std::list<event_entry> event_list;
extern event_entry* next_event;
extern bool in_event;

constexpr const char* events_file_name = "events.dat";
constexpr const char* random_script_name = "random.scr";
constexpr const char* events_script_name = "events.scc";
// Counters of the random events in section FLAGS of "mainflag.dat" (shared by all nodes).
constexpr const char* events_called_flag = "NUM_EVENTS_CALLED";
constexpr const char* events_run_flag = "NUM_EVENTS_RUN";

// ---- Running scripts ----
// Runs the script file (a name from data: confined to the game directory, found case-blind)
// with the parameter line (its text macros expanded first). A missing file is reported to
// the caller and nothing runs.
void run_script(std::string_view file, std::string_view params);
// True when the game decodes the script file before it runs it: the four characters from the
// first ".sc" of the name read ".scc" (any case).
bool is_encoded(std::string_view file);
// The lines of the named section of a script file (list replaced), an encoded one decoded
// first; none when the file is missing or cannot be read.
void read_script_section(const std::string& file, std::string_view section, text_list& list);

// ---- Encoded scripts ----
// Offsets the encoder accepts: every character (1-255) plus the offset must fit three digits.
constexpr int scc_max_offset = 999 - 255;
constexpr int scc_default_offset = 113;
// The .scc image of a script text: the offset group, each line's characters and a line-end
// group per line (CR, LF and CR LF all end a line), the offset group again; 26 groups an
// output line. NUL characters are left out. The offset must be 0..scc_max_offset.
std::string encode_script(std::string_view text, int offset = scc_default_offset);
// The decoded text of a .scc image with this offset: each line LF-ended (a last line
// without its line-end group is kept too). bad_groups receives the groups skipped.
std::string decode_script(std::string_view image, std::int32_t offset, std::vector<std::string>* bad_groups = nullptr);
// Decodes the .scc file (offset from read_file_number) into the file temp_file; false when
// the .scc file is missing or the decoded file cannot be written.
bool decompile_script(const std::string& scc_file, const std::string& temp_file);
// The name a run at this nesting depth decodes into: "temp." + the playing character's number
// (3 digits) + "." + the process id + "." + the depth; unique to the node and the depth.
std::string decoded_script_name(int depth);

// ---- Timed events ----
// Builds today's event_list from "events.dat" (missing: no events) and picks next_event.
void read_event_file();
// Appends an entry (not done) at the tail.
void add_event(std::list<event_entry>& list, std::string_view time, std::string_view script, std::string_view params);
// next_event := the entry with the earliest time after the current minute (the first in the
// list of equal times), or null.
void pick_next_event(std::list<event_entry>& list);
// Every entry's time, script and parameters, each with disp_line (a sysop's listing).
void list_events(const std::list<event_entry>& list);

// ---- The check between key polls ----
// Adjusts check_frequency (AUTO_FREQUENCY_ADJUST 1), runs the timed event of this minute,
// and with the chance RANDOM_EVENT_PERCENTAGE one of the RANDOMEVENT_ sections of
// "random.scr" (at most MAX_RANDOM_EVENTS of them counted by NUM_EVENTS_RUN across all
// nodes). A timed event whose minute passed unpolled is marked done and skipped. True when
// an event script ran.
bool Check_For_Random_Event();

// Installs the script runner, the game-bound script commands, the definition readers and the
// random-event check into the hooks of the interpreter and the items. main calls it once.
void engine_scripts_init();
