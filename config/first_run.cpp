// The files a new game directory gets from the utility: the first forest and the three
// default equipment tables.
#include <vector>

#include "config/quorcfg.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/rules/equipment.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"

namespace cfg {
namespace {
struct forest_row {
    const char* name;
    std::int16_t level, attack, defense, shield, hit_points;
    const char* weapon;
    const char* armour;
    const char* death_text;
    std::int32_t gold, experience, verification;  // all 0: worked out from the fight values
};

const forest_row original_forest[] = {
    {"Sprite", 1, 5, 3, 0, 8, "Poking Spear", "Fluttering Wings",
     "You pluck the Sprite's wings and throw it off a nearby cliff.", 48, 13, 16},
    {"Fairy", 1, 6, 3, 0, 7, "Poking Spear", "Fluttering Wings",
     "You pluck the Fairy's wings and throw it off a nearby cliff.", 46, 12, 16},
    {"Wolf Pup", 1, 6, 4, 0, 6, "Sharp Teeth", "Furry Hide",
     "You kick the Pup in its kidneys and it slumps to the ground.", 44, 11, 16},
    {"Large Wolf Pup", 1, 7, 5, 0, 8, "Sharp Teeth", "Furry Hide",
     "You kick the Pup in its kidneys and it slumps to the ground.", 56, 14, 20},
    {"Large Beaver", 1, 4, 3, 0, 8, "Flapping Tail", "Buck Teeth",
     "You stab the beaver in the head, shattering its teeth!", 30, 8, 15},
    {"Large Racoon", 1, 11, 3, 0, 5, "Sharp Claws", "Striped Pelt",
     "You carve the raccoon a new mask with your weapon.", 48, 12, 19},
    {"Armored Fairy", 1, 3, 3, 12, 15, "Poking Spear", "Large Shield",
     "You wrap a cord around the Fairy's arms and throw it in a lake.", 80, 20, 25},
    {"Wolf", 1, 8, 6, 6, 14, "Sharp Teeth", "Furry Hide",
     "You kick the Wolf in its kidneys and it slumps to the ground.", 88, 22, 30},
    {"Fairy", 1, 6, 3, 0, 7, "Poking Spear", "Fluttering Wings",
     "You pluck the sprites wings and trow it off a nearby cliff.", 46, 12, 16},
    {"Brutish Fairy", 2, 20, 8, 3, 28, "Poking Spear", "Fluttering Wings",
     "You pluck the Fairy's wings and trow it off a nearby cliff.", 0, 0, 0},
    {"Small Wolverine", 2, 28, 8, 3, 24, "Sharp Claws", "Thick Hide",
     "You perform a Spartan move and the Wolverine dies of fright.", 0, 0, 0},
    {"Giant Bee", 2, 18, 25, 12, 28, "Large Stinger", "Buzzing Wings",
     "You pluck the stinger out of the bees rearend killing it.", 0, 0, 0},
    {"Armored Fairy", 2, 3, 3, 12, 15, "Poking Spear", "Large Shield",
     "You wrap a cord around the Fairy's arms and throw it in a lake.", 80, 20, 25},
};

constexpr std::int32_t tier_prices[equipment_tiers] = {100,    550,    1500,   3125,    6250,    12500,   25000,
                                                       100000, 400000, 800000, 1600000, 3200000, 6400000, 12800000};

struct tier_row {
    const char* name;
    std::int16_t strength;
};

const tier_row weapon_tiers[equipment_tiers] = {
    {"Stick", 2},
    {"Staff", 4},
    {"Dagger", 6},
    {"Stiletto", 9},
    {"Short Sword", 14},
    {"Long Sword", 21},
    {"Flamberge", 32},
    {"Flying Axe", 48},
    {"Singing Sword", 72},
    {"Golden Lyre of Death", 108},
    {"Wand of Anhilliation", 162},
    {"Wyvern's Magic Claws", 243},
    {"Ray of the Gods", 365},
    {"Armageddon Machine", 550},
};
const tier_row armour_tiers[equipment_tiers] = {
    {"Tunic", 2},
    {"Leather Vest", 4},
    {"Leather Armor", 6},
    {"Studded Armor", 9},
    {"Chain Mail", 14},
    {"Half Plate", 21},
    {"Bracers of Defense", 32},
    {"Full Plate", 48},
    {"Enchanted Mail", 72},
    {"Golden Armor of Ra", 108},
    {"Merlynn's Suit", 162},
    {"Wyvern's Magic Hide", 243},
    {"Armor of the Gods", 365},
    {"Armageddon Plate", 550},
};
const tier_row shield_tiers[equipment_tiers] = {
    {"Sleeve", 1},
    {"Wrist Guard", 2},
    {"Wooden Plank", 4},
    {"Buckler", 7},
    {"Small Shield", 10},
    {"Large Shield", 13},
    {"Great Shield", 16},
    {"Levitating Shield", 19},
    {"Ring/Damage Reducing", 22},
    {"Golden Shield of Ra", 25},
    {"Merlynn's Force Wall", 28},
    {"Wyvern's Magic Wing", 31},
    {"Shield of the Gods", 34},
    {"Armageddon Shield", 37},
};

void write_tiers(const char* file_name, const tier_row (&rows)[equipment_tiers]) {
    std::vector<equipment_entry> table;
    for (std::size_t i = 0; i < equipment_tiers; ++i) {
        equipment_entry e;
        e.name = rows[i].name;
        e.strength = rows[i].strength;
        e.price = tier_prices[i];
        table.push_back(e);
    }
    rewrite_or_stop(file_name, records_image<equipment_entry>(table));
}
}  // namespace

void write_original_forest() {
    std::vector<monster_record> forest;
    for (const forest_row& r : original_forest) {
        monster_record m;
        m.name = r.name;
        m.level = r.level;
        m.attack = r.attack;
        m.defense = r.defense;
        m.shield_value = r.shield;
        m.hit_points = r.hit_points;
        m.weapon = r.weapon;
        m.armour = r.armour;
        m.death_text = r.death_text;
        m.race = 1;
        m.gold = r.gold;
        m.experience = r.experience;
        m.strength = r.verification;
        if (r.experience == 0) {
            std::int32_t fight = r.attack + r.defense + static_cast<std::int32_t>(round_half_even(r.shield / 3.0));
            m.experience = fight + 2 * r.hit_points;
            m.gold = (r.level + 1) * m.experience;
            m.strength = fight + r.hit_points;
        }
        forest.push_back(m);
    }
    rewrite_or_stop("forest.dat", records_image<monster_record>(forest));
}

void write_weapon_table() { write_tiers(weapons_file_name, weapon_tiers); }
void write_armour_table() { write_tiers(armors_file_name, armour_tiers); }
void write_shield_table() { write_tiers(shields_file_name, shield_tiers); }

}  // namespace cfg
