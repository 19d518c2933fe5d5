#include "multi/multi_init.hpp"

#include "engine/hooks.hpp"
#include "engine/script_hooks.hpp"
#include "game/hooks.hpp"
#include "multi/mail.hpp"
#include "multi/node_queue.hpp"

void multi_init() {
    // The orderly exit's LEAVEREALM and the square's ENTERREALM.
    set_node_message_hook(send_node_msg_to);
    // The queue check of every menu loop's key wait and of a script's READMENUCOMMANDS.
    set_node_msg_waiting_hook(node_msg_waiting);
    set_check_node_messages_hook(check_node_messages);
    // The square's mail: its poll, its entry, the inn's and the hall's wake-up, C and D.
    game_hooks.mail_waiting = mail_waiting;
    game_hooks.read_mail = read_mail;
    game_hooks.send_mail = [](std::string_view to) { send_mail(to, {}); };
}
