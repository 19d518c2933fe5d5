// A clean town for one test: the item layer's clean state (a fresh game directory, a fake
// clock, an ASCII caller whose screen is captured), the caller "ANNA BERG" on node 1, the
// tunables at their defaults, a statistics record, and every place and service of the game
// replaced by a fake that records its call (and may act, as the real place would).
#pragma once
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "door/door.hpp"
#include "engine/item_state.hpp"
#include "engine/rules/screens.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/hooks.hpp"
#include "game/entry.hpp"
#include "game/game_init.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"
#include "game/new_char.hpp"
#include "game/town.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

using strings = std::vector<std::string>;

// What the fakes saw, and what they do when called.
struct town_fakes {
    strings calls;                                      // every place and service, in order
    std::map<std::string, std::function<void()>> acts;  // by call name, run when it is called
    int mail_waiting = 0;                               // this many mail checks find mail
    int messages_waiting = 0;                           // and this many queue checks
    int event_results = 0;                              // events that report a script ran
    bool thug_won = false;
    input_feed* keys = nullptr;
    std::string type_on;     // the call that types ...
    std::string keys_typed;  // ... these keys, once
};
inline town_fakes& fakes() {
    static town_fakes f;
    return f;
}
inline void fake_call(const std::string& name) {
    fakes().calls.push_back(name);
    if (fakes().keys && name == fakes().type_on) fakes().keys->send(std::exchange(fakes().keys_typed, ""));
    auto it = fakes().acts.find(name);
    if (it != fakes().acts.end() && it->second) it->second();
}

inline void install_town_fakes() {
    fakes() = town_fakes{};
    reset_game_hooks();
    game_hook_table& h = game_hooks;
    h.auto_maintenance = [] { fake_call("auto_maintenance"); };
    h.daily_maintenance = [] { fake_call("daily_maintenance"); };
    h.update_item_data = [] { fake_call("update_item_data"); };
    h.read_event_file = [] { fake_call("read_event_file"); };
    h.clear_in_event = [] { fake_call("clear_in_event"); };
    h.read_news = [](std::string_view day) { fake_call("news[" + std::string(day) + "]"); };
    h.post_announcement = [] { fake_call("post_announcement"); };
    h.mail_waiting = [] {
        fakes().calls.push_back("mail?");
        return fakes().mail_waiting > 0;
    };
    h.read_mail = [] {
        if (fakes().mail_waiting > 0) --fakes().mail_waiting;
        fake_call("read_mail");
    };
    h.send_mail = [](std::string_view to) { fake_call("send_mail[" + std::string(to) + "]"); };
    h.thug_fight = [](const monster_record& t) {
        fake_call("thug_fight " + t.name.str());
        return fakes().thug_won;
    };
    h.forest = [] { fake_call("forest"); };
    h.valley = [] { fake_call("valley"); };
    h.mountain = [] { fake_call("mountain"); };
    h.inn = [] { fake_call("inn"); };
    h.tavern = [] { fake_call("tavern"); };
    h.healers = [] { fake_call("healers"); };
    h.masters_house = [] { fake_call("masters_house"); };
    h.bank = [] { fake_call("bank"); };
    h.weapon_shop = [] { fake_call("weapon_shop"); };
    h.shield_shop = [] { fake_call("shield_shop"); };
    h.armour_shop = [] { fake_call("armour_shop"); };
    h.other_realms = [] { fake_call("other_realms"); };
    h.guild_area = [] { fake_call("guild_area"); };
    h.guild_hall = [] { fake_call("guild_hall"); };
    h.player_fight_menu = [] { fake_call("player_fight_menu"); };
    h.chat_room = [] { fake_call("chat_room"); };
    set_node_msg_waiting_hook([] {
        fakes().calls.push_back("queue?");
        return fakes().messages_waiting > 0;
    });
    set_check_node_messages_hook([](std::int16_t guild) {
        --fakes().messages_waiting;
        fake_call("check_node_messages " + std::to_string(guild));
        return std::string();
    });
    set_check_for_random_event_hook([] {
        fake_call("events");
        if (fakes().event_results > 0) {
            --fakes().event_results;
            return true;
        }
        return false;
    });
    set_node_message_hook([](const character_record& to, const node_line& m) {
        fake_call("send " + std::to_string(to.number) + " " + m.text());
    });
}

struct game_state : item_state {
    game_state() {
        // Pauses leave the clock alone, so date texts are the clock's.
        seam.advance_on_sleep = false;
        reset_script_hooks();
        game_init();
        install_town_fakes();
        set_default_tunables();
        sub_location = 0;
        user_first_name = "ANNA";
        user_last_name = "BERG";
        node_number = 1;
        seam.set_time(2026, 1, 15);
        create_stat_file(game_stats);
        game_stats.day = 7;
        write_stat_file();
        // A key wait the test forgot to feed would wait for ever: fail instead.
        ::alarm(60);
    }
    ~game_state() override {
        ::alarm(0);
        reset_game_hooks();
        reset_script_hooks();
        set_menu_poll_hook(nullptr);
        set_node_message_hook(nullptr);
        set_default_tunables();
        sub_location = 0;
        user_first_name = "";
        user_last_name = "";
        node_number = 0;
    }

    // The menu texts of the town, with key strings as the default data set has them.
    static void town_texts(const std::string& realm_keys = "FVMUCL") {
        write_file("quortext.dat",
                   "@#entermenu\nLER\n  (entry menu)\n"
                   "@#main\nEITGHFMPBWSANKYXLVCDOR.\n  (square menu)\n"
                   "@#realm_choice\n" +
                       realm_keys +
                       "\n  (realm menu)\n"
                       "@#item_menu\nLREUIDV\n  (item menu)\n@#\n");
    }
    // The caller's own character, in char_list and "players.dat", as the playing character.
    character_record& caller(std::int16_t number = 1, const std::string& name = "ANNA") {
        character_record c = make_char(number, name);
        c.real_name = "ANNA BERG";
        c.level = 1;
        c.hit_points = c.max_hit_points = 20;
        c.creature_fights_left = 10;
        c.last_day = game_stats.day;
        cur_char = add_char(c);
        write_char_file(false);
        return *cur_char;
    }
    static strings calls() { return fakes().calls; }
    // The calls without the poll checks' own look-ups.
    static strings places() {
        strings r;
        for (const auto& c : fakes().calls)
            if (c != "mail?" && c != "queue?") r.push_back(c);
        return r;
    }
};
