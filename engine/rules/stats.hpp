// The stat adjusters: every change of a character's numbers that must stay in its range
// goes through one of these, so scripts, mail command lines, combat and the places all
// clamp alike. Each adds a signed amount to one field; sums are formed in 64 bits and the
// result is clamped to the field's own range and then to the field's type (a 16-bit field
// never wraps). None writes a file or shows a message; add_hit_points may end the game.
//
// And the death of the playing character.
#pragma once
#include <cstdint>
#include <functional>

#include "engine/store/records.hpp"

// Limits of the fields.
constexpr std::int32_t max_luck = 30;
constexpr std::int32_t max_experience = 100'000'000;
constexpr std::int32_t max_combat_value = 32000;  // attack, defense, hit points
constexpr std::int32_t max_shield_value = 87;

void adjust_capped_stat(character_record& c, std::int64_t amount);  // luck -30..30
void add_crm(character_record& c, std::int64_t amount);             // charm
void add_shm(character_record& c, std::int64_t amount);             // shame, at least 0
// Gold and bank gold: a gain stops at 199,999,999, a loss at 0; gold already held above
// 199,999,999 loses exactly what is taken and gains nothing.
void add_gold(character_record& c, std::int64_t amount);
void add_bank_gold(character_record& c, std::int64_t amount);
void add_gems(character_record& c, std::int64_t amount);              // at least 0
void add_experience(character_record& c, std::int64_t amount);        // 1..100,000,000
void add_creature_fights(character_record& c, std::int64_t amount);   // at least 0
void add_player_fights(character_record& c, std::int64_t amount);     // at least 0
void add_attack_value(character_record& c, std::int64_t amount);      // 1..32000
void add_defense_value(character_record& c, std::int64_t amount);     // 1..32000
void add_max_hit_points(character_record& c, std::int64_t amount);    // 1..32000
void add_shield_value(character_record& c, std::int64_t amount);      // 1..87
void add_skill_points(character_record& c, std::int64_t amount);      // uses left, at least 0
void add_max_skill_points(character_record& c, std::int64_t amount);  // uses a day, at least 1
// At most 32000; a result below 1 for the playing character is its death (player_killed),
// which does not return. Any other record (an opponent) is only clamped.
void add_hit_points(character_record& c, std::int64_t amount);

// A price in gold and gems.
struct payment {
    std::int64_t gold = 0, gems = 0;
};
// Pays a price from the purse on file, never from this node's copy of it: under the hold, on
// "players.dat" read afresh, when the playing character's gold and gems there cover the price,
// runs service (the paid effect, which may change any record or write another file) and,
// unless it declines (false), takes the price in the same write. When the purse is short,
// nothing is taken and short_of runs instead in that write, if given. A hang-up is acted on
// only once the hold ends, so a price is never paid without its service. True when paid.
bool pay_from_purse(payment price, const std::function<bool()>& service = {},
                    const std::function<void()>& short_of = {});

// The experience a death costs: round(experience / death_loss_divisor of game_stats),
// halves to even. A divisor below 1 counts as the default 10.
std::int32_t death_experience_loss(std::int32_t experience);

// What a death took from the playing character.
struct death_loss {
    std::int32_t experience = 0;
    std::int32_t gold = 0;
};

// The marks of a death on a character's record: the experience share and all gold in hand
// go, it is dead until the next game day with 0 hit points, shame + 1 and the death day.
// Gives what it took.
death_loss mark_death(character_record& c);
// A player's whole fall as its own death writes it: mark_death, offline, back in the town
// square. A winner writes it so into the loser's record when the loser's node may be gone.
death_loss fall_of(character_record& c);

// The playing character falls, in memory: the experience share and all gold in hand go,
// it is dead until the next game day (shame + 1, offline, hit points 0, back in the town
// square). Nothing is written and nothing shown, so every way out of the program from here
// on (a hang-up, a kill after the next save) finds it fallen, never standing with its gold.
// Once: a later call changes nothing and gives the first fall's loss. A copy that is dead
// already (a winner's node wrote the fall into the record) falls with no further loss.
death_loss fall_in_memory();
// The fall saved: fall_in_memory, then under the hold on a fresh read the character file is
// written with what change does inside the same write (what a winner takes), so that the
// loss and the gain land in one write. Once: a later call writes nothing.
death_loss save_fall(const std::function<void(const death_loss&)>& change = {});

// The death of the playing character: falls (settling an armed death first), shows the
// loss, saves the fall, writes the statistics, waits for a key and ends the game with
// code 0. The caller writes any news of the killing first.
[[noreturn]] void player_killed();
// The death of the playing character that another node's winning blow wrote whole into its
// record, found by a refresh (the copy is dead): the loss shown is what the experience held
// before that refresh lost; nothing is taken a second time. Ends as player_killed.
[[noreturn]] void killed_on_record(std::int32_t experience_before);
