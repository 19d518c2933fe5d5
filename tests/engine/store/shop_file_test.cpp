// The shops' stock files: the 52-byte entry at its offsets, a torn tail, the take of one item
// from stock, and several nodes taking at once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/engine_state.hpp"
#include "engine/golden.hpp"
#include "engine/store/shop_file.hpp"
#include "support/child.hpp"

namespace {
struct shop_file : ::testing::Test, engine_state {};

std::string entry_image(const std::string& name, const std::string& id, std::int64_t cost, int count) {
    golden g(52);
    g.str(0, name).str(21, id).i32(42, cost).i16(46, count);
    return g.b;
}
const std::string dagger = entry_image("Dagger", "WS01-12092026-QZ-N", 300, -1);
bool not_sold_out(const shop_entry& e) { return e.count != 0; }
}  // namespace

TEST_F(shop_file, an_entry_reads_at_its_offsets_and_writes_back_with_the_link_zeroed) {
    golden g(52);
    g.str(0, "Short Sword").str(21, "WS02-12092026-QZ-N").i32(42, 2'100'000'000).i16(46, -7).i32(48, 0x12345678);
    write_file("weapon.shp", g.b + dagger);
    shop_list list = read_shop_file("weapon.shp", [](const shop_entry&) { return true; });
    ASSERT_EQ(list.size(), 2u);
    const shop_entry& e = list.front();
    EXPECT_EQ(e.name, "Short Sword");
    EXPECT_EQ(e.script_id, "WS02-12092026-QZ-N");
    EXPECT_EQ(e.cost, 2'100'000'000);
    EXPECT_EQ(e.count, -7);
    write_shop_file("weapon.shp", list);
    EXPECT_EQ(read_file("weapon.shp"), g.i32(48, 0).b + dagger);
    del_shop_list(list);
    EXPECT_TRUE(list.empty());
}

TEST_F(shop_file, a_torn_tail_reads_zero_filled_and_a_missing_file_is_an_empty_shop) {
    write_file("armor.shp", dagger + dagger.substr(0, 10));
    shop_list list = read_shop_file("armor.shp", [](const shop_entry&) { return true; });
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.back().name, "Dagger");
    EXPECT_EQ(list.back().count, 0);
    EXPECT_EQ(list.back().script_id, "");
    EXPECT_TRUE(read_shop_file("shield.shp", not_sold_out).empty());
    EXPECT_FALSE(file_present("shield.shp"));
    // One that can never be read (a directory) ends with code 5, naming the file and why.
    ::mkdir("shield.shp", 0755);
    child_result r = run_in_child([] { read_shop_file("shield.shp", not_sold_out); });
    EXPECT_EQ(r.code, 5);
    EXPECT_EQ(r.out, "`4Could not open shield.shp : Is a directory\r\n");
}

TEST_F(shop_file, the_last_entry_of_the_name_and_scriptid_is_taken) {
    // The rewrite drops what the rule does not keep; a negative count is never rewritten.
    std::string three = entry_image("Dagger", "WS01-12092026-QZ-N", 300, 3);
    write_file("weapon.shp",
               three + entry_image("Dirk", "X", 1, 0) + entry_image("Dagger", "WS01-12092026-QZ-N", 300, 2));
    EXPECT_EQ(take_one_from_stock("weapon.shp", "Dagger", "WS01-12092026-QZ-N", not_sold_out), stock_take::sold);
    EXPECT_EQ(read_file("weapon.shp"), three + entry_image("Dagger", "WS01-12092026-QZ-N", 300, 1));
    EXPECT_EQ(take_one_from_stock("weapon.shp", "Dagger", "WS01-12092026-QZ-X", not_sold_out), stock_take::gone);
    EXPECT_EQ(take_one_from_stock("none.shp", "Dagger", "WS01-12092026-QZ-N", not_sold_out), stock_take::gone);
    EXPECT_FALSE(file_present("none.shp"));
}

TEST_F(shop_file, nodes_taking_at_once_never_sell_more_than_the_stock) {
    struct row {
        int stock, buyers, sold, left;
    } rows[] = {{1, 2, 1, 0}, {10, 8, 8, 2}};
    for (const row& r : rows) {
        write_file("weapon.shp", entry_image("Dagger", "WS01-12092026-QZ-N", 300, r.stock));
        std::vector<pid_t> kids;
        for (int i = 0; i < r.buyers; ++i)
            kids.push_back(start_child([] {
                stock_take t = take_one_from_stock("weapon.shp", "Dagger", "WS01-12092026-QZ-N", not_sold_out);
                ::_exit(t == stock_take::sold ? 0 : 1);
            }));
        int sold = 0;
        for (pid_t k : kids) sold += wait_child(k).code == 0;
        EXPECT_EQ(sold, r.sold) << r.stock;
        EXPECT_EQ(read_file("weapon.shp"), entry_image("Dagger", "WS01-12092026-QZ-N", 300, r.left)) << r.stock;
    }
}
