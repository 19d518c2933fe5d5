#include "engine/rules/stats.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"

namespace {
constexpr std::int64_t i16_min = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t i16_max = std::numeric_limits<std::int16_t>::max();
constexpr std::int64_t i32_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t i32_max = std::numeric_limits<std::int32_t>::max();

// field + amount without overflow: an amount beyond any field's range is cut first.
std::int64_t sum(std::int64_t field, std::int64_t amount) {
    amount = std::clamp<std::int64_t>(amount, 4 * i32_min, 4 * i32_max);
    return field + amount;
}

std::int16_t to_i16(std::int64_t v) { return static_cast<std::int16_t>(std::clamp(v, i16_min, i16_max)); }
std::int32_t to_i32(std::int64_t v) { return static_cast<std::int32_t>(std::clamp(v, i32_min, i32_max)); }

// A 16-bit field with a floor only.
void add_floor(std::int16_t& field, std::int64_t amount, std::int64_t floor) {
    field = to_i16(std::max(sum(field, amount), floor));
}
// A 16-bit field between floor and ceiling.
void add_range(std::int16_t& field, std::int64_t amount, std::int64_t floor, std::int64_t ceiling) {
    field = to_i16(std::clamp(sum(field, amount), floor, ceiling));
}
}  // namespace

void adjust_capped_stat(character_record& c, std::int64_t amount) { add_range(c.luck, amount, -max_luck, max_luck); }
void add_crm(character_record& c, std::int64_t amount) { c.charm = to_i16(sum(c.charm, amount)); }
void add_shm(character_record& c, std::int64_t amount) { add_floor(c.shame, amount, 0); }

namespace {
// The cap stops a gain; it never takes away gold already held above it (a withdrawal or a
// sysop's edit can put it there): a loss takes exactly the amount, down to 0.
std::int32_t gold_after(std::int32_t field, std::int64_t amount) {
    std::int64_t s = sum(field, amount);
    if (amount <= 0) return to_i32(std::max<std::int64_t>(s, 0));
    if (field >= max_gold) return field;
    return to_i32(std::clamp<std::int64_t>(s, 0, max_gold));
}
}  // namespace

void add_gold(character_record& c, std::int64_t amount) { c.gold = gold_after(c.gold, amount); }
void add_bank_gold(character_record& c, std::int64_t amount) { c.bank_gold = gold_after(c.bank_gold, amount); }
void add_gems(character_record& c, std::int64_t amount) { add_floor(c.gems, amount, 0); }
void add_experience(character_record& c, std::int64_t amount) {
    c.experience = to_i32(std::clamp<std::int64_t>(sum(c.experience, amount), 1, max_experience));
}
void add_creature_fights(character_record& c, std::int64_t amount) { add_floor(c.creature_fights_left, amount, 0); }
void add_player_fights(character_record& c, std::int64_t amount) { add_floor(c.player_fights_left, amount, 0); }
void add_attack_value(character_record& c, std::int64_t amount) { add_range(c.attack, amount, 1, max_combat_value); }
void add_defense_value(character_record& c, std::int64_t amount) { add_range(c.defense, amount, 1, max_combat_value); }
void add_max_hit_points(character_record& c, std::int64_t amount) {
    add_range(c.max_hit_points, amount, 1, max_combat_value);
}
void add_shield_value(character_record& c, std::int64_t amount) {
    add_range(c.shield_value, amount, 1, max_shield_value);
}
void add_skill_points(character_record& c, std::int64_t amount) { add_floor(c.skill_uses_left, amount, 0); }
void add_max_skill_points(character_record& c, std::int64_t amount) { add_floor(c.skill_uses_per_day, amount, 1); }

void add_hit_points(character_record& c, std::int64_t amount) {
    c.hit_points = to_i16(std::min<std::int64_t>(sum(c.hit_points, amount), max_combat_value));
    // Only the playing character dies here; an opponent's fall is for its fight to see.
    if (c.hit_points < 1 && &c == cur_char) player_killed();
}

std::int32_t death_experience_loss(std::int32_t experience) {
    int divisor = game_stats.death_loss_divisor < 1 ? 10 : game_stats.death_loss_divisor;
    return to_i32(round_half_even(static_cast<double>(experience) / divisor));
}

namespace {
std::optional<death_loss> fallen;
bool fall_saved = false;
}  // namespace

bool pay_from_purse(payment price, const std::function<bool()>& service, const std::function<void()>& short_of) {
    if (!cur_char) return false;
    bool paid = false;
    update_under_hold([&] {
        if (!cur_char) return;
        character_record& c = *cur_char;
        if (c.gold < price.gold || c.gems < price.gems) {
            if (short_of) short_of();
            return;
        }
        if (service && !service()) return;
        add_gold(c, -price.gold);
        add_gems(c, -price.gems);
        paid = true;
    });
    return paid;
}

death_loss mark_death(character_record& c) {
    death_loss loss{death_experience_loss(c.experience), std::max<std::int32_t>(c.gold, 0)};
    add_experience(c, -std::int64_t(loss.experience));
    c.gold = 0;
    c.dead = 1;
    c.hit_points = 0;
    add_shm(c, 1);
    c.death_day = game_stats.day;
    return loss;
}

death_loss fall_of(character_record& c) {
    death_loss loss = mark_death(c);
    c.online = 0;
    c.location = "tTown Square";
    return loss;
}

death_loss fall_in_memory() {
    if (fallen || !cur_char) return fallen.value_or(death_loss{});
    // A playing character is dead only when a winner's node wrote the fall whole: it is not
    // taken a second time.
    fallen = cur_char->dead ? death_loss{} : fall_of(*cur_char);
    return *fallen;
}

death_loss save_fall(const std::function<void(const death_loss&)>& change) {
    death_loss loss = fall_in_memory();
    if (fall_saved || !cur_char) return loss;
    // The merge keeps the fall: this node's changes to its own character win.
    update_under_hold([&] {
        if (change) change(loss);
    });
    fall_saved = true;
    return loss;
}

void killed_on_record(std::int32_t experience_before) {
    if (cur_char && !fallen)
        fallen = death_loss{std::max<std::int32_t>(experience_before - cur_char->experience, 0), 0};
    player_killed();
}

void player_killed() {
    if (!cur_char) end_prog(exit_normal);
    settle_armed_death();  // the fight's pending death (engine/text/exit.cpp) first
    death_loss loss = fall_in_memory();
    disp_line("");
    disp_line("`%  You have been killed!");
    disp_line("");
    disp_line("  `4You lose " + comma_number(loss.experience) + " experience.");
    disp_line("  You lose all gold in hand.");
    save_fall();
    write_stat_file();
    hit_any_key();
    end_prog(exit_normal);
}
