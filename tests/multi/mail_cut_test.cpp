// A mailbox reading killed after each message in turn: over the readings that follow, every
// command line runs exactly once and every message is shown.
#include <gtest/gtest.h>

#include "engine/rules/shop_step.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/file_access.hpp"
#include "multi/mail.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
struct mail_cut : multi_state {
    mail_cut() {
        anna();
        save();
        out.take();
    }
    std::string read_rest() {
        input_feed feed(std::string(20, 'k'));
        read_mail();
        return out.take();
    }
};

std::int32_t bank_in_file() {
    for (const character_record& c : file_chars())
        if (c.number == 1) return c.bank_gold;
    return -1;
}
}  // namespace

TEST_F(mail_cut, every_command_runs_once_and_every_message_is_shown_wherever_the_reading_dies) {
    // Bodies of several lengths, so that the reading both marks messages and writes the rest.
    const int messages = 6;
    std::string box;
    for (int m = 0; m < messages; ++m)
        box += "#0000 Notice\nbody" + std::to_string(m) + std::string(m % 3 * 40, '.') + "\n~\nADD BNK " +
               std::to_string(1 << m) + "\nREFRESH\n";
    for (int cut = 0; cut <= messages; ++cut) {
        SCOPED_TRACE("killed at key wait " + std::to_string(cut));
        write_file("user0001.dat", box);
        write_char_file(true);
        std::int32_t bank_before = bank_in_file();
        child_result first = run_in_child([cut] {
            input_feed feed(std::string(static_cast<std::size_t>(cut), 'k'));
            // Killed, with no orderly end, while it waits for the next key.
            kill_at_key_wait();
            read_mail();
            for (;;) read_key();
        });
        EXPECT_FALSE(first.exited);
        refresh_char_file();
        std::string shown = first.out + (mail_waiting() ? read_rest() : "");
        EXPECT_FALSE(mail_waiting());
        EXPECT_EQ(bank_in_file() - bank_before, (1 << messages) - 1);
        for (int m = 0; m < messages; ++m) EXPECT_NE(shown.find("body" + std::to_string(m)), std::string::npos) << m;
    }
}

TEST_F(mail_cut, a_reading_killed_between_its_writes_is_settled_at_log_on) {
    // The gift's write of "players.dat" landed (its temporary file gone) or not (still there).
    for (bool landed : {true, false}) {
        SCOPED_TRACE(landed);
        write_file("user0001.tmp", "#0000 Notice\ngift\n~\nADD GLD 777\n");
        write_file(".players.dat.9.tmp", "");
        cur_char->gold = landed ? 1577 : 800;
        save();
        std::string note = "STEP 1\nREAD\n1 " + std::to_string(cur_char->created_time) + "\nuser0001.tmp\n0 " +
                           std::to_string(stamp_of("user0001.tmp")->inode) + "\nplayers.dat .players.dat.9.tmp " +
                           std::to_string(stamp_of(".players.dat.9.tmp")->inode) + "\n";
        if (landed) erase_file(".players.dat.9.tmp");
        write_file("step0001.dat", note);
        settle_step();
        EXPECT_EQ(read_file("user0001.tmp")[0], landed ? '\x01' : '#');
        read_rest();
        EXPECT_EQ(file_chars()[0].gold, 1577);
        EXPECT_FALSE(file_present("step0001.dat") || file_present(".players.dat.9.tmp"));
    }
}
