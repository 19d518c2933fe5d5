// A small door for the end-to-end tests: it opens a door session as the game does, reports the
// session values, and then does what QV_PROBE asks (keys: a key and a line; hold: keeps a hold
// raised until the caller hangs up; crash: dies of a signal in raw mode). Its exit procedure
// stands behind the kit's, as the game's does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "door/door.hpp"

namespace {
void probe_exit() {
    // What a later exit procedure writes still reaches the caller.
    write_line("Exit procedure, code " + std::to_string(halt_code()));
    if (FILE* f = std::fopen("exitproc.txt", "w")) {
        std::fprintf(f, "code=%d carrier_lost=%d\n", halt_code(), carrier_lost ? 1 : 0);
        std::fclose(f);
    }
}

std::string key_text(char k) { return std::to_string(static_cast<unsigned char>(k)); }
}  // namespace

int main(int argc, char** argv) {
    door_set_args(argc, argv);
    add_exit_proc(probe_exit);
    door_init("quorvath.dat");
    write_line("Session: [" + user_first_name + "] [" + user_last_name + "] node=" + std::to_string(node_number) +
               " graphics=" + std::to_string(graphics_mode) + " local=" + std::to_string(local_mode) +
               " minutes=" + std::to_string(minutes_allowed));
    const char* what = std::getenv("QV_PROBE");
    std::string mode = what ? what : "";
    if (mode == "keys") {
        write_str("Press a key: ");
        write_line("Key=" + key_text(read_key()));
        write_str("Type a line: ");
        write_line("Line=[" + read_line() + "]");
        write_str("Press a key: ");
        write_line("Key=" + key_text(read_key()));
    } else if (mode == "hold") {
        door_hold_raise();
        write_line("Holding");
        // Works on until the hang-up is noticed (or gives up after a while), then a little
        // longer: the carrier exit must wait for the hold all that time.
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!carrier_lost && std::chrono::steady_clock::now() < until) key_waiting();
        for (int i = 0; i < 20; ++i) key_waiting();
        write_line("Still holding");
        if (FILE* f = std::fopen("held.txt", "w")) {
            std::fprintf(f, "carrier_lost=%d\n", carrier_lost ? 1 : 0);
            std::fclose(f);
        }
        door_hold_lower();
        write_line("Released");
    } else if (mode == "crash") {
        write_str("Crashing: ");
        flush_output();
        std::abort();
    }
    halt(0);
}
