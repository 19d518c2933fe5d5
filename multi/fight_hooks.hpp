// What the dispatcher of the message queues reaches in the fights between players (the
// online fight and the chat fight). Each is a plain function pointer with a setter;
// passing null restores the default.
//
// The defaults let the other node's fight end cleanly when this game has no fights
// between players: the defender bails out at once, and a chat-fight turn runs away.
#pragma once
#include <string_view>

// Runs an online fight until it ends, this side as defender (COMBAT, GUILDCOMBAT,
// GNUMQUERY); true when this side won or the opponent ran. Default: bails out as the X key
// of the fight's wait does: "RUN 0 <own number>" to the opponent, false.
using online_fight_wait_fn = bool (*)(std::string_view opponent_name);
void set_online_fight_wait_hook(online_fight_wait_fn f);
bool hook_online_fight_wait(std::string_view opponent_name);

// Plays one turn of this side against the opponent (CHAT_ATTACK with chat set). Default:
// the run of a turn, which always succeeds: "CHAT_RUN 0 <own number>" to the opponent and
// "CHAT_FLEE 0 <opponent's number>" to the own queue (online: "RUN 0 <own number>" and
// "FLEE 0 <opponent's number>").
using online_fight_round_fn = void (*)(std::string_view opponent_name, bool chat);
void set_online_fight_round_hook(online_fight_round_fn f);
void hook_online_fight_round(std::string_view opponent_name, bool chat);
