#include "engine/text/hooks.hpp"

#include "door/door.hpp"

namespace {
void plain_line(std::string_view text) { write_line(text); }
void plain_str(std::string_view text) { write_str(text); }
void no_rankings() {}
void no_message(const character_record&, const node_line&) {}

std::vector<hook_entry>& enrolled() {
    static std::vector<hook_entry> hooks;
    return hooks;
}

hook_slot<text_out_fn> disp_line_fn{plain_line, "disp_line"};
hook_slot<text_out_fn> disp_str_fn{plain_str, "disp_str"};
hook_slot<rankings_fn> rankings{no_rankings, "rankings"};
hook_slot<node_message_fn> node_message{no_message, "node_message"};
}  // namespace

void enrol_hook(const hook_entry& entry) { enrolled().push_back(entry); }

void reset_hooks() {
    for (const hook_entry& e : enrolled()) e.reset(e.slot);
}

stub_list hooks_at_stub() {
    stub_list left;
    for (const hook_entry& e : enrolled())
        if (e.at_stub(e.slot)) left.push_back(e.name);
    return left;
}

void set_disp_line_hook(text_out_fn f) { disp_line_fn.set(f); }
void set_disp_str_hook(text_out_fn f) { disp_str_fn.set(f); }
void hook_disp_line(std::string_view text) { disp_line_fn(text); }
void hook_disp_str(std::string_view text) { disp_str_fn(text); }

void set_rankings_hook(rankings_fn f) { rankings.set(f); }
void hook_write_rankings() { rankings(); }

void set_node_message_hook(node_message_fn f) { node_message.set(f); }
void hook_send_node_message(const character_record& to_player, const node_line& message) {
    node_message(to_player, message);
}
