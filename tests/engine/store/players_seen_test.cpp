// A node reads "players.dat" again only when another writer has replaced it since this node
// last read or wrote it, and a save with nothing of its own to write writes nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "engine/engine_state.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/file_access.hpp"
#include "engine/text/lookups.hpp"

namespace {
int players_writes = 0;
void count_players_write(const std::string& name) {
    if (name == players_file_name) ++players_writes;
}

struct players_seen : ::testing::Test {
    engine_state st;
    players_seen() {
        players_writes = 0;
        set_write_watch(count_players_write);
    }
    ~players_seen() override { set_write_watch(nullptr); }

    // Me (1) playing among Other (2), as another node's write leaves the file.
    static void start() {
        character_record me = make_char(1, "Me", 100);
        me.created_time = 7;
        write_record_file<character_record>(players_file_name, std::vector{me, make_char(2, "Other")});
        read_char_file();
        cur_char = char_num_ptr(1);
        set_own_base();
    }
    // Another node's write: Other's gold, the file the same size and given the old file's
    // times, as a write within the clock's last tick would leave it.
    static void other_node_pays(std::int32_t gold) {
        struct stat old {};
        ASSERT_EQ(::stat(players_file_name, &old), 0);
        std::vector<character_record> recs = file_chars();
        for (character_record& c : recs)
            if (c.number == 2) c.gold = gold;
        write_record_file<character_record>(players_file_name, recs);
        const timespec times[2] = {old.st_atim, old.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, players_file_name, times, 0), 0);
    }
};
}  // namespace

TEST_F(players_seen, saves_write_only_what_changed_and_refreshes_see_every_other_write) {
    struct row {
        const char* what;
        bool other_writes;  // another node replaces the file first
        bool own_change;    // this node changed its character
        int writes;
    };
    const row rows[] = {
        {"nothing anywhere", false, false, 0},
        {"only another node", true, false, 0},
        {"only this node", false, true, 1},
        {"both", true, true, 1},
    };
    for (const row& r : rows) {
        start();
        std::string before = read_file("players.dat");
        if (r.other_writes) other_node_pays(4242);
        if (r.own_change) cur_char->bank_gold = 150;
        players_writes = 0;
        write_char_file(true);
        EXPECT_EQ(players_writes, r.writes) << r.what;
        EXPECT_EQ(char_num_ptr(2)->gold, r.other_writes ? 4242 : 200) << r.what;
        EXPECT_EQ(cur_char->bank_gold, r.own_change ? 150 : 100) << r.what;
        if (r.writes == 0 && !r.other_writes) {
            EXPECT_EQ(read_file("players.dat"), before) << r.what;
        }
        for (const character_record& c : file_chars()) {
            EXPECT_EQ(c.gold, c.number == 2 && r.other_writes ? 4242 : 100 * c.number) << r.what;
            EXPECT_EQ(c.bank_gold, c.number == 1 && r.own_change ? 150 : 100 * (c.number == 1)) << r.what;
        }
        // After this node's own write, a later write by another node is still seen.
        other_node_pays(5151);
        refresh_char_file();
        EXPECT_EQ(char_num_ptr(2)->gold, 5151) << r.what;
        EXPECT_FALSE(file_present("hold.dat")) << r.what;
        del_char_list();
        chars_loaded = false;
    }
}

TEST_F(players_seen, a_list_changed_in_memory_is_read_again) {
    start();
    // The daily maintenance works on the list's records before it writes them.
    char_list_changing();
    char_num_ptr(2)->gold = 999;
    refresh_char_file();
    EXPECT_EQ(char_num_ptr(2)->gold, 200);
    // A character added to the list: the same.
    add_char(make_char(3, "Added"));
    refresh_char_file();
    EXPECT_EQ(char_num_ptr(3), nullptr);
    EXPECT_EQ(char_count, 2);
}

TEST_F(players_seen, a_refresh_that_reads_nothing_orders_the_list_as_one_that_reads) {
    auto names = [] {
        std::vector<std::string> v;
        for (const character_record& c : char_list) v.push_back(c.name.str());
        return v;
    };
    // After the first read, after a write without and with a merge, after a refresh, after
    // the rankings sorted the list.
    for (int before = 0; before < 5; ++before) {
        del_char_list();
        chars_loaded = false;
        character_record high = make_char(1, "A");
        high.experience = 9000;
        put_chars({high, make_char(2, "B"), make_char(3, "Me"), make_char(4, "D")});
        read_char_file();
        cur_char = char_num_ptr(3);
        set_own_base();
        if (before == 1) write_char_file(false);
        if (before == 2) {
            cur_char->gold = 5;
            write_char_file(true);
        }
        if (before == 3) refresh_char_file();
        if (before == 4) rank_players();
        refresh_char_file();
        std::vector<std::string> unread = names();
        char_list_changing();
        refresh_char_file();
        EXPECT_EQ(unread, names()) << before;
        EXPECT_EQ(&char_list.front(), cur_char) << before;
    }
}
