// The merge between two writers of a shared record, per record, by its field list: a field
// changed by one side, by the other, by both; an amount changed by both; and the stock list
// the sysop writes back while nodes sell.
#include <gtest/gtest.h>

#include "engine/engine_state.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/records.hpp"
#include "engine/store/shop_file.hpp"

namespace {
struct merge_row {
    const char* field;
    std::int64_t base, mine, file, merged;
    std::int64_t came_short = 0;  // the difference the merge reports it could not take
};

// Each row on records otherwise alike: the field takes merged, every other field the file's.
template <class R>
void check(const std::vector<merge_row>& rows) {
    for (const merge_row& r : rows) {
        SCOPED_TRACE(std::string(r.field) + " " + std::to_string(r.base) + " " + std::to_string(r.mine) + " " +
                     std::to_string(r.file));
        const record_field<R>* f = field_named<R>(r.field);
        ASSERT_NE(f, nullptr);
        R base{}, mine{}, fresh{};
        f->set_int(base, r.base);
        f->set_int(mine, r.mine);
        f->set_int(fresh, r.file);
        R expected = fresh;
        f->set_int(expected, r.merged);
        short_amounts shorts = merge_fields(fresh, base, mine);
        EXPECT_EQ(shorts.empty() ? 0 : shorts.front().change, r.came_short);
        EXPECT_EQ(f->get_int(fresh), r.merged);
        EXPECT_TRUE(same_fields(fresh, expected));
    }
}
}  // namespace

TEST(record_merge, character) {
    check<character_record>({
        {"guild", 1, 1, 0, 0},  // kicked by the leader's node
        {"guild", 1, 2, 1, 2},  // joined another here
        {"guild", 1, 2, 0, 2},  // both: the writer now
        {"level", 1, 3, 2, 3},
        {"gold", 500, 500, 88'888, 88'888},  // set by the sysop
        {"gold", 500, 600, 88'888, 88'988},  // both: the differences add up
        {"gold", 500, 0, 100, 0, -500},      // held at 0, and reported
        {"gold", 500, 100, 300, 0, -400},
        {"bank_gold", 1000, 850, 1300, 1150},
        {"bank_gold", max_gold - 10, max_gold, max_gold - 5, max_gold},
        {"bank_gold", -5, 10, 3, 10},  // out of its range: the writer's
        {"gems", 5, 3, 10, 8},
        {"gems", 5, 1, 2, 0, -4},
        {"status_bits", 0, status_saw_shady, status_hunted, status_hunted | status_saw_shady},
        {"status_bits", status_hunted, 0, status_hunted | status_expert, status_expert},
        {"class_bits", class_mage, class_mage | class_thief, class_warrior, class_warrior | class_thief},
    });
}

TEST(record_merge, statistics) {
    check<stat_record>({
        {"creature_fights", 25, 25, 40, 40},  // the sysop's option stays
        {"room_cost", 300, 500, 999, 500},
        {"day", 5, 5, 6, 6},
        {"floating_gold", 100, 150, 300, 350},
        {"floating_gold", 100, 0, 50, 0, -100},
    });
}

TEST(record_merge, guild) {
    check<guild_record>({
        {"leader", 2, 2, 3, 3},
        {"leader", 2, 4, 3, 4},
        {"treasury_gold", 50'000, 10'000, 50'000, 10'000},
        {"treasury_gold", 50'000, 10'000, 60'000, 20'000},
        {"treasury_gems", 10, 12, 5, 7},
    });
}

TEST(record_merge, stock_entry) {
    check<shop_entry>({
        {"count", 5, 5, 4, 4},    // sold on a node while the editor was open
        {"count", 5, 8, 4, 7},    // restocked by 3 here, one sold there
        {"count", 5, -1, 4, -1},  // made endless here
        {"count", -1, 5, -1, 5},
        {"count", -1, -1, 3, 3},
        {"count", 1, 0, 0, 0, -1},
        {"cost", 100, 100, 150, 150},
    });
}

TEST(record_merge, texts_and_reals_take_the_writers_change) {
    character_record base, mine, fresh;
    base.name = mine.name = "HUGO";
    fresh.name = "HUGH";
    character_record kept = fresh;
    merge_fields(kept, base, mine);
    EXPECT_EQ(kept.name.view(), "HUGH");
    mine.name = "HUGE";
    merge_fields(fresh, base, mine);
    EXPECT_EQ(fresh.name.view(), "HUGE");

    stat_record s_base, s_mine, s_fresh;
    s_base.interest_pct = s_mine.interest_pct = 6.0;
    s_fresh.interest_pct = 7.5;
    s_base.reserved[3] = 9;
    s_fresh.reserved[3] = 9;
    s_mine.reserved[3] = 4;
    merge_fields(s_fresh, s_base, s_mine);
    EXPECT_EQ(s_fresh.interest_pct, 7.5);
    EXPECT_EQ(s_fresh.reserved[3], 4);
}

namespace {
struct stock_merge : ::testing::Test, engine_state {};

// "A:5 B:2" as entries (ScriptIDs from the names).
shop_list stock(const std::string& text) {
    shop_list l;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(at, end - at);
        shop_entry e;
        e.name = word.substr(0, word.find(':'));
        e.script_id = "ID-" + e.name.str();
        e.count = static_cast<std::int16_t>(std::stoi(word.substr(word.find(':') + 1)));
        l.push_back(e);
        at = end + 1;
    }
    return l;
}
std::string text_of(const shop_list& l) {
    std::string t;
    for (const shop_entry& e : l) t += (t.empty() ? "" : " ") + e.name.str() + ":" + std::to_string(e.count);
    return t;
}
bool everything(const shop_entry&) { return true; }
}  // namespace

TEST_F(stock_merge, the_sysops_list_written_beside_a_nodes_sales) {
    struct row {
        const char* base;
        const char* mine;
        const char* file;
        const char* merged;
    };
    const row rows[] = {
        {"A:5 B:2", "A:5 B:2", "A:4 B:2", "A:4 B:2"},  // nothing changed, one sold meanwhile
        {"A:5", "A:8", "A:4", "A:8"},                  // the count typed here stands
        {"A:5 B:2", "B:2", "A:4 B:2", "B:2"},          // removed here
        {"A:5", "A:5 C:1", "A:5 D:3", "A:5 D:3 C:1"},  // added here and there
        {"A:1 B:2", "A:1 B:2", "B:2", "B:2"},          // sold out and dropped there
        {"A:1 B:2", "A:6 B:2", "B:2", "B:2 A:6"},      // sold out there, restocked here
        {"A:1 A:2", "A:1 A:3", "A:1 A:2", "A:1 A:3"},  // the same item twice, by its place
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.mine);
        write_file("weapon.shp", records_image<shop_entry>(stock(r.file)));
        merge_shop_file("weapon.shp", stock(r.base), stock(r.mine), everything);
        EXPECT_EQ(text_of(read_shop_file("weapon.shp", everything)), r.merged);
    }
}
