// The realm's newspaper on disk: news0.dat holds today's news, news1.dat to news7.dat the news
// of 1 to 7 days ago. Today's file opens with a dated header of two lines; every item that
// follows is written in one change under the file's lock, so two nodes adding the day's
// first item at once give one header and both items.
#pragma once
#include <functional>
#include <string>

constexpr int news_days_kept = 7;

// "news" + days_ago + ".dat".
std::string news_file_name(int days_ago);
// The two lines (each ended by LF) that open today's news: the title with today's date
// right-justified, and the long divider.
std::string news_header();
// Changes today's news under its lock: a missing or empty file gets the dated header first,
// then add appends to the contents, and the file is rewritten. A file that cannot be written
// ends the game with code 5 (while the game is already ending, only a log line).
void update_todays_news(const std::function<void(std::string& contents)>& add);
