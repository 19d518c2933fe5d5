// What a node keeps of a file it has read: a flag file's look-ups and "players.dat" at a
// refresh are used again only while the file is unchanged, whoever changed it and however
// soon; and the maintenance's one rewrite of "mainflag.dat" ends as the rewrites one by one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "engine/store/data_files.hpp"
#include "engine/text/flags.hpp"
#include "engine/text_state.hpp"
#include "support/child.hpp"

namespace {
struct unchanged : text_state {};

// The file rewritten in place, same size, its modification time set back to what it was:
// only the change time (which no one can set) tells.
void rewrite_in_place(const std::string& name, const std::string& from, const std::string& to) {
    struct stat before;
    ASSERT_EQ(::stat(name.c_str(), &before), 0);
    std::string bytes = read_file(name);
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(from.size(), to.size());
    bytes.replace(at, from.size(), to);
    write_file(name, bytes);
    timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
}

using change_fn = void (*)();
struct other_node_change {
    const char* what;
    change_fn change;
};
}  // namespace

TEST_F(unchanged, a_flag_look_up_sees_every_change_made_since_the_last) {
    const other_node_change cases[] = {
        {"another node's add_flag",
         [] { ASSERT_TRUE(run_in_child([] { add_flag("QUEST", "2", 2, "flag0001.dat", "FLAGS"); }).exited); }},
        {"an edit in place in the same second", [] { rewrite_in_place("flag0001.dat", "QUEST 1 2", "QUEST 2 2"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        add_flag("QUEST", "1", 2, "flag0001.dat", "FLAGS");
        EXPECT_EQ(return_flag("quest", "flag0001.dat", "flags"), "1");
        EXPECT_EQ(return_flag("QUEST", "flag0001.dat", "FLAGS"), "1");
        c.change();
        EXPECT_EQ(return_flag("QUEST", "flag0001.dat", "FLAGS"), "2");
        remove_flag("QUEST", "flag0001.dat", "FLAGS");
        EXPECT_EQ(return_flag("QUEST", "flag0001.dat", "FLAGS"), "-1");
    }
}

TEST_F(unchanged, a_refresh_merges_what_another_writer_put_in_players_dat) {
    const other_node_change cases[] = {
        {"another node's update under the hold",
         [] { ASSERT_TRUE(run_in_child([] { update_under_hold([] { char_num_ptr(2)->gold = 777; }); }).exited); }},
        {"an edit in place in the same second",
         [] {
             std::vector<character_record> recs = file_chars();
             for (auto& r : recs)
                 if (r.number == 2) r.gold = 777;
             std::string bytes = records_image<character_record>(recs);
             rewrite_in_place("players.dat", read_file("players.dat"), bytes);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reset_engine_globals();
        put_chars({make_char(1, "ANNA"), make_char(2, "BORIS")});
        read_char_file();
        cur_char = char_num_ptr(1);
        write_char_file(true);
        refresh_char_file();
        ASSERT_EQ(char_num_ptr(2)->gold, 200);
        c.change();
        refresh_char_file();
        EXPECT_EQ(char_num_ptr(2)->gold, 777);
        EXPECT_EQ(char_count, 2);
    }
}

TEST_F(unchanged, the_maintenance_expiry_in_one_rewrite_ends_as_one_rewrite_a_section) {
    // A text before the first section, sections of one name twice, a lower-case header,
    // lines after "~", an empty section and text after the closing "@#".
    const std::string file =
        "note\n@#FLAGS\nA 1 1\n@#quest\nX 1 1\nY -1 -1\nZ 2 2\n~\nX 1 1\n@#EMPTY\n@#QUEST\nW 1 1\n"
        "@#MAIN\n  Halt\n@#OTHER\nGONE -1 -1\nKEPT 0 0\n@#\nafter\n";
    const std::vector<std::string> sections = {"FLAGS", "QUEST", "EMPTY", "QUEST", "OTHER"};
    write_file("one.dat", file);
    for (const std::string& s : sections)
        for (int cls : {flag_class_daily, flag_class_removed}) expire_flags("one.dat", s, cls);
    write_file("all.dat", file);
    expire_flag_classes("all.dat", sections, {flag_class_daily, flag_class_removed});
    EXPECT_EQ(read_file("all.dat"), read_file("one.dat"));
}
