// A clean interpreter for one test: the text layer of text_state, an ASCII caller (no ANSI
// sequences, so screens compare as plain text), the tunables at their defaults, and every
// script hook replaced by a fake that records what the script asked of the game.
//
// The fake game-bound commands carry out WRITELN and WRITE (the quoted text, variables
// expanded, shown) and keep a copy of the variables at every call, so a script shows its
// variables to the test with a DISPLAYSTATS line.
#pragma once
#include <csignal>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/script/script.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "support/input_feed.hpp"
#include "text_state.hpp"

// A creature of the fakes. The interpreter only passes creatures through, so the fakes hand
// it their own records under the opaque types and take them back.
struct fake_mob {
    std::string name;
    std::int16_t level = 1;
    std::int32_t experience = 0;
    std::int32_t verification = 0;
};
struct fake_creatures {
    std::string file;
    std::vector<fake_mob> mobs;
};
inline monster_record* as_monster(fake_mob* m) { return reinterpret_cast<monster_record*>(m); }
inline const fake_mob& as_fake(const monster_record& m) { return *reinterpret_cast<const fake_mob*>(&m); }
inline fake_creatures& as_fake(script_creature_list& l) { return *reinterpret_cast<fake_creatures*>(&l); }
inline const fake_creatures& as_fake(const script_creature_list& l) {
    return *reinterpret_cast<const fake_creatures*>(&l);
}

// What the fakes saw and what they answer.
struct fake_game {
    std::vector<std::string> calls;       // "KEYWORD rest" of every hook call, in order
    script_vars vars;                     // the variables at the last game-bound command
    std::vector<std::string> call_files;  // file argument of every game-bound command
    std::vector<std::string> call_names;  // script name of every game-bound command
    bool flag_command_error = false;      // the game-bound commands report an error
    // creatures
    std::vector<fake_mob> creature_file_mobs;
    fake_mob internal_mob;
    bool has_internal_mob = false;
    bool win = true;
    std::string opponent_seen;  // name of `opponent` while the fight ran
    // items
    std::optional<item_record> item;
    std::int32_t registry_number = -1;
    std::vector<std::string> registered;
    inventory_list inventory;
    bool has_inventory = true;
    // queue and events
    int messages_waiting = 0;
    int random_event_results = 0;  // this many checks report that a script ran
    input_feed* keys = nullptr;
    std::string key_after_poll;  // sent by the first queue or event check
    int polls = 0;
    // places
    std::string location_during_place = "fSomewhere Else";
    void (*on_healer)() = nullptr;
};
inline fake_game& fake() {
    static fake_game g;
    return g;
}

inline void install_fake_script_hooks() {
    fake() = fake_game{};
    set_exec_flag_command_hook([](std::string_view kw, std::string_view rest, const std::string& file, std::string_view,
                                  std::string_view name, int, script_vars& vars) {
        std::string k = upcase_str(kw);
        fake().calls.push_back(k + " " + std::string(rest));
        fake().call_files.push_back(file);
        fake().call_names.emplace_back(name);
        fake().vars = vars;
        if (k == "WRITELN" || k == "WRITE") {
            std::string text(rest);
            unquote(text);
            expand_vars(text, vars);
            if (k == "WRITELN")
                disp_line(text);
            else
                disp_text(text);
        }
        return fake().flag_command_error;
    });
    set_read_creature_file_hook([](const std::string& file) {
        fake().calls.push_back("CREATUREFILE " + file);
        auto list = std::make_shared<fake_creatures>(fake_creatures{file, fake().creature_file_mobs});
        return script_creatures(list, reinterpret_cast<script_creature_list*>(list.get()));
    });
    set_creature_rows_hook([](const script_creature_list& l) {
        std::vector<creature_row> rows;
        for (const fake_mob& m : as_fake(l).mobs) rows.push_back({m.level, m.name, m.experience, m.verification});
        return rows;
    });
    set_random_creature_hook([](script_creature_list& l, std::int16_t level) -> monster_record* {
        for (fake_mob& m : as_fake(l).mobs)
            if (m.level == level) return as_monster(&m);
        return nullptr;
    });
    set_read_internal_monster_hook([](const std::string& file, std::int32_t n, script_vars&) {
        fake().calls.push_back("MONSTER " + file + " " + std::to_string(n));
        if (!fake().has_internal_mob) return std::shared_ptr<monster_record>();
        auto mob = std::make_shared<fake_mob>(fake().internal_mob);
        return std::shared_ptr<monster_record>(mob, as_monster(mob.get()));
    });
    set_mob_to_char_hook([](const monster_record& m) {
        auto c = std::make_unique<character_record>();
        c->name = as_fake(m).name;
        c->real_name = "MOB";
        return c;
    });
    set_do_combat_hook([](character_record& foe) {
        fake().calls.push_back("FIGHT " + foe.name.str());
        fake().opponent_seen = opponent ? opponent->name.str() : "";
        return fake().win;
    });
    set_random_encounter_hook([](std::int16_t kind) {
        fake().calls.push_back("ENCOUNTER " + std::to_string(kind));
        if (cur_char) cur_char->location = fake().location_during_place;
    });
    set_do_healers_hook([] {
        fake().calls.push_back("HEALERS");
        if (cur_char) cur_char->location = fake().location_during_place;
        if (fake().on_healer) fake().on_healer();
    });
    set_do_inv_hook([] {
        fake().calls.push_back("INVENTORY");
        if (cur_char) cur_char->location = fake().location_during_place;
    });
    set_display_game_settings_hook([] { fake().calls.push_back("SETTINGS"); });
    set_read_internal_item_hook([](const std::string& file, std::int32_t n, script_vars&) {
        fake().calls.push_back("ITEMDEF " + file + " " + std::to_string(n));
        return fake().item;
    });
    set_register_item_hook([](const item_record& item) { fake().registered.push_back(item.name.str()); });
    set_get_item_script_num_hook([](const item_record&) { return fake().registry_number; });
    set_current_inventory_hook([]() -> inventory_list* { return fake().has_inventory ? &fake().inventory : nullptr; });
    set_node_msg_waiting_hook([] {
        ++fake().polls;
        return fake().messages_waiting > 0;
    });
    set_check_node_messages_hook([](std::int16_t guild) {
        fake().calls.push_back("MESSAGE " + std::to_string(guild));
        --fake().messages_waiting;
        if (fake().keys && !fake().key_after_poll.empty()) fake().keys->send(std::exchange(fake().key_after_poll, ""));
        return std::string("IGNORED");
    });
    set_check_for_random_event_hook([] {
        fake().calls.push_back("EVENTS");
        if (fake().keys && !fake().key_after_poll.empty()) fake().keys->send(std::exchange(fake().key_after_poll, ""));
        if (fake().random_event_results > 0) {
            --fake().random_event_results;
            return true;
        }
        return false;
    });
}

struct script_state : text_state {
    script_state() {
        graphics_mode = 1;
        set_default_tunables();
        install_fake_script_hooks();
        // A script that waits for a key the test forgot would wait for ever: fail instead.
        ::alarm(60);
    }
    ~script_state() {
        ::alarm(0);
        reset_script_hooks();
        set_default_tunables();
    }

    // Writes the script as test.scr and runs it with the keys typed ahead; the screen.
    std::string run(const std::string& script, const std::string& keys = "", const std::string& params = "",
                    const std::string& name = "test.scr") {
        write_file("test.scr", script);
        input_feed feed(keys);
        fake().keys = &feed;
        execute_script("test.scr", params, name);
        fake().keys = nullptr;
        return out.take();
    }
    std::string var(int n) const { return std::string(fake().vars.get(n)); }
};

// A script file from its lines, each ended by LF.
inline std::string lines(std::initializer_list<std::string> l) {
    std::string s;
    for (const auto& x : l) s += x + "\n";
    return s;
}

// What script_error shows for an ASCII caller.
inline std::string error_screen(const std::string& file, const std::string& section, int line,
                                const std::string& what) {
    return "\r\n  Script Error : " + file + " Section : " + section + "    Line : " + std::to_string(line) + "\r\n  " +
           what + "\r\n      [ Hit any key ]";
}
