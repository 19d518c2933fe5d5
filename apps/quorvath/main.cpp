// The game program.
#include <string>

#include "door/door.hpp"
#include "engine/exit.hpp"
#include "engine/items_init.hpp"
#include "engine/maintenance.hpp"
#include "engine/strings.hpp"
#include "engine/text_init.hpp"

int main(int argc, char** argv) {
    // First, so that the door kit's exit procedure (chained by door_init) runs before it.
    install_exit_handler();
    engine_text_init();
    engine_items_init();
    program_title = "The Quorvath";
    // "quorvath MAINT": the day's maintenance from the command line, without a caller.
    if (argc == 2 && upcase_str(argv[1]) == "MAINT") {
        auto_maintenance();
        halt(0);
    }
    door_set_args(argc, argv);
    door_init("quorvath.dat");
    write_line("The Quorvath");
    halt(0);
}
