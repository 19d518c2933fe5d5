// The creation of a new character: the dialogue (name, class, the lawyer's question, sex),
// the record with its starting values and equipment, and the letter to the other students
// of the new character's master.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/rules/player_files.hpp"  // clear_leftover_files
#include "engine/store/data_files.hpp"
#include "engine/store/records.hpp"
#include "engine/text/lookups.hpp"

// One of the six classes, in class order (the order of the skill percentages).
struct class_entry {
    const char* name;
    std::int16_t bit;
    char key;  // the key of the creation menu
    const char* menu_line;
    const char* group;     // announced when the class is chosen
    const char* lines[3];  // the class's description
};
extern const class_entry class_table[6];
// Class keys in the order the creation menu lists them.
constexpr const char* class_menu_order = "KBLHCT";

// The dialogue and the new character, saved in "players.dat" under a number of its own
// and made the playing character (cur_char), with its starting inventory in cur_inventory
// and its file. Null when the caller declines to enter.
character_record* new_character();

// The new character's record before its number is given: name, BBS name, class (index 0-5
// into class_table), sex and every starting value.
character_record new_character_record(const std::string& name, int class_index, std::int16_t sex);

// Saves the record as a new character: under the hold, on a fresh read of "players.dat",
// the name is checked once more and the lowest free number given (its leftover files
// erased); the record joins char_list as the playing character. False, with nothing saved,
// when another character has the name by now.
bool save_new_character(character_record& rec);

// The three starting items, each from the item registry by name and ScriptID or built in
// place, marked equipped and added to items.
void give_starting_items(inventory_list& items);

// The letter "a new student under your master" to every other character of char_list with
// the same master as c.
void tell_fellow_students(const character_record& c);
