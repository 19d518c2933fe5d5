// The three-way merge of "players.dat" into char_list: the file's records, this node's list,
// and the playing character as this node last read or wrote it (its base).
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <utility>
#include <vector>

#include "engine/store/records.hpp"

// A record is the playing character's only when it is the same character, not another one
// that took a freed number. The creation time tells them apart; the name only where a record
// has none, since a script may rename the playing character.
bool same_character(const character_record& a, const character_record& b);

// Merges the records of "players.dat", handed over in file order one at a time, into
// char_list in place: no copy of the file is held beside the list. The result is that of
// taking the records last first: the list is in that order, the playing character is the
// last record that is the same character, and the records of a number claim the list's
// other records of that number in list order. The playing character takes the file's record
// merged with what this node changed since it last read or wrote it (own_base, which becomes
// the file's record); a node that knows no base for it (it took the character up without
// set_own_base) keeps its own copy whole. finish() is false when the playing character is no
// longer in the file (deleted meanwhile): it is then dropped from the list and cur_char is
// null, so nothing of it is written back.
//
// Taken once, the records are assumed to hold each number and the playing character once, as
// a sound file does; when they do not, sound() is false and the records must be counted
// first and taken again by a fresh merge.
class char_merge {
public:
    explicit char_merge(std::optional<character_record>& own_base);

    // First run of a counted merge: how many records each number has.
    void count(const character_record& rec);
    // Ends the counting; the playing character's own record is no claimer.
    void counted();

    void take(const character_record& rec);
    bool sound() const { return sound_; }
    bool finish();

private:
    using node_it = char_list_type::iterator;
    using node = std::pair<std::int16_t, node_it>;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    static bool number_less(const node& a, const node& b) { return a.first < b.first; }

    // Index of the first list record of the number, npos when none.
    std::size_t group_of(std::int16_t number) const;
    std::size_t group_end(std::size_t first) const;

    std::optional<character_record>& own_base_;
    std::vector<node> by_number_;
    std::vector<std::uint32_t> taken_, counts_;    // per number: records taken, records counted
    std::vector<std::pair<bool, node_it>> order_;  // in file order: a list record or a fresh one
    char_list_type fresh_;
    node_it own_{};
    std::size_t at_ = 0, own_at_ = npos;
    bool counted_ = false, own_found_ = false, own_taken_ = false, sound_ = true;
    character_record own_fresh_;
};
