// Shared set-up of the fuzz targets whose code talks to a caller: output goes nowhere, and
// the caller is gone with a hold raised, so the door kit does not end the program but
// answers every key wait at once (a script error's "Hit any key" included).
#pragma once
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "door/door.hpp"
#include "engine/text/flags.hpp"

namespace fuzzing {
inline void silence_output() {
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd < 0) std::abort();
    dup2(null_fd, 1);
    close(null_fd);
}

// Before each input: a fresh session whose key reads come back at once.
inline void absent_caller() {
    door_reset_session();
    graphics_mode = 3;
    door_hold_raise();
    int null_in = open("/dev/null", O_RDONLY);
    if (null_in < 0) std::abort();
    dup2(null_in, 0);
    close(null_in);
    carrier_present = 1;
    carrier_lost = false;
    set_default_tunables();
}
}  // namespace fuzzing
