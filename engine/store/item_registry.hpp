// The item registry "items.dat": one 116-byte record per item that has a script, tying the
// item (by name and ScriptID) to its registry number n, whose script is items/<n>.scr.
//
// Matching: a record matches an item when the ScriptIDs are equal and either the names are
// equal or the 18th character of the record's ScriptID, upper-cased, is "Y" (that item
// matches by ScriptID alone). The first match in file order wins.
//
// New records are numbered and added under an advisory lock of "items.dat", and the file is
// replaced whole (temporary file + rename), so two nodes never give two items one number
// and a reader never sees a torn record.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/file_access.hpp"
#include "engine/store/records.hpp"

constexpr const char* registry_file_name = "items.dat";

struct registry_record {
    static constexpr std::size_t record_size = 116;

    fstr<20> name;            //  0
    fstr<20> script_id;       // 21
    std::int32_t number = 0;  // 42 registry number: the script is items/<number>.scr
    item_record item;         // 46 the item's 70-byte image
};

std::string encode_record(const registry_record& r);
void decode_record(std::string_view image, registry_record& r);

// Reads every record of "items.dat" in file order: missing, corrupt (unreadable or torn) or
// ok. A busy file is waited for. For the sysop's utility, which handles failures itself.
// Another registry file may be named (the utility browses any).
file_status read_registry(std::vector<registry_record>& out, const std::string& name = registry_file_name);
// The record matches the item by the registry's rule.
bool registry_matches(const registry_record& r, const item_record& item);

// The game's look-ups. A missing registry logs "WARNING:Item registry file does not exist"
// and matches nothing; an unreadable one ends the game with code 20.
bool item_is_registered(const item_record& item);
// Registry number of the item; -1 (with three FORCE lines in the debug log) when the
// registry does not hold it.
std::int32_t get_item_script_num(const item_record& item);
// A copy of the item image of the first record with exactly that name and ScriptID (the
// "Y" rule does not apply), or of the first record with that ScriptID.
std::optional<item_record> item_by_scriptid(std::string_view name, std::string_view script_id);
std::optional<item_record> item_by_only_scriptid(std::string_view script_id);
// Highest registry number in "items.dat" plus one (1 for a missing or empty file).
std::int32_t next_item_registry_number();
// Appends the item's record with the next number; returns the number it was given. When
// another node registered the item meanwhile, nothing is added and its number is returned.
std::int32_t add_item_to_registry(const item_record& item);
// What store_in_registry did.
enum class registry_store { added, changed, unchanged };
// Puts the item in the registry under the file's lock: the first record of exactly the
// item's name and ScriptID takes the item's image in place and keeps its number; without
// one a record is added with the next number. number receives the record's number.
registry_store store_in_registry(const item_record& item, std::int32_t& number);
// Registers an item that has a ScriptID and script events, unless it is registered.
void register_item(const item_record& item);
// "items/<n>.scr" of a registry number.
std::string item_script_file(std::int32_t number);

// The six built-in items, each registered (register_item) as it is built.
item_record bow_of_the_damned();
item_record potion_of_healing();
item_record ring_of_combat();
item_record four_leaf_clover();
item_record pendant_of_life();
item_record helmet_of_stealth();
