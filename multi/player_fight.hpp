// Fights between players: the "Attack Another Player" menu, the online fight that two nodes
// carry turn by turn over their queues, and the turn each side plays (online, or in the chat
// room with the CHAT_ verbs).
//
// Every line of an online fight names the other player in word 3, as the chat forms do
// ("ATTACK 0 12"): the sender's own number when it goes to the opponent, the opponent's when
// a side queues it to itself. A side's wait takes, in queue order, only the lines of its own
// fight, so a line left over from another fight never crosses into this one, and every other
// message waits for the dispatcher after the fight.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/store/records.hpp"
#include "engine/text/node_verbs.hpp"

// How long a wait hears nothing of its fight before it gives up, in seconds.
constexpr std::int32_t fight_silence_limit_s = 180;

// A queue line as the fight reads it: the verb upper-cased, word 2 as a number, and the
// player the line names (word 2 for CRECEIVE and LEAVEREALM, word 3 for the fight's other
// verbs; 0 for any other line).
struct fight_line {
    std::optional<node_verb> verb;  // none for a word that is no verb
    std::int32_t amount = 0;
    std::int32_t names = 0;
};
fight_line parse_fight_line(std::string_view line);

// The playing character's chance to hit the opponent in a player fight, from 10 up.
std::int64_t player_hit_chance(const character_record& me, const character_record& foe);

// The "Attack Another Player" menu of the town square.
void player_fight_menu();
// Asks "Who do you wish to attack", offers the characters whose names hold the answer and
// finds the chosen one again on a fresh read of "players.dat"; null (after "Sorry, there
// isn't anyone here with that name.") when there is none.
const character_record* ask_attack_target();
// "Sorry, you cannot attack that player." after an empty line.
void refuse_attack();
// The fight against a player who is away, as found by name: the equipment seen, the
// warnings, the question and the level rule; the target is checked again on a fresh read
// just before the fight. raided_guild 0: the player-fight menu; else the quarters of that
// guild's raided hall, where only its sleepers may be fought. True when do_combat ran and
// the player did not leave it.
bool attack_away_player(const character_record& found, std::int16_t raided_guild);
// Runs an online fight against the opponent until it ends: true when this side won or the
// opponent ran (or left, or is gone), false when this side ran, bailed out with X, or heard
// nothing of the fight for fight_silence_limit_s. An opponent that left or is gone may have
// written this side's death before its blow got here: that death ends the game here.
bool online_fight_wait(std::string_view opponent_name);
// True when the opponent has left the fight: its run waits in the own queue, or its node is
// gone (character_on_line), and then its run is queued to this side, so that the wait or the
// chat room ends the fight as when it runs. Nothing is paid for an opponent that is gone; a
// death of this side that it wrote first ends the game here (player_killed), never a run.
bool opponent_gone(std::int16_t foe_number, bool chat);
// One turn of this side: the fight screen, A, R or V, and the outcome sent to the opponent.
void online_fight_round(std::string_view opponent_name, bool chat);
