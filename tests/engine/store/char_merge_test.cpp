// A refresh merges "players.dat" as it is read: a file holding a number twice, or the playing
// character twice, still merges as taken last record first.
#include <gtest/gtest.h>

#include "engine/engine_state.hpp"

namespace {
struct players_merge : ::testing::Test {
    engine_state st;
};

character_record me_with(std::int32_t bank) {
    character_record me = make_char(1, "Me", bank);
    me.created_time = 9;
    return me;
}
}  // namespace

TEST_F(players_merge, records_of_one_number_claim_the_list_records_last_first) {
    put_chars({me_with(10), make_char(2, "B1"), make_char(2, "B2")});
    read_char_file();
    cur_char = &*std::next(char_list.begin(), 2);
    set_own_base();
    character_record* first_two = &char_list.front();
    character_record* second_two = &*std::next(char_list.begin());
    ASSERT_EQ(first_two->name.str(), "B2");

    put_chars({me_with(50), make_char(2, "X"), me_with(70), make_char(2, "Y"), make_char(2, "Z")});
    refresh_char_file();

    std::vector<std::string> names;
    for (const auto& c : char_list) names.push_back(c.name.str() + ":" + std::to_string(c.bank_gold));
    EXPECT_EQ(names, (std::vector<std::string>{"Me:70", "Z:0", "Y:0", "X:0", "Me:50"}));
    EXPECT_EQ(&char_list.front(), cur_char);
    EXPECT_EQ(first_two->name.str(), "Z");
    EXPECT_EQ(second_two->name.str(), "Y");
    EXPECT_EQ(char_count, 5);
}
