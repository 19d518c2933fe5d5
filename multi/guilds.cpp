// The guilds' rules: founding, joining, kicking out, handing on the lead, disbanding and
// quitting, each decided on the files as they stand under the hold.
#include "multi/guilds.hpp"

#include <algorithm>
#include <cctype>
#include <vector>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* aborted = "  `9Guild Creation : `4ABORTED`9.";
constexpr const char* sure_prompt = "  `9Are you Sure? (`3Y`9/`3N`9) [`%N`9] : `%";
constexpr const char* not_in_guild = "`9  There is Noone by that name in your guild.";
constexpr std::size_t credo_min = 15;

bool is_alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// The playing character's guild, when its number names one.
guild_record* own_guild() { return cur_char && cur_char->guild ? guild_num_ptr(cur_char->guild) : nullptr; }
bool leads(const character_record& c) { return is_guild_leader(c); }

text_list system_message(std::initializer_list<std::string> lines) {
    text_list msg;
    add_desc_line("#0000 `%System Message", msg);
    for (const std::string& l : lines) add_desc_line(l, msg);
    return msg;
}

// The letter's line that takes a member out of the guild. It names the guild: the membership is
// cleared on file before the letter goes, so the reader's node needs it only while its copy
// still holds that guild, and a membership taken up since stands.
std::string leave_command(std::int16_t guild) { return "SET GUI 0 " + int_to_str(guild); }

// The character of that number and name in the (refreshed) list, or null.
character_record* same_char(std::int16_t number, const std::string& name) {
    character_record* c = char_num_ptr(number);
    return c && c->name.view() == name ? c : nullptr;
}

// A character of the playing character's guild, found by part of the name; null (after the
// refusal) for nobody, someone of another guild, or, when not self_ok, the player.
character_record* pick_member(std::string_view question, bool self_ok) {
    disp_line("");
    disp_text(question);
    std::string part = read_line();
    character_record* c = part.empty() ? nullptr : char_name_ptr(part);
    if (!c || c->guild != cur_char->guild) {
        disp_line(not_in_guild);
        return nullptr;
    }
    if (!self_ok && c == cur_char) {
        disp_line("`9  You cannot kick yourself out.");
        return nullptr;
    }
    return c;
}

// An answer typed at the question (cut to cut characters; cleaned as typed_text when clean)
// and confirmed; asked again while the player says no or refusals finds fault with it (its
// lines are shown). Empty when the player gave none.
std::string ask_confirmed(std::initializer_list<std::string> question, std::size_t cut, bool clean,
                          std::vector<std::string> (*refusals)(const std::string& answer)) {
    for (;;) {
        disp_lines(question);
        disp_text("`9  :`%");
        std::string line = read_line();
        std::string answer = (clean ? typed_text(line) : line).substr(0, cut);
        if (answer.empty()) return answer;
        disp_lines({"", "  `3" + controls_to_dots(answer)});
        bool yes = ask_yes(confirm_prompt, true);
        std::vector<std::string> faults = refusals(answer);
        for (const std::string& f : faults) disp_line(f);
        if (yes && faults.empty()) return answer;
    }
}

std::vector<std::string> name_faults(const std::string& name) {
    if (name.size() < 3) return {"`9  Your guild name must be at least `4THREE`9 characters long."};
    if (guild_name_ptr(name)) return {"`9  That name is already being `4USED`9."};
    return {};
}

std::vector<std::string> credo_faults(const std::string& credo) {
    if (credo.size() < credo_min) return {"`9  Come on! Even `%\"We like to kill\"`9 is long enough for a credo!"};
    return {};
}

std::vector<std::string> password_faults(const std::string& password) {
    std::vector<std::string> faults;
    if (password.size() < 3) faults.push_back("`9  Your guild password must be at least `4THREE`9 characters long.");
    for (char c : password)
        if (!is_alnum(c))
            faults.push_back("`9  You have used unacceptable characters, `4ONLY`9 numbers and letters are allowed.");
    return faults;
}

}  // namespace

std::int16_t next_guild_number() {
    for (std::int16_t n = 1; n <= guild_count; ++n)
        if (!guild_num_ptr(n)) return n;
    return static_cast<std::int16_t>(guild_count + 1);
}

std::string enter_guild_password() {
    return ask_confirmed({"", "`9  Enter a Password `4(Note that CAPS and lower are treated differently)`9.",
                          "`9  Use `4ONLY`9 upper/lower case letters and numbers."},
                         20, false, password_faults);
}

guild_record* guild_name_ptr(std::string_view name) {
    debug_enter("Entering guild_name_ptr  " + std::string(name));
    std::string key = upcase_str(name);
    guild_record* found = nullptr;
    for (guild_record& g : guild_list)
        if (upcase_str(g.name.view()) == key) {
            found = &g;
            break;
        }
    debug_leave("Leaving guild_name_ptr");
    return found;
}

void create_guild() {
    std::string name = ask_confirmed({"", "`9  Name of Guild?"}, 20, true, name_faults);
    if (name.empty()) {
        disp_line(aborted);
        return;
    }
    std::string password = enter_guild_password();
    if (password.empty()) {
        disp_line(aborted);
        return;
    }
    std::string credo =
        ask_confirmed({"", "`9  Enter a Credo (What is your guild all about? 80 chars)"}, 86, true, credo_faults);
    if (credo.empty()) {
        disp_line(aborted);
        return;
    }
    // The name, the maximum and the number are decided on the file as it stands under the
    // hold: another node may have founded a guild while the player typed.
    const char* refusal = nullptr;
    update_under_hold([&] {
        update_guilds_under_hold([&] {
            if (guild_name_ptr(name)) {
                refusal = "`9  That name is already being `4USED`9.";
            } else if (guild_count >= game_stats.max_guilds) {
                refusal = "`9  Sorry, the `4MAXIMUM`9 number of guilds has been reached.";
            } else {
                guild_record g;
                g.number = next_guild_number();
                g.name = name;
                g.leader = cur_char->number;
                g.password = password;
                g.credo = credo;
                g.guard_level = 1;
                g.guard_name = "Wyvern";
                g.guard_attack = 10;
                g.guard_defense = 6;
                g.guard_shield = 1;
                g.guard_hit_points = 20;
                g.guard_weapon = "Claw";
                g.guard_armour = "Hide";
                // What an earlier guild of this number left is not the new guild's.
                erase_file(hall_file_name(g.number));
                erase_file(hall_board_name(g.number));
                cur_char->guild = add_guild(g)->number;
            }
        });
    });
    if (refusal) {
        disp_lines({"", refusal});
        return;
    }
    disp_lines({"", "  `9Guild `4ADDED`9."});
}

void join_guild() {
    load_guild_file();
    if (guild_list.empty()) {
        disp_lines({"", "`9  There are `4NO`9 guilds in the realm."});
        return;
    }
    disp_lines({"`c                           `%Join Which Guild:", long_rule});
    std::vector<const guild_record*> by_number;
    for (const guild_record& g : guild_list) by_number.push_back(&g);
    std::sort(by_number.begin(), by_number.end(), [](auto a, auto b) { return a->number < b->number; });
    for (const guild_record* g : by_number) disp_line("`3  (`#" + int_to_str(g->number) + "`3) " + g->name.str());
    disp_text("`9  Join which guild? : `%");
    std::int16_t number = read_int();
    if (number < 1 || !guild_num_ptr(number)) return;
    disp_text("`9  Password : `%");
    std::string typed;
    for (char k; (k = read_key()) != '\r' && k != '\n';) {
        if (is_alnum(k)) {
            typed += k;
            send_str("X");
        } else if ((k == '\b' || k == 127) && !typed.empty()) {
            typed.pop_back();
            send_str("\b");
        }
    }
    disp_lines({"", ""});
    std::string welcome;
    update_under_hold([&] {
        load_guild_file();
        const guild_record* g = guild_num_ptr(number);
        if (g && g->password.view() == typed && !leads(*cur_char)) {
            welcome = g->name.str();
            cur_char->guild = number;
        }
    });
    if (welcome.empty())
        disp_line("`9  You have entered an incorrect password.");
    else
        disp_line("`9  The `4" + welcome + "`9 welcome you to their guild.");
}

void kick_guild_member() {
    character_record* picked = pick_member("`9  Who do you wish to kick out? : `%", false);
    if (!picked) return;
    const std::int16_t number = picked->number;
    const std::string name = picked->name.str();
    disp_line("");
    if (!ask_yes(sure_prompt, false)) {
        disp_line("`9  Nothing done.");
        return;
    }
    const std::int16_t guild = cur_char->guild;
    std::string guild_name;
    text_list msg;
    update_under_hold([&] {
        load_guild_file();
        character_record* m = same_char(number, name);
        if (!leads(*cur_char) || !m || m->guild != guild) return;
        guild_name = guild_name_of(*cur_char);
        m->guild = 0;
        msg = system_message({"`!  " + own_proper_name() + "`9 has kicked you out of `4" + guild_name + "`9."});
        if (m->sleeping_guild) {
            m->sleeping_guild = 0;
            add_desc_line("  `3You were even thrown out on the streets while you slept!", msg);
            m->location = "tTown Square";
        }
        add_desc_line("~", msg);
        add_desc_line(leave_command(guild), msg);
    });
    if (msg.empty()) {
        disp_line(not_in_guild);
        return;
    }
    append_mailbox(number, msg);
    disp_line("  `4" + proper_case(name) + "`9 has been kicked out!");
    hit_any_key();
}

void transfer_guild_leadership() {
    character_record* picked = pick_member("`9  Who do you wish to be the new leader? : `%", true);
    if (!picked) return;
    const std::int16_t number = picked->number;
    const std::string name = picked->name.str();
    if (!ask_yes(sure_prompt, false)) {
        disp_line("`9  Nothing done.");
        return;
    }
    std::string guild_name;
    update_guilds_under_hold([&] {
        refresh_char_file();
        guild_record* g = own_guild();
        const character_record* m = same_char(number, name);
        if (!g || g->leader != cur_char->number || !m || m->guild != g->number) return;
        g->leader = number;
        guild_name = g->name.str();
    });
    if (guild_name.empty()) {
        disp_line(not_in_guild);
        return;
    }
    disp_line("`!  " + proper_case(name) + " `9is now the leader of `4" + guild_name);
    append_mailbox(number, system_message({"`!  " + own_proper_name() + " `9has transferred leadership of `4" +
                                               guild_name + "`9 to you.",
                                           "~"}));
}

void disband_guild() {
    const std::string guild_name = guild_name_of(*cur_char);
    disp_lines({"", "`9  You are in the process of `4DISBANDING`9 " + guild_name});
    if (!ask_yes("`9  Are you sure you want to do this? (`3Y`9/`3N`9) [`%N`9] : `%", false)) return;
    const std::int16_t guild = cur_char->guild;
    bool disbanded = false, had_hall = false;
    std::vector<std::int16_t> members;
    update_under_hold([&] {
        update_guilds_under_hold([&] {
            const guild_record* g = own_guild();
            if (!g || g->leader != cur_char->number) return;
            had_hall = g->has_hall != 0;
            delete_guild(guild);
            disbanded = true;
        });
        if (!disbanded) return;
        cur_char->guild = 0;
        // Every member now, as the kick does: a node playing one takes it in at its next
        // refresh, so nobody is a member of the guild that takes the number next.
        for (character_record& c : char_list) {
            if (&c == cur_char || c.guild != guild) continue;
            members.push_back(c.number);
            c.guild = 0;
            if (c.sleeping_guild) {
                c.sleeping_guild = 0;
                c.location = "tTown Square";
            }
        }
    });
    if (!disbanded) return;
    text_list msg = system_message({"`4  " + guild_name + "`9 has been disbanded by `!" + own_proper_name() + "."});
    if (had_hall) add_desc_line("`9  All members will have to leave the guild hall as it is being demolished.", msg);
    add_desc_line("~", msg);
    add_desc_line(leave_command(guild), msg);
    for (std::int16_t m : members) append_mailbox(m, msg);
    text_list news;
    add_desc_line("`%In a surprise move today :", news);
    add_desc_line("`4  " + guild_name + "`3 has been disbanded by `!" + own_proper_name() + ".", news);
    hook_add_news(news);
    erase_file(hall_file_name(guild));
    disp_lines({"", "`9  Guild `4DISBANDED`9!"});
}

void quit_guild() {
    disp_line("");
    if (!ask_yes("`9  Do you really want to quit your guild? (`3Y`9/`3N`9) [`%N`9] : `%", false)) return;
    const std::int16_t guild = cur_char->guild;
    const std::string guild_name = guild_name_of(*cur_char);
    // Each member's mailbox by number: linear in the members, and never another's of that name.
    std::vector<std::int16_t> members;
    update_under_hold([&] {
        cur_char->guild = 0;
        for (const character_record& c : char_list)
            if (&c != cur_char && c.guild == guild) members.push_back(c.number);
    });
    text_list msg = system_message({"`!  " + own_proper_name() + "`9 has quit `4" + guild_name + "`9.", "~"});
    for (std::int16_t m : members) append_mailbox(m, msg);
    disp_line("  `9You are no longer a member of `4" + guild_name + "`9.");
}
