// A purchase or a sale in a shop writes up to three files under the hold: a purchase the shop's
// stock file, "players.dat" and the character's inventory "invtNNNN.dat"; a sale the inventory,
// then "players.dat" (taking before giving). A kill between them would leave a price without
// its item or an item without its offer, so the step is noted in "stepNNNN.dat" (the player's
// number, four digits) before its first write, each write is noted as it is about to land, and
// the note is erased after the last. At the character's next log-on a note left behind is
// settled: when "players.dat" took the step (the price paid or the offer received) it is
// completed (a bought item not in the inventory yet is put there), else every write of it that
// landed is undone (the stock counts one back, the sold item comes back), so the realm has
// exactly the gold and items it had before the step or after it.
//
// The reading of a letter that carries command lines is noted the same way: its
// commands' writes of "players.dat", then the mark in the mailbox being read ("userNNNN.tmp")
// that the message is carried out (or the mailbox's rewrite or erasure that leaves it out).
// Settled, a reading whose "players.dat" write landed gets its message marked when the mark
// had not (the letter never pays twice); else the note is only erased and the letter, still
// unread, is read again once.
//
// The note, a text file of lines ending "\n":
//   "STEP 1"
//   "BUY", "SELL" or "READ"
//   the player's number and creation time, blank between
//   the stock file of a purchase, the player's own mailbox being read of a reading (an empty
//   line for a sale)
//   the item's 70-byte record, 140 hexadecimal digits; of a reading, the message's first
//   byte's offset in the mailbox and the mailbox's inode, blank between
//   then for each write begun, in order, one line: the file, the temporary file that is to be
//   renamed over it and that temporary file's inode, blank between; the temporary file "-"
//   for a write that failed. A file name holds no blank and no directory part; a stock file
//   ends ".shp", a reading's mailbox is its player's own and a temporary file is "." + the
//   file + "." + a process number + ".tmp", so a note can only ever touch those files of the
//   game directory. The mark of a reading is written in place, not renamed, so it is no write
//   of the list: a mailbox with the noted inode still stands as the reading found it.
// A note of another character (the number given out again) or one that does not read so is
// erased unsettled, with a line in the debug log.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/records.hpp"

enum class step_kind { buy, sell, read };

struct shop_step {
    step_kind kind = step_kind::buy;
    std::int16_t number = 0;
    std::int32_t created_time = 0;
    std::string stock_file;
    item_record item;
    // Of a reading: the mailbox, where its message begins and the mailbox's inode then.
    std::string mailbox;
    std::int64_t message_at = 0;
    std::uint64_t mailbox_inode = 0;
    struct write {
        std::string file, temp;
        std::uint64_t inode = 0;
    };
    std::vector<write> writes;
};

// "step" + the number zero-padded to four digits + ".dat".
std::string step_file_name(std::int16_t number);
std::string encode_step(const shop_step& s);
// The note of a file's contents; nothing when they do not read as one.
std::optional<shop_step> parse_step(std::string_view text);

// Runs the step's writes (work, inside the hold, in the order above) with the note kept beside
// them; the note is erased once work has returned and the hold is still held. Needs a playing
// character.
void noted_step(shop_step step, const std::function<void()>& work);

// The playing character's note left by a kill, settled as above; at log-on, before the
// inventory and the mailbox are read. Nothing when there is none.
void settle_step();
