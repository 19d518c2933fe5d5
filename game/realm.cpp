#include "game/realm.hpp"

#include <algorithm>
#include <memory>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/script/script.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/bank.hpp"
#include "game/hooks.hpp"
#include "game/inventory_menu.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

void status_line() {
    disp_line("");
    disp_line("`9   HP`%: `9(`%^CS10 `9/`% ^CS11`9)   Fights Left `%: ^CS26    `9Gold `%: &CS18     `9Gems `%: &CS20");
}

bool realm_key(const realm& r, char k, const creature_list& creatures, const text_list& menu) {
    if (r.own_key && r.own_key(k)) return true;
    switch (k) {
    case 'S': realm_search(r, creatures, menu); break;
    case 'D': tree_bank(r.branch_line); break;
    case 'L': sub_location = 1; break;
    case 'H':
        game_hooks.healers();
        show_menu_text(menu);
        break;
    case '?': dispdesc(menu); break;
    case 'Y': do_inv(); break;
    default: break;
    }
    return true;
}
}  // namespace

bool realm_event_script_ready() {
    return file_exists(realm_event_script) && read_file_number(realm_event_script) == realm_event_mark;
}

void fight_creature(const monster_record& mob, const text_list& menu) {
    // The fight is reached through the interpreter's hooks, as a script's fight is, so
    // that both meet the same fight.
    if (std::unique_ptr<character_record> foe = hook_mob_to_char(mob)) hook_do_combat(*foe);
    show_menu_text(menu);
    add_creature_fights(me(), -1);
}

void lose_some_hit_points(std::string_view tail) {
    std::int64_t h = std::min<std::int64_t>(round_half_even(random_real() * (std::int64_t(me().hit_points) - 1)), 100);
    if (h < 1) return;
    disp_line("`%  You lose `4" + int_to_str(h) + "`%" + std::string(tail));
    add_hit_points(me(), -h);
}

void gain_points(int most, std::string_view points, void (*raise)(character_record&, std::int64_t)) {
    int n = random_n(most) + 1;
    disp_line("`%  You gain `4" + int_to_str(n) + "`%" + std::string(points));
    raise(me(), n);
}

void realm_search(const realm& r, const creature_list& creatures, const text_list& menu) {
    if (me().creature_fights_left <= 0) {
        disp_line("");
        disp_line(r.empty_message);
        return;
    }
    const monster_record* mob = random_creature(me().level, creatures);
    int roll = random_n(100) + 1;
    if (mob && roll < me().luck + 20) {
        disp_line("`c`%                             Special Event:");
        disp_line(long_rule);
        r.special_event(random_n(r.events) + 1, menu);
    } else if (mob) {
        fight_creature(*mob, menu);
    } else {
        disp_line("");
        disp_line("`9  Nothing here seems to be at your level.");
    }
}

void tree_bank(std::string_view branch_line) {
    disp_lines({"", "  `3You wander over to a nearby tree, and while nobody is looking, pull a",
                std::string(branch_line), "  the panel and hear the whirring noise.  After a few seconds, you open the",
                "  panel and retrieve your money belt and receipt."});
    // On the merged record, under the hold: a transfer or the interest another node wrote to
    // the bank gold meanwhile is kept, and the deposit goes on top of it.
    deposit_gold(me().gold);
}

void run_realm(const realm& r) {
    if (!cur_char) return;
    debug_enter(std::string("Entering ") + r.name);
    creature_list creatures;
    read_creature_file(r.creature_file, creatures, false);
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, r.section, menu, keys);
    me().location = r.location;
    write_char_file(true);
    show_text_ansi(r.ansi_section);
    sub_location = 3;

    menu_loop m;
    m.title = r.title;
    m.keys = keys;
    m.level = 3;
    if (r.filter_key) m.filter_key = r.filter_key;
    m.common_keys = "FVR";
    // The inventory menu marks the player as in it; back in the realm, the realm again.
    m.each_turn = [&r] { me().location = r.location; };
    m.before_title = status_line;
    m.default_key = [] { return me().creature_fights_left > 0 ? 'S' : 'L'; };
    m.on_key = [&](char k) { return realm_key(r, k, creatures, menu); };
    run_menu_loop(m);

    deldesc(menu);
    del_creature_list(creatures);
    debug_leave(std::string("Leaving ") + r.name);
}
