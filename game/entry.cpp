#include "game/entry.hpp"

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/screens.hpp"
#include "engine/rules/shop_step.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "game/caller.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"
#include "game/new_char.hpp"
#include "game/other_realms.hpp"
#include "game/town.hpp"

std::string handoff_file_name() { return node_handoff_file(node_number); }

bool handoff_matches(const character_record* c) {
    if (!c || !file_exists(handoff_file_name())) return false;
    node_handoff back;
    return read_node_file(node_number, back) && upcase_str(back.name) == upcase_str(c->name.view());
}

void title_screen() {
    disp_line("");
    disp_line("");
    disp_line("   `9T`1he `9Q`1uorvath");
    disp_line("");
    disp_text("   `9Graphics Mode : ");
    if (graphics_mode == 1)
        disp_line("`%ASCII");
    else if (graphics_mode == 3)
        disp_line("`2A`4N`5S`$I");
    disp_line("   `9Version     : `$1.10");
    disp_line("   `9Active on   : `#Node " + int_to_str(node_number));
    disp_line("");
    disp_line("   `9Game was Started               : `%" + game_stats.started_text.str());
    disp_line("   `9Days actually played           : `%" + int_to_str(game_stats.day));
    disp_line("   `9Number of characters in game   : `%" + int_to_str(char_count));
    disp_line("   `9Inactive days before deletion  : `%" + int_to_str(game_stats.grace_days));
    disp_line(separator_line());
}

void new_day_reset(character_record& c) {
    debug_enter("Entering new_day_reset");
    std::string flags = flag_file_name(c.number);
    if (c.dead) {
        expire_flags(flags, flags_section_name, flag_class_death);
        c.hit_points = c.max_hit_points;
    }
    expire_flags(flags, flags_section_name, flag_class_daily);
    c.dead = 0;
    c.last_day = game_stats.day;
    c.creature_fights_left = game_stats.creature_fights;
    c.player_fights_left = game_stats.player_fights;
    c.transfers_today = 0;
    c.sleeping_inn = 0;
    c.sleeping_guild = 0;
    c.skill_uses_left = c.skill_uses_per_day;
    c.status_bits &= ~new_day_status_mask;
    debug_leave("Leaving new_day_reset");
}

void killed_today() {
    disp_line("");
    disp_line("`%  You were `4KILLED`%.");
    disp_line("`9  You will not be allowed to play until tomorrow.");
    hit_any_key();
    day_report();
    // Merged and written under one hold, so that nothing another node saves meanwhile is lost.
    if (cur_char) cur_char->online = 0;
    write_char_file(true);
    end_prog(exit_normal);
}

// One character plays on one node at a time: a second log-on of a character in play on a
// live node ends here, writing nothing.
void claim_character() {
    if (lock_character(cur_char->number)) return;
    disp_line("`9  That character is already playing on another node.");
    cur_char = nullptr;
    del_inv(cur_inventory);
    end_prog(exit_normal);
}

void enter_realm() {
    debug_enter("Entering enter_realm");
    // As loaded: what the sysop or another node writes from here on reaches this node's copy.
    cur_char = find_caller();
    set_own_base();
    read_stat_file(game_stats);
    if (game_stats.last_maint_date.view() < std::string_view(date_stamp())) {
        wait_for_hold();
        game_hooks.daily_maintenance();
        // The maintenance may have removed a character that stayed away too long.
        cur_char = find_caller();
        set_own_base();
    }
    if (!cur_char && !new_character()) {
        debug_leave("Leaving enter_realm");
        return;
    }
    claim_character();
    settle_step();
    cur_char->online = 1;
    cur_char->created_text = date_time_str();
    read_inventory(cur_char->number, cur_inventory);
    // The entry and, on a new game day, the day's reset in one write, decided on the merged
    // record. Killed before the write, the next entry finds the old day and resets again.
    bool on_today = true;
    update_under_hold([&on_today] {
        on_today = cur_char->last_day == game_stats.day;
        if (!on_today) new_day_reset(*cur_char);
    });
    if (on_today) {
        disp_line("`9  You have already been on today.");
        if (cur_char->dead) killed_today();
        disp_line("");
    }
    disp_text("`4[HIT ANY KEY]");
    read_key();
    town_square(false);
    debug_leave("Leaving enter_realm");
}

void enter_game() {
    debug_enter("Entering enter_game");
    cur_char = find_caller();
    set_own_base();
    std::string handoff = handoff_file_name();
    if (file_exists(handoff)) {
        // Back from an external module: resumed only when the file names this caller's
        // character; anything else is a leftover and the caller enters as usual.
        bool resume = handoff_matches(cur_char);
        erase_file(handoff);
        if (resume) {
            claim_character();
            settle_step();
            // The module's exit marked the character offline; back in the realm, other nodes
            // must see the player again.
            cur_char->online = 1;
            write_char_file(true);
            read_inventory(cur_char->number, cur_inventory);
            town_square(true);
            debug_leave("Leaving enter_game");
            return;
        }
    }
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, "entermenu", menu, keys);
    for (bool done = false; !done;) {
        dispdesc(menu);
        disp_line("");
        disp_text("`#Selection : `%");
        char k = upcase_key(read_key());
        echo_key(k);
        disp_line("");
        switch (k) {
        case 'L': done = true; break;
        case 'R': display_ranks(ranks_show); break;
        case 'E':
            enter_realm();
            done = true;
            break;
        default: disp_line("`9What was that sonny?  Speak more clearly this time!"); break;
        }
    }
    debug_leave("Leaving enter_game");
}

void main_body(int argc, char** argv) {
    install_exit_handler();
    program_title = "The Quorvath";
    del_char_list();
    del_guild_list();
    chars_loaded = false;
    del_inv(cur_inventory);
    door_set_args(argc, argv);
    if (argc == 2 && upcase_str(argv[1]) == "MAINT") {
        game_hooks.auto_maintenance();
        halt(exit_normal);
    }

    debug_mode = false;
    debug_log("FORCE:quillmarch initing");
    door_init("quorvath.dat");
    debug_log("FORCE:quillmarch inited");
    if (debug_mode) debug_log("FORCE:***FULL DEBUG MODE***");
    debug_log("User Name : " + user_first_name.str() + user_last_name.str());
    set_fore_colour(3);

    read_stat_file(game_stats);
    game_hooks.update_item_data();
    read_char_file();
    read_guild_file();
    game_hooks.read_event_file();

    if (!handoff_matches(find_caller())) {
        disp_text("`c");
        // Without the text file there is no intro to show; the check below reports it.
        if (file_exists(text_file_name)) show_text_ansi("intro_ansi_1");
        goto_xy(26, 23);
        set_fore_colour(3);
        hit_any_key();
        disp_text("`c");
        title_screen();
    }
    if (!file_exists(text_file_name)) {
        disp_line("`c`9  \"" + std::string(text_file_name) + "\" does not `4EXIST`9.  Please inform SysOp.");
        debug_log("FORCE:Critical error : quortext.dat file does not exist");
        end_prog(exit_critical_missing);
    }
    set_default_tunables();
    read_standard_flags();

    enter_game();

    save_check_frequency();
    end_prog(exit_normal);
}
