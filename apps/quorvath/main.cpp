// The game program.
#include "engine/items_init.hpp"
#include "engine/script_runner.hpp"
#include "engine/text_init.hpp"
#include "game/combat.hpp"
#include "game/entry.hpp"
#include "game/game_init.hpp"
#include "game/hooks.hpp"

int main(int argc, char** argv) {
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    game_init();
    // Today's timed events, and the mark of an event running that the square clears.
    game_hooks.read_event_file = read_event_file;
    game_hooks.clear_in_event = [] { in_event = false; };
    game_combat_init();
    main_body(argc, argv);
}
