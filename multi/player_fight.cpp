#include "multi/player_fight.hpp"

#include <algorithm>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "game/combat.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight_internal.hpp"

void send_to(std::int16_t number, const node_line& line) { send_node_msg_to(number, line); }

void fall_if_killed() {
    if (!cur_char) return;
    std::int32_t experience = me().experience;
    refresh_char_file();
    if (cur_char && me().dead) killed_on_record(experience);
}

namespace {
constexpr const char* fight_section = "pfight";
constexpr const char* square_location = "tTown Square";
constexpr const char* fight_location = "tOnline Combat";

bool drunk(const character_record& c) { return has_status_bit(c, status_drunk); }

using enum node_verb;

bool names_in_word2(node_verb verb) { return verb == creceive || verb == leaverealm; }
bool names_in_word3(node_verb verb) {
    for (node_verb v : {surprise, attack, run, flee, victory, damage, ddamage})
        if (verb == v) return true;
    return false;
}

node_verb run_verb(bool chat) { return chat ? chat_run : run; }

// The opponent's run, as this side queues it to itself for an opponent that left without one:
// the wait (or the chat room) ends the fight as when the opponent runs.
void queue_run_of(std::int16_t foe_number, bool chat) {
    send_to(me().number, {run_verb(chat), "0 " + int_to_str(foe_number)});
}

// At A or R: true when the opponent has left the fight, on a fresh read. No blow lands then.
bool opponent_left(std::int16_t foe_number, bool chat) {
    refresh_char_file();
    return opponent_gone(foe_number, chat);
}

// A challenge of that character waits in the own queue.
bool challenged_by(std::int16_t number) {
    return !take_node_msg_if([&](std::string_view line) {
                return find_node_verb(upcase_str(word_at(line, 1))) == combat && str_to_int(word_at(line, 2)) == number
                           ? queue_pick::look
                           : queue_pick::pass;
            }).empty();
}

void show_round_screen(const character_record& foe) {
    disp_line("");
    disp_line("`9  Your hit points : `%" + int_to_str(me().hit_points));
    disp_line("`9  " + proper_name_of(foe) + "'s hit points : `%" + int_to_str(foe.hit_points));
    disp_lines({"", "`3  (`#A`3)ttack.", "`3  (`#R`3)un.", "`3  (`#V`3)iew your Stats.", "",
                "`9   Player Combat`%:", "`7  (A,R,V)", ""});
    disp_text("`9  Command? [`!A`9] : `%");
}

void run_from(const character_record& foe, bool chat) {
    if (chat) {
        send_to(foe.number, {chat_run, "0 " + own_number()});
        send_to(me().number, {chat_flee, "0 " + int_to_str(foe.number)});
    } else {
        send_to(foe.number, {run, "0 " + own_number()});
        send_to(me().number, {flee, "0 " + int_to_str(foe.number)});
    }
}

void strike(character_record& foe, std::int64_t chance, bool chat) {
    std::string foe_name = proper_name_of(foe);
    const std::int16_t foe_number = foe.number;
    node_verb verb = chat ? chat_damage : damage;
    int r = random_n(100) + 1;
    if (chance < r) {
        disp_line("`9  You miss " + foe_name + " completely.");
        send_to(foe.number, {verb, "0 " + own_number()});
        return;
    }
    std::int64_t damage = me().attack + nearest(random_real() * nearest(me().attack / 3.0)) + 1;
    if (drunk(me())) damage = nearest(damage * 0.9);
    int r2 = random_n(100) + 1;
    bool twice = r2 < me().luck + 8 - foe.luck || r2 < 4;
    if (twice) {
        disp_lines({"", "  `%You manage to strike " + foe_name + " twice!", ""});
        damage *= 2;
        verb = chat ? chat_ddamage : ddamage;
    }
    std::int64_t shield = foe.shield_value + (drunk(foe) ? 10 : 0);
    damage = shield < 88 ? nearest((100 - shield) / 100.0 * damage) : nearest(damage * 0.13);
    std::int32_t dealt = clamp_to<std::int32_t>(std::max<std::int64_t>(damage, 0));
    std::string line = "`9  You hit " + foe_name + " for `4" + int_to_str(dealt) + "`9 points of damage";
    if (const item_record* weapon = weapon_equipped_ptr(cur_inventory))
        line += " with your " + weapon->name.str() + ".";
    else
        line += ".";
    disp_line(line);
    const node_line blow(verb, int_to_str(dealt) + " " + own_number());
    std::int16_t left = clamp_to<std::int16_t>(std::int64_t(foe.hit_points) - dealt);
    if (left >= 1) {
        send_to(foe_number, blow);
        foe.hit_points = left;
        return;
    }
    // The spoils' write refreshes the list: foe may be gone from it afterwards.
    std::int32_t gain = 0, gold = 0;
    if (!take_spoils(foe_number, blow, gain, gold)) return queue_run_of(foe_number, chat);
    win_over(foe_name, foe_number, gain, gold, chat);
}

bool can_be_attacked(const character_record& c) {
    return &c != cur_char && !c.dead && !c.sleeping_inn && !c.sleeping_guild;
}

// The challenge, made under the hold on a fresh read: the target on line in the town square,
// this side's location written and the COMBAT sent before another node's challenge can look.
// Of two who attack each other at once the first to take the hold attacks; the other finds
// its target engaged, with the challenge to it waiting in its queue, which its menu then
// takes up as the defender.
void attack_online(std::int16_t number, const std::string& name) {
    enum class outcome { sent, engaged, not_found } o = outcome::not_found;
    {
        hold_guard hold;
        refresh_char_file();
        const character_record* t = char_num_ptr(number);
        if (t && character_on_line(*t) && t->location.view() == square_location) {
            me().location = fight_location;
            write_char_file(false);
            send_to(number, {combat, own_number() + " " + own_proper_name()});
            o = outcome::sent;
        } else if (t && challenged_by(number)) {
            o = outcome::engaged;
        }
    }
    if (o == outcome::sent)
        online_fight_wait(name);
    else if (o == outcome::engaged)
        disp_line("`9  " + name + "`4 is already engaged in Online-Combat!");
    else
        disp_line("`9  You cannot find " + name);
}

// What the player sees of a player who is away: the weapon, armour and shield it uses. In a
// raided hall's quarters the sleeper is named; elsewhere the player scouts for the target.
void scout(const character_record& target, bool in_hall) {
    std::string he = upcase_first(subject_word(target.sex));
    std::string wielder = in_hall ? proper_name_of(target) : he;
    disp_line("");
    if (!in_hall) disp_line("`3  You scout around until you find " + std::string(object_word(target.sex)) + "`9.");
    inventory_list items;
    read_inventory(target.number, items);
    const item_record* weapon = weapon_equipped_ptr(items);
    const item_record* armour = armor_equipped_ptr(items);
    const item_record* shield = shield_equipped_ptr(items);
    disp_line("  `9" + wielder +
              (weapon ? " is wielding a `4" + weapon->name.str() + "`9." : " is not wielding anything`9"));
    disp_line("  `9" + wielder +
              (armour ? " is wearing `4" + armour->name.str() + "`9." : " is not wearing anything`9"));
    disp_line("  `9" + (in_hall ? std::string(subject_word(target.sex)) : he) +
              (shield ? " has a `4" + shield->name.str() + "`9 strapped to " +
                            std::string(possessive_word(target.sex)) + " arm."
                      : " is not using a shield"));
    del_inv(items);
}

// May still be fought, on the fresh read just before the fight: a sleeper of the raided
// guild in its hall, or (no raid) anyone away who is not asleep or dead.
bool still_fair_game(const character_record& c, std::int16_t raided_guild) {
    if (character_on_line(c) || c.dead || c.sleeping_inn) return false;
    if (raided_guild != 0) return c.sleeping_guild && c.guild == raided_guild;
    return can_be_attacked(c);
}
}  // namespace

const character_record* ask_attack_target() {
    disp_line("");
    disp_text("  `9Who do you wish to attack : `%");
    std::string part = read_line();
    const character_record* chosen = part.empty() ? nullptr : char_name_ptr(part);
    std::string name = chosen ? chosen->name.str() : "";
    refresh_char_file();
    const character_record* target = name.empty() ? nullptr : char_full_name_ptr(name);
    if (!target) {
        disp_line("");
        disp_line("  `3Sorry, there isn't anyone here with that name.");
    }
    return target;
}

void refuse_attack() {
    disp_line("");
    disp_line("`3  Sorry, you cannot attack that player.");
}

bool attack_away_player(const character_record& found, std::int16_t raided_guild) {
    std::string name = found.name.str();
    std::string target_name = proper_name_of(found);
    scout(found, raided_guild != 0);
    bool same_master = alias_index(found.name.view()) == alias_index(me().name.view());
    bool same_guild = found.guild != 0 && found.guild == me().guild;
    if (same_master) disp_line("`@`b  Warning : " + target_name + " is a student of your master also.");
    if (same_guild && raided_guild == 0) disp_line("`@`b  Warning : " + target_name + " is in the same guild!");
    if (ask_key({}, "`9  Attack " + target_name + "? (`3Y`9/`3N`9) [`%Y`9] :`% ", 'Y', "YN") == 'N') return false;
    disp_line("");
    if (me().level > found.level + pfight_level_difference) {
        disp_line("`9  That character is too low of a level for you to attack.");
        return false;
    }
    // It may have come on line, died, woken or gone elsewhere while the player looked.
    refresh_char_file();
    const character_record* target = char_full_name_ptr(name);
    if (!target || target == cur_char || !still_fair_game(*target, raided_guild)) {
        refuse_attack();
        return false;
    }
    if (same_master) {
        me().status_bits |= status_shamed_master;
        add_shm(me(), 3);
    }
    if (same_guild) add_shm(me(), 5);
    add_player_fights(me(), -1);
    character_record foe = *target;
    return do_combat(foe);
}

namespace {
// A: true when the menu is done.
bool attack_player() {
    if (me().player_fights_left < 1) {
        disp_line("");
        disp_line("`3  You don't have any player fights left.");
        return false;
    }
    const character_record* target = ask_attack_target();
    if (!target) return false;
    if (!can_be_attacked(*target)) {
        refuse_attack();
        return false;
    }
    if (!character_on_line(*target)) return attack_away_player(*target, 0);
    disp_line("");
    attack_online(target->number, proper_name_of(*target));
    return false;
}
}  // namespace

bool opponent_gone(std::int16_t foe_number, bool chat) {
    node_verb verb = run_verb(chat);
    std::string waiting = take_node_msg_if([&](std::string_view line) {
        return find_node_verb(upcase_str(word_at(line, 1))) == verb && str_to_int(word_at(line, 3)) == foe_number
                   ? queue_pick::look
                   : queue_pick::pass;
    });
    if (!waiting.empty()) return true;
    const character_record* foe = char_num_ptr(foe_number);
    if (foe && character_on_line(*foe)) return false;
    fall_if_killed();
    queue_run_of(foe_number, chat);
    return true;
}

fight_line parse_fight_line(std::string_view line) {
    fight_line f;
    f.verb = find_node_verb(upcase_str(word_at(line, 1)));
    f.amount = str_to_int(word_at(line, 2));
    if (!f.verb) return f;
    if (names_in_word2(*f.verb))
        f.names = f.amount;
    else if (names_in_word3(*f.verb))
        f.names = str_to_int(word_at(line, 3));
    return f;
}

std::int64_t player_hit_chance(const character_record& mine, const character_record& foe) {
    std::int64_t chance = 80 + std::int64_t(mine.attack) - foe.defense;
    if (drunk(mine)) chance = nearest(chance * 0.8);
    return std::max<std::int64_t>(chance, 10);
}

void online_fight_round(std::string_view opponent_name, bool chat) {
    if (!cur_char) return;
    write_char_file(true);
    const character_record* found = char_full_name_ptr(opponent_name);
    if (!found) return;
    std::int16_t foe_number = found->number;
    std::int64_t chance = player_hit_chance(me(), *found);
    for (;;) {
        character_record* foe = char_num_ptr(foe_number);
        if (!foe) return;
        show_round_screen(*foe);
        char k = read_key();
        if (k == '\r' || k == '\n' || k == 0) k = 'A';
        k = upcase_key(k);
        echo_key(k);
        if (k == 'V') {
            display_stats();
            continue;
        }
        if (k != 'A' && k != 'R') continue;
        if (opponent_left(foe_number, chat)) return;
        foe = char_num_ptr(foe_number);
        if (k == 'R')
            run_from(*foe, chat);
        else
            strike(*foe, chance, chat);
        return;
    }
}

void player_fight_menu() {
    if (!cur_char) return;
    debug_enter("Entering player_fight_menu");
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, fight_section, menu, keys);
    show_menu_text(menu);
    menu_loop m;
    m.title = "`9   Attack Another Player`%:";
    m.keys = keys;
    m.level = sub_location;
    m.common_keys = "VR";
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case '?': dispdesc(menu); break;
        case 'D': display_non_inn(); break;
        case 'A': return !attack_player();
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(menu);
    debug_leave("Leaving player_fight_menu");
}
