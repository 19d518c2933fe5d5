// The command lines of a mailbox (REFRESH, ADD and SET of a statistic), by which another
// node changes a character it does not hold.
#include "multi/mail.hpp"

#include <algorithm>
#include <limits>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "game/me.hpp"

namespace {
using adder = void (*)(std::int64_t amount);
using getter = std::int64_t (*)();

struct mail_stat {
    const char* mnemonic;
    const char* macro;
    adder add;
    getter current;  // null: the statistic takes no SET
};

// The charge entries act on the equipped item; its inventory file keeps the change.
template <void (*Adjust)(const character_record&, std::int32_t)>
void charge(std::int64_t amount) {
    Adjust(me(), static_cast<std::int32_t>(std::clamp<std::int64_t>(amount, INT32_MIN, INT32_MAX)));
    write_own_inventory();
}

// A message's commands run under the hold of its reading, whose one write of "players.dat"
// merges the bank gold as a difference: a deposit made on another node meanwhile stays, and
// the reading lands whole or not at all.
void bank(std::int64_t amount) { add_bank_gold(me(), amount); }

const mail_stat mail_stats[] = {
    {"ATT", "^CS03", [](std::int64_t a) { add_attack_value(me(), a); }, [] { return std::int64_t(me().attack); }},
    {"WPN", "^CS12", charge<add_weapon_charge>, nullptr},
    {"MWP", "^CS29", charge<add_weapon_max_charge>, nullptr},
    {"DEF", "^CS04", [](std::int64_t a) { add_defense_value(me(), a); }, [] { return std::int64_t(me().defense); }},
    {"AMR", "^CS14", charge<add_armor_charge>, nullptr},
    {"MAM", "^CS30", charge<add_armor_max_charge>, nullptr},
    {"DMR", "^CS05", [](std::int64_t a) { add_shield_value(me(), a); }, [] { return std::int64_t(me().shield_value); }},
    {"SHD", "^CS16", charge<add_shield_charge>, nullptr},
    {"MSH", "^CS31", charge<add_shield_max_charge>, nullptr},
    {"CRM", "^CS06", [](std::int64_t a) { add_crm(me(), a); }, [] { return std::int64_t(me().charm); }},
    {"SHM", "^CS07", [](std::int64_t a) { add_shm(me(), a); }, [] { return std::int64_t(me().shame); }},
    {"CHP", "^CS10", [](std::int64_t a) { add_hit_points(me(), a); }, [] { return std::int64_t(me().hit_points); }},
    {"MHP", "^CS11", [](std::int64_t a) { add_max_hit_points(me(), a); },
     [] { return std::int64_t(me().max_hit_points); }},
    {"GLD", "^CS18", [](std::int64_t a) { add_gold(me(), a); }, [] { return std::int64_t(me().gold); }},
    {"BNK", "^CS19", bank, nullptr},
    {"GMS", "^CS20", [](std::int64_t a) { add_gems(me(), a); }, [] { return std::int64_t(me().gems); }},
    {"EXP", "^CS21", [](std::int64_t a) { add_experience(me(), a); }, [] { return std::int64_t(me().experience); }},
    {"CFT", "^CS26", [](std::int64_t a) { add_creature_fights(me(), a); },
     [] { return std::int64_t(me().creature_fights_left); }},
    {"PFT", "^CS27", [](std::int64_t a) { add_player_fights(me(), a); },
     [] { return std::int64_t(me().player_fights_left); }},
};

const mail_stat* find_stat(std::string_view word) {
    for (const mail_stat& s : mail_stats)
        if (word == s.mnemonic || word == s.macro) return &s;
    return nullptr;
}

}  // namespace

bool run_mail_command(std::string_view line) {
    if (!cur_char) return false;
    std::string command = word_at(line, 1);
    if (command == "REFRESH") {
        refresh_char_file();
        return true;
    }
    if (command != "ADD" && command != "SET") return false;
    if (word_count(line) < 2) return false;
    std::string target = word_at(line, 2);
    std::int64_t n = word_count(line) >= 3 ? str_to_int(word_at(line, 3)) : 0;
    if (target == "GUI" || target == "^CS09") {
        if (command != "SET") return false;
        // A guild's letter names its guild in a fourth word; its writer has already set the
        // membership on file. Only a copy that still holds that guild takes in the file's, so a
        // membership taken up since the letter was written, elsewhere or anew, stands.
        if (word_count(line) >= 4) {
            if (me().guild == str_to_int(word_at(line, 4))) refresh_char_file();
            return true;
        }
        me().guild = static_cast<std::int16_t>(std::clamp<std::int64_t>(n, INT16_MIN, INT16_MAX));
        return true;
    }
    const mail_stat* stat = find_stat(target);
    if (!stat) return false;
    if (command == "ADD") {
        stat->add(n);
    } else if (target == "BNK" || target == "^CS19") {
        // The current bank gold is the one in "players.dat", read under the reading's hold.
        refresh_char_file();
        add_bank_gold(me(), n - me().bank_gold);
    } else {
        if (!stat->current) return false;
        stat->add(n - stat->current());
    }
    return true;
}
