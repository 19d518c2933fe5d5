// Sectioned text files: reading sections, headers, cuts, writing back, mailboxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/wait.h>

#include "engine/store/file_access.hpp"
#include "engine/text_state.hpp"
#include "support/child.hpp"

namespace {
using strings = std::vector<std::string>;

struct text_files : text_state {
    text_list read(const std::string& section, const std::string& file = "t.dat") {
        text_list l;
        read_menu_text(file, section, l);
        return l;
    }
};

// The same sample file with every line ended by the given bytes.
std::string sample(const std::string& end) {
    strings lines = {"no section here", "@#Intro", "`9Welcome", "", "  to the realm", "@#Main", "ABQ", "@#"};
    std::string s;
    for (const auto& l : lines) s += l + end;
    return s;
}
}  // namespace

TEST_F(text_files, line_ends_cr_lf_and_crlf_read_alike) {
    for (const char* end : {"\n", "\r", "\r\n"}) {
        write_file("t.dat", sample(end));
        EXPECT_EQ(lines_of(read("intro")), (strings{"`9Welcome", "", "  to the realm"})) << int(end[0]);
        EXPECT_EQ(lines_of(read("main")), (strings{"ABQ"}));
    }
    // Mixed ends in one file, the last line without any.
    write_file("t.dat", "@#A\r\none\rtwo\nthree\r\n\r\nfour");
    EXPECT_EQ(lines_of(read("a")), (strings{"one", "two", "three", "", "four"}));
}

TEST_F(text_files, a_cr_lf_split_over_any_buffer_edge_is_one_line_end) {
    // The CR of a CR LF falls on the last byte of a 256-byte block, then of a 512-byte one.
    for (std::size_t edge : {255u, 256u, 511u, 512u}) {
        std::string head = "@#S\r\n";
        std::string filler(edge - head.size(), 'x');
        std::string image = head + filler + "\r\nafter\r\n@#\r\n";
        ASSERT_EQ(image[edge], '\r');
        write_file("t.dat", image);
        text_list l = read("s");
        ASSERT_EQ(l.size(), 2u) << edge;
        EXPECT_EQ(l.front().view(), filler.substr(0, 100));
        EXPECT_EQ(l.back().view(), "after");
    }
}

TEST_F(text_files, headers_match_without_case_but_exactly_otherwise) {
    write_file("t.dat",
               "@#Trail \nwith blank\n@#Forest Path\nline 1\nline 2\n~\nafter tilde\n"
               "@#Empty\n@#Last\nrunning\nto the end");
    for (const char* name : {"FOREST PATH", "forest path", "fOrEsT pAtH"})
        EXPECT_EQ(lines_of(read(name)), (strings{"line 1", "line 2"})) << name;
    EXPECT_TRUE(read("trail").empty());
    EXPECT_EQ(lines_of(read("TRAIL ")), (strings{"with blank"}));
    EXPECT_TRUE(read("empty").empty());
    EXPECT_TRUE(read("absent").empty());
    EXPECT_TRUE(read("forest").empty());
    // A section without a closing header keeps all its lines.
    EXPECT_EQ(lines_of(read("last")), (strings{"running", "to the end"}));
    // Text before the first header belongs to no section.
    write_file("t.dat", "Main\nstray\n@#Main\nreal\n");
    EXPECT_EQ(lines_of(read("main")), (strings{"real"}));
    // A list that was passed in is replaced, also by nothing.
    text_list l = {"old"};
    read_menu_text("t.dat", "absent", l);
    EXPECT_TRUE(l.empty());
}

TEST_F(text_files, lines_are_cut_at_255_on_reading_and_at_100_in_a_list) {
    std::string long_name(253, 'N');
    std::string line150(150, 'a');
    write_file("t.dat", "@#" + long_name + "TAIL\n" + line150 + "\n" + std::string(300, 'b') + "\nnext\n");
    text_list l = read(long_name);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l.front().view(), line150.substr(0, 100));
    EXPECT_EQ(std::next(l.begin())->view(), std::string(100, 'b'));
    EXPECT_EQ(l.back().view(), "next");
    EXPECT_TRUE(read(long_name + "TAIL").empty());

    text_reader r(std::string(300, 'c') + "\r\nshort");
    std::string line;
    ASSERT_TRUE(r.read_line(line));
    EXPECT_EQ(line, std::string(255, 'c'));
    ASSERT_TRUE(r.read_line(line));
    EXPECT_EQ(line, "short");
    EXPECT_FALSE(r.read_line(line));

    text_list added;
    add_desc_line(line150, added);
    EXPECT_EQ(added.back().size(), 100u);
}

TEST_F(text_files, a_missing_text_file_ends_the_game_with_code_12) {
    for (bool prepared : {false, true}) {
        child_result r = run_in_child([prepared] {
            text_list l;
            std::string keys;
            if (prepared)
                read_text_section("quortext.dat", "main", l, keys);
            else
                read_menu_text("quortext.dat", "main", l);
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.code, 12);
        // (The game's exit procedure, when one is chained, reports after it.)
        EXPECT_EQ(r.out.substr(0, 45), "\x1b[1;34m  Error : File quortext.dat missing.\r\n");
    }
}

TEST_F(text_files, read_desc_stops_at_a_tilde_block_end_and_leaves_the_rest) {
    text_reader r("MODULE\nname\ndesc one\ndesc two\n~\nNEXT\n");
    std::string line;
    r.read_line(line);
    r.read_line(line);
    text_list l = {"stale"};
    read_desc(r, l);
    EXPECT_EQ(lines_of(l), (strings{"desc one", "desc two"}));
    ASSERT_TRUE(r.read_line(line));
    EXPECT_EQ(line, "NEXT");
    read_desc(r, l);
    EXPECT_TRUE(l.empty());
    EXPECT_TRUE(r.at_end());
}

TEST_F(text_files, text_section_appends_keys_and_prepared_lines) {
    play_as("anna berg", 2);
    write_file("t.dat", "@#Shop\nABQ\n`9(^MC01)buy ^ca\n^MC02 and ^MC09\n@#\n");
    text_list l = {"kept"};
    std::string keys = "X";
    read_text_section("t.dat", "SHOP", l, keys);
    EXPECT_EQ(keys, "XABQ");
    EXPECT_EQ(lines_of(l), (strings{"kept", "`9(A)buy Anna Berg", "B and ^MC09"}));
    read_text_section("t.dat", "none", l, keys);
    EXPECT_EQ(keys, "XABQ");
    EXPECT_EQ(l.size(), 3u);
}

TEST_F(text_files, retrieve_headers_lists_upper_cased_names_and_filters) {
    write_file("t.dat", "stray\n@#Main\nx\n@#Shop_1\n@#guild_2\ny\n@#\n");
    text_list l = {"old"};
    retrieve_headers("t.dat", l);
    EXPECT_EQ(lines_of(l), (strings{"MAIN", "SHOP_1", "GUILD_2"}));
    retrieve_headers("t.dat", "_", l);
    EXPECT_EQ(lines_of(l), (strings{"SHOP_1", "GUILD_2"}));
    // The filter is taken as it is; the names are upper case.
    retrieve_headers("t.dat", "shop", l);
    EXPECT_TRUE(l.empty());
    l = {"untouched"};
    retrieve_headers("missing.dat", l);
    retrieve_headers("missing.dat", "M", l);
    EXPECT_EQ(lines_of(l), (strings{"untouched"}));
}

TEST_F(text_files, writedesc_writes_each_mode_byte_exact) {
    play_as("ANNA berg");
    text_list l = {"`4Red`% white``", "plain", "`m & `n`b`x"};
    writedesc(1, "plain.txt", l);
    EXPECT_EQ(read_file("plain.txt"), "`4Red`% white``\nplain\n`m & `n`b`x\n");
    writedesc(7, "other.txt", l);
    EXPECT_EQ(read_file("other.txt"), read_file("plain.txt"));
    writedesc(2, "rank.ans", l);
    // "ANNA berg": h = 12523, 12523 mod 13 = 4, "Jalunza".
    EXPECT_EQ(read_file("rank.ans"),
              "\x1b[0;31mRed\x1b[0;1m white\x1b[0m\n"
              "plain\x1b[0m\n"
              "Jalunza & Anna Berg\x1b[0m\n");
    writedesc(3, "rank.asc", l);
    EXPECT_EQ(read_file("rank.asc"), "Red white\nplain\nJalunza & Anna Berg\n");

    // A whole rewrite: an old longer file is replaced, no temporary file is left behind.
    write_file("hall0001.dat", std::string(5000, 'z'));
    writedesc(1, "hall0001.dat", {"one"});
    EXPECT_EQ(read_file("hall0001.dat"), "one\n");
    writedesc(3, "hall0001.dat", {});
    EXPECT_TRUE(file_present("hall0001.dat"));
    EXPECT_EQ(read_file("hall0001.dat"), "");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(".")) files += e.path().filename().string()[0] == '.';
    EXPECT_EQ(files, 0);
}

TEST_F(text_files, append_user_file_appends_to_the_players_mailbox_only) {
    add_char(make_char(7, "`4Dark`% Knight"));
    add_char(make_char(12, "Bob"));
    append_user_file("dark knight", {"#0000 `%System Message", "  hello", "~"});
    append_user_file("DARK KNIGHT", {"#0012 Bob", "~"});
    EXPECT_EQ(read_file("user0007.dat"), "#0000 `%System Message\n  hello\n~\n#0012 Bob\n~\n");
    append_user_file("nobody", {"lost"});
    append_user_file("bob", {});
    EXPECT_FALSE(file_present("user0000.dat"));
    EXPECT_FALSE(file_present("user0012.dat"));
    EXPECT_EQ(mailbox_file_name(12345), "user2345.dat");
}

TEST_F(text_files, appends_from_four_nodes_never_interleave) {
    add_char(make_char(3, "Target"));
    constexpr int nodes = 4, messages = 60;
    std::vector<pid_t> kids;
    for (int n = 1; n <= nodes; ++n)
        kids.push_back(start_child([n] {
            for (int m = 0; m < messages; ++m) {
                std::string id = std::to_string(n) + "." + std::to_string(m);
                append_user_file("target", {"#000" + std::to_string(n) + " Node", "  line one of " + id,
                                            "  line two of " + id, "~"});
            }
        }));
    for (pid_t k : kids) {
        child_result r = wait_child(k);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.code, 0);
    }
    text_reader r(read_file("user0003.dat"));
    std::map<int, int> next;  // per node: the next message number expected
    std::string a, b, c, d;
    int blocks = 0;
    while (r.read_line(a)) {
        ASSERT_TRUE(r.read_line(b) && r.read_line(c) && r.read_line(d));
        ASSERT_EQ(a.substr(0, 4), "#000");
        int n = a[4] - '0';
        std::string id = std::to_string(n) + "." + std::to_string(next[n]++);
        EXPECT_EQ(b, "  line one of " + id);
        EXPECT_EQ(c, "  line two of " + id);
        EXPECT_EQ(d, "~");
        ++blocks;
    }
    EXPECT_EQ(blocks, nodes * messages);
}

TEST_F(text_files, read_file_number_takes_the_last_group_of_three) {
    write_file("a.scc", "101102\r\n103113");
    EXPECT_EQ(read_file_number("a.scc"), 113);
    write_file("b.scc", "113");
    EXPECT_EQ(read_file_number("b.scc"), 113);
    write_file("c.scc", "1131x3");
    EXPECT_EQ(read_file_number("c.scc"), 0);
    write_file("d.scc", "11307");
    EXPECT_EQ(read_file_number("d.scc"), 7);
    write_file("e.scc", "");
    EXPECT_EQ(read_file_number("e.scc"), 0);
    EXPECT_EQ(read_file_number("none.scc"), 0);
}

// A screen of the default texts may follow a key wait, whose prompt ends no line: each starts
// on a line of its own (an empty first line, a clear, or a raw screen that clears or homes).
// The numbered parts (guild_1 ...) and the inventory's commands are lines shown below others
// (a menu, the inventory's list), not screens.
TEST_F(text_files, every_default_screen_starts_on_a_line_of_its_own) {
    const char* data = std::getenv("QV_DATA_DIR");
    std::string file = std::string(data ? data : "data") + "/quortext.dat";
    text_list names;
    retrieve_headers(file, names);
    ASSERT_GT(names.size(), 40u);
    const std::vector<std::string> without_keys = {"CHAT_HELP"};  // read whole, not as a menu
    for (const text_line& n : names) {
        std::string name = n.str();
        bool ansi = name.find("_ANSI_") != std::string::npos;
        bool part = name == "ITEM_MENU" || (name.size() > 2 && name[name.size() - 2] == '_' &&
                                            std::isdigit(static_cast<unsigned char>(name.back())));
        if (part && !ansi) continue;
        strings lines = lines_of(read(name, file));
        bool menu = !ansi && std::find(without_keys.begin(), without_keys.end(), name) == without_keys.end();
        if (menu && !lines.empty()) lines.erase(lines.begin());  // the key string
        if (lines.empty()) continue;
        const std::string& first = lines.front();
        bool fresh = ansi ? first.starts_with("\x1b[2J") || first.starts_with("\x1b[H")
                          : first.empty() || first.starts_with("`c");
        EXPECT_TRUE(fresh) << name << " starts: " << first;
    }
}
