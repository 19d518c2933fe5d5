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
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"
#include "game/hooks.hpp"
#include "game/inventory_menu.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "game/skills.hpp"

namespace {
constexpr std::int16_t max_opponent_shield = 87;

std::int64_t nearest(double x) { return round_half_even(x); }

// A whole-number field times a real factor, rounded, kept within 16 bits.
std::int16_t scaled(std::int16_t v, double factor) { return clamp_to<std::int16_t>(nearest(v * factor)); }

// The divisor of a level in the to-hit formulas: two thirds of the level, the level taken
// as at least 1 so that a record of level 0 cannot divide by zero.
double level_divisor(std::int16_t level) { return std::max<std::int16_t>(level, 1) * 2 / 3.0; }

// The death-loss divisor of the game's settings; an unset one counts as the default 10.
std::int64_t death_divisor() { return game_stats.death_loss_divisor < 1 ? 10 : game_stats.death_loss_divisor; }

std::string name_of(const character_record& foe) { return foe.name.str(); }

// "the " in front of a monster's name, nothing in front of a player's.
std::string the(const character_record& foe) { return is_mob(foe) ? "the " : ""; }

void subtract_hit_points(character_record& c, std::int64_t damage) {
    c.hit_points = clamp_to<std::int16_t>(std::int64_t(c.hit_points) - damage);
}

// News lines with their phrase codes filled in.
void news(std::initializer_list<std::string> lines) {
    text_list list;
    for (const std::string& l : lines) add_desc_line(expand_tilde_phrases(l), list);
    hook_add_news(list);
}

void system_message(const std::string& to_name, std::initializer_list<std::string> lines) {
    text_list list;
    for (const std::string& l : lines) add_desc_line(l, list);
    append_user_file(to_name, list);
}

// A player opponent's record in char_list after a refresh; null when that player is gone.
character_record* player_record(const character_record& foe) {
    return foe.number > 0 ? char_num_ptr(foe.number) : nullptr;
}

void hold_shield(character_record& foe);
// The player's blow after the opponent's shield: its text, and a win when the opponent falls.
void land_blow(character_record& foe, std::int64_t dealt);

// A player fought while away, on a fresh read, is as the fight found it: still away and
// alive, asleep where it was, and not played since (every log-on stamps the creation text and
// the day). A guest who woke and left, or a victim another winner killed meanwhile, is not.
bool as_found(const character_record& v, const character_record& found) {
    return !character_on_line(v) && !v.dead && v.sleeping_inn == found.sleeping_inn &&
           v.sleeping_guild == found.sleeping_guild && v.last_day == found.last_day &&
           v.created_text.view() == found.created_text.view();
}

// The end of a fight won over a player who is away, in one write under the hold on a fresh
// read: its death, and its experience share and all its gold in hand to the player, so that
// no kill of this node loses the spoils. False, and nothing moves, when the player is no
// longer as the fight found it. Otherwise the fight's copy takes the experience and gold
// that the stored record held.
bool settle_victim(character_record& foe) {
    bool settled = false;
    update_under_hold([&] {
        character_record* v = player_record(foe);
        if (!v || v == cur_char || !as_found(*v, foe)) return;
        foe.experience = v->experience;
        death_loss lost = mark_death(*v);
        v->sleeping_inn = 0;
        foe.gold = lost.gold;
        add_experience(me(), lost.experience);
        add_gold(me(), lost.gold);
        settled = true;
    });
    return settled;
}

// The rewards of a win and, against a player who is away, that player's loss.
void defeated(character_record& foe) {
    bool player = !is_mob(foe);
    if (player && !settle_victim(foe)) {
        disp_line("`9  " + proper_case(name_of(foe)) + "`9 has slipped away.");
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
        std::string victim = proper_case(name_of(foe));
        system_message(name_of(foe), {"#0000 `%System Message", "  `4" + attacker + " has attacked you!",
                                      "  `3You have been killed.",
                                      "  You have lost `4" + comma_number(gain) + "`3 experience.", "~"});
        news({"`%In ~ar player fight today :", "  ~Tg `!" + attacker + "`3 has killed ~tb `!" + victim + "`3."});
    }
    if (is_level_fight(foe)) foe.hit_points = 0;
    hit_any_key();
}

// Gold grabbed from a player who is away comes out of its stored record, at most what it
// holds; a player no longer as the fight found it loses nothing.
std::int64_t take_players_gold(const character_record& foe, std::int64_t wanted) {
    std::int64_t taken = 0;
    update_under_hold([&] {
        character_record* v = player_record(foe);
        if (!v || v == cur_char || !as_found(*v, foe)) return;
        taken = std::clamp<std::int64_t>(wanted, 0, std::max<std::int32_t>(v->gold, 0));
        v->gold = clamp_to<std::int32_t>(v->gold - taken);
    });
    return taken;
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

// A master's test leaves a beaten player standing at 0 hit points, and the test is over.
// Against anyone else a player at 0 hit points (back from a failed test) still fights: the
// fight is not over, let alone won, until a blow decides it.
bool test_lost(const character_record& foe) { return is_level_fight(foe) && me().hit_points <= 0; }

// The class whose skill Enter picks: the last of W M T H R P that the player holds.
int default_skill_class() {
    int pick = 0;
    for (int c = 1; c <= 6; ++c)
        if (class_bit_set(me(), class_letters[c - 1])) pick = c;
    return pick;
}

// U: a class skill. Sets result false when the skill ended the fight without a win; true
// when the fight is over.
bool use_class_skill(character_record& foe, bool& result) {
    disp_line("");
    for (int c = 1; c <= 6; ++c) {
        std::int16_t pct = me().skill_percent[c - 1];
        if (pct <= 1) continue;
        std::string name(class_name(c));
        disp_line("  `9(`%" + std::string(1, class_letters[c - 1]) + "`9)" + pad_right(name.substr(1), 10) + "`%: " +
                  pad_left(int_to_str(pct), 2) + "%");
    }
    disp_line("");
    disp_text("`9  Use the Skill of which Class? : `%");
    char k = upcase_key(read_key());
    int cls = k == '\r' ? default_skill_class() : class_of_letter(k);
    echo_key(cls ? class_letters[cls - 1] : k);
    if (cls == 0) return false;
    if (!skill_roll(me(), cls)) {
        disp_line("");
        disp_line("  `9You bungled the move, but manage a normal attack.");
        disp_line("");
        return combat_round(foe);
    }
    bool done = false;
    skill_result s = class_skill_menu(me(), cls);
    switch (s.effect) {
    case skill_effect::damage:
        player_hits(foe, s.damage);
        if (foe.hit_points > 0)
            monster_attacks(foe);
        else
            done = true;
        break;
    case skill_effect::nothing: break;
    case skill_effect::escape:
        result = false;
        done = true;
        hit_any_key();
        break;
    case skill_effect::kill:
        // The blow that, after the opponent's shield, takes exactly its hit points: it
        // falls at 0, never left standing at 1 by a rounding.
        hold_shield(foe);
        land_blow(foe, std::max<std::int16_t>(foe.hit_points, 0));
        done = true;
        break;
    case skill_effect::grab_gold: {
        std::int64_t g = nearest(random_real() * foe.gold) + 1;
        if (!is_mob(foe)) g = take_players_gold(foe, g);
        disp_line("  You manage to grab " + comma_number(g) + " gold before you decide to bail.");
        add_gold(me(), g);
        monster_attacks(foe);
        hit_any_key();
        result = false;
        done = true;
        break;
    }
    case skill_effect::slow:
        foe.attack = scaled(foe.attack, 1 / 1.5);
        foe.defense = scaled(foe.defense, 1 / 1.5);
        break;
    case skill_effect::reverse_body: foe.shield_value = scaled(foe.shield_value, 1 / 3.0); break;
    case skill_effect::weaken: foe.attack = scaled(foe.attack, 1 / 3.0); break;
    case skill_effect::crumble: foe.hit_points = scaled(foe.hit_points, 0.15); break;
    }
    add_skill_points(me(), -1);
    return done || test_lost(foe);
}
}  // namespace

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
    disp_line("`9  You encounter a `%" + proper_case(name_of(fight)) + "`9.");
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

namespace {
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
}  // namespace

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
// The church's rescue of a player at 0 hit points or below: the hit points are whole again
// before anything is shown, so that no exit in between finds the player fallen.
void church_rescue() {
    if (me().hit_points > 0 ||
        return_flag("FOREST_CHAMPION_OF_THE_CHURCH", flag_file_name(me().number), flags_section_name) != "TRUE" ||
        !file_exists("events.scc") || read_file_number("events.scc") != 113)
        return;
    randomize();
    if (random_n(100) + 1 >= me().luck + 12) return;
    me().hit_points = me().max_hit_points;
    disp_line("");
    disp_line("`!  As you start to feel the darkness overcome you, the shadows melt away and you");
    disp_line("`!  feel whole again.  From somewhere out of the corner of your eye, a lone");
    disp_line("`!  figure cloaked in the colors of the Church of the Divine Nature scurries away");
    disp_line("`!  (You are healed completely)");
}

// A creature's kill: the news, then the fall, and the gold the player carried into the pot
// (written after the character, which gives it up).
void creature_kill_settled(const character_record& foe) {
    // Whatever ends the game from here on finds the player fallen.
    fall_in_memory();
    disarm_death();
    news({"`%In ~ar fight today :",
          "`3  ~Tb `!" + own_proper_name() + "`3 was killed by ~ag `!" + name_of(foe) + "`3."});
    if (has_status_bit(me(), status_hunted) && foe.name == "hired thug") me().status_bits &= ~status_hunted;
    save_fall([](const death_loss& lost) {
        game_stats.floating_gold = clamp_to<std::int32_t>(
            std::max<std::int64_t>(std::int64_t(game_stats.floating_gold) + lost.gold, 0));
    });
}

// A player's win in self defense: the loser's fall and the winner's share in one write of
// "players.dat" (a winner away is paid there); a winner on line holds its own record and is
// paid by the command lines of its letter, appended only once the fall is written. A hang-up
// meanwhile waits for the hold, so the letter goes out too.
void player_win_settled(const character_record& foe) {
    std::string player = own_proper_name();
    std::string my_name = me().name.str();
    death_loss lost = fall_in_memory();
    disarm_death();
    bool on_line = false;
    {
        hold_guard hold;
        save_fall([&](const death_loss& l) {
            character_record* v = player_record(foe);
            if (!v || v == cur_char) return;
            on_line = character_on_line(*v);
            if (on_line) return;
            add_experience(*v, l.experience);
            add_gold(*v, l.gold);
            v->hit_points = v->max_hit_points;
        });
        std::initializer_list<std::string> told = {
            "#0000 `%System Message", "  `4" + player + " has attacked you!",
            "  `3You have killed " + my_name + " in self defense.",
            "  You have gained `4" + comma_number(lost.experience) + "`3 experience.",
            "  You have taken `4" + comma_number(lost.gold) + "`3 gold from the corpse.", "~"};
        text_list message;
        for (const std::string& l : told) add_desc_line(l, message);
        if (on_line) {
            add_desc_line("ADD EXP " + int_to_str(lost.experience), message);
            add_desc_line("ADD GLD " + int_to_str(lost.gold), message);
        }
        append_user_file(name_of(foe), message);
    }
    news({"`%In ~ar `4player fight`% today :",
          "  ~Tg `!" + proper_case(name_of(foe)) + "`3 killed ~tb `!" + player + "`3 in self defense."});
}

void death_settled(const character_record& foe) {
    if (is_mob(foe))
        creature_kill_settled(foe);
    else
        player_win_settled(foe);
}
}  // namespace

void player_death(std::int32_t damage, character_record& foe) {
    subtract_hit_points(me(), damage);
    church_rescue();
    if (me().hit_points > 0) return;
    if (is_level_fight(foe)) {
        master_fight_failed(foe);
        return;
    }
    // The blow is fatal unless the player's items undo it; till then any exit settles it.
    arm_death([&foe] { death_settled(foe); });
    begin_ondeath_item();
    if (me().hit_points > 0) {
        disarm_death();
        return;
    }
    if (is_mob(foe))
        news_monster_kill(foe);
    else
        player_attacked_message(foe);
}

void master_fight_failed(const character_record& foe) {
    news({"The gossip about ~tb `!^CA's`3 failure to perform", "for ^CD master spreads like wildfire throughout the town."});
    disp_line("");
    disp_line("`9  The `8" + name_of(foe) + "`9 is ready to kill you when you hear");
    disp_line("`9  `m claps ^DD hands together and the `8" + name_of(foe) + " `9disappears.");
    disp_line("`%  \"You have failed `n.  Seek me when you are truly ready.\"");
    me().hit_points = 0;
    toggle_status_bit(me(), status_master_avoids);
}

void news_monster_kill(const character_record& foe) {
    creature_kill_settled(foe);
    player_killed();
}

void player_attacked_message(const character_record& foe) {
    player_win_settled(foe);
    player_killed();
}

bool thug_fight(const monster_record& thug) {
    std::unique_ptr<character_record> foe = mob_to_char(&thug);
    return do_combat(*foe);
}

namespace {
std::unique_ptr<character_record> hook_mob(const monster_record& mob) { return mob_to_char(&mob); }
}  // namespace

void game_combat_init() {
    set_mob_to_char_hook(hook_mob);
    set_do_combat_hook(do_combat);
    game_hooks.thug_fight = thug_fight;
}
