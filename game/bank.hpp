// The Bank of Shamile on the town square: the player's bank gold, which a death cannot take.
// Deposits, withdrawals and transfers to another player's account, each made on the freshly
// merged character list under the hold and saved at once, so that no other node's change to
// the same account is lost; and the hidden word that leads to the bank drawer.
#pragma once
#include <cstdint>
#include <string_view>

// The hidden word of the bank: S and four more keys.
constexpr std::string_view bank_hidden_word = "STEAL";
constexpr const char* bank_location = "sBank of Shamile";
constexpr const char* bank_section = "bank";

// Runs the bank until the player leaves for the town square.
void bank();

// Moves up to amount of the playing character's gold in hand into the bank, under the hold
// on the merged record: never more than the gold in hand, never past 199,999,999 in the
// bank. When the account cannot take it all, says so and the rest stays in hand. Returns
// what was moved.
std::int64_t deposit_gold(std::int64_t amount);

// Puts the bank into the town's table of places. The game's main calls it.
void game_bank_init();
