// Mail between players and the game's system messages.
//
// Every character has a mailbox user<NNNN>.dat in the game directory. A message is a header
// line "#" + the sender's number in four digits + " " + the sender's title ("#0000" for
// the game itself, "#0000 GUILD" for guild mail), body lines shown as they stand, a line
// beginning "~", and command lines (REFRESH, RESPONSE, ADD and SET of a statistic) that
// the owner's game carries out when it reads the mailbox. That is how another node changes
// a character it does not hold.
//
// Other nodes append to the mailbox under its lock. The reader moves the mailbox aside to
// user<NNNN>.tmp under the same lock and works from there: what is appended meanwhile waits
// for the next reading. Before a message's command lines run, the message is marked carried
// out in the aside file (one byte), so a reading that is cut off (the caller hangs up) leaves
// exactly the messages not yet carried out; the next reading skips the marked ones and takes
// the rest first. No command line runs twice, and no unread message is lost.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/text/text_file.hpp"

// True when the playing character's mailbox, or one left from a reading that was cut off,
// exists.
bool mail_waiting();

// Reads, shows and empties the playing character's mailbox and carries out its command
// lines; the character is saved afterwards when any command line ran.
void read_mail();

// Carries out one command line of a mailbox for the playing character. RESPONSE is the
// reader's business and is not handled here. True when the line was a command (REFRESH,
// ADD or SET with a known statistic); unknown words and mnemonics do nothing. Runs under the
// hold of the message's reading, which writes "players.dat" once after its commands.
bool run_mail_command(std::string_view line);

// The most lines a player types into one letter.
constexpr int max_letter_lines = 200;
// Lets the player write mail: to the named character (whole name) or, with an empty
// recipient, to one the player names; "GUILD" writes to every other member of the player's
// guild. quoted is shown and put at the top of the message. A mailbox that is full or that
// cannot be written gets a line of its own instead of "Mail Sent".
void send_mail(std::string_view recipient, text_list quoted);

// Reads the rest of the reader's lines into list (replaced), each cut to 100 characters;
// at least one line, even for an empty file.
void read_text_lines(text_reader& file, text_list& list);
