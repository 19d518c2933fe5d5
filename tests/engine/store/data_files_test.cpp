// The character, guild and statistics files: load order, merge, refresh in place, defaults,
// corrupt files, failed writes.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "engine/engine_state.hpp"
#include "engine/golden.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/lookups.hpp"
#include "support/capture.hpp"
#include "support/child.hpp"

namespace {
struct data_files : ::testing::Test {
    engine_state st;
};

std::vector<std::string> names_of(const char_list_type& l) {
    std::vector<std::string> v;
    for (const auto& c : l) v.push_back(c.name.str());
    return v;
}

std::vector<std::string> names_of(const std::vector<character_record>& l) {
    std::vector<std::string> v;
    for (const auto& c : l) v.push_back(c.name.str());
    return v;
}

bool temp_files_left() {
    for (const auto& e : std::filesystem::directory_iterator("."))
        if (e.path().filename().string().find(".tmp") != std::string::npos) return true;
    return false;
}
}  // namespace

TEST_F(data_files, three_records_load_reversed_and_write_back_reversed_again) {
    put_chars({make_char(1, "A"), make_char(2, "B"), make_char(3, "C")});
    read_char_file();
    EXPECT_EQ(names_of(char_list), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(char_count, 3);
    EXPECT_TRUE(chars_loaded);
    write_char_file(false);
    EXPECT_EQ(names_of(file_chars()), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(read_file("players.dat").size(), 3u * 299);
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_FALSE(temp_files_left());
}

TEST_F(data_files, the_character_file_is_read_once_a_run) {
    put_chars({make_char(1, "A")});
    read_char_file();
    put_chars({make_char(1, "A"), make_char(2, "B")});
    read_char_file();
    EXPECT_EQ(char_count, 1);
}

TEST_F(data_files, missing_character_file_starts_an_empty_list) {
    output_capture out;
    read_char_file();
    EXPECT_EQ(out.take(), "`9Starting new Character `4FILE`9\r\n");
    EXPECT_TRUE(char_list.empty());
    EXPECT_FALSE(chars_loaded);
}

TEST_F(data_files, corrupt_files_end_with_their_codes) {
    write_file("players.dat", std::string(299 * 2 + 5, 'x'));
    child_result r = run_in_child([] { read_char_file(); });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "`9Player file `4CORRUPTED `9Please inform SysOp\r\n");

    write_file("guilds.dat", std::string(216, 'x'));
    r = run_in_child([] { read_guild_file(); });
    EXPECT_EQ(r.code, 19);
    EXPECT_EQ(r.out, "`9Guild file `4CORRUPTED `9Please inform SysOp\r\n");

    write_file("quorstat.dat", std::string(558, 'x'));
    r = run_in_child([] { read_stat_file(game_stats); });
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "`9Stat file `4CORRUPTED `9Please inform SysOp\r\n");
    write_file("quorstat.dat", "");
    EXPECT_EQ(run_in_child([] { read_stat_file(game_stats); }).code, 2);
}

TEST_F(data_files, merge_adds_bank_gold_as_a_difference_and_takes_others_from_the_file) {
    put_chars({make_char(1, "Me", 250), make_char(2, "Other")});
    read_char_file();
    cur_char = char_num_ptr(1);
    set_own_base();
    cur_char->bank_gold = 100;  // 150 taken out here, while another node pays 50 in
    cur_char->gold = 7;
    character_record* other = char_num_ptr(2);
    other->gold = 999999;  // a stale change of another player's record in memory

    character_record newer = make_char(2, "Other");
    newer.gold = 42;
    put_chars({make_char(1, "Me", 300), newer, make_char(3, "Newcomer")});
    write_char_file(true);

    EXPECT_EQ(cur_char->bank_gold, 150);
    EXPECT_EQ(cur_char->gold, 7);
    EXPECT_EQ(other, char_num_ptr(2)) << "pointers into the list survive a refresh";
    EXPECT_EQ(other->gold, 42);
    EXPECT_EQ(&char_list.front(), cur_char);
    auto recs = file_chars();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(names_of(recs), (std::vector<std::string>{"Me", "Newcomer", "Other"}));
    EXPECT_EQ(recs[0].bank_gold, 150);
    EXPECT_EQ(recs[0].gold, 7);

    cur_char->bank_gold = 300;
    write_char_file(true);
    EXPECT_EQ(file_chars()[0].bank_gold, 300);
}

TEST_F(data_files, a_playing_character_renamed_by_a_script_is_still_its_own_record) {
    child_result r = run_in_child([] {
        character_record me = make_char(1, "Me");
        me.created_time = 500;
        put_chars({me, make_char(2, "Other")});
        read_char_file();
        cur_char = char_num_ptr(1);
        cur_char->name = "Renamed";
        cur_char->gold = 7;
        write_char_file(true);
    });
    EXPECT_EQ(r.code, 0);
    auto recs = file_chars();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].name.str(), "Renamed");
    EXPECT_EQ(recs[0].gold, 7);
}

TEST_F(data_files, a_playing_character_missing_from_the_file_is_added_and_gone_ones_removed) {
    put_chars({make_char(1, "A"), make_char(2, "B"), make_char(3, "C")});
    read_char_file();
    cur_char = add_char(make_char(4, "New"));
    put_chars({make_char(1, "A"), make_char(3, "C")});  // B deleted by another node
    write_char_file(true);
    EXPECT_EQ(char_count, 3);
    EXPECT_EQ(char_num_ptr(2), nullptr);
    EXPECT_EQ(names_of(file_chars()), (std::vector<std::string>{"New", "C", "A"}));
}

TEST_F(data_files, refresh_without_a_playing_character_rereads_the_file) {
    put_chars({make_char(1, "A", 10)});
    read_char_file();
    put_chars({make_char(1, "A", 500), make_char(2, "B")});
    write_char_file(true);
    auto recs = file_chars();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(char_num_ptr(1)->bank_gold, 500);
}

TEST_F(data_files, the_first_save_of_a_new_game_creates_the_file) {
    read_char_file();
    cur_char = add_char(make_char(1, "First"));
    write_char_file(true);
    EXPECT_EQ(names_of(file_chars()), (std::vector<std::string>{"First"}));
}

TEST_F(data_files, a_character_file_gone_while_playing_ends_with_code_3) {
    put_chars({make_char(1, "A")});
    read_char_file();
    cur_char = char_num_ptr(1);
    std::remove("players.dat");
    child_result r = run_in_child([] { write_char_file(true); });
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.out.find("  `9Error : Character file missing.\r\n"), std::string::npos);
}

TEST_F(data_files, update_under_hold_allocates_the_lowest_free_number) {
    put_chars({make_char(1, "A"), make_char(3, "C")});
    read_char_file();
    put_chars({make_char(1, "A"), make_char(2, "B"), make_char(3, "C")});
    std::int16_t got = 0;
    update_under_hold([&] {
        got = lowest_free_char_number();
        cur_char = add_char(make_char(got, "D"));
    });
    EXPECT_EQ(got, 4);
    EXPECT_EQ(file_chars().size(), 4u);
    EXPECT_FALSE(hold_owned());
    EXPECT_FALSE(file_present("hold.dat"));
}

TEST_F(data_files, backups_write_the_list_as_it_stands) {
    put_chars({make_char(1, "A"), make_char(2, "B")});
    read_char_file();
    write_char_backup();
    EXPECT_EQ(names_of(file_chars("players.old")), (std::vector<std::string>{"B", "A"}));
    guild_record g;
    g.number = 1;
    g.name = "Axes";
    add_guild(g);
    write_guild_file("guilds.old");
    EXPECT_EQ(read_file("guilds.old").size(), 217u);
}

TEST_F(data_files, guild_files_reverse_and_a_missing_file_is_an_empty_list) {
    read_guild_file();
    EXPECT_TRUE(guild_list.empty());
    std::string image;
    for (int n : {1, 2, 3}) {
        guild_record g;
        g.number = static_cast<std::int16_t>(n);
        image += encode_record(g);
    }
    write_file("guilds.dat", image);
    load_guild_file();
    ASSERT_EQ(guild_count, 3);
    EXPECT_EQ(guild_list.front().number, 3);
    write_guild_file("guilds.dat");
    EXPECT_EQ(read_file("guilds.dat").substr(0, 2), std::string("\x03\x00", 2));

    std::remove("guilds.dat");
    load_guild_file();
    EXPECT_TRUE(guild_list.empty()) << "a deleted last guild stays deleted";
    write_guild_file("guilds.dat");
    EXPECT_FALSE(file_present("guilds.dat")) << "an empty list leaves the file as it is";
}

TEST_F(data_files, update_guilds_under_hold_rereads_and_erases_when_the_last_goes) {
    guild_record g;
    g.number = 5;
    g.treasury_gold = 10;
    write_file("guilds.dat", encode_record(g));
    update_guilds_under_hold([] { guild_num_ptr(5)->treasury_gold += 90; });
    guild_record back;
    decode_record(read_file("guilds.dat"), back);
    EXPECT_EQ(back.treasury_gold, 100);
    update_guilds_under_hold([] { del_guild_list(); });
    EXPECT_FALSE(file_present("guilds.dat"));
}

TEST_F(data_files, a_missing_stat_file_is_created_with_the_defaults) {
    st.seam.set_time(2026, 1, 15, 12, 0, 0);
    output_capture out;
    read_stat_file(game_stats);
    EXPECT_EQ(out.take(), "`9Stat File Not Found : `4HOLD\r\n");
    std::string img = read_file("quorstat.dat");
    ASSERT_EQ(img.size(), 559u);
    std::string cwd = std::filesystem::current_path().string() + "/";
    golden g(559);
    g.i16(0, 0).str(2, "19800101").str(258, "Thursday 01/15/26  12:00:00:00").i16(299, 15).i16(301, 2);
    g.str(398, "1:1/1.1").str(422, cwd.substr(0, 86)).i16(509, 25).i16(511, 3).u8(513, 1);
    g.i32(514, 10000).i16(518, 3).f64(520, 6.0).i16(528, 6).i16(530, 300).i16(532, 10);
    g.i32(534, 0).u8(538, 1).f64(539, 1.2).f64(547, 0.85).i16(555, 5).i16(557, 107);
    EXPECT_EQ(img, g.b);
    EXPECT_EQ(game_stats.data_version, 107);
}

TEST_F(data_files, stat_writes_never_move_the_day_back_and_add_up_pot_changes) {
    stat_record s;
    create_stat_file(s);
    read_stat_file(game_stats);
    game_stats.floating_gold += 300;  // this node's change: +300

    stat_record other = s;  // another node ran the maintenance and took 100
    other.day = 5;
    other.last_maint_date = "20260115";
    other.floating_gold = 1000;
    write_file("quorstat.dat", encode_record(other));
    write_stat_file();

    stat_record back;
    decode_record(read_file("quorstat.dat"), back);
    EXPECT_EQ(back.day, 5);
    EXPECT_EQ(back.last_maint_date.str(), "20260115");
    EXPECT_EQ(back.floating_gold, 1300);
    EXPECT_EQ(game_stats.floating_gold, 1300);

    game_stats.day = 9;  // moving forward is kept
    write_stat_file();
    decode_record(read_file("quorstat.dat"), back);
    EXPECT_EQ(back.day, 9);
    EXPECT_EQ(back.floating_gold, 1300);

    // Nothing changed here since: no write (nor its hold), and the other node's pot is taken in.
    other = back;
    other.floating_gold = 50;
    write_file("quorstat.dat", encode_record(other));
    set_write_watch([](const std::string& name) { ADD_FAILURE() << name << " written"; });
    write_stat_file();
    set_write_watch(nullptr);
    EXPECT_EQ(game_stats.floating_gold, 50);
}

TEST_F(data_files, stat_reserved_bytes_survive_a_save) {
    stat_record s;
    create_stat_file(s);
    std::string img = read_file("quorstat.dat");
    for (int i = 303; i < 398; ++i) img[i] = static_cast<char>(i);
    write_file("quorstat.dat", img);
    read_stat_file(game_stats);
    write_stat_file();
    EXPECT_EQ(read_file("quorstat.dat").substr(303, 95), img.substr(303, 95));
}

TEST_F(data_files, inventories_are_written_head_first) {
    inventory_list inv;
    item_record a, b;
    a.name = "Sword";
    a.power = 5;
    b.name = "`2Potion";
    inv.push_front(a);
    inv.push_front(b);
    EXPECT_EQ(inventory_file_name(7), "invt0007.dat");
    write_inventory(7, inv);
    std::string img = read_file("invt0007.dat");
    ASSERT_EQ(img.size(), 140u);
    EXPECT_EQ(img.substr(0, 9), "\x08`2Potion");
    EXPECT_EQ(img.substr(70, 6), "\x05Sword");
    EXPECT_EQ(list_length(inv), 2);
    write_inventory(7, inventory_list{});
    EXPECT_EQ(read_file("invt0007.dat"), "");
}

TEST_F(data_files, a_failed_rewrite_keeps_the_old_file_and_ends_with_code_5) {
    put_chars({make_char(1, "A"), make_char(2, "B")});
    std::string before = read_file("players.dat");
    child_result r = run_in_child([] {
        read_char_file();
        for (int i = 3; i < 40; ++i) add_char(make_char(static_cast<std::int16_t>(i), "X"));
        // The disk is full: no file may grow past 1000 bytes.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &lim);
        write_char_file(false);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, 5);
    EXPECT_EQ(read_file("players.dat"), before);
    EXPECT_FALSE(temp_files_left());
    EXPECT_FALSE(file_present("hold.dat"));
    EXPECT_NE(read_file("debug.txt").find("Could not write players.dat"), std::string::npos);
}

TEST(lookups, names_numbers_guilds_and_bits) {
    engine_state st;
    character_record a = make_char(1, "`4Red`2Baron");
    a.real_name = "john smith";
    a.guild = 2;
    a.class_bits = class_mage | (class_thief << 6);
    a.status_bits = status_expert;
    add_char(a);
    add_char(make_char(2, "Other"));
    guild_record g;
    g.number = 2;
    g.name = "Axes";
    g.leader = 1;
    add_guild(g);

    EXPECT_EQ(char_full_name_ptr("redbaron"), char_num_ptr(1));
    EXPECT_EQ(char_full_name_ptr("`9REDBARON"), char_num_ptr(1));
    EXPECT_EQ(char_real_name_ptr("JOHN SMITH"), char_num_ptr(1));
    EXPECT_EQ(char_num_ptr(9), nullptr);
    character_record& c = *char_num_ptr(1);
    EXPECT_EQ(guild_name_of(c), "Axes");
    EXPECT_TRUE(is_guild_leader(c));
    c.guild = 7;
    EXPECT_EQ(guild_name_of(c), "");
    EXPECT_FALSE(is_guild_leader(c));
    EXPECT_TRUE(class_bit_set(c, 'M'));
    EXPECT_FALSE(class_bit_set(c, 'T'));
    EXPECT_TRUE(master_bit_set(c, 'T'));
    EXPECT_FALSE(class_bit_set(c, 'x'));
    EXPECT_FALSE(own_status_bit2());
    cur_char = &c;
    EXPECT_TRUE(own_status_bit2());
    toggle_status_bit(c, status_expert);
    EXPECT_FALSE(has_status_bit(c, status_expert));
    EXPECT_EQ(own_proper_name(), "`4Red`2baron");
    EXPECT_EQ(strip_codes("`mx`ny``z`"), alias_name(c.name.view()) + "x`4Red`2barony" + "z");
    EXPECT_EQ(lowest_free_char_number(), 3);
}
