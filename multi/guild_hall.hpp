// Guild halls: the purchase, the hall's menu and its sleeping quarters, the treasury that
// members (and a raider who took the hall) fill and empty, the description and the guardian
// that the leader upgrades.
//
// A hall lives in its guild's record of "guilds.dat" (the flag, the treasury, the guardian)
// and in hall<NNNN>.dat (the description) and hall<NNNN>.msg (the board). Every change to the
// record is made on a fresh read under the hold, the guild found again by number; what moves
// between the record and the playing character is written under that same hold, the giving
// side first, so a crash between the two writes may lose the amount but never doubles it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/records.hpp"
#include "engine/text/text_file.hpp"
#include "game/menu.hpp"

// What a hall costs, and its new guardian.
constexpr std::int32_t hall_price_gold = 200'000;
constexpr std::int16_t hall_price_gems = 15;
constexpr std::int16_t guardian_max_level = 20;

// The largest amounts each side of the treasury can hold.
constexpr std::int32_t treasury_gold_cap = 2'147'483'647;
constexpr std::int32_t gems_cap = 32'767;

// The guardian's statistics that gold buys, with the price of a point.
enum class guard_stat { attack, defense, shield, hit_points };
std::int32_t guard_point_price(guard_stat s);
// The bound of a statistic at a guardian level: the value may rise to bound - 1.
std::int32_t guardian_bound(guard_stat s, std::int16_t level);

// The character is on line in the hall of the guild ("h" location, alive).
bool in_guild_hall(const character_record& c, std::int16_t guild);
// The character is raiding a hall (an "o" location).
bool raiding(const character_record& c);
// The numbers of the characters in the guild's hall, from char_list as it stands.
std::vector<std::int16_t> members_in_hall(std::int16_t guild);

// V, F and R, which every hall menu has (the status screen, the players on line, the
// rankings): the menu loop answers them.
inline constexpr const char* hall_common_keys = "VFR";
// ?, which every hall menu has: the menu text; false for any other key.
bool hall_common_key(char k, const text_list& menu);

// A sub-menu of a hall at its depth: its section's text of "quortext.dat" (shown at once,
// unless in expert mode) and keys, Enter taking L; sub_location is set to the depth.
struct hall_submenu {
    text_list text;
    std::string keys;
    menu_loop loop;
    hall_submenu(std::string_view section, std::int16_t level);
    ~hall_submenu() { deldesc(text); }
    hall_submenu(const hall_submenu&) = delete;
    hall_submenu& operator=(const hall_submenu&) = delete;
};
// Each turn of the loop re-reads "guilds.dat": a hall that is gone (or, when allowed says
// so, no longer the player's to change) ends the loop, back at the parent's depth; the title
// is the head and the guild's name (the head alone without with_name). With allowed, every
// key is first checked on fresh reads of "players.dat" and "guilds.dat".
void follow_hall(menu_loop& m, std::int16_t guild, std::int16_t parent, const std::string& head,
                 bool (*allowed)(const guild_record&) = nullptr, bool with_name = true);

// The guild area's B: the purchase for the playing character's guild.
void build_guild_hall();
// The hall of the playing character's guild (the guild area's E, and the square when the
// player wakes there). Returns at once when there is no such guild or hall.
void guild_hall();
void hall_sleeping_quarters();
// The treasury of the guild's hall (the members', or a raider's who took it: its queue is
// then polled as the raided hall's loop polls it).
void guild_treasury(std::int16_t guild, const menu_loop* raid_loop = nullptr);
void edit_hall_description();
void show_guard_stats(std::int16_t guild);
void upgrade_guardian();
// How many points the leader buys at the price: 0 for none.
std::int32_t buy_guardian_points(std::int32_t price);
// The limit's two lines: the highest value is bound - 1.
void guardian_point_cap(std::int32_t bound);
void rename_guardian();
// "Is this what you want?": N shows "No." and gives false; any other key "Yes.", true.
bool confirm_yes_no();
// An empty line, "People Sleeping here" and the guild's sleepers, on a fresh read.
void show_sleepers(std::int16_t guild);
