// What the script interpreter reaches in other parts of the game: the game-bound script
// commands, creature and item definitions in script files, creature files, fights, the
// realms' shared encounters, the healers, inventories and the item registry, the game
// settings screen, the message queue and the random events.
//
// Each is a plain function pointer with a setter; passing null restores the default. The
// defaults are safe and quiet: nothing is found, nothing is shown, nothing changes, so a
// script that reaches a part not yet wired simply goes on. Who installs what:
//
//   script commands (flag commands, definitions): exec_flag_command, adjust_script_value,
//                                                 read_internal_monster, read_internal_item
//   creature files:      read_creature_file, creature_rows, random_creature
//   creature combat:     mob_to_char, do_combat
//   forest:              random_encounter
//   healers:             do_healers
//   items and registry:  do_inv, register_item, get_item_script_num, add_to_inv
//   status screens:      display_game_settings
//   message queue:       node_msg_waiting, check_node_messages
//   script runner:       Check_For_Random_Event
//
// The playing character's inventory comes from hook_current_inventory (item_hooks.hpp) and
// is written with write_inventory (data_files.hpp).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/data_files.hpp"
#include "engine/store/records.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"

// A creature of a creature file or of a script's MONSTER section. The creature files define
// it; the interpreter only passes pointers to it around.
struct monster_record;
// A creature file loaded for a script (CREATUREFILE). The creature files define it (as a
// wrapper around their creature list); the interpreter holds it only through the pointer
// that read_creature_file returns, and never looks inside.
struct script_creature_list;
using script_creatures = std::shared_ptr<script_creature_list>;

// What DISPLAYCREATURES and MONSTERAVAILABLE need of one creature of a loaded list.
struct creature_row {
    std::int16_t level = 0;
    std::string name;
    std::int32_t experience = 0;
    std::int32_t verification = 0;
};

// ---- Script commands bound to the game ----

// Runs one of the eleven game-bound commands (MESSAGEBOARD, ADDFLAG, REMOVEFLAG, FLAGVALUE,
// MENUFILE, ITEMFILE, WRITELN, WRITE, DISPLAYSTATS, DISPLAYRANKS, FINDPLAYERS) with the
// command line's keyword (as written) and rest, the file being run, the current section,
// the script's own name and the line number; true when it reported a script error (the run
// then ends after the command). Default: nothing, no error.
using exec_flag_command_fn = bool (*)(std::string_view keyword, std::string_view rest, const std::string& file,
                                      std::string_view section, std::string_view script_name, int line_number,
                                      script_vars& vars);
void set_exec_flag_command_hook(exec_flag_command_fn f);
bool hook_exec_flag_command(std::string_view keyword, std::string_view rest, const std::string& file,
                            std::string_view section, std::string_view script_name, int line_number, script_vars& vars);

// ADD: adds the amount (text, already expanded) to the target as written (^VRnn, ^CSnn,
// ^OSnn). Default: ^VR01-^VR25 only, the variable read as a number (0 for a non-number)
// plus the amount; every other target is left alone.
using adjust_script_value_fn = void (*)(std::string_view target, std::string_view amount, script_vars& vars);
void set_adjust_script_value_hook(adjust_script_value_fn f);
void hook_adjust_script_value(std::string_view target, std::string_view amount, script_vars& vars);

// Creature n of the MONSTER section of a script file (COMBAT INT); null when there is none.
// The interpreter has made sure the file exists. Default: none.
using read_internal_monster_fn = std::shared_ptr<monster_record> (*)(const std::string& file, std::int32_t n,
                                                                     script_vars& vars);
void set_read_internal_monster_hook(read_internal_monster_fn f);
std::shared_ptr<monster_record> hook_read_internal_monster(const std::string& file, std::int32_t n, script_vars& vars);

// Item n of the ITEMS section of a file (ITEM); nothing when it cannot be built. The
// interpreter has made sure the file exists. Default: nothing.
using read_internal_item_fn = std::optional<item_record> (*)(const std::string& file, std::int32_t n,
                                                             script_vars& vars);
void set_read_internal_item_hook(read_internal_item_fn f);
std::optional<item_record> hook_read_internal_item(const std::string& file, std::int32_t n, script_vars& vars);

// ---- Creature files ----

// Loads a creature file, sorted (CREATUREFILE); the interpreter has made sure it exists.
// Default: null, which the interpreter treats as a list without creatures.
using read_creature_file_fn = script_creatures (*)(const std::string& file);
void set_read_creature_file_hook(read_creature_file_fn f);
script_creatures hook_read_creature_file(const std::string& file);

// The creatures of a loaded list in list order. Default: none.
using creature_rows_fn = std::vector<creature_row> (*)(const script_creature_list& list);
void set_creature_rows_hook(creature_rows_fn f);
std::vector<creature_row> hook_creature_rows(const script_creature_list& list);

// A random creature of the level from the list, or null (COMBAT EXT). Default: null.
using random_creature_fn = monster_record* (*)(script_creature_list& list, std::int16_t level);
void set_random_creature_hook(random_creature_fn f);
monster_record* hook_random_creature(script_creature_list& list, std::int16_t level);

// ---- Fights ----

// A creature turned into a character-shaped opponent. Default: null (no fight).
using mob_to_char_fn = std::unique_ptr<character_record> (*)(const monster_record& mob);
void set_mob_to_char_hook(mob_to_char_fn f);
std::unique_ptr<character_record> hook_mob_to_char(const monster_record& mob);

// Fights the opponent (which `opponent` points at while the fight runs); true when the
// player won. Default: false.
using do_combat_fn = bool (*)(character_record& opponent);
void set_do_combat_hook(do_combat_fn f);
bool hook_do_combat(character_record& opponent);

// ---- Places the player visits from a script ----

// The realms' shared encounter of this kind (SHAREDEVENT). Default: nothing.
using random_encounter_fn = void (*)(std::int16_t kind);
void set_random_encounter_hook(random_encounter_fn f);
void hook_random_encounter(std::int16_t kind);

// The healers (HEALER) and the game settings screen (DISPLAYGAMESTATS); the inventory menu
// (INVENTORY) is play_hooks.hpp's. Default: nothing.
void set_do_healers_hook(place_fn f);
void hook_do_healers();
void set_display_game_settings_hook(place_fn f);
void hook_display_game_settings();

// ---- Items (ITEM) ----

// Enters the item in the registry "items.dat" when it has a ScriptID and script events and
// is not registered yet. Default: nothing.
using register_item_fn = void (*)(const item_record& item);
void set_register_item_hook(register_item_fn f);
void hook_register_item(const item_record& item);

// The item's registry number (its script is items/<n>.scr); -1 when it is not registered.
// Default: -1.
using get_item_script_num_fn = std::int32_t (*)(const item_record& item);
void set_get_item_script_num_hook(get_item_script_num_fn f);
std::int32_t hook_get_item_script_num(const item_record& item);

// Puts the item at the head of the list (and holds the player in the inventory menu while
// the playing character carries too many); the item in the list. Default: pushed at the
// head, nothing more.
using add_to_inv_fn = item_record* (*)(inventory_list& items, const item_record& item);
void set_add_to_inv_hook(add_to_inv_fn f);
item_record* hook_add_to_inv(inventory_list& items, const item_record& item);

// ---- Waiting for a key (READMENUCOMMANDS) ----

// A message waits in the playing character's queue. Default: false.
using node_msg_waiting_fn = bool (*)();
void set_node_msg_waiting_hook(node_msg_waiting_fn f);
bool hook_node_msg_waiting();

// Takes one message off the queue and acts on it; its result is the dispatcher's word for
// the caller (scripts pass 0 and ignore it). Default: "".
using check_node_messages_fn = std::string (*)(std::int16_t raided_guild);
void set_check_node_messages_hook(check_node_messages_fn f);
std::string hook_check_node_messages(std::int16_t raided_guild);

// The timed and random events; true when an event script ran. Default: false.
using check_for_random_event_fn = bool (*)();
void set_check_for_random_event_hook(check_for_random_event_fn f);
bool hook_check_for_random_event();

// Every hook back at its default (tests).
void reset_script_hooks();
