// The Bank of Shamile on the town square: the player's bank gold, which a death cannot take.
// Deposits, withdrawals and transfers to another player's account, each made on the freshly
// merged character list under the hold and saved at once, so that no other node's change to
// the same account is lost; and the two ways of helping oneself to the bank's money: the
// bank's hidden word that leads to the drawer, and the forest's that leads to the trivia
// question.
#pragma once
#include <cstdint>
#include <string_view>

// The hidden word of the bank: S and four more keys.
constexpr std::string_view bank_hidden_word = "STEAL";
constexpr const char* bank_location = "sBank of Shamile";
constexpr const char* bank_section = "bank";
// The trivia question's answer (month, day, two-digit year).
constexpr std::string_view trivia_answer = "512904";

// Runs the bank until the player leaves for the town square.
void bank();

// Moves up to amount of the playing character's gold in hand into the bank, under the hold
// on the merged record: never more than the gold in hand, never past 199,999,999 in the
// bank. When the account cannot take it all, says so and the rest stays in hand. Returns
// what was moved.
std::int64_t deposit_gold(std::int64_t amount);

// 1 the trivia question of the forest's hidden word, 2 the bank drawer theft; any other
// mode does nothing. The caller saves the character.
void steal_from_bank(std::int16_t mode);

// Puts the bank into the town's table of places. The game's main calls it.
void game_bank_init();
