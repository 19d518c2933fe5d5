// The news of the realm and the conversation boards.
//
// Today's news (news0.dat) gathers deaths, fights, announcements and one town story a day;
// news1.dat to news7.dat hold the days before (the daily maintenance shifts them). Every item
// is written in one change under the file's lock.
//
// A conversation board ("tavern.cnv") is a short file of one-line comments, each two lines
// (who said it, and what); it keeps the newest 18 lines. Each comment is added under the
// file's lock (re-read, add, trim, rewrite), so no node's comment is lost.
#pragma once
#include <string>
#include <string_view>

#include "engine/text/text_file.hpp"

constexpr const char* news_short_divider = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
// A conversation board keeps fewer lines than this.
constexpr std::size_t conversation_line_limit = 19;
constexpr std::size_t comment_limit = 75;

// Appends the lines to today's news as one item: each macro-expanded with "`3" in front,
// then the short divider. A missing or empty news0.dat gets the dated header first.
void add_news(const text_list& lines);
// Shows the news of a day: "0" today up to "7"; an empty day asks the caller (Enter is
// today). A day outside 0-7 is refused; a missing file says there is no news for that day.
void read_news(std::string_view day);
// The lines of a news file (empty when it is missing).
void read_news_file(const std::string& name, text_list& list);
// The caller's announcement in today's news.
void post_announcement();
// Appends one of the fifteen town stories to today's news.
void random_news_event();

// The lines of a conversation board (empty when it is missing).
void read_conversation(const std::string& file, text_list& list);
// Adds the playing character's comment (two lines) under the board's lock, dropping the
// oldest lines while the board holds 19 or more.
void add_conversation_comment(const std::string& file, std::string_view comment);
// The conversation board menu: A add a comment, L leave, ? the board again, V F R the
// status screen, the players on line and the rankings.
void conversation_board(std::string_view file, std::string_view title);
