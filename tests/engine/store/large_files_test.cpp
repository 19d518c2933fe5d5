// A record file larger than one read comes back byte for byte (records cut between two
// reads included); an append to a mailbox that stays busy still waits and ends the game.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/store/record_file.hpp"
#include "engine/text/exit.hpp"
#include "engine/text_state.hpp"
#include "support/child.hpp"

namespace {
struct large_files : text_state {};
}  // namespace

TEST_F(large_files, a_record_file_read_in_pieces_is_byte_exact_and_a_cut_record_is_corrupt) {
    struct row {
        std::size_t records, extra_bytes;
        file_status status;
    };
    // 219 records fit in one read of 64 KB; 220 and 700 cut records between reads.
    const row rows[] = {{0, 0, file_status::ok},         {1, 0, file_status::ok},   {219, 0, file_status::ok},
                        {220, 0, file_status::ok},       {700, 0, file_status::ok}, {220, 1, file_status::corrupt},
                        {700, 298, file_status::corrupt}};
    for (const row& r : rows) {
        SCOPED_TRACE(std::to_string(r.records) + " records + " + std::to_string(r.extra_bytes));
        std::vector<character_record> recs;
        for (std::size_t i = 0; i < r.records; ++i) {
            recs.push_back(make_char(static_cast<std::int16_t>(i + 1), "P" + std::to_string(i * 37)));
            recs.back().experience = static_cast<std::int32_t>(i * 1001);
        }
        std::string bytes = records_image<character_record>(recs) + std::string(r.extra_bytes, 'x');
        write_file("players.dat", bytes);
        std::vector<character_record> back = {make_char(9, "KEPT")};
        file_stamp stamp;
        EXPECT_EQ(read_record_file("players.dat", back, &stamp), r.status);
        EXPECT_EQ(stamp.size, static_cast<std::int64_t>(bytes.size()));
        if (r.status == file_status::ok) {
            EXPECT_EQ(records_image<character_record>(back), bytes);
        } else {
            ASSERT_EQ(back.size(), 1u);
            EXPECT_EQ(back[0].name.str(), "KEPT");
        }
    }
}

TEST_F(large_files, an_append_to_a_mailbox_that_stays_busy_waits_and_ends_the_game) {
    add_char(make_char(7, "Anna"));
    ASSERT_EQ(::mkdir("user0007.dat", 0777), 0);  // opens, but never as a file: busy
    child_result r = run_in_child([] {
        install_exit_handler();
        append_user_file("anna", {"#0000 hello", "~"});
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.code, exit_file_stuck);
}
