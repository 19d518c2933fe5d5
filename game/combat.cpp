#include "game/combat.hpp"

#include <algorithm>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/creature_hooks.hpp"
#include "engine/script/script.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"
#include "game/combat_internal.hpp"
#include "game/hooks.hpp"
#include "game/inventory_menu.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

std::int16_t scaled(std::int16_t v, double factor) { return clamp_to<std::int16_t>(nearest(v * factor)); }

std::string name_of(const character_record& foe) { return foe.name.str(); }

void subtract_hit_points(character_record& c, std::int64_t damage) {
    c.hit_points = clamp_to<std::int16_t>(std::int64_t(c.hit_points) - damage);
}

void news(std::initializer_list<std::string> lines) {
    text_list list;
    for (const std::string& l : lines) add_desc_line(expand_tilde_phrases(l), list);
    hook_add_news(list);
}

character_record* player_record(const character_record& foe) {
    return foe.number > 0 ? char_num_ptr(foe.number) : nullptr;
}

namespace {
constexpr std::int16_t max_opponent_shield = 87;

// The divisor of a level in the to-hit formulas: two thirds of the level, the level taken
// as at least 1 so that a record of level 0 cannot divide by zero.
double level_divisor(std::int16_t level) { return std::max<std::int16_t>(level, 1) * 2 / 3.0; }

// The death-loss divisor of the game's settings; an unset one counts as the default 10.
std::int64_t death_divisor() { return game_stats.death_loss_divisor < 1 ? 10 : game_stats.death_loss_divisor; }

// "the " in front of a monster's name, nothing in front of a player's.
std::string the(const character_record& foe) { return is_mob(foe) ? "the " : ""; }

void system_message(const std::string& to_name, std::initializer_list<std::string> lines) {
    text_list list;
    for (const std::string& l : lines) add_desc_line(l, list);
    append_user_file(to_name, list);
}

// The rewards of a win and, against a player who is away, that player's loss.
void defeated(character_record& foe) {
    bool player = !is_mob(foe);
    if (player && !settle_victim(foe)) {
        disp_line("`9  " + proper_name_of(foe) + "`9 has slipped away.");
        hit_any_key();
        return;
    }
    std::int32_t gain = 0;
    disp_line("");
    disp_line("`!  You have defeated " + the(foe) + name_of(foe) + "!!");
    if (foe.experience > 0 || foe.gold > 0) {
        int gems = 0;
        if (random_n(100) - me().luck + 1 < 10) gems = random_n(2) + 1;
        disp_line("");
        if (foe.experience > 0) {
            gain = death_experience_loss(foe.experience);
            // A player's spoils are in hand already, paid in the write that settled it.
            if (!player) add_experience(me(), gain);
            std::string line = "`%  You gain `4" + comma_number(gain) + "`% experience";
            if (foe.gold > 0) {
                line += ", and find `4" + comma_number(foe.gold) + "`% gold.";
                if (!player) add_gold(me(), foe.gold);
            } else {
                line += ".";
            }
            disp_line(line);
        } else {
            disp_line("`%  You find `4" + comma_number(foe.gold) + "`% gold.");
            if (!player) add_gold(me(), foe.gold);
        }
        if (gems == 1) disp_line("`%  You find a gem!");
        if (gems == 2) disp_line("`%  You find `52`% gems!");
        add_gems(me(), gems);
    }
    if (player) {
        std::string attacker = own_proper_name();
        std::string victim = proper_name_of(foe);
        system_message(name_of(foe),
                       {"#0000 `%System Message", "  `4" + attacker + " has attacked you!", "  `3You have been killed.",
                        "  You have lost `4" + comma_number(gain) + "`3 experience.", "~"});
        news({"`%In ~ar player fight today :", "  ~Tg `!" + attacker + "`3 has killed ~tb `!" + victim + "`3."});
    }
    if (is_level_fight(foe)) foe.hit_points = 0;
    hit_any_key();
}

// The fight's command menu and prompt.
void show_fight_menu(const character_record& foe) {
    std::string pronoun(object_word(foe.sex));
    disp_line("");
    disp_line("`9  Your hit points : `%" + int_to_str(me().hit_points));
    disp_line("`9  " + name_of(foe) + "'s hit points : `%" + comma_number(foe.hit_points));
    disp_line("");
    disp_line("`3  (`#A`3)ttack " + pronoun + ".");
    disp_line("`3  (`#R`3)un from " + pronoun + ".");
    disp_line("`3  (`#I`3)tems");
    disp_line("`3  (`#V`3)iew your Stats.");
    if (me().skill_uses_left > 0)
        disp_line("`4  (`%U`4)`@se a Class Skill. `4[`%" + int_to_str(me().skill_uses_left) + " uses`4]");
    disp_line("");
    disp_line("`9   Combat`%:");
    disp_line("`7  (A,R,V)");
    disp_line("");
    disp_text("`9  Command? [`!A`9] : `%");
}

// R: a run for it. True when the player got away.
bool try_to_run(character_record& foe) {
    if (is_level_fight(foe)) {
        disp_line("  `%\"If you wish to prove yourself `n,");
        disp_line("  you cannot run now.\"");
        return false;
    }
    randomize();
    int r = random_n(100);
    if (r > 5 && r + me().luck > 12) {
        disp_line("`9  You flee, head over heals.");
        hit_any_key();
        return true;
    }
    disp_line("`9  You try to run away, but the `4" + name_of(foe) + "`9 catches you.");
    monster_attacks(foe);
    return false;
}

void use_item_in_fight(const character_record& foe) {
    if (is_level_fight(foe)) {
        disp_line("`3  Your master sees you going for an item and tells you :");
        disp_line("`%  \"I wish to test your strength, not the strength of your equipment\"");
        return;
    }
    list_inv(cur_inventory);
    disp_line("");
    begin_combat_use_item();
}
}  // namespace

bool test_lost(const character_record& foe) { return is_level_fight(foe) && me().hit_points <= 0; }

bool is_level_fight(const character_record& foe) { return foe.real_name == level_fight_mark; }

std::unique_ptr<character_record> mob_to_char(const monster_record* mob) {
    if (!mob) return nullptr;
    debug_enter("Entering mob_to_char");
    auto c = std::make_unique<character_record>();
    c->name = mob->name.view().substr(0, 20);
    c->real_name = mob_mark;
    c->number = 0;
    c->class_bits = class_warrior;
    c->sex = 3;
    c->attack = mob->attack;
    c->defense = mob->defense;
    c->shield_value = mob->shield_value;
    c->weapon_name = mob->weapon.view();
    c->armour_name = mob->armour.view();
    c->luck = static_cast<std::int16_t>(random_n(10) - 5);
    c->hit_points = mob->hit_points;
    c->max_hit_points = mob->hit_points;
    c->gold = mob->gold;
    // Kept so that experience / divisor gives the creature's worth back at a win.
    c->experience = clamp_to<std::int32_t>(std::int64_t(mob->experience) * death_divisor());
    c->level = mob->level;
    if (cur_char) {
        c->location = cur_char->location;
        c->net_address = cur_char->net_address;
    }
    c->last_day = game_stats.day;
    c->death_day = clamp_to<std::int16_t>(game_stats.day - 1);
    c->creature_fights_left = 1;
    c->player_fights_left = 1;
    c->online = 1;
    c->attack = scaled(c->attack, mob_difficulty_mult);
    c->defense = scaled(c->defense, mob_difficulty_mult);
    c->shield_value = scaled(c->shield_value, mob_difficulty_mult);
    c->hit_points = scaled(c->hit_points, mob_difficulty_mult);
    debug_leave("Leaving mob_to_char");
    return c;
}

bool do_combat(character_record& foe) {
    if (!cur_char) return false;
    debug_enter("Entering do_combat");
    character_record fight = foe;
    character_record* before = opponent;
    opponent = &fight;
    bool result = true;
    if (fight.shield_value > max_opponent_shield) fight.shield_value = max_opponent_shield;
    disp_line("");
    disp_line("`9  You encounter a `%" + proper_name_of(fight) + "`9.");
    randomize();
    if (random_n(100) + 1 < 10 - me().level / 3.0) {
        disp_line("`9  The `%" + name_of(fight) + "`9 surprises you!");
        monster_attacks(fight);
    }
    bool done = test_lost(fight);
    while (!done) {
        show_fight_menu(fight);
        char k = read_key();
        if (k == '\r' || k == 0) k = 'A';
        k = upcase_key(k);
        echo_key(k);
        switch (k) {
        case '=': hook_run_script("script.scr", ""); break;
        case 'V':
            display_stats();
            hit_any_key();
            break;
        case 'R':
            if (try_to_run(fight)) {
                result = false;
                done = true;
            }
            break;
        case 'I': use_item_in_fight(fight); break;
        case 'U':
            if (me().skill_uses_left > 0) done = use_class_skill(fight, result);
            break;
        case 'A': done = combat_round(fight); break;
        default: break;
        }
        if (is_level_fight(fight) && fight.hit_points <= 0) fight.hit_points = 0;
        if (test_lost(fight)) done = true;
    }
    // A monster's state goes back to its owner; a player's record is never written from here.
    if (is_mob(fight)) foe = fight;
    opponent = before;
    debug_leave("Leaving do_combat");
    return result;
}

bool combat_round(character_record& foe) {
    player_attacks(foe);
    if (foe.hit_points <= 0) return true;
    monster_attacks(foe);
    return test_lost(foe);
}

void player_attacks(character_record& foe) {
    bool drunk = has_status_bit(me(), status_drunk);
    std::int64_t base = 60 + nearest((me().attack - foe.defense) / level_divisor(foe.level));
    base += nearest(me().luck / 3.0);
    if (drunk) base = nearest(base * 0.8);
    base = std::max<std::int64_t>(base, 10);
    std::int64_t roll = nearest(random_real() * 100) + 1;
    if (base < roll) {
        disp_line("  `%You miss " + the(foe) + name_of(foe) + " completely.");
        return;
    }
    std::int64_t damage = nearest(random_real() * (me().attack / 3.0)) + 1 + me().attack;
    if (drunk) damage = nearest(damage * 0.9);
    if (random_n(100) + 1 < me().luck + 8) {
        disp_line("");
        disp_line("  `%You manage to strike " + the(foe) + name_of(foe) + " twice!");
        disp_line("");
        damage *= 2;
    }
    player_hits(foe, clamp_to<std::int32_t>(damage));
}

void player_hits(character_record& foe, std::int32_t damage) {
    hold_shield(foe);
    land_blow(foe, std::max<std::int64_t>(0, nearest(double(damage) * (100 - foe.shield_value) / 100)));
}

void hold_shield(character_record& foe) {
    foe.shield_value = std::clamp<std::int16_t>(foe.shield_value, 1, max_opponent_shield);
}

void land_blow(character_record& foe, std::int64_t dealt) {
    std::string line = "`9  You hit " + the(foe) + name_of(foe) + " for `4" + int_to_str(dealt) + "`9 points of damage";
    if (item_record* weapon = weapon_equipped_ptr(cur_inventory))
        line += " with your " + weapon->name + "`3.";
    else
        line += ".";
    disp_line(line);
    subtract_hit_points(foe, dealt);
    if (foe.hit_points <= 0) defeated(foe);
}

void monster_attacks(character_record& foe) {
    bool mob = is_mob(foe);
    std::string weapon;
    if (mob) {
        weapon = foe.weapon_name.str();
    } else {
        inventory_list items;
        read_inventory(foe.number, items);
        if (item_record* w = weapon_equipped_ptr(items)) weapon = w->name.str();
        del_inv(items);
    }
    std::int64_t base = (mob ? 50 : 60) + nearest((foe.attack - me().defense) / level_divisor(me().level));
    base = std::max<std::int64_t>(base, 10);
    std::string who = mob ? "`3  The " + name_of(foe) : "`3  " + name_of(foe);
    randomize();
    std::int64_t roll = nearest(random_real() * 100) + 1;
    if (base < roll) {
        disp_line(who + " misses you completely.");
        return;
    }
    std::int64_t damage = foe.attack <= 0 ? 0 : nearest(random_real() * (foe.attack / 3.0)) + 1 + foe.attack;
    if (random_n(100) + 1 < foe.luck + 8) {
        disp_line("");
        if (mob)
            disp_line("  `%The " + name_of(foe) + " hits you with `4BRUTAL FORCE`%.");
        else
            disp_line("  `%" + name_of(foe) + " manages to strike you twice!");
        damage = nearest(damage * (random_n(7) + 14) / 10.0);
        disp_line("");
    }
    std::int64_t shield = me().shield_value + (has_status_bit(me(), status_drunk) ? 10 : 0);
    if (shield > max_opponent_shield)
        damage = nearest(damage * 0.13);
    else
        damage = nearest(damage * (100 - shield) / 100.0);
    std::string line = who + " hits you for `4" + int_to_str(damage) + "`3 points of damage";
    if (!weapon.empty())
        line += " with " + std::string(possessive_word(foe.sex)) + " " + weapon + "`3.";
    else
        line += ".";
    disp_line(line);
    if (has_status_bit(me(), status_has_bow) && random_n(100) + 1 + nearest(me().luck / 2.0) < 16) {
        disp_line("`9  Your opponent manages to `4BREAK`9 your bow!");
        me().status_bits &= ~status_has_bow;
    }
    player_death(clamp_to<std::int32_t>(damage), foe);
}

namespace {
std::unique_ptr<character_record> hook_mob(const monster_record& mob) { return mob_to_char(&mob); }
}  // namespace

void game_combat_init() {
    set_mob_to_char_hook(hook_mob);
    set_do_combat_hook(do_combat);
    game_hooks.thug_fight = thug_fight;
}
