// A clean fight for one test: the item layer's clean state (a plain-text caller, output
// captured, a script runner that records each run), a new game's statistics, the fight's
// hooks installed, today's news kept in "news.txt" of the game directory (so that a child
// process that died still leaves it behind), and helpers for the dice.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/item_state.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/script/creature_hooks.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/text/flags.hpp"
#include "game/combat.hpp"
#include "game/skills.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

// The text stands somewhere on the screen; the screen is shown when it does not.
inline ::testing::AssertionResult shows(const std::string& screen, const std::string& text) {
    if (screen.find(text) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "missing:\n" << text << "\nin:\n" << screen;
}

inline void record_news_to_file(const text_list& lines) {
    std::ofstream f("news.txt", std::ios::app);
    for (const auto& l : lines) f << l.view() << "\n";
}

struct combat_state : item_state {
    combat_state() {
        create_stat_file(game_stats);
        set_default_tunables();
        // The creatures as the engine's install puts them, then the fights.
        engine_creatures_init();
        game_combat_init();
        set_add_news_hook(record_news_to_file);
    }
    ~combat_state() override {
        reset_script_hooks();
        set_default_tunables();
    }

    // The random real r as the generator's draw (random_real takes Random(2^30) / 2^30).
    static int real(double r) { return static_cast<int>(r * (1 << 30) + 0.5); }
    void rolls(std::initializer_list<int> r) { seam.rolls.assign(r.begin(), r.end()); }

    // The playing character of a fight: level 1, attack 10, defense 6, shield 2, 20 hit
    // points, luck 0, 100 gold, 1,000 experience, a Warrior; in "players.dat".
    character_record& fighter() {
        character_record& c = player(1);
        c.hit_points = 20;
        c.max_hit_points = 20;
        c.luck = 0;
        c.gold = 100;
        c.experience = 1000;
        c.class_bits = class_warrior;
        c.location = "fForest of Wolves";
        write_char_file(false);
        return c;
    }

    // A creature as the fight sees it (mob_to_char with luck 0).
    static monster_record creature(const std::string& name = "Grey Wolf", int attack = 5, int defense = 3,
                                   int shield = 1, int hp = 10, int gold = 50, int exp = 20, int level = 1) {
        monster_record m;
        m.name = name;
        m.level = static_cast<std::int16_t>(level);
        m.attack = static_cast<std::int16_t>(attack);
        m.defense = static_cast<std::int16_t>(defense);
        m.shield_value = static_cast<std::int16_t>(shield);
        m.hit_points = static_cast<std::int16_t>(hp);
        m.weapon = "Claws";
        m.armour = "Fur";
        m.gold = gold;
        m.experience = exp;
        return m;
    }
    character_record opponent_of(const monster_record& m) {
        rolls({5});  // luck 0
        return *mob_to_char(&m);
    }

    static std::vector<std::string> news() {
        std::vector<std::string> lines;
        std::ifstream f("news.txt");
        for (std::string l; std::getline(f, l);) lines.push_back(l);
        return lines;
    }
    static character_record saved(std::int16_t number) {
        for (const auto& c : file_chars())
            if (c.number == number) return c;
        return character_record{};
    }
};
