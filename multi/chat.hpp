// The chat room: players on different nodes talk in real time, page a friend into the room,
// send private messages and settle a quarrel in a chat fight.
//
// A character in the room has the location "ZChat Room"; "in the room" means on line with a
// location beginning "Z" or "z", as every node reads it from its character list. A line
// typed goes as a MESSAGE to each member's queue; the member's room shows it when its queue
// check dispatches it. The caller's preferences are flags of section FLAGS of the player's
// flag file: CHAT_ECHO, CHAT_PAGE, CHAT_COMBAT ("ENABLED" / "DISABLED", kept for good) and
// CHAT_FIGHTING ("TRUE" / "FALSE", until the day after a death).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/records.hpp"
#include "engine/text/node_verbs.hpp"

constexpr const char* chat_room_location = "ZChat Room";
// The longest line the room takes from the keys.
constexpr std::size_t chat_line_capacity = 255;

// The room: entering, the loop of keys and queue checks, leaving. Key "." of the square.
void chat_room();
// "`9Characters In the Chat Room:" and "`!" + the proper-cased name of each member.
void list_chat_room();
// The line to every member but the player.
void send_to_chat_room(const node_line& line);
// "MESSAGE " + the text to every member but the player.
void broadcast_chat_message(std::string_view text);
// The same, also skipping the player of that number.
void broadcast_chat_message_except(std::string_view text, std::int16_t except);
// When the text holds two double quotes it becomes what stands between the first two: true.
bool extract_quoted(std::string& text);
// The number of characters in the room.
int count_chat_room();
// On line with a location beginning "Z" or "z".
bool in_chat_room(const character_record& c);

// What the room's loop holds between keys.
struct chat_state {
    std::string line;  // typed so far
    bool echo = false;
    bool leave = false;
    std::vector<std::int16_t> foes;  // the players this side is in a chat fight with
};

// One key typed: Backspace (or DEL) takes back the last character, Enter ends the line
// (true), any other key is shown and added, a control byte as ".", up to 255 characters.
bool chat_key(chat_state& room, char key);
// A finished line: a command of the room, or text to the room.
void chat_line(chat_state& room, const std::string& line);
// One message of the own queue dispatched, its result acted on: shown (room lines), or a
// chat fight's step; then a fight whose opponent has left the room or the realm is over.
void chat_message(chat_state& room);
