#include "engine/store/news_file.hpp"

#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"

std::string news_file_name(int days_ago) { return "news" + int_to_str(days_ago) + ".dat"; }

std::string news_header() {
    std::string divider = "`#";
    for (int i = 0; i < 77; ++i) divider += i % 2 == 0 ? '-' : '=';
    return "`c  `!The News of the Realm       " + pad_left(today_string(), 44) + "\n" + divider + "\n";
}

void append_todays_news(std::string_view item) {
    std::string name = news_file_name(0);
    bool ok = locked_append_when_free(
        name, [item](std::int64_t size) { return size == 0 ? news_header() + std::string(item) : std::string(item); });
    if (!ok) file_write_failed(name);
}
