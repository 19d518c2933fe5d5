// The game program.
#include "engine/rules/maintenance.hpp"
#include "engine/rules/upgrade.hpp"
#include "engine/script/items_init.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/text/text_init.hpp"
#include "game/bank.hpp"
#include "game/combat.hpp"
#include "game/entry.hpp"
#include "game/forest.hpp"
#include "game/game_init.hpp"
#include "game/hooks.hpp"
#include "game/inn.hpp"
#include "game/masters.hpp"
#include "game/other_realms.hpp"
#include "game/realm.hpp"
#include "game/shops.hpp"
#include "game/tavern.hpp"
#include "multi/multi_init.hpp"

int main(int argc, char** argv) {
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    game_init();
    game_combat_init();
    game_forest_init();
    game_masters_init();
    game_realms_init();
    game_inn_init();
    game_shops_init();
    game_shops_init();
    game_bank_init();
    game_tavern_init();
    game_other_realms_init();
    multi_init();
    game_hooks.auto_maintenance = auto_maintenance;
    game_hooks.daily_maintenance = daily_maintenance;
    game_hooks.update_item_data = update_item_data;
    // Today's timed events, and the mark of an event running that the square clears.
    game_hooks.read_event_file = read_event_file;
    game_hooks.clear_in_event = [] { in_event = false; };
    main_body(argc, argv);
}
