// The game program.
#include "engine/items_init.hpp"
#include "engine/script_runner.hpp"
#include "engine/text_init.hpp"
#include "game/combat.hpp"
#include "game/entry.hpp"
#include "game/game_init.hpp"

int main(int argc, char** argv) {
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    game_init();
    game_combat_init();
    main_body(argc, argv);
}
