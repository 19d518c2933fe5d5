#include "engine/rules/screens.hpp"

#include <cstdio>
#include <unistd.h>
#include <unordered_map>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* short_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* player_title = "`c            `%Player Rankings for `9T`%he `9Q`%uorvath `%v1.10";

// The class columns of the rankings: letter, current-class bit, mastered-class bit.
struct class_column {
    char letter;
    std::int16_t current, mastered;
};
const class_column class_columns[6] = {{'W', 1, 64},  {'M', 2, 128},   {'T', 4, 256},
                                       {'H', 8, 512}, {'P', 32, 2048}, {'R', 16, 1024}};

// The skill table of the statistics screen, in the order of skill_percent.
const char* const skill_names[6] = {"Warrior", "Mage", "Thief", "Healer", "Ranger", "Paladin"};

// Characters of the text that are colour codes: a code takes two, "``" shows one of its two.
std::size_t code_chars(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '`') continue;
        if (i + 1 >= text.size()) {
            ++n;
            break;
        }
        n += text[i + 1] == '`' ? 1 : 2;
        ++i;
    }
    return n;
}

// Left-justified in width visible characters: the colour codes are added to the width.
std::string pad_visible(std::string_view text, int width) {
    return pad_right(text, width + static_cast<int>(code_chars(text)));
}

// " `8W`%M..." with the colour of each class: current "%", else mastered "1", else "8".
std::string class_column_text(const character_record& c) {
    std::string s = " ";
    for (const class_column& col : class_columns) {
        char colour = (c.class_bits & col.current) ? '%' : (c.class_bits & col.mastered) ? '1' : '8';
        s += '`';
        s += colour;
        s += col.letter;
    }
    return s;
}

bool out_in_realm(const character_record& c) { return !c.sleeping_inn && !c.sleeping_guild; }

// Shows or writes the lines by mode; any other mode has nothing to show them to.
void output_lines(int mode, const line_source& lines, const char* ansi_file, const char* plain_file) {
    if (mode == ranks_show) {
        text_list list;
        lines([&list](std::string_view l) { add_desc_line(l, list); });
        dispdesc(list);
    } else if (mode == ranks_ansi_file) {
        writedesc_lines(writedesc_ansi, ansi_file, lines);
    } else if (mode == ranks_plain_file) {
        writedesc_lines(writedesc_strip, plain_file, lines);
    }
}

// The rankings' level and member columns hold 16 bits: a sum beyond shows the bound.
std::int16_t ranking_figure(std::int64_t sum) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(sum, -32768, 32767));
}

void add_member(guild_totals& t, const character_record& c) {
    t.experience += c.experience;
    t.levels += c.level;
    ++t.members;
}

// One guild's totals, for the callers that ask about a single guild.
guild_totals totals_of(std::int16_t guild) {
    guild_totals t;
    for (const character_record& c : char_list)
        if (c.guild == guild) add_member(t, c);
    return t;
}

void sort_guilds(const guild_totals_table& totals) {
    auto experience = [&totals](std::int16_t number) {
        auto it = totals.find(number);
        return it == totals.end() ? 0 : it->second.experience;
    };
    guild_list.sort(
        [&](const guild_record& a, const guild_record& b) { return experience(a.number) > experience(b.number); });
}

// Ranks char_list around a write of the character file, which may bring other nodes' changes.
void rank_with_refresh() {
    rank_players();
    write_char_file(true);
    rank_players();
}

std::string two_decimals(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}
}  // namespace

std::int64_t free_memory_bytes() {
    long pages = ::sysconf(_SC_AVPHYS_PAGES);
    long size = ::sysconf(_SC_PAGESIZE);
    return (pages > 0 && size > 0) ? std::int64_t(pages) * size : 0;
}

// ---- One character ----

void display_stats() {
    debug_enter("Entering display_stats");
    if (!cur_char) {
        debug_leave("Leaving display_stats");
        return;
    }
    write_char_file(true);
    character_record& c = *cur_char;
    auto name_or_nothing = [](const item_record* i) { return i ? i->name.str() : std::string("Nothing"); };
    disp_line("`c`9  Character Statistics `%:");
    disp_line(long_rule);
    disp_line("`9  Name            : `%" + pad_visible(proper_case(c.name.view()), 22) + "`9Level         : `%^CS22");
    disp_line("`9  Experience      : `%" + pad_visible(comma_number(c.experience), 22) + "`9Gold          : `%&CS18");
    disp_line("`9  Creature Fights : `%" + pad_visible(int_to_str(c.creature_fights_left), 22) +
              "`9Bank Gold     : `%&CS19");
    disp_line("`9  Player Fights   : `%" + pad_visible(int_to_str(c.player_fights_left), 22) +
              "`9Charm         : `%&CS06");
    disp_line("`9  Weapon Name     : `%" + pad_visible(name_or_nothing(weapon_equipped_ptr(cur_inventory)), 22) +
              "`9Attack Value  : `%&CS03");
    disp_line("`9  Armor Name      : `%" + pad_visible(name_or_nothing(armor_equipped_ptr(cur_inventory)), 22) +
              "`9Defense Value : `%&CS04");
    disp_line("`9  Shield Name     : `%" + pad_visible(name_or_nothing(shield_equipped_ptr(cur_inventory)), 22) +
              "`9Shield Value  : `%&CS05");
    disp_line("`9  Hit Points      : `%" +
              pad_right(int_to_str(c.hit_points) + " `9/ `%" + int_to_str(c.max_hit_points), 26) +
              "`9Gems          : `%&CS20");
    disp_line("`9  Skill Use Points: `%" + pad_right(int_to_str(c.skill_uses_left), 2) + "`9 /`% " +
              pad_right(int_to_str(c.skill_uses_per_day), 2) + "               `9Master        : `%^DA");
    if (const guild_record* g = c.guild == 0 ? nullptr : guild_num_ptr(c.guild)) {
        disp_line("`9  Guild           : `%" + pad_visible(g->name.view(), 22) + "`9Current Class : `%^CS28");
    } else {
        disp_line(std::string(42, ' ') + "`9Current Class : `%^CS28");
        c.guild = 0;
    }
    disp_line("`9  Your Skill Percentages`% :");
    disp_line(short_rule);
    for (int k = 0; k < 6; ++k) {
        std::int16_t pct = c.skill_percent[k];
        if (pct <= 1) continue;
        std::string name = pad_right(skill_names[k], 16);
        std::string line = (c.class_bits & (1 << k)) ? "`%  " + name + "`3: `%" : "`3  " + name + ": `%";
        disp_line(line + pad_left(int_to_str(pct), 2) + "%");
    }
    debug_leave("Leaving display_stats");
}

void list_players_online() {
    write_char_file(true);
    disp_line("");
    disp_line("`9      Players in the Realm :");
    disp_line(long_rule);
    const on_line_now on_line;
    for (const character_record& c : char_list) {
        if (!on_line(c)) continue;
        std::string_view where = c.location.view();
        if (!where.empty()) where.remove_prefix(1);
        disp_line("  `3" + pad_visible(proper_case(c.name.view()), 28) + "`% :    `9" + std::string(where));
    }
}

void display_game_settings() {
    const stat_record& s = game_stats;
    disp_line("`9There are `4" + int_to_str(char_count) + "`9 characters in the game.");
    disp_line("`9This game is on day                  `%: " + int_to_str(s.day));
    disp_line("`9The current time and date is         `%: " + date_time_str());
    disp_line("`9The grace period is                  `%: " + int_to_str(s.grace_days) + " days.");
    disp_line("`9The resurrection period is           `%: " + int_to_str(s.resurrect_days) + " days.");
    disp_line("`9# of creature fights/day is          `%: " + int_to_str(s.creature_fights));
    disp_line("`9# of player fights/day is            `%: " + int_to_str(s.player_fights));
    disp_line("`9Max amount per bank X-fer            `%: " + int_to_str(s.transfer_max) + " gold.");
    disp_line("`9Max # of X-fers/day is               `%: " + int_to_str(s.transfers_per_day));
    disp_line("`9Interest rate on bank gold           `%: " + two_decimals(s.interest_pct) + "% daily.");
    disp_line("`9Cost per point per level to heal is  `%: " + int_to_str(s.heal_cost));
    disp_line("`9Cost per level to get a room is      `%: " + int_to_str(s.room_cost));
    disp_line("`9Experience lost when character dies  `%: " + int_to_str(s.death_loss_divisor) + "% of total");
    disp_line("`9Maximum number of Guilds Allowed     `%: " + int_to_str(s.max_guilds));
    disp_line("`9Amount of \"Floating\" gold            `%: " + comma_number(s.floating_gold));
    disp_line("`9Files patched up to version          `%: " + int_to_str(s.data_version));
    // A figure wider than the column is shown whole rather than cut.
    std::string memory = comma_number(free_memory_bytes());
    disp_line("`9Free Memory    : `4" + (memory.size() < 8 ? pad_left(memory, 8) : memory));
    write_char_file(true);
}

void display_non_inn() {
    debug_enter("Entering display_non_inn");
    rank_with_refresh();
    int out = 0;
    for (const character_record& c : char_list)
        if (out_in_realm(c)) ++out;
    if (out == 0) {
        disp_line("`9There are `4NO`9 heroes hanging around town.");
        disp_line("");
        debug_leave("Leaving display_non_inn");
        return;
    }
    disp_line(player_title);
    disp_line("");
    disp_line(" `9Class    Name                    Level    Experience     Master  Guild");
    disp_line(long_rule);
    const on_line_now on_line;
    for (const character_record& c : char_list) {
        if (!out_in_realm(c) || c.dead || on_line(c)) continue;
        disp_text(class_column_text(c) + "   ");
        disp_text("`9" + pad_visible(proper_case(c.name.view()), 24) + "`! " + pad_left(int_to_str(c.level), 3));
        disp_text(" `3" + pad_left(comma_number(c.experience), 14));
        disp_text("    " + pad_right("`8" + alias_name(c.name.view()), 11));
        disp_text("`%");
        write_str(c.guild == 0 ? std::string(7, ' ') : pad_right(pad_left(int_to_str(c.guild), 4), 7));
        write_line();
    }
    disp_line("");
    debug_leave("Leaving display_non_inn");
}

// ---- Rankings ----

void rank_players() {
    debug_enter("Entering rank_players");
    // A stable sort: equal experience keeps the list's order; nodes are relinked, not copied.
    // The list is then no longer in the file's order, which a refresh without a read keeps.
    char_list_changing();
    char_list.sort([](const character_record& a, const character_record& b) { return a.experience > b.experience; });
    debug_leave("Leaving rank_players");
}

void sort_guilds() { sort_guilds(guild_totals_by_number()); }

std::int64_t guild_exp_sum(std::int16_t guild) { return totals_of(guild).experience; }

std::int16_t guild_level_sum(std::int16_t guild) { return ranking_figure(totals_of(guild).levels); }

std::int16_t guild_member_count(std::int16_t guild) { return ranking_figure(totals_of(guild).members); }

guild_totals_table guild_totals_by_number() {
    guild_totals_table table;
    table.reserve(guild_list.size());
    for (const character_record& c : char_list) add_member(table[c.guild], c);
    return table;
}

void player_ranking_lines(const line_sink& put) {
    put(player_title);
    put("");
    put(" `9Class  Sex Name                 Level   Experience   Status  Guild");
    put(long_rule);
    if (char_count == 0 || char_list.empty()) {
        put("`9                   There are `4NO`9 heroes in the realm.");
        put("");
        return;
    }
    std::string line;
    const on_line_now on_line;
    for (const character_record& c : char_list) {
        line = class_column_text(c) + "  " + (c.sex == 1 ? "`1M  " : "`@F  ");
        line += "`9" + pad_right(strip_codes(proper_case(c.name.view())), 21);
        line += "`! " + pad_left(int_to_str(c.level), 3);
        line += " `3" + pad_left(comma_number(c.experience), 13);
        line += pad_left(c.dead ? "`4Dead " : "`0Alive", 11);
        line += "`%";
        line += c.guild == 0 ? std::string(9, ' ') : pad_right(pad_left(int_to_str(c.guild), 6), 9);
        if (on_line(c)) line += "`@`bOn!";
        put(line);
    }
}

void guild_ranking_lines(const guild_totals_table& totals, const line_sink& put) {
    if (guild_count == 0) {
        put("");
        put("`9There are `4NO`9 guilds in the realm.");
        return;
    }
    put("`c             `%Guild Rankings for `9T`%he `9Q`%uorvath `%v1.10");
    put("");
    put("  `9Name                     Levels      Experience   Guild  # Chars   Hall?");
    put(long_rule);
    for (const guild_record& g : guild_list) {
        auto it = totals.find(g.number);
        guild_totals t = it == totals.end() ? guild_totals{} : it->second;
        std::string line = "  `9" + pad_visible(g.name.view(), 25);
        line += "`!" + pad_left(int_to_str(ranking_figure(t.levels)), 4);
        line += "`3" + pad_left(comma_number(t.experience), 18);
        line += "`%" + pad_left(int_to_str(g.number), 7);
        line += "`8" + pad_left(int_to_str(ranking_figure(t.members)), 8);
        line += g.has_hall ? "`%      Yes" : "`%      No";
        put(line);
    }
}

text_list player_ranking_lines() {
    text_list lines;
    player_ranking_lines([&lines](std::string_view l) { add_desc_line(l, lines); });
    return lines;
}

text_list guild_ranking_lines() {
    text_list lines;
    guild_ranking_lines(guild_totals_by_number(), [&lines](std::string_view l) { add_desc_line(l, lines); });
    return lines;
}

namespace {
void player_lines(const line_sink& put) { player_ranking_lines(put); }
}  // namespace

void display_ranks(int mode) {
    debug_enter("Entering display_ranks");
    if (file_exists(players_file_name)) rank_with_refresh();
    output_lines(mode, player_lines, "prank.ans", "prank.asc");
    debug_leave("Leaving display_ranks");
}

void guild_rankings(int mode) {
    guild_totals_table totals = guild_totals_by_number();
    sort_guilds(totals);
    output_lines(
        mode, [&totals](const line_sink& put) { guild_ranking_lines(totals, put); }, "grank.ans", "grank.asc");
}

void write_ranking_files() {
    // Each listing made once for both of its files.
    rank_players();
    writedesc_lines({{writedesc_ansi, "prank.ans"}, {writedesc_strip, "prank.asc"}}, player_lines);
    guild_totals_table totals = guild_totals_by_number();
    sort_guilds(totals);
    writedesc_lines({{writedesc_ansi, "grank.ans"}, {writedesc_strip, "grank.asc"}},
                    [&totals](const line_sink& put) { guild_ranking_lines(totals, put); });
}
