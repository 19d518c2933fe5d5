// Hooks through which the engine core calls what later parts of the game provide. Each is a
// plain function pointer with a setter; passing null restores the default.
#pragma once
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/store/records.hpp"
#include "engine/text/node_verbs.hpp"

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

// The wiring check of start-up. Every hook is a hook_slot, which enters itself in one list
// when the program starts: a hook that no install function fills shows up by name, and a new
// hook needs no list of its own kept up.
using stub_list = std::vector<std::string_view>;
struct hook_entry {
    std::string_view name;
    void* slot;
    bool (*at_stub)(const void* slot);
    void (*reset)(void* slot);
};
void enrol_hook(const hook_entry& entry);
// The names of the hooks still at their stubs, in the order they were enrolled.
stub_list hooks_at_stub();
// Every hook back at its stub (tests).
void reset_hooks();

// One hook: the function it calls, and the stub that an empty setting falls back to.
template <typename F>
class hook_slot {
public:
    hook_slot(F stub, std::string_view name) : fn_(stub), stub_(stub) {
        enrol_hook({name, this,
                    [](const void* s) {
                        const auto* h = static_cast<const hook_slot*>(s);
                        return h->fn_ == h->stub_;
                    },
                    [](void* s) { static_cast<hook_slot*>(s)->set(nullptr); }});
    }
    hook_slot(const hook_slot&) = delete;
    hook_slot& operator=(const hook_slot&) = delete;
    void set(F f) { fn_ = f ? f : stub_; }
    template <typename... A>
    decltype(auto) operator()(A&&... args) const {
        return fn_(std::forward<A>(args)...);
    }

private:
    F fn_;
    F stub_;
};
