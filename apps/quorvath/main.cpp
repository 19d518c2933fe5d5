// The game program.
#include "door/door.hpp"
#include "engine/exit.hpp"

int main(int argc, char** argv) {
    // First, so that the door kit's exit procedure (chained by door_init) runs before it.
    install_exit_handler();
    door_set_args(argc, argv);
    door_init("quorvath.dat");
    write_line("The Quorvath");
    halt(0);
}
