#include "game/town.hpp"

#include <memory>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"
#include "engine/text/text_file.hpp"
#include "game/inventory_menu.hpp"
#include "game/menu.hpp"

namespace {
constexpr const char* town_location = "tTown Square";

// The square's menu text and what runs after a place returns.
struct square {
    text_list menu;

    // Full: the menu, the location back, the character saved for the other nodes.
    void full() const {
        show_menu_text(menu);
        cur_char->location = town_location;
        write_char_file(true);
    }
    // Guarded: the full tail, unless the place sent the player further (out of the square).
    void guarded() const {
        if (sub_location == 1) full();
    }
    void menu_only() const {
        if (sub_location == 1) show_menu_text(menu);
    }
};

void leave_game() {
    disp_text("  `9Leave game, are you sure? (`3Y`9/`3N`9) [`%N`9] :`%");
    if (upcase_key(read_key()) == 'Y') {
        disp_line("`%Yes.");
        sub_location = 0;
    } else {
        disp_line("`%No.");
    }
}

void toggle_expert_mode() {
    disp_line("");
    disp_line(own_status_bit2() ? "`9  Expert mode `4OFF`9." : "`9  Expert mode `4ON`9.");
    toggle_status_bit(*cur_char, status_expert);
}

void list_characters() {
    for (const character_record& c : char_list)
        disp_line("`2  " + pad_right(proper_case(c.name.view()), 24) + "`0" + pad_left(int_to_str(c.number), 3) + "  " +
                  int_to_str(c.class_bits));
}

void tell_others_we_arrived() {
    const node_line message(node_verb::enterrealm, int_to_str(cur_char->number));
    const on_line_now on_line;
    for (const character_record& c : char_list)
        if (c.name.view() != cur_char->name.view() && on_line(c)) hook_send_node_message(c, message);
}

bool square_key(const square& sq, char k) {
    switch (k) {
    // One line a key, read as the square's table.
    // clang-format off
    case 'E': choose_realm(); sq.full(); break;
    case 'I': game_hooks.inn(); sq.full(); break;
    case 'T': game_hooks.tavern(); sq.full(); break;
    case 'G': game_hooks.guild_area(); sq.guarded(); break;
    case 'H': game_hooks.healers(); sq.menu_only(); break;
    case 'M': game_hooks.masters_house(); sq.guarded(); break;
    case 'P': game_hooks.player_fight_menu(); sq.guarded(); break;
    case 'B': game_hooks.bank(); sq.guarded(); break;
    case 'W': game_hooks.weapon_shop(); sq.guarded(); break;
    case 'S': game_hooks.shield_shop(); sq.guarded(); break;
    case 'A': game_hooks.armour_shop(); sq.guarded(); break;
    case 'N': game_hooks.read_news(""); sq.menu_only(); break;
    case 'K': game_hooks.post_announcement(); sq.guarded(); break;
    case 'Y':
        do_inv();
        sq.guarded();
        write_inventory(cur_char->number, cur_inventory);
        break;
    case 'X': toggle_expert_mode(); break;
    case 'L': leave_game(); break;
    case 'C': game_hooks.read_mail(); sq.guarded(); break;
    case 'D': game_hooks.send_mail(""); sq.guarded(); break;
    case 'O': game_hooks.other_realms(); sq.guarded(); break;
    case '.': game_hooks.chat_room(); sq.guarded(); break;
    case '?': dispdesc(sq.menu); break;
    case '-': list_characters(); break;
    case '=': display_game_settings(); break;
    case '*': hook_run_script("config.scr", ""); sq.guarded(); break;
    case '/': script_test(); break;
    default: break;
        // clang-format on
    }
    return true;
}
}  // namespace

void day_report() {
    display_stats();
    disp_line("");
    disp_line("");
    hit_any_key();
    game_hooks.read_news("0");
    if (game_hooks.mail_waiting()) {
        disp_line("");
        game_hooks.read_mail();
    }
}

void town_square(bool resume) {
    debug_enter("Entering town_square");
    game_hooks.clear_in_event();
    if (!resume) {
        day_report();
        tell_others_we_arrived();
    }
    if (file_exists("startup.scr")) hook_run_script("startup.scr", "");
    if (cur_char->location == "bTall Tallow Inn" && cur_char->sleeping_inn) {
        if (game_hooks.mail_waiting()) game_hooks.read_mail();
        cur_char->sleeping_inn = 0;
        game_hooks.inn();
    }
    if (cur_char->location == "hGuild Hall" && cur_char->sleeping_guild) {
        if (game_hooks.mail_waiting()) game_hooks.read_mail();
        cur_char->sleeping_guild = 0;
        game_hooks.guild_hall();
    }
    std::string queue = queue_file_name(cur_char->number);
    if (file_exists(queue)) erase_file(queue);

    square sq;
    std::string keys;
    read_text_section(text_file_name, "main", sq.menu, keys);
    show_menu_text(sq.menu);
    cur_char->location = town_location;
    write_char_file(true);
    sub_location = 1;

    menu_loop m;
    m.title = "`9   Central Square `%:";
    m.keys = keys;
    m.level = 1;
    m.poll = menu_poll::mail_queue_and_events;
    m.common_keys = "FVR";
    m.each_turn = [] { cur_char->location = town_location; };
    m.on_key = [&](char k) { return square_key(sq, k); };
    run_menu_loop(m);

    refresh_char_file();
    debug_leave("Leaving town_square");
}

monster_record build_thug(const character_record& c) {
    monster_record t;
    t.name = "hired thug";
    t.level = c.level;
    t.attack = c.attack;
    t.defense = c.defense;
    t.shield_value = c.shield_value;
    t.hit_points = c.max_hit_points;
    t.gold = clamp_to<std::int32_t>(1000 * std::int64_t(c.level) * c.level);
    double worth = double(std::int64_t(t.attack) + t.defense + round_half_even(t.shield_value / 3.0) +
                          2 * std::int64_t(t.hit_points)) *
                   game_stats.mob_exp_mult;
    t.experience = clamp_to<std::int32_t>(round_half_even(worth));
    t.weapon = "Blackjack";
    t.armour = "Padded Leather";
    t.death_text = "Wait, I'll tell you who did this... Urrrk...";
    return t;
}

char realm_default_key(const character_record& c, std::string_view keys) {
    if (c.creature_fights_left <= 0) return 'L';
    std::size_t n = 0;
    if (c.level > 5) n = 1;
    if (c.level > 10) n = 2;
    if (c.level > 15) n = 3;
    if (c.level > 20) n = 4;
    // A key string too short, or holding a control byte where the key should be, leaves L.
    char k = n < keys.size() ? upcase_key(keys[n]) : 'L';
    return (k > ' ' && k < 127) ? k : 'L';
}

int realm_key_number(std::string_view keys, char key) {
    key = upcase_key(key);
    for (std::size_t i = 0; i < 6 && i < keys.size(); ++i)
        if (upcase_key(keys[i]) == key) return static_cast<int>(i) + 1;
    return (keys.size() < 6 && key == 'L') ? 6 : 0;
}

void choose_realm() {
    debug_enter("Entering choose_realm");
    if (has_status_bit(*cur_char, status_hunted)) {
        monster_record thug = build_thug(*cur_char);
        disp_line("`9  On your way out of town, you notice a man coming up behind you.");
        disp_line("  You turn to see what he wants, but he draws his weapon on you instead.");
        bool won = game_hooks.thug_fight(thug);
        if (won && has_status_bit(*cur_char, status_hunted)) cur_char->status_bits &= ~status_hunted;
    }
    text_list text;
    std::string keys;
    read_text_section(text_file_name, "realm_choice", text, keys);
    show_menu_text(text);
    cur_char->location = "rEntering a Realm";
    sub_location = 2;

    menu_loop m;
    m.title = "`9   Enter Realm `%:";
    m.keys = keys;
    m.level = 2;
    m.poll = menu_poll::none;
    m.default_key = [&] { return realm_default_key(*cur_char, keys); };
    m.on_key = [&](char k) {
        switch (realm_key_number(keys, k)) {
        case 1: game_hooks.forest(); break;
        case 2: game_hooks.valley(); break;
        case 3: game_hooks.mountain(); break;
        case 4:
        case 5: disp_line("`9Sorry, that realm is under `4CONSTRUCTION`9."); break;
        case 6: sub_location = 1; break;
        default:
            if (k == '?') dispdesc(text);
            break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(text);
    debug_leave("Leaving choose_realm");
}

void script_test() {
    script_creatures creatures;
    if (file_exists("forest.dat")) creatures = hook_read_creature_file("forest.dat");
    std::unique_ptr<character_record> foe;
    if (creatures)
        if (monster_record* mob = hook_random_creature(*creatures, cur_char->level)) foe = hook_mob_to_char(*mob);
    opponent = foe.get();
    hook_run_script("script.scr", "");
    foe.reset();
    opponent = nullptr;
    disp_line("Disposing makes NIL");
    creatures.reset();
}
