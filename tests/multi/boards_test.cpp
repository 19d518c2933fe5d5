// Message boards: the stored posts, making room at the limit, typed text that would be
// structure, the list and reading screens with their paging, and two nodes posting at once.
#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/flags.hpp"
#include "multi/boards.hpp"
#include "multi_state.hpp"
#include "support/child.hpp"

namespace {
const std::string board_name = "tavern.msg";

std::string post(int number, const std::string& author, const std::string& subject, const std::string& body) {
    return "@#" + std::to_string(number) + "\n" + author + "\nMonday 01/12/26  10:00:00:00\n" + subject + "\n" + body;
}

// The subjects of the board, in file order, and its headers.
struct board_view {
    std::vector<std::string> headers, subjects;
};
board_view view_of(const std::string& text) {
    board_view v;
    std::vector<std::string> lines = file_lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with("@#")) {
            v.headers.push_back(lines[i]);
            v.subjects.push_back(i + 3 < lines.size() ? lines[i + 3] : "");
        }
    return v;
}

struct boards : multi_state {
    boards() {
        play_as("anna smith", 2, 1);
        save();
        out.take();
    }
    std::string keys_run(const std::string& keys, const std::function<void()>& fn) {
        input_feed feed(keys);
        fn();
        return plain(out.take());
    }
    std::string post_keys(const std::string& keys) {
        return keys_run(keys, [] { enter_post(board_name); });
    }
    std::string read_keys(const std::string& keys) {
        return keys_run(keys, [] { read_board_msg(board_name, "the Tavern"); });
    }
};

TEST_F(boards, a_post_past_the_limit_drops_the_oldest_and_numbers_from_one) {
    std::string board;
    for (int i = 1; i <= 14; ++i) board += post(i, "Bob", "Subject " + std::to_string(i), "  body\n");
    write_file(board_name, board);
    std::string screen = post_keys("Hello\rline one\r\rx");
    EXPECT_NE(screen.find("  Message Posted"), std::string::npos) << screen;
    std::string text = read_file(board_name);
    board_view v = view_of(text);
    ASSERT_EQ(v.headers.size(), 14u);
    for (int i = 1; i <= 14; ++i) EXPECT_EQ(v.headers[i - 1], "@#" + std::to_string(i));
    EXPECT_EQ(v.subjects.front(), "Subject 2");
    EXPECT_TRUE(text.ends_with("@#14\nAnna Smith\n" + date_time_str() + "\nHello\n  line one\n")) << text;
    EXPECT_EQ(count_board_msgs(board_name), 14);
}

namespace {
// A post the old way: the board read back as it reads (an end-of-text byte ends it, any
// line end ends a line, lines cut at 255), the oldest posts dropped while one more would
// pass the limit, the rest numbered by position, the post added, the whole written again.
std::string rewritten(std::string before, const std::string& post_lines, std::size_t limit) {
    before = before.substr(0, before.find('\x1a'));
    std::vector<std::string> head;
    std::vector<std::vector<std::string>> posts;
    std::string line;
    auto take = [&] {
        line.resize(std::min<std::size_t>(line.size(), 255));
        if (line.starts_with("@#"))
            posts.push_back({});
        else
            (posts.empty() ? head : posts.back()).push_back(line);
        line.clear();
    };
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] != '\r' && before[i] != '\n') {
            line += before[i];
            continue;
        }
        take();
        if (before[i] == '\r' && i + 1 < before.size() && before[i + 1] == '\n') ++i;
    }
    if (!line.empty()) take();
    if (posts.size() + 1 > limit) posts.erase(posts.begin(), posts.begin() + long(posts.size() + 1 - limit));
    std::string out;
    for (const std::string& l : head) out += l + "\n";
    for (std::size_t p = 0; p < posts.size(); ++p) {
        out += "@#" + std::to_string(p + 1) + "\n";
        for (const std::string& l : posts[p]) out += l + "\n";
    }
    return out + "@#" + std::to_string(posts.size() + 1) + "\n" + post_lines;
}

int board_writes = 0;
void count_board_write(const std::string& name) {
    if (name == board_name) ++board_writes;
}

std::string posts_of(int from, int to) {
    std::string b;
    for (int i = from; i <= to; ++i) b += post(i, "Bob", "Subject " + std::to_string(i), "  body\n");
    return b;
}
}  // namespace

TEST_F(boards, a_post_is_appended_as_the_rewrite_gave_it_and_a_full_board_is_rewritten_once) {
    struct row {
        const char* what;
        bool present;
        std::string before;
        int limit;
        bool appended;
    } rows[] = {
        {"missing", false, "", 14, true},
        {"three posts", true, posts_of(1, 3), 14, true},
        {"lines before the first post", true, "Welcome\n\n" + posts_of(1, 2), 14, true},
        {"one short of the limit", true, posts_of(1, 13), 14, true},
        {"at the limit", true, posts_of(1, 14), 14, false},
        {"past a lowered limit", true, posts_of(1, 20), 14, false},
        {"a limit of one", true, posts_of(1, 1), 1, false},
        {"numbers out of step", true, posts_of(1, 2) + posts_of(5, 5), 14, false},
        {"DOS line ends", true, "@#1\r\nBob\r\nT\r\nS\r\n", 14, false},
        {"an end-of-text byte", true, posts_of(1, 2) + "\x1a" + posts_of(3, 3), 14, false},
        {"no line end at its end", true, posts_of(1, 2) + "  open", 14, false},
        {"a line past 255", true, posts_of(1, 1) + std::string(300, 'x') + "\n", 14, false},
        // Longer than the end the post reads first.
        {"a long board", true, posts_of(1, 600), 1000, true},
        {"a long board at the limit", true, posts_of(1, 600), 600, false},
        {"a long board with DOS line ends at its end", true, posts_of(1, 600) + "@#601\r\nBob\r\n", 1000, false},
        {"a long board whose newest post is longer than the end read", true,
         posts_of(1, 600) + std::string(200, 'x') + "\n" + std::string(20000, '\n'), 1000, true},
    };
    const std::string post_lines = "Anna Smith\n" + date_time_str() + "\nHello\n  line one\n";
    set_write_watch(count_board_write);
    for (const row& r : rows) {
        ::unlink(board_name.c_str());
        if (r.present) write_file(board_name, r.before);
        max_board_messages = r.limit;
        struct stat was {};
        ::stat(board_name.c_str(), &was);
        board_writes = 0;
        post_keys("Hello\rline one\r\rx");
        EXPECT_EQ(read_file(board_name), rewritten(r.before, post_lines, std::size_t(r.limit))) << r.what;
        EXPECT_EQ(board_writes, 1) << r.what;
        struct stat now {};
        ::stat(board_name.c_str(), &now);
        if (r.present) {
            EXPECT_EQ(now.st_ino == was.st_ino, r.appended) << r.what;
        }
    }
    // Of a long board only the end is read: the newest post's number counts it.
    write_file(board_name, posts_of(1, 2) + posts_of(5, 600));
    post_keys("Hello\rline one\r\rx");
    EXPECT_EQ(read_file(board_name), posts_of(1, 2) + posts_of(5, 600) + "@#601\n" + post_lines);
    // The lines a script appends go in the same way.
    write_file(board_name, posts_of(1, 2));
    struct stat was {};
    ::stat(board_name.c_str(), &was);
    text_list added;
    for (const char* l : {"@#3", "Anna", "T", "S"}) add_desc_line(l, added);
    append_board_post(board_name, added);
    EXPECT_EQ(read_file(board_name), posts_of(1, 2) + "@#3\nAnna\nT\nS\n");
    struct stat now {};
    ::stat(board_name.c_str(), &now);
    EXPECT_EQ(now.st_ino, was.st_ino);
    set_write_watch(nullptr);
}

TEST_F(boards, typed_text_never_becomes_structure_and_bad_posts_are_refused) {
    struct row {
        std::string keys, shown, stored;
    };
    const row rows[] = {
        {"@#99\r~x\r\rx", "Message Posted", "@#1\nAnna Smith\n" + date_time_str() + "\n @#99\n  ~x\n"},
        {"~x\rhi\r\rx", "Message Posted", "@#1\nAnna Smith\n" + date_time_str() + "\n ~x\n  hi\n"},
        {"Subject\r\r", "Announcement Aborted.", ""},
        {"\r", "\n  Announcement Aborted.", ""},
    };
    for (const row& r : rows) {
        ::unlink(board_name.c_str());
        std::string screen = post_keys(r.keys);
        EXPECT_NE(screen.find(r.shown), std::string::npos) << r.keys << "\n" << screen;
        EXPECT_EQ(file_present(board_name) ? read_file(board_name) : "", r.stored) << r.keys;
    }
    // A limit below one keeps one post.
    max_board_messages = 0;
    post_keys("one\ra\r\rx");
    post_keys("two\rb\r\rx");
    EXPECT_EQ(read_file(board_name), "@#1\nAnna Smith\n" + date_time_str() + "\ntwo\n  b\n");
    // A board cut short by an end-of-text byte still shows what is appended to it.
    write_file(board_name, "@#1\r\nBob\r\nT\r\nS\r\n  b\x1a@#9\n");
    text_list added;
    add_desc_line("@#2", added);
    append_board_post(board_name, added);
    EXPECT_EQ(read_file(board_name), "@#1\nBob\nT\nS\n  b\n@#2\n");
}

TEST_F(boards, the_list_and_the_reading_screen) {
    write_file(board_name, post(1, "Bob", "`4Red `%alert", "  first\n") + post(2, "Carl", "Second", "  b\n"));
    std::string list = keys_run("", [] { list_board(board_name); });
    EXPECT_NE(list.find("   #    Subject                                       Author\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\n   1    Red alert                                     Bob\n   2    Second"),
              std::string::npos)
        << list;
    std::string screen = read_keys("1\r");
    EXPECT_NE(screen.find("  Message # : 1 of 2                                    Messages for the Tavern\n"
                          "       From : Bob\n       Time : Monday 01/12/26  10:00:00:00\n"
                          "    Subject : Red alert\n\n  first\n"),
              std::string::npos)
        << screen;
    for (const std::string keys : {"0\r", "3\r", "x\r"})
        EXPECT_NE(read_keys(keys).find("That message exists only in your IMAGINATION."), std::string::npos) << keys;
    ::unlink(board_name.c_str());
    EXPECT_NE(read_keys("1\r").find("IMAGINATION"), std::string::npos);
    EXPECT_NE(keys_run("", [] { list_board(board_name); }).find("There are no messages on the board"),
              std::string::npos);
}

TEST_F(boards, a_long_post_waits_for_a_key_after_a_screen) {
    std::string body;
    for (int i = 1; i <= 30; ++i) body += "  line " + std::to_string(i) + "\n";
    write_file(board_name, post(1, "Bob", "Long", body));
    std::string screen = read_keys("1\rx");
    EXPECT_NE(screen.find("  line 18\n      [ Hit any key ]" + std::string(21, '\b') + "  line 19\n"),
              std::string::npos)
        << screen;
    EXPECT_EQ(screen.find("Hit any key", screen.find("line 19")), std::string::npos);
}

TEST_F(boards, two_nodes_posting_at_the_limit_keep_the_newest_posts_numbered_once) {
    write_file(board_name, "");
    auto poster = [](char who) {
        return start_child([who] {
            std::string keys;
            for (int i = 1; i <= 20; ++i) keys += who + std::to_string(i) + "\rbody\r\rx";
            input_feed feed(keys);
            for (int i = 1; i <= 20; ++i) enter_post(board_name);
        });
    };
    pid_t a = poster('A'), b = poster('B');
    EXPECT_EQ(wait_child(a).code, 0);
    EXPECT_EQ(wait_child(b).code, 0);
    board_view v = view_of(read_file(board_name));
    ASSERT_EQ(v.headers.size(), 14u);
    for (int i = 1; i <= 14; ++i) EXPECT_EQ(v.headers[i - 1], "@#" + std::to_string(i));
    // Each node's posts that are left run without a gap up to its last (a node that finished
    // first may have none left).
    for (char who : {'A', 'B'}) {
        std::vector<int> mine;
        for (const std::string& s : v.subjects)
            if (s[0] == who) mine.push_back(std::stoi(s.substr(1)));
        for (std::size_t i = 0; i < mine.size(); ++i) EXPECT_EQ(mine[i], 21 - int(mine.size()) + int(i)) << who;
    }
}
}  // namespace
