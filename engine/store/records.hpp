// The game's fixed records as they live in memory, and their byte-exact images on disk.
// Every record is encoded field by field at the documented offsets (little-endian
// integers, IEEE doubles, length-prefixed strings); decoding zero-fills a short image and
// clamps string length bytes to their capacity, so no input can read out of bounds.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <span>
#include <string>
#include <string_view>

#include "door/fstr.hpp"
#include "engine/store/node_pool.hpp"

// Classes: current-class bits, and the mastered-class bit of each (current << 6).
constexpr std::int16_t class_warrior = 1, class_mage = 2, class_thief = 4, class_healer = 8, class_ranger = 16,
                       class_paladin = 32;

// The most gold a character holds in hand and in the bank.
constexpr std::int32_t max_gold = 199'999'999;

// Status bits of character_record::status_bits.
constexpr std::int32_t status_shamed_master = 1, status_master_avoids = 2, status_expert = 4, status_thwarted = 8,
                       status_found_quorvath = 16, status_entered_quorvath = 32, status_has_bow = 64,
                       status_hunted = 128, status_saw_shady = 256, status_drunk = 512, status_met_traveller = 1024,
                       status_secret1 = 2048, status_secret2 = 4096, status_secret3 = 8192, status_secret4 = 16384;

// One character of "players.dat" (and a creature in combat, held in the same shape).
struct character_record {
    static constexpr std::size_t record_size = 299;

    fstr<20> name;                                   //   0
    fstr<40> real_name;                              //  21 the caller's BBS name, the log-in key
    std::int16_t number = 0;                         //  62 player number, 1 upwards; 0 for a creature
    std::int16_t class_bits = 0;                     //  64 current classes 1..32, mastered 64..2048
    std::int16_t sex = 0;                            //  66 1 male, 2 female, 3 neither
    std::int16_t attack = 0;                         //  68
    std::int16_t defense = 0;                        //  70
    std::int16_t shield_value = 0;                   //  72
    std::int16_t charm = 0;                          //  74
    std::int16_t shame = 0;                          //  76
    std::int16_t luck = 0;                           //  78
    std::int16_t guild = 0;                          //  80 guild number, 0 none
    std::int32_t status_bits = 0;                    //  82
    std::int16_t hit_points = 0;                     //  86
    std::int16_t max_hit_points = 0;                 //  88
    std::int16_t weapon_power = 0;                   //  90
    fstr<20> weapon_name;                            //  92
    std::int16_t armour_power = 0;                   // 113
    fstr<20> armour_name;                            // 115
    std::int16_t shield_power = 0;                   // 136
    fstr<20> shield_name;                            // 138
    std::int32_t gold = 0;                           // 159
    std::int32_t bank_gold = 0;                      // 163
    std::int16_t gems = 0;                           // 167
    std::int16_t transfers_today = 0;                // 169
    std::int32_t experience = 0;                     // 171
    std::int16_t level = 0;                          // 175
    std::int16_t skill_uses_per_day = 0;             // 177
    std::int16_t skill_uses_left = 0;                // 179
    std::array<std::int16_t, 6> skill_percent = {};  // 181 W M T H R P
    fstr<20> location;                               // 193 first letter tells other nodes where it is
    fstr<40> created_text;                           // 214 date-time text of the last entry into the realm
    std::int16_t last_day = 0;                       // 255
    std::int16_t death_day = 0;                      // 257
    fstr<23> net_address;                            // 259
    std::int32_t created_time = 0;                   // 283 seconds since 1970
    std::int16_t creature_fights_left = 0;           // 287
    std::int16_t player_fights_left = 0;             // 289
    std::uint8_t dead = 0;                           // 291
    std::uint8_t sleeping_inn = 0;                   // 292
    std::uint8_t sleeping_guild = 0;                 // 293
    std::uint8_t online = 0;                         // 294
    // 295..298: four reserved bytes (the list link of old), written as zeros, ignored on reading.
};

// A list of characters (the game's char_list): its nodes come from blocks of many, so a
// large file loads in a few allocations; like any list, a node keeps its address while it
// is in it.
using char_list_type = std::list<character_record, pooled_allocator<character_record>>;

// One guild of "guilds.dat".
struct guild_record {
    static constexpr std::size_t record_size = 217;

    std::int16_t number = 0;            //   0
    fstr<20> name;                      //   2
    std::int16_t leader = 0;            //  23 player number of the leader
    std::uint8_t has_hall = 0;          //  25
    fstr<20> password;                  //  26 case-sensitive
    fstr<86> credo;                     //  47
    std::int32_t treasury_gold = 0;     // 134
    std::int16_t treasury_gems = 0;     // 138
    std::int16_t guard_level = 0;       // 140
    fstr<20> guard_name;                // 142
    std::int16_t guard_attack = 0;      // 163
    std::int16_t guard_defense = 0;     // 165
    std::int16_t guard_shield = 0;      // 167
    std::int16_t guard_hit_points = 0;  // 169
    fstr<20> guard_weapon;              // 171
    fstr<20> guard_armour;              // 192
    // 213..216: four reserved bytes, written as zeros, ignored on reading.
};

// The one game-state and settings record of "quorstat.dat" (`game_stats`).
struct stat_record {
    static constexpr std::size_t record_size = 559;
    static constexpr std::size_t reserved_size = 95;

    std::int16_t day = 0;                                   //   0 game day
    fstr<255> last_maint_date;                              //   2 YYYYMMDD of the last maintenance
    fstr<40> started_text;                                  // 258
    std::int16_t grace_days = 0;                            // 299
    std::int16_t resurrect_days = 0;                        // 301
    std::array<std::uint8_t, reserved_size> reserved = {};  // 303 kept as read
    fstr<23> net_address;                                   // 398
    fstr<86> mail_dir;                                      // 422
    std::int16_t creature_fights = 0;                       // 509
    std::int16_t player_fights = 0;                         // 511
    std::uint8_t transfers_allowed = 0;                     // 513
    std::int32_t transfer_max = 0;                          // 514
    std::int16_t transfers_per_day = 0;                     // 518
    double interest_pct = 0;                                // 520
    std::int16_t heal_cost = 0;                             // 528
    std::int16_t room_cost = 0;                             // 530
    std::int16_t death_loss_divisor = 0;                    // 532
    std::int32_t floating_gold = 0;                         // 534 the lottery pot
    std::uint8_t auto_calc = 0;                             // 538
    double mob_gold_mult = 0;                               // 539
    double mob_exp_mult = 0;                                // 547
    std::int16_t max_guilds = 0;                            // 555
    std::int16_t data_version = 0;                          // 557 times 100
};

// Item script events (item_record::script_events).
constexpr std::int32_t event_wear = 1, event_use = 2, event_remove = 4, event_onattack = 8, event_ondamage = 16,
                       event_ondeath = 32, event_usecombat = 64, event_identify = 128, event_lastuse = 256,
                       event_drop = 512, event_flags = 1024;

// One item of an inventory file invt<NNNN>.dat (and the item image of a registry record).
struct item_record {
    static constexpr std::size_t record_size = 70;

    fstr<20> name;                    //  0 may carry colour codes
    std::int16_t power = 0;           // 21
    std::int16_t max_power = 0;       // 23
    std::int32_t cost = 0;            // 25
    std::int16_t charges = 0;         // 29
    std::int16_t position = 0;        // 31 1 Head .. 7 Weapon, 8 Shield, 9 Treasure, 10 Other
    std::int16_t required_level = 0;  // 33
    std::int32_t flags = 0;           // 35 1 = dropped when its last charge is used
    std::uint8_t identified = 0;      // 39
    std::uint8_t equipped = 0;        // 40
    std::int32_t script_events = 0;   // 41 event_* bits
    fstr<20> script_id;               // 45
    // 66..69: list link of old, written as zeros, ignored on reading.
};

// Wear positions of item_record::position.
constexpr std::int16_t pos_head = 1, pos_neck = 2, pos_armor = 3, pos_hands = 4, pos_ring = 5, pos_feet = 6,
                       pos_weapon = 7, pos_shield = 8, pos_treasure = 9, pos_other = 10;

// Each record's field list (record_fields.hpp): offsets, types, and how writers' changes meet.
template <class R>
struct record_field;
template <class R>
std::span<const record_field<R>> record_fields();
template <>
std::span<const record_field<character_record>> record_fields<character_record>();
template <>
std::span<const record_field<guild_record>> record_fields<guild_record>();
template <>
std::span<const record_field<stat_record>> record_fields<stat_record>();
template <>
std::span<const record_field<item_record>> record_fields<item_record>();

// Images of exactly record_size bytes, and records from images (short images zero-filled);
// both walk the record's field list (record_fields.hpp).
std::string encode_record(const character_record& r);
std::string encode_record(const guild_record& r);
std::string encode_record(const stat_record& r);
std::string encode_record(const item_record& r);
void decode_record(std::string_view image, character_record& r);
void decode_record(std::string_view image, guild_record& r);
void decode_record(std::string_view image, stat_record& r);
void decode_record(std::string_view image, item_record& r);
