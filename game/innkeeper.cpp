#include <optional>
#include <string>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/combat.hpp"
#include "game/inn.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
// What each class makes of Louis: its menu once a guest is known, and how it gets his keys.
struct class_way {
    std::int16_t bit;
    const char* section;
    const char* line;
    int shame;
};
constexpr class_way class_ways[] = {
    {class_warrior, "innk_warr", "  `9You manage to knock Louis unconcious when he isn't looking.", 2},
    {class_mage, "innk_mage", "  `9Louis starts to wobble as you start your spell, and then he's under.", 1},
    {class_thief, "innk_thie", "  `9You snagged his keys when he wasn't looking.", 0},
    {class_healer, "innk_heal", "  `9Louis slumps to the floor.  He'll be out for a couple minutes.", 3},
    {class_ranger, "innk_rang", "  `9You instruct your pet on what to do, and in a minute, you have the keys.", 1},
};

// One talk with Louis: its menu (and key string), and the guest the last answer named.
struct visit {
    text_list menu;
    menu_loop loop;
    bool guest_found = false;
    character_record guest;
};

// The first guest of the talk: the menu of the player's first class (a Paladin keeps his).
void class_menu(visit& v) {
    for (const class_way& w : class_ways) {
        if ((me().class_bits & w.bit) == 0) continue;
        std::string keys;
        deldesc(v.menu);
        read_text_section(text_file_name, w.section, v.menu, keys);
        v.loop.keys = keys;
        return;
    }
}

// I: a friend asked for by name.
void ask_for_friend(visit& v) {
    disp_line("`%  \"I am sure you do, and what might this friends name be?\"");
    disp_text("  `9: `3");
    std::string name = read_line();
    disp_line("");
    if (name.empty()) {
        disp_line("  `%\"Harumph... That is exactly what I thought.\"");
        return;
    }
    const character_record* c = char_full_name_ptr(name);
    if (!c || !asleep_at_inn(*c)) {
        disp_line("  `%\"No, there is noone staying here by that name.\"");
        return;
    }
    v.guest = *c;
    std::string proper = proper_case(c->name.view());
    disp_line("  `%\"Why yes, we do have a " + proper + " staying here\"");
    disp_line("  `9With that, Louis shows you his list to show you that " + proper);
    disp_line("  `9is staying in room number " + int_to_str(c->number));
    if (!v.guest_found) class_menu(v);
    v.guest_found = true;
}

// The guards show the player out to the street.
void thrown_out() {
    disp_lines({"  \"Oh no you don't!\"", "  `%\"Guards, Please escort our friend here to the `4STREET`%",
                "  You are not getting anywhere you filth you.\""});
    sub_location = 1;
    hit_any_key();
}

// X: into the guest's room.
void break_in(const visit& v) {
    if (!v.guest_found || class_bit_set(me(), 'P')) return;
    if (has_status_bit(me(), status_thwarted)) {
        disp_line("");
        thrown_out();
        return;
    }
    randomize();
    delay_ms(random_n(30));
    randomize();
    std::int64_t roll = random_n(100) + 1 + std::int64_t(me().luck) + round_half_even((me().level - 10) * 1.5);
    if (clamp_to<std::int16_t>(roll) < 50) {
        me().status_bits |= status_thwarted;
        thrown_out();
        return;
    }
    disp_line("");
    std::int64_t shame = me().shame;
    for (const class_way& w : class_ways) {
        if ((me().class_bits & w.bit) == 0) continue;
        disp_line(w.line);
        shame += w.shame;
    }
    me().shame = clamp_to<std::int16_t>(shame);
    // The guest may have woken, logged in or been deleted meanwhile: the room is checked
    // afresh, and the fight runs on a copy once the hold is free again.
    std::optional<character_record> guest = find_sleeping_guest(v.guest.name.view());
    disp_line("  `9You find room number `4" + int_to_str(guest ? guest->number : v.guest.number));
    if (guest) {
        disp_text("  `9You quickly unlock the door and find " + proper_case(guest->name.view()) + " waiting for you.");
        do_combat(*guest);
    } else {
        disp_line("  `9You quickly unlock the door, but the room is empty.");
    }
    sub_location = 1;
    disp_line("");
    disp_line("`3  You think it would be best if you left now.");
    hit_any_key();
}

bool innkeeper_key(visit& v, char k) {
    switch (k) {
    case '?': dispdesc(v.menu); break;
    case 'L': sub_location = 2; break;
    case 'R':
        disp_lines(
            {"", "`9  Louis says to you :", "`%  \"The rooms here at the Tall Tallow Inn are the finest in this part",
             "`%  of the country.  They are kept clean, they are secure, and no-one",
             "`%  will bother you if you do not want to be bothered.\""});
        break;
    case 'B':
        disp_lines({"", "  `%\"What kind of establishment do you think I run here anyway?",
                    "  You want I should have to call the sentry in here to have you locked up?\""});
        break;
    case 'I': ask_for_friend(v); break;
    case 'X': break_in(v); break;
    default: break;
    }
    return true;
}
}  // namespace

void innkeeper() {
    if (!cur_char) return;
    debug_enter("Entering innkeeper");
    visit v;
    std::string keys;
    read_text_section(text_file_name, innkeeper_section, v.menu, keys);
    show_menu_text(v.menu);
    sub_location = 3;
    v.loop.title = "`9   Conversing with Louis`%:";
    v.loop.keys = keys;
    v.loop.level = 3;
    v.loop.poll = menu_poll::queue_and_events;
    v.loop.common_keys = "V";
    v.loop.default_key = [] { return 'L'; };
    v.loop.on_key = [&v](char k) { return innkeeper_key(v, k); };
    run_menu_loop(v.loop);
    deldesc(v.menu);
    debug_leave("Leaving innkeeper");
}
