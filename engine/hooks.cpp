#include "engine/hooks.hpp"

#include "door/door.hpp"

namespace {
void plain_line(std::string_view text) { write_line(text); }
void plain_str(std::string_view text) { write_str(text); }
void no_rankings() {}
void no_message(const character_record&, const node_line&) {}

text_out_fn disp_line_fn = plain_line;
text_out_fn disp_str_fn = plain_str;
rankings_fn rankings = no_rankings;
node_message_fn node_message = no_message;
}  // namespace

void set_disp_line_hook(text_out_fn f) { disp_line_fn = f ? f : plain_line; }
void set_disp_str_hook(text_out_fn f) { disp_str_fn = f ? f : plain_str; }
void hook_disp_line(std::string_view text) { disp_line_fn(text); }
void hook_disp_str(std::string_view text) { disp_str_fn(text); }

void set_rankings_hook(rankings_fn f) { rankings = f ? f : no_rankings; }
void hook_write_rankings() { rankings(); }

void set_node_message_hook(node_message_fn f) { node_message = f ? f : no_message; }
void hook_send_node_message(const character_record& to_player, const node_line& message) {
    node_message(to_player, message);
}

void list_stub_engine_hooks(stub_list& left) {
    note_stub(left, disp_line_fn, &plain_line, "disp_line");
    note_stub(left, disp_str_fn, &plain_str, "disp_str");
    note_stub(left, rankings, &no_rankings, "rankings");
    note_stub(left, node_message, &no_message, "node_message");
}
