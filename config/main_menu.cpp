// The utility's start-up, its main menu and its quit.
#include "config/console.hpp"
#include "config/creature_editor.hpp"
#include "config/options.hpp"
#include "config/quorcfg.hpp"
#include "config/shop_editor.hpp"
#include "door/door.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"

namespace cfg {
namespace {
constexpr int first_menu_row = 10;  // below the title box

const char* const menu_lines[] = {
    "  `3(`#G`3)ame Options",      "  `3(`#B`3)BS Setup",
    "  `3(`#P`3)layer Editor",     "  `3(`#C`3)reature Editor",
    "  `3(`#S`3)hop Editor",       "  `3(`#R`3)eset the current game",
    "  `3(`#M`3)ake shell script", "  `3(`#I`3)nstall/Remove ExMod",
    "  `3(`#Q`3)uit and Save",
};
// The key of each item, in menu order; Z (the item browser) has no line.
constexpr char item_keys[] = "GBPCSRMIQ";
constexpr char action_keys[] = "GBPCSZRMI";

void run_action(char key) {
    // The other screens come with their own tools; until then they return here.
    if (key == 'B') bbs_setup();
    if (key == 'R') reset_game();
    if (key == 'M') make_shell_script();
    if (key == 'I') exmod_maintenance();
    if (key == 'C') creature_editor_menu();
    if (key == 'S') shop_menu();
    if (key == 'Z') item_browser(registry_file_name);
    if (key == 'G') game_options();
    if (key == 'P') player_editor();
}
// The options could not be written at quit (the sysop left a hold held too long): quit only
// when the sysop says so, else back to the main menu with every setting still in hand.
bool quit_unsaved() {
    goto_xy_console(1, 7);
    print_line("`4  The game options were not written.");
    print_text("`9  Quit without them? ");
    return yes_no(false) == 'Y';
}
}  // namespace

void title_box() {
    goto_xy_console(1, 1);
    print_line();
    print_line("   `9T`1he `9Q`1uorvath `9C`1onfiguration `9U`1tility");
    print_line();
    print_line("   `9Version     : `$" + std::string(utility_version));
    print_labelled("   `9Game was Started               : `%", game_stats.started_text.view());
    print_line();
    print_line("   `9Days actually played           : `%" + int_to_str(game_stats.day));
    print_line("   `9Number of characters in game   : `%" + int_to_str(static_cast<std::int64_t>(char_list.size())));
    print_line("   `9Inactive days before deletion  : `%" + int_to_str(game_stats.grace_days));
    print_line("`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-");
}

void main_menu() {
    set_fore_colour(3);
    cursor_menu menu;
    for (int i = 0; i < 9; ++i) menu.rows.push_back(first_menu_row + i);
    for (;;) {
        clear_console();
        title_box();
        for (const char* line : menu_lines) print_line(line);
        draw_menu_arrow(menu);
        char action = 0;
        while (action == 0) {
            menu_input in = cursor_menu_key(menu);
            if (in.event == menu_event::quit) return;
            if (in.event == menu_event::enter) action = item_keys[menu.selected - 1];
            if (in.event == menu_event::key && std::string_view(action_keys).find(in.key) != std::string_view::npos)
                action = in.key;
        }
        if (action == 'Q') return;
        run_action(action);
    }
}

void quorcfg_main() {
    console_open();
    cursor_visible(false);
    del_char_list();
    del_guild_list();
    race_list.clear();
    // A control file the game would refuse stops the utility too, before anything is written.
    load_control_file();
    clear_console();
    print_line("`%Welcome to The Quorvath Configuration Program");
    if (!file_exists("forest.dat")) {
        print_line("`9  Creating Original `4FOREST.DAT`9 File.");
        write_original_forest();
    }
    goto_xy_console(26, 23);
    hit_any_key();
    clear_console();
    players_loaded = false;
    read_stat_record(game_stats);
    read_player_list();
    read_guild_list();
    read_races();
    do {
        main_menu();
    } while (!write_stat_record() && !quit_unsaved());
    write_control_file();
    cursor_visible(true);
    goto_xy_console(1, 24);
    print_line();
    halt_with_code(0);
}

}  // namespace cfg
