#include "game/game_init.hpp"

#include "engine/rules/maintenance.hpp"
#include "engine/rules/upgrade.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/bank.hpp"
#include "game/combat.hpp"
#include "game/forest.hpp"
#include "game/hooks.hpp"
#include "game/inn.hpp"
#include "game/inventory_menu.hpp"
#include "game/masters.hpp"
#include "game/menu.hpp"
#include "game/mountain.hpp"
#include "game/other_realms.hpp"
#include "game/realm.hpp"
#include "game/shops.hpp"
#include "game/tavern.hpp"
#include "game/valley.hpp"

void game_init() {
    install_menu_poll();
    // One entry to fill for the healers, whether the square or a script sends the player.
    set_do_healers_hook([] { game_hooks.healers(); });
    // The inventory menu, for an item past the limit and for the scripts' INVENTORY.
    set_do_inv_hook(do_inv);
}

void game_realms_init() {
    game_hooks.valley = valley;
    game_hooks.mountain = mountain;
}

void install_game() {
    game_init();
    game_combat_init();
    game_forest_init();
    game_masters_init();
    game_realms_init();
    game_inn_init();
    game_shops_init();
    game_bank_init();
    game_tavern_init();
    game_other_realms_init();
    game_hooks.auto_maintenance = auto_maintenance;
    game_hooks.daily_maintenance = daily_maintenance;
    game_hooks.update_item_data = update_item_data;
    // Today's timed events, and the mark of an event running that the square clears.
    game_hooks.read_event_file = read_event_file;
    game_hooks.clear_in_event = [] { in_event = false; };
}
