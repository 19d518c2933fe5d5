// The message queues between nodes and their dispatcher.
//
// Every event that one online player causes for another travels as one text line appended
// to the receiving player's queue node<NNNN>.msg in the game directory: a verb, then words
// by position ("LEAVEREALM 12 0", "MESSAGE hello"). The file exists only while messages
// wait. Senders append under the file's lock; the owner takes the first line and writes
// the rest back in order under the same lock, so no line is lost or read twice, whatever
// the other nodes do meanwhile. Every message sent is logged once, in ANSI colour, to
// "olmess.txt".
//
// A line is always one line: control bytes in it (CR and LF included) become ".", so no
// text that a caller typed can become a second message. A message to a character that is
// not in the character list is not sent; a message whose sender is no longer there is
// consumed without effect.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/store/records.hpp"
#include "engine/text/node_verbs.hpp"
#include "game/town.hpp"  // queue_file_name, shared with the square that erases the queue at entry

constexpr const char* olmess_file_name = "olmess.txt";
// The capacity of a queue line as read, and of the message the dispatcher handles.
constexpr std::size_t node_line_capacity = 255;
constexpr std::size_t node_message_capacity = 86;

// The line as it goes into a queue: control bytes become ".", cut to 255 characters.
std::string queue_safe(std::string_view line);

// Appends the line to the queue of the character of that name (case and colour codes
// ignored) and logs it to "olmess.txt". Nothing when no such character is in char_list.
// A queue or log that stays busy, or that cannot be written, ends the game with code 5.
void send_node_msg(std::string_view target_name, const node_line& line);
// The same for the character with this number.
void send_node_msg_to(std::int16_t target_number, const node_line& line);
// The same for this record of char_list (a loop over the list needs no look-up per message).
void send_node_msg_to_record(const character_record& target, const node_line& line);

// True when the playing character's queue file exists.
bool node_msg_waiting();
// Waits 100 ms, then takes the first line of the playing character's queue (cut to 255);
// the lines behind it stay in the queue in their order. Empty when no line waits.
std::string pop_node_msg();
// What take_node_msg_if does with a line of the own queue.
enum class queue_pick { pass, take, look };
// Walks the playing character's queue in order under its lock: the first line (cut to 255)
// that pick does not pass is returned, taken out of the queue (take) or left in its place
// (look); every other line stays, in its order. Empty when no line is picked.
std::string take_node_msg_if(const std::function<queue_pick(std::string_view line)>& pick);
// Appends one line (colour codes already turned into ANSI) to "olmess.txt".
void olmess_log(std::string_view line);

// Pops one message and acts on it as the verb table of the game says; the result is the
// word for the caller: empty, or the whole message (chat-fight verbs, CC_RECEIVED,
// CHAT_COMBAT), the text of a MESSAGE, the room line of ENTERCHAT and LEAVECHAT,
// "HALLCLEAR", "HOLDGUILD" or "FLEEGUILD". raided_guild is the guild whose hall the
// player holds in a raid; every other caller passes 0.
std::string check_node_messages(std::int16_t raided_guild);
// True when the dispatcher has a handler for the verb (every verb of the list must).
bool node_verb_handled(node_verb verb);

// The hit that another player dealt the playing character in a fight between players:
// "misses you completely", or the hit (after the double-strike lines when double_strike)
// with the sender's equipped weapon read from its inventory file; then the damage is taken
// from the hit points, which ends in the character's death below 1. Shared by the chat
// fights here and the online fights.
void show_player_hit(const character_record& sender, std::int32_t damage, bool double_strike);
