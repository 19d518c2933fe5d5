// The flag store: the game's named, persistent values, per player (flag<NNNN>.dat) and
// global ("mainflag.dat"), kept in sectioned text files that the sysop can read and edit.
//
// A flag line is a name, a value and a reset class, separated by blanks: "QUEST DONE 0".
// Name and value are stored upper-cased. The class is the line's last word and the value
// the words between the name and the class, so a value may hold blanks. Classes: 1 expires
// at the daily maintenance, 0 on the day after a death, -1 removed (the value is "-1" too),
// 2 never. An absent or removed flag reads as "-1".
//
// Every change is a read-modify-write of the whole file under the file's lock, written
// through a temporary file and a rename: another node sees the old file or the new one, and
// two nodes raising the same counter at once lose neither step. The changed section moves
// to the top of the file; everything else is copied exactly as it stands. A missing flag
// file is created from the five-line template on first use.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/text/text_file.hpp"

constexpr const char* main_flag_file_name = "mainflag.dat";
constexpr const char* flags_section_name = "FLAGS";

// Reset classes.
constexpr int flag_class_death = 0;
constexpr int flag_class_daily = 1;
constexpr int flag_class_removed = -1;
constexpr int flag_class_never = 2;

// ---- The game's tunables (section FLAGS of "mainflag.dat") ----
extern std::int32_t check_frequency;          // CHECK_FREQUENCY, key polls between queue checks; 45
extern std::int16_t auto_frequency_adjust;    // AUTO_FREQUENCY_ADJUST, 1 = adjust and store; -1
extern std::int16_t pfight_level_difference;  // PFIGHT_LEVEL_DIFFERENCE; 3
extern std::int16_t max_random_events;        // MAX_RANDOM_EVENTS; 2
extern std::int16_t max_board_messages;       // MAX_BOARD_MESSAGES; 14
extern double random_event_percentage;        // RANDOM_EVENT_PERCENTAGE; 0.00002
extern double mob_difficulty_mult;            // MOB_DIFFICULTY_MULT; 1.0
// The clock reading (seconds x 100 + hundredths) of the last random-event check; 0.
extern std::int32_t last_clock_sample;

// Every tunable back to its default (the program's start; tests).
void set_default_tunables();
// Loads the tunables from "mainflag.dat" (created from the template when missing). A flag
// that is absent, reads -1 or is no number keeps the default; CHECK_FREQUENCY below 1 reads
// as 1.
void read_standard_flags();
// At the end of a run with AUTO_FREQUENCY_ADJUST 1: stores check_frequency (at least 1) as
// CHECK_FREQUENCY, class 2, in section FLAGS of "mainflag.dat". Otherwise nothing.
void save_check_frequency();

// ---- Flag files ----
// "flag" + the player number zero-padded to four digits + ".dat".
std::string flag_file_name(std::int16_t player_number);

// The flag's value; "-1" when it is absent or removed. A missing file is created from the
// template first.
std::string return_flag(std::string_view name, const std::string& file, std::string_view section);
// Sets the flag (its line replaced, or appended at the end of the section; the section made
// when missing). A name that is empty, holds a blank or begins "@#" or "~", or a section
// name that is empty or holds a control character, changes nothing. Control characters in
// the value become "."; the value is shortened so that the line fits 100 characters.
void add_flag(std::string_view name, std::string_view value, int reset_class, const std::string& file,
              std::string_view section);
// add_flag with value "-1" and class -1.
void remove_flag(std::string_view name, const std::string& file, std::string_view section);
// Reads and changes one flag under one lock of the file: change gets the current value
// ("-1" when absent) and returns the new value, or nothing to leave the file as it is. The
// result is the value the flag has afterwards. For counters shared by several nodes.
std::string update_flag(std::string_view name, const std::string& file, std::string_view section, int reset_class,
                        const std::function<std::optional<std::string>(const std::string& current)>& change);
// Deletes every flag of the class from the section (and the section's empty lines). An empty
// or missing section changes nothing.
void expire_flags(const std::string& file, std::string_view section, int reset_class);
// expire_flags for every section and class, in that order (each section's classes in turn),
// with one rewrite of the file: the file ends as the calls one by one would leave it.
void expire_flag_classes(const std::string& file, const std::vector<std::string>& sections,
                         const std::vector<int>& reset_classes);
// Puts the section at the top of the file, made empty when it did not exist.
void add_section(const std::string& file, std::string_view section);
// Writes the new-file template "@#FLAGS", "@#MAIN", "  Gosub ^VR01", "  Halt", "@#".
void write_flag_file(const std::string& file);
// Drops the empty lines of the list.
void remove_blanks(text_list& list);
// Number of sections whose name begins "RANDOMEVENT_" (case-blind); 0 for a missing file.
int count_random_events(const std::string& file);

// ---- Flag lines ----
// A flag line taken apart; words are separated by blanks.
struct flag_parts {
    std::string name;      // the first word
    std::string value;     // the words between the first and the last
    int reset_class = -1;  // the last word read as a number (0 for a word that is none)
};
// A line of two words has the second as its value and, read as a number, its class (as the
// game always read such lines); a line of a name alone reads as removed.
flag_parts split_flag_line(std::string_view line);

// A real number written in decimal (blanks around it allowed), as the tunables and the
// scripts' numbers are read; nothing for any other text, an infinity or "nan".
std::optional<double> parse_real(std::string_view text);
