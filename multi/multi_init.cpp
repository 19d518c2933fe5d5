#include "multi/multi_init.hpp"

#include "engine/hooks.hpp"
#include "engine/play_hooks.hpp"
#include "engine/script_hooks.hpp"
#include "multi/node_queue.hpp"

void multi_init() {
    set_node_message_hook(send_node_msg_to);
    set_menu_poll_hook(menu_poll);
    set_node_msg_waiting_hook(node_msg_waiting);
    set_check_node_messages_hook(check_node_messages);
}
