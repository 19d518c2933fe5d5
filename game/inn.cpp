#include "game/inn.hpp"

#include <string>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/healers.hpp"
#include "game/hooks.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"

namespace {
// G: the room at price p. Taking it ends the program.
void get_room(std::int32_t p) {
    disp_line("");
    disp_line("`9  Louis informs you :");
    disp_line("`%  \"A room will cost you `4" + int_to_str(p) + "`% gold coins.\"");
    disp_text("`9  Still Interested? (`3Y`9/`3N`9) [`%N`9] : `%");
    if (upcase_key(read_key()) != 'Y') {
        write_line("N");
        disp_line("`%  \"Very well then, now if you'll excuse me, I am very busy.\"");
        return;
    }
    write_line("Y");
    // Paid from the gold on file, and asleep in the same write.
    if (!pay_from_purse({p}, [] {
            me().sleeping_inn = 1;
            me().online = 0;
            return true;
        })) {
        disp_line("`%  \"And how exactly are you going to `4PAY`% for that?  Ahem...\"");
        return;
    }
    disp_lines({"", "`9  The innkeeper hands you a key, and points you toward the back",
                "  of the inn.  You find your room and get comfortable for the night."});
    end_prog(exit_normal);
}
}  // namespace

void inn() {
    if (!cur_char) return;
    debug_enter("Entering inn");
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, inn_section, menu, keys);
    std::int32_t p = price_for_level(me().level, game_stats.room_cost);
    me().location = inn_location;
    write_char_file(true);
    show_menu_text(menu);
    sub_location = 2;

    menu_loop m;
    m.title = "`9   Tall Tallow Inn`%:";
    m.keys = keys;
    m.level = 2;
    m.poll = menu_poll::queue_and_events;
    m.common_keys = "VFR";
    m.default_key = [] { return 'G'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': sub_location = 1; break;
        case '?': dispdesc(menu); break;
        case 'T':
            innkeeper();
            if (sub_location >= 2) show_menu_text(menu);
            break;
        case 'G': get_room(p); break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(menu);
    debug_leave("Leaving inn");
}

bool asleep_at_inn(const character_record& c) { return c.sleeping_inn == 1 && !character_on_line(c); }

std::optional<character_record> find_sleeping_guest(std::string_view name) {
    std::optional<character_record> guest;
    update_under_hold([&] {
        const character_record* c = char_full_name_ptr(name);
        if (c && asleep_at_inn(*c)) guest = *c;
    });
    return guest;
}

void game_inn_init() {
    game_hooks.inn = inn;
    game_hooks.healers = do_healers;
}
