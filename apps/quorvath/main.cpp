// The game program.
#include "engine/items_init.hpp"
#include "engine/text_init.hpp"
#include "game/entry.hpp"
#include "game/game_init.hpp"
#include "multi/multi_init.hpp"

int main(int argc, char** argv) {
    engine_text_init();
    engine_items_init();
    game_init();
    multi_init();
    main_body(argc, argv);
}
