#include "multi/fight_hooks.hpp"

#include "engine/store/data_files.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"
#include "multi/node_queue.hpp"

namespace {
bool bail_out(std::string_view opponent_name) {
    if (cur_char) send_node_msg(opponent_name, {node_verb::run, "0 " + int_to_str(cur_char->number)});
    return false;
}

void run_away(std::string_view opponent_name, bool chat) {
    const character_record* foe = char_full_name_ptr(opponent_name);
    if (!cur_char || !foe) return;
    if (chat) {
        send_node_msg_to(foe->number, {node_verb::chat_run, "0 " + int_to_str(cur_char->number)});
        send_node_msg_to(cur_char->number, {node_verb::chat_flee, "0 " + int_to_str(foe->number)});
    } else {
        send_node_msg_to(foe->number, {node_verb::run, "0 " + int_to_str(cur_char->number)});
        send_node_msg_to(cur_char->number, {node_verb::flee, "0 " + int_to_str(foe->number)});
    }
}

hook_slot<online_fight_wait_fn> fight_wait{bail_out, "online_fight_wait"};
hook_slot<online_fight_round_fn> fight_round{run_away, "online_fight_round"};
}  // namespace

void set_online_fight_wait_hook(online_fight_wait_fn f) { fight_wait.set(f); }
bool hook_online_fight_wait(std::string_view opponent_name) { return fight_wait(opponent_name); }

void set_online_fight_round_hook(online_fight_round_fn f) { fight_round.set(f); }
void hook_online_fight_round(std::string_view opponent_name, bool chat) { fight_round(opponent_name, chat); }
