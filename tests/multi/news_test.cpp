// The news of the realm and the conversation board: the files byte for byte, the reader's
// screens, bad input, and two nodes writing at once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/store/news_file.hpp"
#include "multi/news.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
std::string long_rule() {
    std::string rule;
    for (int i = 0; i < 77; ++i) rule += i % 2 ? '=' : '-';
    return rule;
}
const std::string header =
    "`c  `!The News of the Realm       " + std::string(27, ' ') + "Thursday 01/15/26\n`#" + long_rule() + "\n";
const std::string divider = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-\n";

struct news : multi_state {
    news() {
        seam.set_time(2026, 1, 15);
        write_file("quortext.dat", "@#con_menu\nAVFRL\n@#\n");
        anna();
        out.take();
    }
    static text_list lines(std::initializer_list<std::string> l) {
        text_list t;
        for (const std::string& s : l) add_desc_line(s, t);
        return t;
    }
    static std::size_t count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
        return n;
    }
    // Runs fn in `n` processes at once and waits for them all.
    static void at_once(int n, const std::function<void(int)>& fn) {
        std::vector<pid_t> kids;
        for (int i = 0; i < n; ++i) kids.push_back(start_child([&fn, i] { fn(i); }));
        for (pid_t k : kids) {
            int status = 0;
            ::waitpid(k, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }
};

TEST_F(news, an_item_is_expanded_coloured_and_closed_and_the_day_starts_with_one_header) {
    add_news(lines({"^CA was here", "second"}));
    EXPECT_EQ(read_file("news0.dat"), header + "`3Anna Smith was here\n`3second\n" + divider);

    // Two nodes adding the day's first items at once: one header, every item.
    std::remove("news0.dat");
    at_once(2, [](int node) {
        for (int i = 0; i < 10; ++i) add_news(lines({"node " + std::to_string(node) + " item " + std::to_string(i)}));
    });
    std::string both = read_file("news0.dat");
    EXPECT_EQ(both.rfind(header, 0), 0u);
    EXPECT_EQ(count(both, "The News of the Realm"), 1u);
    EXPECT_EQ(count(both, "`3node 0 item"), 10u);
    EXPECT_EQ(count(both, "`3node 1 item"), 10u);
    EXPECT_EQ(count(both, divider), 20u);

    // A rotation whose header step comes after another node's first item keeps that item.
    std::rename("news0.dat", "news1.dat");
    add_news(lines({"early"}));
    append_todays_news("");
    EXPECT_EQ(read_file("news0.dat"), header + "`3early\n" + divider);
}

TEST_F(news, an_item_is_appended_as_the_rewrite_of_the_day_gave_it) {
    // What the day's file held before, and whether the item went in by an append: the file
    // then stays the same file. Whatever it held, the result is the old contents (or the
    // header, for none) followed by the item, a file edited by hand included.
    struct row {
        const char* what;
        bool present;
        std::string before;
    } rows[] = {
        {"missing", false, ""},
        {"empty", true, ""},
        {"header only", true, header},
        {"items", true, header + "`3one\n" + divider + "`3two\n" + divider},
        {"no line end at its end", true, header + "`3edited"},
        {"DOS line ends", true, "title\r\nrule\r\n"},
    };
    const std::string item = "`3Anna Smith fell\n" + divider;
    for (const row& r : rows) {
        std::remove("news0.dat");
        if (r.present) write_file("news0.dat", r.before);
        struct stat was {};
        ::stat("news0.dat", &was);
        add_news(lines({"^CA fell"}));
        EXPECT_EQ(read_file("news0.dat"), (r.before.empty() ? header : r.before) + item) << r.what;
        struct stat now {};
        ::stat("news0.dat", &now);
        if (r.present) {
            EXPECT_EQ(now.st_ino, was.st_ino) << r.what;
        }
        // The rotation's start of the day writes nothing into a day that has begun.
        append_todays_news("");
        EXPECT_EQ(read_file("news0.dat"), (r.before.empty() ? header : r.before) + item) << r.what;
    }
    std::remove("news0.dat");
    append_todays_news("");
    EXPECT_EQ(read_file("news0.dat"), header);
    // A day's file that cannot be written ends the game as any file does, naming it.
    std::remove("news0.dat");
    ASSERT_EQ(::symlink("/dev/full", "news0.dat"), 0);
    child_result r = run_in_child([] { add_news(lines({"^CA fell"})); });
    EXPECT_EQ(r.code, 5);
    EXPECT_NE(r.out.find("Could not write news0.dat : No space left on device"), std::string::npos) << r.out;
    ::unlink("news0.dat");
}

TEST_F(news, the_town_story_is_told_word_for_word) {
    seam.rolls = {10};
    random_news_event();
    EXPECT_EQ(read_file("news0.dat"), header +
                                          "`3You hear in hushed tones and whispers news of the Quorvath being\n"
                                          "`3found out near the old graveyard.\n" +
                                          divider);
}

TEST_F(news, the_reader_asks_refuses_and_pages) {
    std::string today = header;
    for (int i = 1; i <= 30; ++i) today += "`3line " + std::to_string(i) + "\n";
    write_file("news0.dat", today);
    struct row {
        std::string day, keys, screen;
    } rows[] = {
        {"", "8x",
         "\n  News from how many days ago? (0-7) [0] : 8\n\n\n  Sorry, news is not available for THAT day.\n"
         "      [ Hit any key ]"},
        {"9", "x", "\n\n  Sorry, news is not available for THAT day.\n      [ Hit any key ]"},
        {"", "3x",
         "\n  News from how many days ago? (0-7) [0] : 3\n  There is no news for that day.\n      [ Hit any key ]"},
    };
    for (const row& r : rows) {
        input_feed keys(r.keys);
        read_news(r.day);
        EXPECT_EQ(plain(out.take()), r.screen) << r.keys;
    }
    // Enter is today: 23 lines, a key, the prompt stepped back over, the rest, a key.
    input_feed keys("\rxx");
    read_news("");
    std::string screen = plain(out.take());
    EXPECT_NE(screen.find("line 21\n      [ Hit any key ]" + std::string(21, '\b') + "line 22\n"), std::string::npos)
        << screen;
    EXPECT_TRUE(screen.ends_with("line 30\n      [ Hit any key ]")) << screen;
}

TEST_F(news, an_announcement_is_signed_and_an_empty_one_aborted) {
    input_feed keys("\r");
    post_announcement();
    EXPECT_TRUE(plain(out.take()).ends_with(": \n  Announcement Aborted.\n"));
    EXPECT_FALSE(file_present("news0.dat"));
    input_feed more("Hear ye\rall of you\r\r");
    post_announcement();
    EXPECT_EQ(read_file("news0.dat"),
              header + "`3`%Announcement From Anna Smith : \n`3  Hear ye\n`3  all of you\n" + divider);
    EXPECT_EQ(cur_char->location, "tEntering News");
    out.take();
}

TEST_F(news, comments_are_checked_cut_trimmed_and_never_lost) {
    struct row {
        std::string typed, shown;
    } rows[] = {
        {"x", "  You comment must be at least TWO letters, like duh!\n"},
        {"", "  (Message Aborted)\n"},
        {std::string(76, 'w'), "  Comment ADDED.\n      [ Hit any key ]"},
    };
    std::string rule = long_rule();
    input_feed empty("l");
    conversation_board("tavern.cnv", "Tavern Talk");
    EXPECT_EQ(
        plain(out.take())
            .rfind("\n                             Tavern Talk:\n" + rule + "\n  No-one seems to have been talking\n",
                   0),
        0u);
    for (const row& r : rows) {
        input_feed keys("a" + r.typed + "\rxl");
        conversation_board("tavern.cnv", "Tavern Talk");
        EXPECT_NE(plain(out.take()).find(">" + r.typed + "\n" + r.shown), std::string::npos) << r.typed;
    }
    EXPECT_EQ(read_file("tavern.cnv"), "`%    Anna Smith said : \n`!  " + std::string(75, 'w') + "\n");

    // Ten comments from two nodes at once: none lost, the board keeps the newest 18 lines.
    std::remove("tavern.cnv");
    at_once(2, [](int node) {
        for (int i = 0; i < 4; ++i) add_conversation_comment("tavern.cnv", "node " + std::to_string(node));
    });
    EXPECT_EQ(count(read_file("tavern.cnv"), "node 0\n"), 4u);
    EXPECT_EQ(count(read_file("tavern.cnv"), "node 1\n"), 4u);
    add_conversation_comment("tavern.cnv", "ninth");
    add_conversation_comment("tavern.cnv", "tenth");
    std::vector<std::string> kept = file_lines(read_file("tavern.cnv"));
    ASSERT_EQ(kept.size(), 18u);
    EXPECT_EQ(kept.back(), "`!  tenth");
    add_conversation_comment("tavern.cnv", "a\x1b[2Jb");
    EXPECT_EQ(file_lines(read_file("tavern.cnv")).back(), "`!  a.[2Jb");

    input_feed keys("l");
    conversation_board("tavern.cnv", "Tavern Talk");
    std::string screen = plain(out.take());
    EXPECT_NE(screen.find("\n    Anna Smith said : \n  tenth\n"), std::string::npos) << screen;
}
}  // namespace
