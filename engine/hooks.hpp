// Hooks through which the engine core calls what later parts of the game provide. Each is a
// plain function pointer with a setter; passing null restores the default.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/node_verbs.hpp"
#include "engine/records.hpp"

// Shows a text with colour codes and macros to the caller, with or without a line end.
// The engine uses them for its own messages ("`9Player file `4CORRUPTED ...", the hold's
// wait display, the exit handler's texts). The colour-code layer installs its disp_line and
// disp_str; until then the text goes out as it stands (write_line / write_str).
using text_out_fn = void (*)(std::string_view text);
void set_disp_line_hook(text_out_fn f);
void set_disp_str_hook(text_out_fn f);
void hook_disp_line(std::string_view text);
void hook_disp_str(std::string_view text);

// Writes the four ranking files ("prank.ans", "prank.asc", "grank.ans", "grank.asc", in
// that order) at the orderly exit. It must work from the lists in memory only and never
// read or write "players.dat" (end_prog calls it also when that file is corrupt or stuck).
// Default: nothing.
using rankings_fn = void (*)();
void set_rankings_hook(rankings_fn f);
void hook_write_rankings();

// Sends a one-line node message to this player of char_list (appended to the player's
// queue file). end_prog uses it for "LEAVEREALM <own number> <code>". Default: nothing.
using node_message_fn = void (*)(const character_record& to_player, const node_line& message);
void set_node_message_hook(node_message_fn f);
void hook_send_node_message(const character_record& to_player, const node_line& message);

// The wiring check of start-up: each file of hooks adds the names of its hooks still at their
// stubs, so a hook that no install function fills shows up by name.
using stub_list = std::vector<std::string_view>;
template <typename F>
void note_stub(stub_list& left, F slot, F stub, std::string_view name) {
    if (slot == stub) left.push_back(name);
}
void list_stub_engine_hooks(stub_list& left);
