// The game program.
#include "door/door.hpp"

int main(int argc, char** argv) {
    door_set_args(argc, argv);
    door_init("quorvath.dat");
    write_line("The Quorvath");
    halt(0);
}
