// A clean text layer for one test: a fresh game directory, the engine's globals emptied, an
// ANSI caller in grey, no playing character, no opponent, every item hook at its default,
// and what the door kit sends captured.
#pragma once
#include <gtest/gtest.h>
#include <string>

#include "engine/text/colour.hpp"
#include "engine/text/item_hooks.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/text_file.hpp"
#include "engine_state.hpp"
#include "support/capture.hpp"

inline void reset_text_globals() {
    opponent = nullptr;
    cur_colour = 7;
    cur_back_colour = 0;
    set_current_inventory_hook(nullptr);
    set_read_inventory_hook(nullptr);
    set_equipped_item_hook(nullptr);
    set_charge_hook(nullptr);
    set_max_charge_hook(nullptr);
    set_is_mob_hook(nullptr);
}

struct text_state : ::testing::Test, engine_state {
    output_capture out;
    text_state() { reset_text_globals(); }
    ~text_state() { reset_text_globals(); }

    // Adds a character to char_list (in place of one of that number) and makes it the playing one.
    character_record& play_as(const std::string& name, std::int16_t sex = 1, std::int16_t number = 1) {
        character_record c = make_char(number, name);
        c.sex = sex;
        character_record* same = char_num_ptr(number);
        cur_char = same ? &(*same = c) : add_char(c);
        return *cur_char;
    }
};

// The lines of a text list, for comparisons.
inline std::vector<std::string> lines_of(const text_list& list) { return {list.begin(), list.end()}; }
