// A clean game for one test of the queues and the mail: the item layer of item_state with an
// ASCII caller (screens compare as plain text), the tunables at their defaults, and the
// queue and mail hooks in place. Characters are added to char_list and written to
// "players.dat", as the other nodes would see them.
#pragma once
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/item_state.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/hooks.hpp"
#include "multi/fight_hooks.hpp"
#include "multi/multi_init.hpp"
#include "support/input_feed.hpp"

inline void reset_multi_hooks() {
    set_node_message_hook(nullptr);
    set_menu_poll_hook(nullptr);
    reset_script_hooks();
    reset_game_hooks();
    set_online_fight_wait_hook(nullptr);
    set_online_fight_round_hook(nullptr);
}

struct multi_state : item_state {
    multi_state() {
        graphics_mode = 1;
        set_default_tunables();
        install_multi();
        // A test that waits for a key it forgot to type would wait for ever: fail instead.
        ::alarm(120);
    }
    ~multi_state() {
        ::alarm(0);
        reset_multi_hooks();
        set_default_tunables();
    }

    // The playing character, number 1, a member of guild 5, in the town square.
    character_record& anna() {
        character_record& me = play_as("anna smith", 2, 1);
        me.level = 10;
        me.attack = 20;
        me.defense = 20;
        me.shield_value = 10;
        me.charm = 5;
        me.shame = 3;
        me.hit_points = 40;
        me.max_hit_points = 50;
        me.gold = 800;
        me.bank_gold = 1000;
        me.gems = 4;
        me.experience = 500;
        me.creature_fights_left = 10;
        me.player_fights_left = 3;
        me.guild = 5;
        me.location = "tTown Square";
        return me;
    }
    // A character of the list (not the playing one).
    character_record& other(std::int16_t number, const std::string& name, std::int16_t sex = 1) {
        character_record c = make_char(number, name);
        c.sex = sex;
        c.online = 1;
        return *add_char(c);
    }
    // The list as the other nodes see it.
    void save() {
        write_char_file(false);
        chars_loaded = true;
    }
};

// The lines of a text, split at LF (a last empty piece left out).
inline std::vector<std::string> file_lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// The screen of an ASCII caller: CR LF line ends made LF.
inline std::string plain(const std::string& out) {
    std::string s;
    for (char c : out)
        if (c != '\r') s += c;
    return s;
}
