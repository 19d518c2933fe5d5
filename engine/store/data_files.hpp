// The game's three shared record files and the lists that hold them for the whole run:
// "players.dat" (backup "players.old") in char_list, "guilds.dat" (backup "guilds.old") in
// guild_list, and the one record of "quorstat.dat" in game_stats; and the inventory writer.
//
// Lists are pushed at the head on reading and written from the head, so the order of the
// records in a file reverses at every load and save; nothing relies on that order.
//
// Every read-modify-write of "players.dat", "guilds.dat" or "quorstat.dat" happens under the
// hold (hold.hpp): take it, re-read, change, write, release.
//
// A refresh (re-reading "players.dat") updates the records of char_list in place, matched by
// player number, so cur_char and every other pointer into char_list stay valid; only records
// that are gone from the file are removed (never cur_char).
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <string>

#include "engine/store/records.hpp"

// ---- Game globals owned here ----
extern char_list_type char_list;
extern std::int16_t char_count;     // length of char_list
extern bool chars_loaded;           // "players.dat" has been read this run
extern character_record* cur_char;  // the playing character, inside char_list; null before log-on
extern std::list<guild_record> guild_list;
extern std::int16_t guild_count;
extern stat_record game_stats;

using inventory_list = std::list<item_record>;

constexpr const char* players_file_name = "players.dat";
constexpr const char* players_backup_name = "players.old";
constexpr const char* guilds_file_name = "guilds.dat";
constexpr const char* guilds_backup_name = "guilds.old";
constexpr const char* stat_file_name = "quorstat.dat";

// ---- Characters ----
// Loads "players.dat" into char_list once a run. Missing: "`9Starting new Character
// `4FILE`9" and an empty list. Corrupt: "`9Player file `4CORRUPTED `9Please inform SysOp"
// and code 3.
void read_char_file();
// Rewrites "players.dat" from char_list under the hold, merging first when refresh is set.
// With refresh, a playing character that this node has not changed since it last read or
// wrote it leaves nothing to write: only the refresh runs.
void write_char_file(bool refresh);
// Re-reads "players.dat" into char_list in place. The playing character takes the file's
// record with this node's changes since it last read or wrote it (record_fields.hpp: what the
// node changed wins, gold, bank gold and gems add up, status and class bits merge bit by
// bit), so another writer's change to a field the node left alone (a kick, a sysop's edit, a
// mark) reaches the node here; every other character comes from the file; characters new in
// the file are added, characters gone from it removed (never cur_char). Without a playing
// character it is a plain re-read. A file that no node has written since this node last read
// or wrote it is not read again: char_list already holds it.
// "players.dat" gone after it was read this run: "  `9Error : Character file missing." and
// code 3.
void refresh_char_file();
// Writes char_list to "players.old" under the hold, without a refresh.
void write_char_backup();
// The one read-modify-write of "players.dat": takes the hold, refreshes char_list, runs
// change (which may change any record, add one with add_char, or set cur_char), writes
// "players.dat" and releases the hold. For gold, bank gold, other players' records and new
// player numbers (lowest_free_char_number in lookups.hpp).
void update_under_hold(const std::function<void()>& change);

// The playing character as it stands now is what this node last read of it: called when a
// node takes up its character from the list as loaded. Without it the node's first save
// writes its copy whole.
void set_own_base();

// char_list is about to change other than through the reads, merges and writes here (the
// daily maintenance's work on its records, the rankings' sort): the next refresh reads
// "players.dat" again.
// Until then a refresh of a file that no node has written since this node last read or wrote
// it reads nothing.
void char_list_changing();

// A list's length as the 16-bit counts hold it (at most 32767).
std::int16_t list_count(std::size_t n);

// Pushes a copy at the head of char_list; char_count + 1. Returns the node.
character_record* add_char(const character_record& r);
// The same without forgetting what the list was read from: for the readers and the merge,
// which account for the list's order themselves.
character_record* push_char(const character_record& r);
// Empties char_list (cur_char becomes null); char_count 0.
void del_char_list();

// ---- Guilds ----
// Loads "guilds.dat" into guild_list (pushed at the head). Missing: an empty list. Corrupt:
// "`9Guild file `4CORRUPTED `9Please inform SysOp" and code 19.
void read_guild_file();
// Re-reads "guilds.dat" into a fresh guild_list (pointers into the old list are gone);
// a missing file gives an empty list.
void load_guild_file();
// Rewrites the named guild file from guild_list, head first; an empty list leaves the file
// as it is. Waits for another node's hold first.
void write_guild_file(const std::string& name);
// The read-modify-write of "guilds.dat": takes the hold, load_guild_file, change,
// write_guild_file("guilds.dat"), releases the hold.
void update_guilds_under_hold(const std::function<void()>& change);

guild_record* add_guild(const guild_record& g);
// Removes the guild of that number from guild_list; when the list is then empty, "guilds.dat"
// is erased. A number that no guild has changes nothing but that erase.
void delete_guild(std::int16_t number);
void del_guild_list();

// ---- Statistics ----
// Loads "quorstat.dat" into r. Missing: "`9Stat File Not Found : `4HOLD" and
// create_stat_file(r). Corrupt: "`9Stat file `4CORRUPTED `9Please inform SysOp" and code 2.
void read_stat_file(stat_record& r);
// Writes game_stats to "quorstat.dat" under the hold on a fresh read, taking only the fields
// this node changed since it last read or wrote the file (the lottery pot as a difference):
// a sysop's option set meanwhile stays. The game day and the last maintenance date never move
// backwards. game_stats takes the result.
void write_stat_file();
// Fills r with the defaults of a new game and writes it to "quorstat.dat".
void create_stat_file(stat_record& r);

// ---- Inventories ----
// "invt" + the number zero-padded to four digits + ".dat".
std::string inventory_file_name(std::int16_t number);
// Rewrites the player's inventory file from the list, head first, 70 bytes an item.
void write_inventory(std::int16_t number, const inventory_list& items);
// Number of items of a list.
std::int16_t list_length(const inventory_list& items);
