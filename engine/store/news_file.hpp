// The realm's newspaper on disk: news0.dat holds today's news, news1.dat to news7.dat the news
// of 1 to 7 days ago. Today's file opens with a dated header of two lines; every item is
// appended to it in one write under the file's lock, so two nodes adding the day's first
// item at once give one header and both items.
#pragma once
#include <string>
#include <string_view>

constexpr int news_days_kept = 7;

// "news" + days_ago + ".dat".
std::string news_file_name(int days_ago);
// The two lines (each ended by LF) that open today's news: the title with today's date
// right-justified, and the long divider.
std::string news_header();
// Appends the item's bytes to today's news under its lock, the dated header first when the
// file is missing or empty (an empty item then starts the day's file and nothing else).
// A file that cannot be written ends the game with code 5 (while the game is already
// ending, only a log line).
void append_todays_news(std::string_view item);
