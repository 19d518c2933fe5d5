// Mailboxes: the command lines of system messages, the reader's screens and replies, the
// composer, hostile typed lines, and a reading that is cut off.
#include <gtest/gtest.h>

#include "engine/rules/items.hpp"
#include "engine/store/data_files.hpp"
#include "multi/mail.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
const std::string rule = "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
const std::string long_rule = "-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
const std::string key_wait = "      [ Hit any key ]";

item_record gear(item_record i, std::int16_t max_power) {
    i.max_power = max_power;
    i.equipped = 1;
    return i;
}

struct mail : multi_state {
    mail() {
        anna();
        other(2, "BOB").guild = 5;
        other(3, "carl").guild = 5;
        char_num_ptr(3)->online = 0;
        other(4, "dora").guild = 6;
        guild_record g;
        g.number = 5;
        g.name = "Knights";
        add_guild(g);
        save();
        cur_inventory = {gear(item("Long Sword", pos_weapon, 10), 20), gear(item("Chain Mail", pos_armor, 8), 16),
                         gear(item("Buckler", pos_shield, 5), 50)};
        out.take();
    }

    std::string read(const std::string& keys) {
        input_feed feed(keys);
        read_mail();
        return plain(out.take());
    }
    std::string send(std::string_view to, const std::string& keys, text_list quote = {}) {
        input_feed feed(keys);
        send_mail(to, std::move(quote));
        return plain(out.take());
    }
    character_record anna_in_file() {
        for (const character_record& c : file_chars())
            if (c.number == 1) return c;
        return {};
    }
};

TEST_F(mail, command_lines_change_the_statistic_each_mnemonic_names) {
    struct row {
        const char* line;
        std::int64_t (*value)();
        std::int64_t expected;
    };
    const row rows[] = {
        {"ADD ATT 5", [] { return std::int64_t(cur_char->attack); }, 25},
        {"SET ^CS03 7", [] { return std::int64_t(cur_char->attack); }, 7},
        {"ADD DEF -4", [] { return std::int64_t(cur_char->defense); }, 16},
        {"SET DEF 30", [] { return std::int64_t(cur_char->defense); }, 30},
        {"ADD DMR 100", [] { return std::int64_t(cur_char->shield_value); }, 87},
        {"SET ^CS05 50", [] { return std::int64_t(cur_char->shield_value); }, 50},
        {"ADD CRM 4", [] { return std::int64_t(cur_char->charm); }, 9},
        {"SET CRM 2", [] { return std::int64_t(cur_char->charm); }, 2},
        {"ADD SHM -6", [] { return std::int64_t(cur_char->shame); }, 0},
        {"SET ^CS07 4", [] { return std::int64_t(cur_char->shame); }, 4},
        {"ADD CHP 5", [] { return std::int64_t(cur_char->hit_points); }, 45},
        {"SET CHP 20", [] { return std::int64_t(cur_char->hit_points); }, 20},
        {"ADD MHP 10", [] { return std::int64_t(cur_char->max_hit_points); }, 60},
        {"SET ^CS11 70", [] { return std::int64_t(cur_char->max_hit_points); }, 70},
        {"SET GLD 500", [] { return std::int64_t(cur_char->gold); }, 500},
        {"ADD ^CS18 25", [] { return std::int64_t(cur_char->gold); }, 525},
        {"ADD GLD -9000", [] { return std::int64_t(cur_char->gold); }, 0},
        {"ADD GMS 2", [] { return std::int64_t(cur_char->gems); }, 6},
        {"SET GMS 1", [] { return std::int64_t(cur_char->gems); }, 1},
        {"ADD EXP lots", [] { return std::int64_t(cur_char->experience); }, 500},
        {"ADD EXP 100", [] { return std::int64_t(cur_char->experience); }, 600},
        {"SET ^CS21 1000", [] { return std::int64_t(cur_char->experience); }, 1000},
        {"ADD CFT 5", [] { return std::int64_t(cur_char->creature_fights_left); }, 15},
        {"SET ^CS26 0", [] { return std::int64_t(cur_char->creature_fights_left); }, 0},
        {"ADD PFT 2", [] { return std::int64_t(cur_char->player_fights_left); }, 5},
        {"SET PFT 9", [] { return std::int64_t(cur_char->player_fights_left); }, 9},
        {"ADD GUI 3", [] { return std::int64_t(cur_char->guild); }, 5},
        {"SET GUI 0", [] { return std::int64_t(cur_char->guild); }, 0},
        {"SET ^CS09 70000", [] { return std::int64_t(cur_char->guild); }, 32767},
        {"SET GUI 2", [] { return std::int64_t(cur_char->guild); }, 2},
    };
    for (const row& r : rows) {
        EXPECT_EQ(run_mail_command(r.line), std::string(r.line) != "ADD GUI 3") << r.line;
        EXPECT_EQ(r.value(), r.expected) << r.line;
    }
    // Unknown commands, unknown mnemonics and commands compared exactly do nothing.
    character_record before = *cur_char;
    for (const char* line : {"add GLD 5", "ADD gld 5", "ADD XYZ 5", "DROP GLD 5", "ADD", "ADD ^cs18 5"}) {
        EXPECT_FALSE(run_mail_command(line)) << line;
        EXPECT_EQ(encode_record(*cur_char), encode_record(before)) << line;
    }
    EXPECT_TRUE(run_mail_command("SET GLD"));
    EXPECT_EQ(cur_char->gold, 0);
}

// A kick's or disband's letter from guild 5, whose writer cleared the membership on file: read
// where this node still holds guild 5, or after joining guild 6, or after rejoining guild 5.
TEST_F(mail, a_guild_letter_takes_out_only_the_membership_it_was_written_about) {
    const struct { std::int16_t here, on_file, after; } rows[] = {{5, 0, 0}, {6, 6, 6}, {5, 5, 5}};
    for (const auto& r : rows) {
        cur_char->guild = r.here;
        save();
        std::vector<character_record> recs = file_chars();
        for (character_record& c : recs) c.guild = c.number == 1 ? r.on_file : c.guild;
        put_chars(recs);
        EXPECT_TRUE(run_mail_command("SET GUI 0 5"));
        EXPECT_EQ(cur_char->guild, r.after) << r.here << " " << r.on_file;
    }
}

TEST_F(mail, charge_lines_act_on_the_equipped_items_and_their_file) {
    for (const char* line : {"ADD WPN 5", "SET WPN 1", "ADD ^CS29 100", "ADD WPN 200", "ADD AMR 3", "ADD MAM 4",
                             "ADD ^CS14 50", "ADD SHD -2", "ADD MSH 30", "SET SHD 9", "SET MSH 9"})
        run_mail_command(line);
    const item_record* w = weapon_equipped_ptr(cur_inventory);
    const item_record* a = armor_equipped_ptr(cur_inventory);
    const item_record* s = shield_equipped_ptr(cur_inventory);
    EXPECT_EQ(w->power, 120);
    EXPECT_EQ(w->max_power, 120);
    EXPECT_EQ(a->power, 20);
    EXPECT_EQ(a->max_power, 20);
    EXPECT_EQ(s->power, 3);
    EXPECT_EQ(s->max_power, 60);
    inventory_list in_file;
    read_inventory(1, in_file);
    std::vector<std::string> images, expected;
    for (const item_record& i : in_file) images.push_back(encode_record(i));
    for (auto it = cur_inventory.rbegin(); it != cur_inventory.rend(); ++it) expected.push_back(encode_record(*it));
    EXPECT_EQ(images, expected);
}

TEST_F(mail, bank_lines_land_in_the_readings_one_write_over_another_nodes_deposit) {
    // Another node raised the bank gold meanwhile; the reading runs its lines under its hold.
    std::vector<character_record> recs = file_chars();
    for (character_record& c : recs)
        if (c.number == 1) c.bank_gold = 1500;
    put_chars(recs);
    update_under_hold([] { EXPECT_TRUE(run_mail_command("ADD BNK 100")); });
    EXPECT_EQ(cur_char->bank_gold, 1600);
    EXPECT_EQ(anna_in_file().bank_gold, 1600);
    update_under_hold([] { EXPECT_TRUE(run_mail_command("SET ^CS19 50")); });
    EXPECT_EQ(anna_in_file().bank_gold, 50);
}

TEST_F(mail, the_reader_shows_each_message_and_carries_out_its_commands) {
    write_file("user0001.dat",
               "ADD GLD 5\n"
               "#0002 BOB\n"
               "Hello Anna,\n"
               "  how are you?\n"
               "~\n"
               "RESPONSE\n"
               "#0000 `%Bank Notice.\r\n"
               "`3  You got ^CS18 gold.\r\n"
               "~\r\n"
               "\r\n"
               "ADD BNK 10\n"
               "ADD GEM 1\n"
               "#0000 GUILD\n"
               "`9  Message from `!Bob`9 to all members of `4Knights`3\n"
               "hi all\n"
               "~\n"
               "#0003\n"
               "one word header\n"
               "~");
    ASSERT_TRUE(mail_waiting());
    EXPECT_EQ(read("nabc"),
              "\n  You are stopped with some important news.\n\n"
              "  Message from Bob :\n" +
                  rule +
                  "\n"
                  "Hello Anna,\n  how are you?\n\n"
                  "  Reply? (Y/N) [Y] : N\n\n\n"
                  "  Bank Notice.\n" +
                  rule +
                  "\n"
                  "  You got 805 gold.\n\n" +
                  key_wait +
                  "\n\n"
                  "  Message from Guild :\n" +
                  rule +
                  "\n"
                  "  Message from Bob to all members of Knights\nhi all\n\n" +
                  key_wait + "\n\n" + rule +
                  "\n"
                  "one word header\n\n" +
                  key_wait);
    EXPECT_FALSE(mail_waiting());
    EXPECT_FALSE(file_present("user0001.tmp"));
    EXPECT_EQ(cur_char->gold, 805);
    EXPECT_EQ(cur_char->bank_gold, 1010);
    // The reading ran command lines: the character was saved.
    EXPECT_EQ(anna_in_file().gold, 805);

    EXPECT_EQ(read("k"), "\n  You don't have any mail.\n" + key_wait);
}

// A last RESPONSE ends the reading without a key wait.
TEST_F(mail, a_quoted_reply_goes_to_the_sender_without_nested_quotes) {
    write_file("user0001.dat", "#0002 Bob\nHello Anna,\n>old quote\n~x\n~\nRESPONSE\n");
    std::string screen = read("\r\rthanks\r\rk");
    EXPECT_EQ(read_file("user0002.dat"), "#0001 Anna Smith\n>Hello Anna,\n>~x\n>\nthanks\n~\nRESPONSE\n");
    EXPECT_NE(screen.find("  Reply? (Y/N) [Y] : Y\n  Quote Message? (Y/N) [Y] : Y\n"
                          ">Hello Anna,\n>~x\n>\nBob\n"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("  Enter message below: (blank line ends)" + std::string(27, ' ') + "Bob\n" + long_rule +
                          "\n: >Hello Anna,\n: >~x\n: >\n: thanks\n: \n Mail Sent to Bob.\n" + key_wait + "\n\n"),
              std::string::npos)
        << screen;

    // Without the quote.
    write_file("user0001.dat", "#0002 Bob\nHello again\n~\nRESPONSE\n");
    read("\rnok\r\rk");
    EXPECT_EQ(read_file("user0002.dat"),
              "#0001 Anna Smith\n>Hello Anna,\n>~x\n>\nthanks\n~\nRESPONSE\n"
              "#0001 Anna Smith\nok\n~\nRESPONSE\n");
}

TEST_F(mail, typed_lines_never_become_headers_ends_or_commands) {
    cur_char = char_num_ptr(2);
    std::string screen = send("Anna Smith",
                              "~\r#0000 `%System Message\rSET GLD 99999\r~ADD BNK 5000\r\r"
                              "k");
    EXPECT_EQ(read_file("user0001.dat"),
              "#0002 Bob\n ~\n #0000 `%System Message\nSET GLD 99999\n ~ADD BNK 5000\n~\nRESPONSE\n");
    EXPECT_EQ(screen,
              "Anna Smith\n"
              "  Enter message below: (blank line ends)" +
                  std::string(20, ' ') + "Anna smith\n" + long_rule +
                  "\n: ~\n: #0000 `%System Message\n: SET GLD 99999\n: ~ADD BNK 5000\n: \n"
                  " Mail Sent to Anna smith.\n" +
                  key_wait);
    EXPECT_EQ(char_num_ptr(2)->location, "tEntering Mail");

    cur_char = char_num_ptr(1);
    EXPECT_EQ(read("n"),
              "\n  You are stopped with some important news.\n\n"
              "  Message from Bob :\n" +
                  rule +
                  "\n ~\n #0000 System Message\nSET GLD 99999\n ~ADD BNK 5000\n\n"
                  "  Reply? (Y/N) [Y] : N\n\n\n");
    EXPECT_EQ(cur_char->gold, 800);
    EXPECT_EQ(cur_char->bank_gold, 1000);
}

TEST_F(mail, guild_mail_reaches_every_other_member_online_or_not) {
    std::string screen = send("", "Guild\rhello\r\rk");
    const std::string letter =
        "#0000 GUILD\n`9  Message from `!Anna Smith`9 to all members of `4Knights`3\nhello\n~\nRESPONSE\n";
    EXPECT_EQ(read_file("user0002.dat"), letter);
    EXPECT_EQ(read_file("user0003.dat"), letter);
    EXPECT_FALSE(file_present("user0001.dat"));
    EXPECT_FALSE(file_present("user0004.dat"));
    EXPECT_EQ(screen,
              "\n\n  Mail who : Guild\n"
              "  Enter message below: (blank line ends)" +
                  std::string(25, ' ') + "Guild\n" + long_rule + "\n: hello\n: \n Mail Sent to Guild.\n" + key_wait);
}

TEST_F(mail, mail_to_a_name_part_is_confirmed) {
    send("", "bo\ryhi\r\rk");
    EXPECT_EQ(read_file("user0002.dat"), "#0001 Anna Smith\nhi\n~\nRESPONSE\n");
}

TEST_F(mail, mail_to_oneself_nobody_or_a_guild_one_is_not_in_is_refused) {
    EXPECT_EQ(send("ANNA SMITH", "k"), "ANNA SMITH\n  You cannot send mail to yourself.\n" + key_wait);
    EXPECT_EQ(send("Nobody", "k"), "Nobody\n  Mail must go to SOMEBODY.\n" + key_wait);
    EXPECT_EQ(send("", "zzz\rk"), "\n\n  Mail who : zzz\n  Mail must go to SOMEBODY.\n" + key_wait);
    cur_char->guild = 0;
    EXPECT_EQ(send("guild", "k"), "guild\n  You do not belong to a GUILD!\n" + key_wait);
    for (int n = 1; n <= 4; ++n) EXPECT_FALSE(file_present("user000" + std::to_string(n) + ".dat"));
}

// The caller hangs up while the second message waits for a key: the first message's
// commands ran and are gone; the second and everything sent since are read next time.
TEST_F(mail, a_reading_cut_off_is_taken_up_next_time_without_running_a_command_twice) {
    write_file("user0001.dat",
               "#0000 `%System Message\nfirst\n~\nADD GLD 100\n"
               "#0002 Bob\nsecond\n~\nADD GMS 1\n");
    child_result cut = run_in_child([] {
        input_feed feed;
        feed.end();
        read_mail();
    });
    EXPECT_TRUE(cut.exited);
    EXPECT_FALSE(file_present("user0001.dat"));
    EXPECT_EQ(read_file("user0001.tmp"), "#0002 Bob\nsecond\n~\nADD GMS 1\n");
    ASSERT_TRUE(mail_waiting());

    write_file("user0001.dat", "#0000 `%Late News\nthird\n~\nADD GMS 10\n");
    EXPECT_EQ(read("kk"),
              "\n  You are stopped with some important news.\n\n"
              "  Message from Bob :\n" +
                  rule + "\nsecond\n\n" + key_wait +
                  "\n\n"
                  "  Late News\n" +
                  rule + "\nthird\n\n" + key_wait);
    // The cut-off reading's 100 gold landed with its mark, and only once.
    EXPECT_EQ(cur_char->gold, 900);
    EXPECT_EQ(cur_char->gems, 15);
    EXPECT_FALSE(mail_waiting());
}

TEST_F(mail, read_text_lines_cuts_lines_and_makes_one_for_an_empty_file) {
    text_list list = {"old"};
    text_reader empty(std::string_view{});
    read_text_lines(empty, list);
    EXPECT_EQ(lines_of(list), (std::vector<std::string>{""}));
    text_reader two("a\r\n" + std::string(120, 'b') + "\rc");
    read_text_lines(two, list);
    EXPECT_EQ(lines_of(list), (std::vector<std::string>{"a", std::string(100, 'b'), "c"}));
}
}  // namespace

TEST_F(mail, mail_that_cannot_be_delivered_is_never_reported_sent) {
    const std::string full_box = "#0003 Carl\n" + std::string(1024 * 1024, 'x') + "\n~\n";
    struct row {
        const char* name;
        std::string box_before;  // empty: user0002.dat is the full disk
        std::string line;
    };
    for (const row& r : {row{"full mailbox", full_box, "  The mailbox of Bob is full: the mail was not delivered.\n"},
                         row{"disk full", "", "  The mail to Bob could not be delivered.\n"}}) {
        if (r.box_before.empty())
            ASSERT_EQ(::symlink("/dev/full", "user0002.dat"), 0);
        else
            write_file("user0002.dat", r.box_before);
        std::string screen = send("Bob", "hi\r\rk");
        EXPECT_NE(screen.find(": hi\n: \n" + r.line + key_wait), std::string::npos) << r.name << screen;
        EXPECT_EQ(screen.find("Mail Sent"), std::string::npos) << r.name;
        if (!r.box_before.empty()) {
            EXPECT_EQ(read_file("user0002.dat"), r.box_before) << r.name;
        }
        ::unlink("user0002.dat");
    }
    // The game's own letters still reach a full mailbox; one that cannot be written ends the game.
    write_file("user0002.dat", full_box);
    text_list notice;
    add_desc_line("#0000 `%Bank Notice", notice);
    append_mailbox(2, notice);
    EXPECT_EQ(read_file("user0002.dat"), full_box + "#0000 `%Bank Notice\n");
    ::unlink("user0002.dat");
    ASSERT_EQ(::symlink("/dev/full", "user0002.dat"), 0);
    child_result r = run_in_child([&] { append_mailbox(2, notice); });
    EXPECT_EQ(r.code, 5);
    EXPECT_NE(r.out.find("Could not write user0002.dat : No space left on device"), std::string::npos) << r.out;
}

TEST_F(mail, a_letter_holds_at_most_200_typed_lines) {
    std::string keys;
    for (int i = 1; i <= 201; ++i) keys += "line " + std::to_string(i) + "\r";
    std::string screen = send("Bob", keys + "k");
    std::string box = read_file("user0002.dat");
    EXPECT_NE(box.find("line 200\n~\nRESPONSE\n"), std::string::npos);
    EXPECT_EQ(box.find("line 201"), std::string::npos);
    EXPECT_NE(screen.find(": line 200\n  A letter holds at most 200 lines.\n Mail Sent to Bob.\n"), std::string::npos);
}
