// The game program.
#include "engine/script/install.hpp"
#include "game/entry.hpp"
#include "game/game_init.hpp"
#include "multi/multi_init.hpp"

int main(int argc, char** argv) {
    install_engine();
    install_game();
    install_multi();
    main_body(argc, argv);
}
