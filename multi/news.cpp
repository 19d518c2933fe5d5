#include "multi/news.hpp"

#include <initializer_list>
#include <vector>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/news_file.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "game/menu.hpp"
#include "multi/paging.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* conversation_menu_section = "con_menu";

// The town stories, word for word as the town tells them.
const std::vector<std::vector<const char*>> town_stories = {
    {"A meteor crashed just outside of Shamile last night.  A farming family",
     "was the first on the scene.  They told everyone about the man who got",
     "out of the meteorite and just flew off like nothing had happened."},
    {"Rumors of a new church being formed in the forest to the east of Shamile",
     "have neither been confirmed nor denied.  The location of their sanctuary",
     "remains a mystery as it is thought to be under a mystic spell that",
     "renders it invisible to those who should not see it."},
    {"A large wagon has been seen trekking through the realms.  When approached",
     "the wagon disappeared without leaving any tracks or clues as to where it",
     "went to, where it came from, or what it wanted."},
    {"Several children had the fright of their lives last night when they were",
     "dared to go into the graveyard with only the light of the full moon to",
     "guide them.  The children can not and will not talk about it."},
    {"The Mystic El-hon was seen madly running around the town square this",
     "morning claiming he had seen devils with big black eyes and fiery red",
     "skin, and that they were going to kill us all.  El-hon is now relaxing",
     "quietly in the Asylum outside the graveyard."},
    {"The local drunk has been spouting off about having entered this",
     "glowing portal in the forest and being in some strange place where",
     "everyone carried magic devices in their hands, and flew around shooting", "people."},
    {"Strangers were spotted in a field last night, wearing clothing from",
     "from head to toe.  Several of the plants from that field were missing",
     "this morning.  Farmers suspect the neighboring town of Dressel."},
    {"Several people around town have been spotted sporting some pre-mature",
     "grey hair.  They all seem to have had nightmares last night."},
    {"All the children in the town are sick today.  Town Elders are", "blaming the water at the school."},
    {"Several cows were found dead apparently from circular burn marks",
     "on their sides, not matching any pattern a brand or a torch would do.",
     "One cow also turned up missing when a count was done later."},
    {"You hear in hushed tones and whispers news of the Quorvath being", "found out near the old graveyard."},
    {"The townspeople are abuzz about the strange noises eminating from",
     "one of the larger barns in the realm.  When they went to investigate",
     "a strange glowing green crystal was found.  Noone has seen it since."},
    {"Several people all claim to have had the same dream last night about", "strange looking men with large heads."},
    {"Large mysterious chunks of metal were found in a field this morning."},
    {"Strange shimmering lights were seen over Shamile last night."},
};

// The lines of a file through the open rule; empty when it is missing.
void read_lines(const std::string& name, text_list& list) {
    list.clear();
    text_reader file;
    if (!file.open(name)) return;
    for (std::string line; file.read_line(line);) add_desc_line(line, list);
}

// Text that a caller typed, shown to every other caller: no raw control bytes.
std::string typed_text(std::string_view line) { return controls_to_dots(line); }

void show_board(const std::string& file, std::string_view title, const text_list& menu) {
    text_list comments;
    read_conversation(file, comments);
    disp_line("");
    disp_line("`c`%                             " + std::string(title) + ":");
    disp_line(long_rule);
    if (comments.empty())
        disp_line("`!  No-one seems to have been talking");
    else
        dispdesc(comments);
    show_menu_text(menu);
}

void enter_comment(const std::string& file) {
    disp_line("");
    disp_line("`3  Comment to Add : `%(75 character limit)");
    disp_text("`%>`3");
    std::string comment = read_line();
    if (comment.empty()) {
        disp_line("`%  (Message Aborted)");
        return;
    }
    if (comment.size() == 1) {
        disp_line("`9  You comment must be at least `4TWO`9 letters, like duh!");
        return;
    }
    add_conversation_comment(file, comment);
    disp_line("`9  Comment `4ADDED`9.");
    hit_any_key();
}
}  // namespace

void add_news(const text_list& lines) {
    debug_enter("Entering add_news");
    std::string item;
    for (const text_line& l : lines) {
        std::string line = l.str();
        expand_macros(line);
        item += "`3" + line + "\n";
    }
    item += news_short_divider;
    item += '\n';
    append_todays_news(item);
    debug_leave("Leaving add_news");
}

void read_news_file(const std::string& name, text_list& list) { read_lines(name, list); }

void read_news(std::string_view day) {
    int days_ago = -1;
    if (day.empty()) {
        disp_line("");
        disp_text("  `9News from how many days ago? (`30`9-`37) [`%0`9] : `%");
        char k = read_key();
        if (k == '\r' || k == '\n') k = '0';
        echo_key(k);
        if (k >= '0' && k <= '9') days_ago = k - '0';
    } else if (day.size() == 1 && day[0] >= '0' && day[0] <= '9') {
        days_ago = day[0] - '0';
    }
    if (days_ago < 0 || days_ago > news_days_kept) {
        disp_line("");
        disp_line("");
        disp_line("`9  Sorry, news is not available for `4THAT`9 day.");
        hit_any_key();
        return;
    }
    text_list lines;
    read_news_file(news_file_name(days_ago), lines);
    if (lines.empty()) {
        disp_line("`9  There is no news for that day.");
    } else {
        show_paged(lines, 0);
    }
    hit_any_key();
}

void post_announcement() {
    if (!cur_char) return;
    cur_char->location = "tEntering News";
    write_char_file(true);
    disp_line("`c  `3Enter message below: `%(blank line ends)`9" + pad_left("New News Item : ", 30));
    disp_line(long_rule);
    text_list typed = read_typed_lines();
    if (typed.empty()) {
        disp_line("`9  Announcement Aborted.");
        return;
    }
    text_list item;
    add_desc_line("`%Announcement From " + own_proper_name() + " : ", item);
    for (const text_line& l : typed) add_desc_line(typed_text(l.view()), item);
    add_news(item);
    disp_line("`9  Announcement Made.");
}

void random_news_event() {
    const std::vector<const char*>& story = town_stories[random_n(static_cast<int>(town_stories.size()))];
    text_list item;
    for (const char* line : story) add_desc_line(line, item);
    add_news(item);
}

void read_conversation(const std::string& file, text_list& list) { read_lines(file, list); }

void add_conversation_comment(const std::string& file, std::string_view comment) {
    std::string said = "`%    " + own_proper_name() + " said : ";
    std::string text = "`!  " + typed_text(comment.substr(0, comment_limit));
    wait_for_file(file);
    update_locked_file(file, [&](std::string& contents) {
        text_reader reader(contents);
        std::vector<std::string> lines;
        for (std::string line; reader.read_line(line);) lines.push_back(line);
        lines.push_back(said);
        lines.push_back(text);
        std::size_t drop = lines.size() >= conversation_line_limit ? lines.size() - conversation_line_limit + 1 : 0;
        contents.clear();
        for (std::size_t i = drop; i < lines.size(); ++i) contents += lines[i] + "\n";
        return locked_action::rewrite;
    });
}

void conversation_board(std::string_view file_name, std::string_view title) {
    if (!cur_char) return;
    debug_enter("Entering conversation_board");
    std::string file(file_name);
    text_list menu;
    std::string keys;
    read_text_section(text_file_name, conversation_menu_section, menu, keys);
    show_board(file, title, menu);

    menu_loop m;
    m.title = "`9   " + std::string(title) + "`%:";
    m.keys = keys;
    m.level = sub_location;
    m.common_keys = "VFR";
    m.default_key = [] { return 'L'; };
    m.on_key = [&](char k) {
        switch (k) {
        case 'L': return false;
        case 'A': enter_comment(file); break;
        case '?': show_board(file, title, menu); break;
        default: break;
        }
        return true;
    };
    run_menu_loop(m);
    deldesc(menu);
    debug_leave("Leaving conversation_board");
}
