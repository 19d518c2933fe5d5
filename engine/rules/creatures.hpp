// The realms' creatures: the creature record and its files ("forest.dat", "valley.dat",
// "mountain.dat" and any a script names), the sorted creature list, the pick of a random
// creature, and the phrase tables that news and fight texts draw their adjectives and hit
// verbs from.
//
// A creature file holds records back to back with no header, in the current 198-byte form
// or the older 196-byte form (no race; gold, experience and strength two bytes earlier).
// Files written by the game and the sysop's utility are always in the current form.
#pragma once
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

#include "door/fstr.hpp"
#include "engine/store/records.hpp"

struct monster_record {
    static constexpr std::size_t record_size = 198;
    static constexpr std::size_t old_record_size = 196;

    fstr<40> name;                  //   0
    std::int16_t level = 0;         //  41
    std::int16_t attack = 0;        //  43
    std::int16_t defense = 0;       //  45
    std::int16_t shield_value = 0;  //  47 damage resistance, a percentage
    std::int16_t hit_points = 0;    //  49
    fstr<20> weapon;                //  51
    fstr<20> armour;                //  72
    fstr<86> death_text;            //  93
    std::int16_t race = 1;          // 180 (not in the older form)
    std::int32_t gold = 0;          // 182 (older form: 180)
    std::int32_t experience = 0;    // 186 (older form: 184)
    std::int32_t strength = 0;      // 190 (older form: 188) the utility's verification number
    // 194..197: list link of old, written as zeros, ignored on reading.
};

using creature_list = std::list<monster_record>;

// A creature file loaded for a script (CREATUREFILE): the interpreter holds it only through
// the pointer the hook returns.
struct script_creature_list {
    creature_list creatures;
};

// The current 198-byte form (record_file.hpp reads and writes whole files of it).
std::string encode_record(const monster_record& m);
void decode_record(std::string_view image, monster_record& m);
// The older 196-byte form; decoding gives race 1.
std::string encode_old_creature(const monster_record& m);
void decode_old_creature(std::string_view image, monster_record& m);

// Which form a creature file image is in.
enum class creature_form { current, older, torn };
// The form of a whole file image. A size that is a whole number of 198-byte records is the
// current form; of 196-byte records only, the older form. A size that fits both (98 current
// records are 99 older ones; an empty file) is the current form unless its records decode
// only as older ones. A size that fits neither is torn.
creature_form creature_file_form(std::string_view image);
// Loads an image into list (replaced), sorted: every creature when all is set, else only
// those of the level. Returns the form read; a torn image leaves the list empty.
creature_form parse_creature_image(std::string_view image, creature_list& list, bool all, std::int16_t level);

// Loads the creature file into list (replaced), sorted by level and name: every creature when
// all is set, else only those of the playing character's level. The name may come from data:
// it is confined to the game directory. A missing file: "`c`9\"<NAME>\" does not `4EXIST`9,
// Please inform SysOp" and code 12; a file whose size fits neither form: "`c`9\"<NAME>\" is
// `4CORRUPTED`9, Please inform SysOp" and code 12; a busy one the wait and code 5.
void read_creature_file(const std::string& file_name, creature_list& list, bool all);
// The same reader for a file known to be in the older form (it logs the forced warning).
void read_105_creature_file(const std::string& file_name, creature_list& list, bool all);
// Inserts a copy by its key (level as two digits, a blank, the name; levels beyond two digits
// by their number): in front of the first creature whose key is greater, so equal keys keep
// their insertion order.
void insert_creature_sorted(const monster_record& m, creature_list& list);
// Frees every creature: the list becomes empty.
void del_creature_list(creature_list& list);
// A random creature of the level (reseeds first), or null when the list holds none.
const monster_record* random_creature(std::int16_t level, const creature_list& list);

// The creature editor's auto-calculation, from the fighting values, the heal cost and the
// creature gold and experience multipliers: verification = attack + defense + round(shield
// / 3) + hit points; gold = round(level x heal cost x t x gold multiplier + 2 x hit points)
// with t = 20 + 16 x (1 + ... + (level - 1)); experience = round((attack + defense +
// round(shield / 3) + 2 x hit points) x experience multiplier). Halves round to even; gold
// and experience are clamped to 32 bits.
void calculate(monster_record& m, double heal_cost, double gold_mult, double exp_mult);

// The record is a creature or a master's test monster, not a player: its BBS-name field is
// "MOB" or "MOB LEVEL-FIGHT".
bool is_mob(const character_record& who);
// The BBS-name marks of the two kinds of monster.
constexpr const char* mob_mark = "MOB";
constexpr const char* level_fight_mark = "MOB LEVEL-FIGHT";

// ---- Phrase tables ----
std::string random_event_adjective();  // neutral, reseeds first
std::string random_good_adjective();
std::string random_bad_adjective();
std::string random_hit_verb();  // reseeds first
// Replaces every "~" code of a news line: "~" + article letter (T the, A a/an, upper case
// for a capital) + table letter (R neutral, G good, B bad, other keeps the last adjective).
std::string expand_tilde_phrases(std::string_view text);

// Takes the amount from the playing character's hit points; below 1 it dies (player_killed).
// who names the attacker for the debug log.
void take_damage(std::int32_t amount, std::string_view who);
