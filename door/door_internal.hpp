// Terminal state kept by the kit itself; the game never reads it.
#pragma once
#include <string>

namespace door_state {
extern int line_counter;          // starts at 1
extern int page_length;           // 25 rows
extern bool paging;               // never switched on by this system
extern bool command_stacking;     // on after door_init
extern std::string stacked;       // stacked commands of read_line
extern int pending_key;           // -1 none
extern std::string stuffed;       // stuffed keys
extern std::string macro;         // Ctrl-N macro text
extern bool link_ready;           // purge_io has set up the link
extern int hold_count;            // holds this node has raised (see door_hold_raise)
extern bool in_carrier_exit;      // carrier_lost_exit has begun

// Writes bytes straight to standard output, bypassing the buffer (error texts, carrier text).
void write_direct(std::string_view s);
// Drops everything buffered for the caller.
void discard_output();
}  // namespace door_state
