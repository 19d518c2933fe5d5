// The bank: deposits and withdrawals at their limits, transfers checked in order and made on
// the merged list while another node writes it, the recipient's notice, and the hidden word.
#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/engine_state.hpp"
#include "game/bank.hpp"
#include "game_state.hpp"

namespace {
struct bank_test : game_state {
    bank_test() {
        write_file("quortext.dat", "@#bank\nDWTVFRL\n  (bank)\n@#\n");
        caller();
        add_char(make_char(2, "BESS", 100));
        sub_location = 1;
    }
    // Anna's purse and account as given, in "players.dat" too; then the visit with the keys.
    std::string visit(const std::string& keys, std::int32_t gold = 500, std::int32_t bank_gold = 5000) {
        cur_char->gold = gold;
        cur_char->bank_gold = bank_gold;
        write_char_file(false);
        input_feed feed(keys);
        typing = &feed;
        bank();
        typing = nullptr;
        return out.take();
    }
    static inline input_feed* typing = nullptr;  // the keys of the visit under way
    static character_record stored(std::int16_t number) {
        for (const character_record& c : file_chars())
            if (c.number == number) return c;
        return {};
    }
};

const std::string prompt = "\r\n   Bank of Shamile:  (D,W,T,V,F,R,L,?)\r\n\r\n  Command? [L] : ";
const std::string funny = "\r\n  \"Funny, I've never heard anyone count THAT way before...\"";
const std::string not_that_much = "\r\n  \"You don't have QUITE that much Anna.\"";
}  // namespace

TEST_F(bank_test, deposits_and_withdrawals) {
    struct row {
        std::int32_t gold, bank;
        std::string keys, says;
        std::int32_t gold_after, bank_after;
    } rows[] = {
        {500, 0, "d1\r", "1\r\n  \"Very well, You now have 500 gold", 0, 500},
        {500, 0, "d0\r", "0" + funny, 500, 0},
        {500, 0, "d-5\r", "-5" + funny, 500, 0},
        {500, 0, "d501\r", "501" + not_that_much, 500, 0},
        {0, 9, "d1\r", "1\r\n  \"You don't have ANY gold to deposit.\"", 0, 9},
        {5000, 199'999'000, "d5000\r",
         "5000\r\n\r\n  \"Your bank account cannot hold that much.\r\n  You must hold on to some of this gold.\"\r\n"
         "  \"Very well, You now have 199999999 gold in the bank\"\r\n",
         4001, 199'999'999},
        {100, 200'000'000, "d1\r", "some of this gold.\"\r\n  \"Very well, You now have 200,000,000", 100, 200'000'000},
        {100, 0, "w1\r", "1\r\n  \"I'm sorry, but your bank account is currently EMPTY.\"", 100, 0},
        {100, 500, "w501\r", "501\r\n  \"You don't have QUITE that much in your account.\"", 100, 500},
        {100, 500, "w300\r", "300\r\n\r\n  \"Very well, You now have 200 gold in the bank\"", 400, 200},
        {199'999'000, 5000, "w1\r", "You now have 0 gold", 200'004'000, 0},
        {2'147'483'000, 1000, "w1\r", "You now have 353 gold", 2'147'483'647, 353},
    };
    for (const row& r : rows) {
        std::string seen = visit(r.keys + "l", r.gold, r.bank);
        EXPECT_NE(seen.find(r.says), std::string::npos) << r.keys << ":\n" << seen;
        EXPECT_EQ(stored(1).gold, r.gold_after) << r.keys;
        EXPECT_EQ(stored(1).bank_gold, r.bank_after) << r.keys;
    }
}

TEST_F(bank_test, a_transfer_is_checked_in_order_and_moves_only_whole) {
    struct row {
        int allowed, today;
        std::int32_t bess_bank;
        std::string keys, says;
    } rows[] = {
        {0, 0, 100, "t", "T\r\n  \"Sorry, we are not authorized to transfer money any longer.\""},
        {1, 3, 100, "t", "T\r\n  \"Sorry, we cannot allow any more transactions for today.\""},
        {1, 0, 100, "tzed\r", "zed\r\n  \"Sorry, you must pick SOMEONE to transfer the funds to.\""},
        {1, 0, 100, "tanna\r", "anna\r\n  \"You cannot transfer funds to YOURSELF.\""},
        {1, 0, 100, "tbess\r0\r", "transfer to BESS? : 0" + funny},
        {1, 0, 100, "tbess\r10001\r", "10001\r\n  \"I'm sorry, but you may only transfer a maximum of 10,000 coins.\""},
        {1, 0, 100, "tbess\r5001\r", "5001" + not_that_much},
        {1, 0, 199'999'000, "tbess\r2000\r", "2000\r\n  \"I'm sorry, but that account cannot hold that much.\""},
        {1, 2, 100, "tbess\r2000\r", "2000\r\n  \"Very well, You now have 3,000 gold in the bank\""},
    };
    for (const row& r : rows) {
        game_stats.transfers_allowed = static_cast<std::uint8_t>(r.allowed);
        cur_char->transfers_today = static_cast<std::int16_t>(r.today);
        char_full_name_ptr("BESS")->bank_gold = r.bess_bank;
        std::string seen = visit(r.keys + "l");
        bool moved = r.today == 2;
        EXPECT_NE(seen.find(r.says), std::string::npos) << r.keys << ":\n" << seen;
        EXPECT_EQ(seen.find("To whom") == std::string::npos, r.keys == "t") << r.keys;
        EXPECT_EQ(stored(1).bank_gold, moved ? 3000 : 5000) << r.keys;
        EXPECT_EQ(stored(2).bank_gold, r.bess_bank + (moved ? 2000 : 0)) << r.keys;
        EXPECT_EQ(stored(1).transfers_today, r.today + moved) << r.keys;
    }
    EXPECT_EQ(read_file("user0002.dat"),
              "#0000 `%Bank Notice\n`3  Anna has transfered `42,000`3 to your bank account.\n~\n");
}

TEST_F(bank_test, another_node_writes_the_accounts_while_the_amount_is_asked) {
    static void (*other)();
    static pid_t child;
    struct row {
        void (*other)();
        const char* says;
        std::int32_t anna_bank, bess_bank;
    } rows[] = {
        {[] { add_bank_gold(*char_num_ptr(1), 1000); }, "You now have 4,000 gold in the bank", 4000, 2100},
        {[] { char_list.remove_if([](const character_record& c) { return c.number == 2; }); }, "you must pick SOMEONE",
         5000, 0},
    };
    check_frequency = 1;
    for (const row& r : rows) {
        // At the bank's first poll the name goes in; the other node writes "players.dat"
        // while this one waits for the amount, then types it.
        set_check_for_random_event_hook([] {
            set_check_for_random_event_hook([] { return false; });
            typing->send("tbess\r");
            child = start_child([] {
                ::usleep(100'000);
                cur_char = nullptr;
                update_under_hold(other);
                typing->send("2000\rl");
            });
            return false;
        });
        other = r.other;
        cur_char->transfers_today = 0;
        std::string seen = visit("");
        EXPECT_EQ(wait_child(child).code, 0);
        EXPECT_NE(seen.find(r.says), std::string::npos) << seen;
        EXPECT_EQ(stored(1).bank_gold, r.anna_bank);
        EXPECT_EQ(stored(2).bank_gold, r.bess_bank);
        EXPECT_EQ(stored(1).transfers_today, r.bess_bank > 0);
    }
}

TEST_F(bank_test, the_hidden_word_opens_the_drawer_once_a_day_and_a_mistyped_one_is_a_command) {
    EXPECT_EQ(visit("StEaLnsl", 500, 0),
              "  (bank)\r\n\r\n   Gold on hand : 500     Gold in bank : 0\r\n" + prompt +
                  "\r\n  You're not thinking of... no... you'll get caught!\r\n"
                  "  Do it? (Y/N) [N] : No.\r\n  Chickening out eh?   Heh, yer just YELLOW. \r\n" +
                  prompt + "S\r\n" + prompt + "L\r\n");
    EXPECT_EQ(cur_char->location, "sBank of Shamile");
    EXPECT_TRUE(has_status_bit(stored(1), status_secret2));

    cur_char->status_bits = 0;
    EXPECT_NE(visit("sxxxd1\rl", 500, 0).find(prompt + "D\r\n  How much gold do you wish to deposit?"),
              std::string::npos);
    EXPECT_EQ(stored(1).bank_gold, 500);
    EXPECT_FALSE(has_status_bit(*cur_char, status_secret2));
    // A fifth key that every place answers alike: R, the rankings.
    EXPECT_NE(visit("stearl").find(prompt + "R\r\n            Player Rankings"), std::string::npos);
}
