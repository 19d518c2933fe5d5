// The game program.
#include "engine/rules/maintenance.hpp"
#include "engine/rules/upgrade.hpp"
#include "engine/script/install.hpp"
#include "engine/script/items_init.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/text/text_init.hpp"
#include "game/bank.hpp"
#include "game/combat.hpp"
#include "game/entry.hpp"
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
    install_engine();
    install_game();
    install_multi();
    main_body(argc, argv);
}
