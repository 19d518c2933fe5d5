// The one table through which the town and the entry reach the places and services that
// other parts of the game build: the realms, the shops, the bank, the inn, the healers, the
// tavern, the masters, other realms, the guilds, fights between players, chat, news, mail,
// the daily maintenance, the start-up data upgrade and the timed events.
//
// Every entry is a plain function pointer that starts at a stub. A place's stub does nothing
// and returns, so the player simply stays where they were (the town square shows its menu
// again); a look-up's stub finds nothing. The part that builds a place sets its entry once
// at start-up, before main_body runs (`game_hooks.bank = bank;`).
//
// What the game reaches through the engine's own hooks is not repeated here: the message
// queue (hook_node_msg_waiting, hook_check_node_messages), the random and timed events
// (hook_check_for_random_event), the creature files and fights of the "/" command
// (hook_read_creature_file, hook_random_creature, hook_mob_to_char), scripts
// (hook_run_script) and node messages (hook_send_node_message). Nor are the fights between
// players that the queues' dispatcher starts (multi/fight_hooks.hpp: hook_online_fight_wait,
// hook_online_fight_round), whose defaults end the other node's fight at once.
#pragma once
#include <string_view>

#include "engine/rules/creatures.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/text/hooks.hpp"

struct game_hook_table {
    // ---- Daily maintenance and start-up data upgrade ----
    // "quorvath MAINT": the day's maintenance with no caller.
    place_fn auto_maintenance = [] {};
    // The maintenance run by the first caller of a new day (the hold is free when it starts).
    place_fn daily_maintenance = [] {};
    // The upgrade of older data files, run once at every start after "quorstat.dat" is read.
    place_fn update_item_data = [] {};

    // ---- Timed events ----
    // Builds today's timed events from "events.dat".
    place_fn read_event_file = [] {};
    // Clears the mark of an event script running (the town square does at entry).
    place_fn clear_in_event = [] {};

    // ---- News and mail ----
    // The news of a day ("0" today, empty: the reader asks).
    void (*read_news)(std::string_view day) = [](std::string_view) {};
    place_fn post_announcement = [] {};
    // The conversation board kept in a file ("tavern.cnv"), under its title.
    void (*conversation_board)(std::string_view file, std::string_view title) = [](std::string_view, std::string_view) {
    };
    bool (*mail_waiting)() = [] { return false; };
    place_fn read_mail = [] {};
    // Writes a letter; an empty recipient makes it ask.
    void (*send_mail)(std::string_view to) = [](std::string_view) {};

    // ---- Fights ----
    // Fights the hired thug of the realm choice, built for one fight (the fight's part sets
    // `opponent` while it runs); true when the player won. The stub has no fight to offer:
    // not won, so the player stays hunted.
    bool (*thug_fight)(const monster_record& thug) = [](const monster_record&) { return false; };

    // ---- Places ----
    place_fn forest = [] {};
    place_fn valley = [] {};
    place_fn mountain = [] {};
    place_fn inn = [] {};
    place_fn tavern = [] {};
    place_fn healers = [] {};
    place_fn masters_house = [] {};
    place_fn bank = [] {};
    place_fn weapon_shop = [] {};
    place_fn shield_shop = [] {};
    place_fn armour_shop = [] {};
    place_fn other_realms = [] {};
    place_fn guild_area = [] {};
    place_fn guild_hall = [] {};
    // The guild area's B (buy the playing character's guild a hall) and R (raid a hall).
    place_fn build_guild_hall = [] {};
    place_fn raid_guild_hall = [] {};
    place_fn player_fight_menu = [] {};
    place_fn chat_room = [] {};
};

extern game_hook_table game_hooks;

// Every entry back at its stub (tests).
void reset_game_hooks();
// The wiring check: the entries still at their stubs.
void list_stub_places(stub_list& left);
