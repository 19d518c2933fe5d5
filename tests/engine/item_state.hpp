// A clean item layer for one test: the text layer's clean state, the item hooks installed,
// an empty cur_inventory, a playing character, and a script runner that records each run
// (and may act, as a script would).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/items_init.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/play_hooks.hpp"
#include "golden.hpp"
#include "support/child.hpp"
#include "text_state.hpp"

struct script_recorder {
    static std::vector<std::string>& runs() {
        static std::vector<std::string> r;
        return r;
    }
    // What the script does while it runs (drop an item, change the inventory ...).
    static std::function<void(std::string_view file, std::string_view params)>& action() {
        static std::function<void(std::string_view, std::string_view)> a;
        return a;
    }
    static void run(std::string_view file, std::string_view params) {
        runs().push_back(std::string(file) + " " + std::string(params));
        if (action()) action()(file, params);
    }
    static void reset() {
        runs().clear();
        action() = nullptr;
    }
};

inline void reset_item_globals() {
    cur_inventory.clear();
    script_recorder::reset();
    set_run_script_hook(nullptr);
    set_add_news_hook(nullptr);
    set_menu_poll_hook(nullptr);
    set_do_inv_hook(nullptr);
    reset_text_globals();
}

struct item_state : text_state {
    item_state() {
        reset_item_globals();
        engine_items_init();
        set_run_script_hook(script_recorder::run);
        graphics_mode = 1;  // plain text: what the caller reads, without colour sequences
    }
    ~item_state() override { reset_item_globals(); }

    // A playing character of the level, in char_list and in "players.dat".
    character_record& player(std::int16_t level = 1, std::int16_t number = 1) {
        character_record& c = play_as("Hero", 1, number);
        c.level = level;
        c.attack = 10;
        c.defense = 6;
        c.shield_value = 2;
        write_char_file(false);
        return c;
    }
    // Another node (the sysop's editor) changes the playing character on file under the hold;
    // this node's copy stays as it was.
    static void edit_on_file(void (*change)(character_record&)) {
        child_result r = run_in_child([change] {
            cur_char = nullptr;
            update_under_hold([change] { change(*char_num_ptr(1)); });
        });
        EXPECT_EQ(r.code, 0);
    }
    static item_record item(const std::string& name, std::int16_t position = pos_other, std::int16_t power = 0) {
        item_record i;
        i.name = name;
        i.position = position;
        i.power = power;
        i.max_power = power;
        i.required_level = 1;
        return i;
    }
    // The names of an inventory file's records in file order.
    static std::vector<std::string> file_items(std::int16_t number = 1) {
        std::vector<item_record> recs;
        std::string name = inventory_file_name(number);
        if (file_present(name)) parse_records(read_file(name), recs);
        std::vector<std::string> names;
        for (const auto& r : recs) names.push_back(r.name.str());
        return names;
    }
    static std::vector<std::string> list_names(const inventory_list& l = cur_inventory) {
        std::vector<std::string> names;
        for (const auto& i : l) names.push_back(i.name.str());
        return names;
    }
};

// The inventory tests' fixture: items given with a registry number, scripted items.
struct items_fixture : item_state {
    using strings = std::vector<std::string>;
    // Registers the item so that its script has a number, and gives it to the player.
    item_record* give(item_record i) {
        register_item(i);
        return add_to_inv_NW(cur_inventory, i);
    }
    // Out of line: inlined into a test, the compiler misreads the short string's copy.
    [[gnu::noinline]] static item_record scripted(const std::string& name, std::int32_t events,
                                                  std::int16_t charges = 0, std::int32_t flags = 0) {
        item_record i = item(name);
        i.script_id = name.substr(0, 4) + "-01011998-AB-N";
        i.script_events = events;
        i.charges = charges;
        i.flags = flags;
        return i;
    }
    static strings runs() { return script_recorder::runs(); }
    // The menu text of the inventory menu.
    static void menu_text() { write_file("quortext.dat", "@#item_menu\nRIEUDLV\n  (menu text)\n@#\n"); }
};

// An item_record image written by hand at its documented offsets.
inline golden item_image(const std::string& name, int power, int max_power, std::int64_t cost, int charges,
                         int position, int level, std::int64_t flags, int identified, int equipped, std::int64_t events,
                         const std::string& script_id) {
    golden g(70);
    g.str(0, name).i16(21, power).i16(23, max_power).i32(25, cost).i16(29, charges).i16(31, position);
    g.i16(33, level).i32(35, flags).u8(39, identified).u8(40, equipped).i32(41, events).str(45, script_id);
    return g;
}

// A registry_record image: name, ScriptID, number and the item image at 46.
inline std::string registry_image(const std::string& name, const std::string& script_id, std::int64_t number,
                                  const std::string& item) {
    golden g(116);
    g.str(0, name).str(21, script_id).i32(42, number).raw(46, item);
    return g.b;
}
