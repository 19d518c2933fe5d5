#include "multi/boards.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "game/menu.hpp"
#include "multi/paging.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* board_menu_section = "hall_message";
constexpr const char* post_aborted = "`9  Announcement Aborted.";

// A post's lines after its header: author, date-time, subject, then the body.
constexpr std::size_t author_line = 0, time_line = 1, subject_line = 2, body_start = 3;

struct board_post {
    std::string header;              // the "@#" line
    std::vector<std::string> lines;  // every line up to the next header, as stored
    std::string number() const { return header.substr(2); }
    std::string line(std::size_t i) const { return i < lines.size() ? lines[i] : std::string(); }
};

struct board {
    std::vector<std::string> before;  // lines ahead of the first post, kept as they are
    std::vector<board_post> posts;
};

board parse_board(std::string_view contents) {
    board b;
    text_reader reader(contents);
    for (std::string line; reader.read_line(line);) {
        if (line.starts_with("@#"))
            b.posts.push_back({line, {}});
        else
            (b.posts.empty() ? b.before : b.posts.back().lines).push_back(line);
    }
    return b;
}

std::string lines_image(const std::vector<std::string>& lines) {
    std::string image;
    for (const std::string& l : lines) image += l + "\n";
    return image;
}

std::string board_image(const board& b) {
    std::string image = lines_image(b.before);
    for (const board_post& p : b.posts) image += p.header + "\n" + lines_image(p.lines);
    return image;
}

// The board as it stands; empty when it is missing.
board read_board(const std::string& file) {
    std::string contents;
    if (read_whole_file(file, contents) != file_status::ok) return {};
    return parse_board(contents);
}

std::size_t board_limit() { return static_cast<std::size_t>(std::max<int>(1, max_board_messages)); }

// Drops the oldest posts so that one more fits, and numbers the rest 1, 2, 3 by position.
void make_room(board& b) {
    std::size_t limit = board_limit();
    if (b.posts.size() + 1 > limit) b.posts.erase(b.posts.begin(), b.posts.begin() + (b.posts.size() + 1 - limit));
    for (std::size_t i = 0; i < b.posts.size(); ++i) b.posts[i].header = "@#" + int_to_str(i + 1);
}

// A line a player typed: no control bytes, and never a post's header or a section's end.
std::string board_text(std::string_view typed) {
    std::string s = controls_to_dots(typed);
    if (s.starts_with("@#") || s.starts_with("~")) s.insert(0, " ");
    return s;
}

// True when the board reads back exactly as it is stored (plain line ends, a line end after
// the last line, no end-of-text byte, no line cut on reading) and, when numbered is asked
// for, its posts are numbered 1, 2, 3 in file order: lines appended to such a board read
// as the board rewritten with them would. posts receives the number of posts.
bool board_as_stored(std::string_view contents, bool numbered, std::size_t& posts) {
    posts = 0;
    if (!contents.empty() && contents.back() != '\n') return false;
    if (contents.find_first_of("\r\x1a") != std::string_view::npos) return false;
    while (!contents.empty()) {
        std::size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end + 1);
        if (line.size() > 255) return false;
        if (!line.starts_with("@#")) continue;
        ++posts;
        if (numbered && line.substr(2) != int_to_str(posts)) return false;
    }
    return true;
}

// The end of a board read for a post: enough for the newest post as players write them.
constexpr std::size_t board_tail = 16384;

// The number of the newest post, from the board's last bytes (their first line may be cut):
// its "@#" line and everything after it must read back as stored. Nothing when they hold no
// header or do not.
std::optional<std::size_t> newest_post(std::string_view tail) {
    std::size_t at = tail.find('\n');
    at = at == std::string_view::npos ? at : tail.rfind("\n@#");
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view newest = tail.substr(at + 1);
    std::size_t posts = 0;
    if (!board_as_stored(newest, false, posts)) return std::nullopt;
    std::string_view number = newest.substr(2, newest.find('\n') - 2);
    std::size_t n = 0;
    auto [end, err] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (err != std::errc() || end != number.data() + number.size() || n < 1 || int_to_str(n) != number)
        return std::nullopt;
    return n;
}

// Adds the post (its lines after the header) as the newest, under the board's lock, so two
// nodes posting at once each keep their post. It is appended with the number after the
// newest post's, which is read from the board's end; only a full board (the oldest make
// room) or one that does not read back as stored is read whole and rewritten, once.
void post_to_board(const std::string& file, const std::vector<std::string>& lines) {
    bool done = locked_tail_update(file, board_tail, [&](std::string& contents, bool whole) {
        if (!whole) {
            std::optional<std::size_t> newest = newest_post(contents);
            if (!newest || *newest + 1 > board_limit()) return locked_action::whole;
            contents = "@#" + int_to_str(*newest + 1) + "\n" + lines_image(lines);
            return locked_action::append;
        }
        std::size_t posts = 0;
        if (board_as_stored(contents, true, posts) && posts + 1 <= board_limit()) {
            contents = "@#" + int_to_str(posts + 1) + "\n" + lines_image(lines);
            return locked_action::append;
        }
        board b = parse_board(contents);
        make_room(b);
        b.posts.push_back({"@#" + int_to_str(b.posts.size() + 1), lines});
        contents = board_image(b);
        return locked_action::rewrite;
    });
    if (!done) file_write_failed(file);
}

const board_post* post_numbered(const board& b, std::int32_t number) {
    if (number < 1) return nullptr;
    std::string key = int_to_str(number);
    for (const board_post& p : b.posts)
        if (p.number() == key) return &p;
    return nullptr;
}
}  // namespace

int count_board_msgs(const std::string& file) { return static_cast<int>(read_board(file).posts.size()); }

void list_board(const std::string& file) {
    board b = read_board(file);
    if (b.posts.empty()) {
        disp_line("`9  There are no messages on the board");
        return;
    }
    disp_line("`c                        `%Messages on the Board:");
    disp_line("`!   #    Subject                                       Author");
    disp_line(long_rule);
    for (const board_post& p : b.posts)
        disp_line("`9" + pad_left(p.number(), 4) + "    `%" + pad_right(strip_codes(p.line(subject_line)), 40) +
                  "      `9" + p.line(author_line));
}

void read_board_msg(const std::string& file, std::string_view title) {
    disp_line("");
    disp_text("  `9Read what number? `%: ");
    std::int32_t number = read_longint();
    board b = read_board(file);
    const board_post* p = post_numbered(b, number);
    if (!p) {
        disp_line("`9  That message exists only in your `4IMAGINATION`9.");
        return;
    }
    std::string of = int_to_str(number) + " of " + int_to_str(b.posts.size());
    disp_line("`c`#  Message # : `!" + pad_right(of, 13) + "`4" + pad_left("Messages for " + std::string(title), 52));
    disp_line("`#       From : `9" + p->line(author_line));
    disp_line("`#       Time : `3" + p->line(time_line));
    disp_line("`#    Subject : `%" + p->line(subject_line));
    disp_line("");
    text_list body;
    for (std::size_t i = body_start; i < p->lines.size() && !p->lines[i].starts_with("~"); ++i)
        add_desc_line(p->lines[i], body);
    show_paged(body, 5);
}

void enter_post(const std::string& file) {
    debug_enter("Entering enter_post");
    std::string author = own_proper_name();
    disp_text("  `9Subject? `%: ");
    std::string subject = read_line();
    if (subject.empty()) {
        disp_line("");
        disp_line(post_aborted);
        debug_leave("Leaving enter_post");
        return;
    }
    disp_line("`c  `3Enter message below: `%(blank line ends)`9" + pad_left("New Board Message : ", 30));
    disp_line(long_rule);
    text_list typed = read_typed_lines();
    if (typed.empty()) {
        disp_line(post_aborted);
        debug_leave("Leaving enter_post");
        return;
    }
    std::vector<std::string> lines = {board_text(author), date_time_str(), text_line(board_text(subject)).str()};
    for (const text_line& l : typed) lines.push_back(controls_to_dots(l.view()));
    post_to_board(file, lines);
    disp_line("`9  Message Posted");
    hit_any_key();
    debug_leave("Leaving enter_post");
}

void append_board_post(const std::string& file, const text_list& lines) {
    update_locked_file(file, [&](std::string& contents) {
        std::string added;
        for (const text_line& l : lines) added += l.str() + "\n";
        std::size_t posts = 0;
        if (board_as_stored(contents, false, posts)) {
            contents = added;
            return locked_action::append;
        }
        // Written back as it reads: a board cut short by an end-of-text byte or an open last
        // line would otherwise hide what is appended.
        contents = board_image(parse_board(contents)) + added;
        return locked_action::rewrite;
    });
}

void renumber_board(const std::string& file) {
    debug_enter("Entering renumber_board");
    if (!wait_for_file(file)) {
        debug_log("FORCE:ERROR:Trying to renumber a board that does not exist");
    } else {
        update_locked_file(file, [&](std::string& contents) {
            board b = parse_board(contents);
            // Another node made room first.
            if (b.posts.size() < board_limit()) {
                debug_log("FORCE:ERROR:Board trying to be renumbered twice");
                return locked_action::keep;
            }
            make_room(b);
            contents = board_image(b);
            return locked_action::rewrite;
        });
    }
    debug_leave("Leaving renumber_board");
}

void message_board_menu(const std::string& file, std::string_view title, int,
                        const std::function<void(menu_loop&)>& follow) {
    if (!cur_char) return;
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, board_menu_section, menu, keys);
    show_menu_text(menu);

    menu_loop m;
    m.title = "`9   Messages for " + std::string(title) + "`%:";
    m.keys = keys;
    m.level = sub_location;
    m.common_keys = "VF";
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case '?': show_menu_text(menu); break;
        case 'S': list_board(file); break;
        case 'R': read_board_msg(file, title); break;
        case 'P': enter_post(file); break;
        default: break;
        }
        return true;
    };
    if (follow) follow(m);
    run_menu_loop(m);
    deldesc(menu);
}
