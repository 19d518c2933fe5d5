#include "engine/store/char_merge.hpp"

#include <algorithm>
#include <iterator>

#include "engine/store/data_files.hpp"
#include "engine/store/record_fields.hpp"

bool same_character(const character_record& a, const character_record& b) {
    return a.number == b.number && a.created_time == b.created_time &&
           (a.created_time != 0 || a.name.view() == b.name.view());
}

char_merge::char_merge(std::optional<character_record>& own_base) : own_base_(own_base) {
    // The playing character must be a node of the list, or the merge would drop it.
    if (cur_char &&
        std::none_of(char_list.begin(), char_list.end(), [](const character_record& c) { return &c == cur_char; }))
        cur_char = push_char(*cur_char);
    // The other records by number, in list order within a number (stable): a sorted table
    // keeps the merge small beside a list of many thousand characters.
    by_number_.reserve(char_list.size());
    for (auto it = char_list.begin(); it != char_list.end(); ++it) {
        if (&*it == cur_char)
            own_ = it;
        else
            by_number_.emplace_back(it->number, it);
    }
    std::stable_sort(by_number_.begin(), by_number_.end(), number_less);
    taken_.assign(by_number_.size(), 0);
    order_.reserve(char_list.size());
}

void char_merge::count(const character_record& rec) {
    if (cur_char && same_character(rec, *cur_char)) own_at_ = at_;
    ++at_;
    if (std::size_t first = group_of(rec.number); first != npos) ++taken_[first];
}

void char_merge::counted() {
    if (own_at_ != npos)
        if (std::size_t first = group_of(cur_char->number); first != npos) --taken_[first];
    counts_.swap(taken_);
    taken_.assign(by_number_.size(), 0);
    at_ = 0;
    counted_ = true;
}

void char_merge::take(const character_record& rec) {
    std::size_t at = at_++;
    if (cur_char && same_character(rec, *cur_char) && (counted_ ? at == own_at_ : !own_found_)) {
        own_found_ = true;
        own_fresh_ = rec;
        return;
    }
    if (cur_char && same_character(rec, *cur_char) && !counted_) sound_ = false;
    if (cur_char && rec.number == cur_char->number) own_taken_ = true;
    std::size_t first = group_of(rec.number);
    std::optional<node_it> mine;
    if (first != npos) {
        std::size_t size = group_end(first) - first, rank = taken_[first]++;
        // Last first, the k-th record of a number claims its k-th list record.
        std::size_t k = counted_ ? counts_[first] - 1 - rank : rank;
        if (!counted_ && rank > 0) sound_ = false;
        if (k < size) mine = by_number_[first + k].second;
    }
    if (mine) {
        **mine = rec;
        order_.emplace_back(false, *mine);
    } else {
        fresh_.push_back(rec);
        order_.emplace_back(true, std::prev(fresh_.end()));
    }
}

bool char_merge::finish() {
    // Its number held by another character: deleted, and the number given out again. A
    // number nobody holds is a character not saved yet, which the write adds.
    bool own_gone = cur_char && !own_found_ && own_taken_;
    if (own_found_) {
        character_record merged = own_fresh_;
        bool known = own_base_ && same_character(*own_base_, *cur_char);
        log_short_amounts(players_file_name, merged.name.view(),
                          merge_fields(merged, known ? *own_base_ : own_fresh_, *cur_char));
        *cur_char = merged;
        own_base_ = own_fresh_;
    }
    char_list_type merged;
    for (const auto& [is_fresh, it] : order_) merged.splice(merged.begin(), is_fresh ? fresh_ : char_list, it);
    if (own_gone) cur_char = nullptr;
    if (cur_char) merged.splice(merged.begin(), char_list, own_);
    // What is left is gone from the file.
    char_list.clear();
    char_list.swap(merged);
    char_count = list_count(char_list.size());
    return !own_gone;
}

std::size_t char_merge::group_of(std::int16_t number) const {
    auto it = std::lower_bound(by_number_.begin(), by_number_.end(), node{number, {}}, number_less);
    return it != by_number_.end() && it->first == number ? static_cast<std::size_t>(it - by_number_.begin()) : npos;
}

std::size_t char_merge::group_end(std::size_t first) const {
    return static_cast<std::size_t>(std::upper_bound(by_number_.begin() + static_cast<std::ptrdiff_t>(first),
                                                     by_number_.end(), by_number_[first], number_less) -
                                    by_number_.begin());
}
