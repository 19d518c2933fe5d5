#include "engine/news_file.hpp"

#include "engine/file_access.hpp"
#include "engine/strings.hpp"

std::string news_file_name(int days_ago) { return "news" + int_to_str(days_ago) + ".dat"; }

std::string news_header() {
    std::string divider = "`#";
    for (int i = 0; i < 77; ++i) divider += i % 2 == 0 ? '-' : '=';
    return "`c  `!The News of the Realm       " + pad_left(today_string(), 44) + "\n" + divider + "\n";
}

void update_todays_news(const std::function<void(std::string& contents)>& add) {
    std::string name = news_file_name(0);
    wait_for_file(name);
    update_locked_file(name, [&add](std::string& contents) {
        if (contents.empty()) contents = news_header();
        add(contents);
        return locked_action::rewrite;
    });
}
