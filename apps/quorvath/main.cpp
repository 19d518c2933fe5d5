// The game program.
#include "door/door.hpp"
#include "engine/exit.hpp"
#include "engine/items_init.hpp"
#include "engine/script_runner.hpp"
#include "engine/text_init.hpp"
#include "game/combat.hpp"

int main(int argc, char** argv) {
    // First, so that the door kit's exit procedure (chained by door_init) runs before it.
    install_exit_handler();
    engine_text_init();
    engine_items_init();
    engine_scripts_init();
    game_combat_init();
    door_set_args(argc, argv);
    door_init("quorvath.dat");
    write_line("The Quorvath");
    halt(0);
}
