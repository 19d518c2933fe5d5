// Main-menu keys M and R: the BBS start script, and the reset that begins a new game with
// the same settings.
#include <cctype>
#include <cerrno>
#include <cstring>

#include "config/console.hpp"
#include "config/quorcfg.hpp"
#include "engine/rules/player_files.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"

namespace cfg {
namespace {
const char* const rule_line = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

// char_list and guild_list from the files as they stand now (a node may have added players
// or guilds since the utility started); a file that cannot be read leaves its list as it is.
void reload_lists() {
    std::vector<character_record> chars;
    if (file_there(players_file_name) && read_record_file(players_file_name, chars) == file_status::ok) {
        del_char_list();
        for (const character_record& c : chars) add_char(c);
    }
    std::vector<guild_record> guilds;
    if (file_there(guilds_file_name) && read_record_file(guilds_file_name, guilds) == file_status::ok) {
        del_guild_list();
        for (const guild_record& g : guilds) add_guild(g);
    }
}

// A node playing a character holds its lock: a reset then would leave a half-reset game that
// the node writes back into.
void refuse_in_play() {
    print_line("`4  The game is in play: a node has a character on line. Reset only while nobody plays.");
    print_line();
    print_line("`9  Nothing Done.");
    hit_any_key();
}

enum class reset_result { done, in_play, left };

// Erases the players, guilds and news and sets the day back; nothing is done when a node came
// into play meanwhile or the sysop left a hold held too long.
reset_result erase_game() {
    // Taking the hold finishes a day a maintenance staged and was cut off from: its players are
    // then in the lists and erased with the rest, never put back afterwards.
    sysop_hold hold;
    if (!hold.taken) return reset_result::left;
    if (any_character_in_play()) return reset_result::in_play;
    reload_lists();
    remove_file(players_file_name);
    for (int n = 0; n <= 7; ++n) remove_file("news" + int_to_str(n) + ".dat");
    for (const guild_record& g : guild_list) {
        remove_file("hall" + zero_pad(g.number, 4) + ".dat");
        remove_file("hall" + zero_pad(g.number, 4) + ".msg");
    }
    del_guild_list();
    remove_file(guilds_file_name);
    for (const character_record& c : char_list) {
        clear_leftover_files(c.number);
        remove_file(inventory_file_name(c.number));
    }
    del_char_list();
    // Every field the reset sets is written, whatever the utility loaded.
    update_stat_record([](stat_record& s) {
        s.day = 0;
        s.last_maint_date = "19800101";
        s.started_text = date_time_text();
        s.floating_gold = 0;
    });
    return reset_result::done;
}
}  // namespace

std::string shell_word(const std::string& text) {
    auto plain = [](unsigned char c) { return std::isalnum(c) || std::strchr("/._+,:@%-", c) != nullptr; };
    bool as_is = !text.empty();
    for (char c : text) as_is = as_is && c != '\0' && plain(static_cast<unsigned char>(c));
    if (as_is) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string start_script_text(const std::string& dir, const std::string& date_text) {
    std::string d = shell_word(dir);
    const std::string lines[] = {
        "#!/bin/sh",
        "#  Use this script to start Quorvath.",
        "#  Created using QUORCFG on " + date_text,
        "#  %1 must be passed as the node number, but will be",
        "#  over-ridden if the dropfile supports node num within",
        "",
        "done=0",
        "",
        "if [ \"D$1\" = \"D\" ]; then",
        " cd " + d,
        " ./quorvath",
        "else",
        " while [ $done -eq 0 ]; do",
        "  cd " + d,
        "  ./quorvath /N$@",
        "  if [ $? -eq 254 ]; then",
        "   ./ext$1.sh",
        "  else",
        "   done=1",
        "  fi",
        " done",
        "fi",
    };
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

void make_shell_script() {
    clear_console();
    print_line("`9  Create a shell script:");
    print_line(rule_line);
    print_line("`3  This script will be placed in the installed directory.");
    print_line();
    print_line("`9  What do you wish to name this file? [quor.sh]");
    print_text("`1  >`% ");
    cursor_visible(true);
    std::string typed;
    bool abort = false;
    edit_field(typed, "", 5, 60, 6, 0, abort);
    cursor_visible(false);
    print_line();
    std::string name = trim_trailing(trim_leading(typed));
    if (abort) return;
    if (name.empty()) name = "quor.sh";
    if (name.find('/') != std::string::npos || name == "." || name == "..") {
        print_line("`4  The script goes in the installed directory: a name without \"/\".");
        hit_any_key();
        return;
    }
    std::string path = program_directory() + name;
    print_text("  ");
    print_literal(path);
    print_line();
    if (file_exists(path)) {
        print_line("`4  That file already exists!");
        print_text("`9  Overwrite? ");
        if (yes_no(false) != 'Y') {
            print_line("`%N");
            print_line("`!  Nothing done.");
            hit_any_key();
            return;
        }
        print_line("`%Y");
    }
    // Written whole and executable before it takes the name: a BBS never starts half a script.
    if (!atomic_rewrite(path, start_script_text(program_directory(), date_time_text()), 0555)) {
        print_line("`4  Could not write " + literal_codes(path) + " : " + std::strerror(errno));
    }
    hit_any_key();
}

void reset_game() {
    reload_lists();
    clear_console();
    print_line("`9  You are about to reset the current game: ");
    print_line("`4  ALL`9 players will be erased.");
    print_line("`4  ALL`9 game statistics will be erased.");
    print_line("`4  ALL`9 news files will be erased.");
    print_line("`4  ALL`9 mail files will be erased.");
    print_line("`4  ALL`9 inventory files will be erased.");
    print_line("`4  ALL`9 guilds/guild halls will be erased.");
    print_line();
    if (any_character_in_play()) return refuse_in_play();
    print_text("`9  Are you sure ? : ");
    if (yes_no(false) != 'Y') {
        print_line("N");
        print_line();
        print_line("`9  Nothing Done.");
        hit_any_key();
        return;
    }
    print_line("Y");
    reset_result r = erase_game();
    if (r == reset_result::in_play) return refuse_in_play();
    if (r == reset_result::left) {
        print_line();
        print_line("`9  Nothing Done.");
        hit_any_key();
        return;
    }
    print_line();
    print_line("`!  Game Reset!");
    hit_any_key();
}

}  // namespace cfg
