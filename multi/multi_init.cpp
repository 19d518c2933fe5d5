#include "multi/multi_init.hpp"

#include "engine/rules/maintenance.hpp"
#include "engine/script/script_commands.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/game_path.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/hooks.hpp"
#include "multi/boards.hpp"
#include "multi/chat.hpp"
#include "multi/fight_hooks.hpp"
#include "multi/guild_hall.hpp"
#include "multi/guilds.hpp"
#include "multi/mail.hpp"
#include "multi/news.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight.hpp"
#include "multi/raids.hpp"

void install_multi() {
    // The orderly exit's LEAVEREALM and the square's ENTERREALM.
    set_node_message_hook(send_node_msg_to_record);
    // The queue check of every menu loop's key wait and of a script's READMENUCOMMANDS.
    set_node_msg_waiting_hook(node_msg_waiting);
    set_check_node_messages_hook(check_node_messages);
    // The square's mail: its poll, its entry, the inn's and the hall's wake-up, C and D.
    game_hooks.mail_waiting = mail_waiting;
    game_hooks.read_mail = read_mail;
    game_hooks.send_mail = [](std::string_view to) { send_mail(to, {}); };
    // Fights between players: the square's P, the dispatcher's COMBAT, GUILDCOMBAT,
    // GNUMQUERY and CHAT_ATTACK.
    game_hooks.player_fight_menu = player_fight_menu;
    set_online_fight_wait_hook(online_fight_wait);
    set_online_fight_round_hook(online_fight_round);
    // The news: every fight's and death's lines, the square's N and K, the day report, the
    // day's story of the maintenance; the tavern's conversation board.
    set_add_news_hook(add_news);
    set_random_news_event_hook(random_news_event);
    game_hooks.read_news = read_news;
    game_hooks.post_announcement = post_announcement;
    game_hooks.conversation_board = conversation_board;
    // The square's G and "."; the guild area's E, B and R, and the square's wake-up in the hall.
    game_hooks.guild_area = guild_area;
    game_hooks.chat_room = chat_room;
    game_hooks.guild_hall = guild_hall;
    game_hooks.build_guild_hall = build_guild_hall;
    game_hooks.raid_guild_hall = raid_guild_hall;
    // A script's MESSAGEBOARD: a board name made from data stays inside the game directory.
    set_message_board_hook([](const std::string& file, std::string_view title, int mode) {
        if (auto path = game_path(file)) message_board_menu(*path, title, mode);
    });
}
