#include "multi/node_queue.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "door/door.hpp"
#include "door/halt.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/rules/items.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"
#include "multi/fight_hooks.hpp"

namespace {
constexpr const char* system_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

// A queue or the log could not be written: the message would be lost without a word, so
// the game ends through the orderly exit. While the game is already ending (the LEAVEREALM
// messages of the exit) only the log line is written.
void write_failed(const std::string& file) {
    debug_log("FORCE:Could not write " + file);
    if (!halting()) end_prog(exit_file_stuck);
}

void append_line(const std::string& file, std::string_view bytes) {
    if (!locked_append_when_free(file, bytes)) write_failed(file);
}

// The five lines of one sent message in "olmess.txt", as one append.
void log_message(const character_record& target, std::string_view line) {
    std::string entry;
    auto add = [&entry](std::string_view text) {
        entry += codes_to_ansi(text);
        entry += '\n';
    };
    add("`9From    : `%" + pad_right(own_proper_name(), 20));
    add("`9  To    : `%" + pad_right(proper_case(target.name.view()), 20));
    add("`9Time    : `%" + date_time_str().substr(0, 25));
    add("`9Message : `4" + std::string(line));
    add("`@-------------------------------------");
    append_line(olmess_file_name, entry);
}

// The character whose number stands in the word; null when it is none or not in the list.
character_record* char_of_word(std::string_view word) {
    std::int32_t n = str_to_int(word);
    if (n < 1 || n > std::numeric_limits<std::int16_t>::max()) return nullptr;
    return char_num_ptr(static_cast<std::int16_t>(n));
}

void to_own_queue(const node_line& line) { send_node_msg_to(cur_char->number, line); }

// The playing character's guild; null when it has none.
const guild_record* own_guild() { return guild_num_ptr(cur_char->guild); }

void system_message(const std::string& sender, std::string_view what) {
    disp_line("");
    disp_line("`%  System Message");
    disp_line(system_rule);
    disp_line("  `!" + sender + std::string(what));
}

// CHAT_COMBAT, on the side of the character that was challenged.
void start_chat_fight(const character_record& sender) {
    std::string sender_name = proper_case(sender.name.view());
    add_flag("CHAT_FIGHTING", "TRUE", flag_class_death, flag_file_name(sender.number), flags_section_name);
    add_flag("CHAT_FIGHTING", "TRUE", flag_class_death, flag_file_name(cur_char->number), flags_section_name);
    to_own_queue({node_verb::message, "Chat-Combat has been initiated by " + sender_name});
    int r = random_n(100) + 1;
    double edge = cur_char->level / 3.0 + 10 - sender.level / 3.0;
    if (edge > r) {
        to_own_queue({node_verb::message, sender_name + "`9 surprises you!"});
        send_node_msg_to(sender.number, {node_verb::cc_received, own_number()});
        send_node_msg_to(sender.number, {node_verb::message, "`9  You manage to surprise " + own_proper_name() + "!"});
        send_node_msg_to(sender.number, {node_verb::chat_attack, own_number()});
    } else {
        send_node_msg_to(sender.number, {node_verb::cc_received, own_number()});
        to_own_queue({node_verb::chat_attack, int_to_str(sender.number)});
    }
}

// COMBAT, GUILDCOMBAT and GNUMQUERY: this side defends in an online fight. The reply
// stands in for CRECEIVE for GNUMQUERY; intro is empty for GNUMQUERY.
bool defend(std::int16_t sender_number, const node_line& reply, const std::string& intro,
            const fstr<20>& saved_location) {
    cur_char->location = "tOnline Combat";
    send_node_msg_to(sender_number, reply);
    write_char_file(true);
    const character_record* sender = char_num_ptr(sender_number);
    bool won = false;
    if (sender) {
        std::string name = proper_case(sender->name.view());
        if (!intro.empty()) {
            disp_line("");
            disp_line("`9  " + name + intro);
        }
        won = hook_online_fight_wait(name);
    }
    cur_char->location = saved_location;
    write_char_file(true);
    return won;
}
}  // namespace

std::string queue_safe(std::string_view line) { return controls_to_dots(line.substr(0, node_line_capacity)); }

void send_node_msg_to_record(const character_record& target, const node_line& line) {
    std::string safe = queue_safe(line.text());
    append_line(queue_file_name(target.number), safe + "\n");
    log_message(target, safe);
}

void send_node_msg(std::string_view target_name, const node_line& line) {
    debug_enter("Entering send_node_msg");
    if (const character_record* target = char_full_name_ptr(target_name)) send_node_msg_to_record(*target, line);
    debug_leave("Leaving send_node_msg");
}

void send_node_msg_to(std::int16_t target_number, const node_line& line) {
    if (const character_record* target = char_num_ptr(target_number)) send_node_msg_to_record(*target, line);
}

bool node_msg_waiting() { return cur_char && file_exists(queue_file_name(cur_char->number)); }

std::string pop_node_msg() {
    delay_ms(100);
    if (!cur_char) return "";
    std::string name = queue_file_name(cur_char->number);
    if (!wait_for_file(name)) return "";
    std::string first;
    bool ok = locked_update(name, [&first](std::string& contents) {
        std::size_t end = contents.find_first_of("\r\n");
        first = contents.substr(0, std::min(end, node_line_capacity));
        if (end == std::string::npos) return locked_action::erase;
        std::size_t next = end + 1;
        if (contents[end] == '\r' && next < contents.size() && contents[next] == '\n') ++next;
        contents.erase(0, next);
        return contents.empty() ? locked_action::erase : locked_action::rewrite;
    });
    if (!ok) write_failed(name);
    return first;
}

std::string take_node_msg_if(const std::function<queue_pick(std::string_view line)>& pick) {
    if (!cur_char) return "";
    std::string name = queue_file_name(cur_char->number);
    if (!file_exists(name)) return "";
    std::string found;
    bool ok = locked_update(name, [&](std::string& contents) {
        for (std::size_t at = 0; at < contents.size();) {
            std::size_t end = std::min(contents.find_first_of("\r\n", at), contents.size());
            std::size_t next = end;
            if (next < contents.size()) next += contents.compare(next, 2, "\r\n") == 0 ? 2 : 1;
            std::string_view line = std::string_view(contents).substr(at, std::min(end - at, node_line_capacity));
            queue_pick p = line.empty() ? queue_pick::pass : pick(line);
            if (p != queue_pick::pass) {
                found = line;
                if (p == queue_pick::look) return locked_action::keep;
                contents.erase(at, next - at);
                return contents.empty() ? locked_action::erase : locked_action::rewrite;
            }
            at = next;
        }
        return locked_action::keep;
    });
    if (!ok) write_failed(name);
    return found;
}

void olmess_log(std::string_view line) {
    std::string bytes(line);
    bytes += '\n';
    append_line(olmess_file_name, bytes);
}

void show_player_hit(const character_record& sender, std::int32_t damage, bool double_strike) {
    std::string name = proper_case(sender.name.view());
    inventory_list items;
    read_inventory(sender.number, items);
    const item_record* weapon = weapon_equipped_ptr(items);
    std::string weapon_name = weapon ? weapon->name.str() : "Nothing";
    del_inv(items);
    if (damage == 0) {
        disp_line("`3  " + name + " misses you completely.");
        return;
    }
    if (double_strike) {
        disp_line("");
        disp_line("  `%" + name + " hits you with `4BRUTAL FORCE`%.");
        disp_line("");
    }
    disp_text("`3  " + name + " hits you for `4" + int_to_str(damage) + "`3 points of damage");
    if (weapon_name == "Nothing")
        disp_line(".");
    else
        disp_line(" with " + std::string(possessive_word(sender.sex)) + " " + weapon_name + "`3.");
    take_damage(damage, name);
}

namespace {
// A message popped from the own queue, as its verb's handler reads it.
struct node_message {
    std::string msg;  // the whole line, cut to the dispatcher's capacity
    node_verb verb;
    std::string word2, word3;
    std::int16_t raided_guild;
    fstr<20> saved_location;
};
using verb_handler = std::string (*)(const node_message& m);

// The chat room's fight steps and the realm's comings and goings name their sender by number.
const character_record* sender_in_word2(const node_message& m) { return char_of_word(m.word2); }
const character_record* sender_in_word3(const node_message& m) { return char_of_word(m.word3); }

// The whole message goes back to the chat room, which plays its part of the fight.
std::string hand_back(const node_message& m) { return m.msg; }

std::string chat_run(const node_message& m) {
    const character_record* s = sender_in_word3(m);
    if (!s) return "";
    disp_line("`9  " + proper_case(s->name.view()) + " has `4FLED`9!  What a coward.");
    return m.msg;
}

std::string chat_flee(const node_message& m) {
    disp_line("`9  You run for your `4LIFE`9.  What a coward.");
    return m.msg;
}

// A hit never heals: a negative amount counts as a miss.
std::int32_t hit_of(const node_message& m) { return std::max<std::int32_t>(0, str_to_int(m.word2)); }

std::string chat_hit(const node_message& m, bool double_strike) {
    const character_record* s = sender_in_word3(m);
    if (!s) return "";
    std::int16_t sender_number = s->number;
    show_player_hit(*s, hit_of(m), double_strike);
    to_own_queue({node_verb::chat_attack, int_to_str(sender_number)});
    return m.msg;
}
std::string chat_damage(const node_message& m) { return chat_hit(m, false); }
std::string chat_ddamage(const node_message& m) { return chat_hit(m, true); }

// A blow of an online fight that crossed its end (a bail-out): taken, without a turn.
std::string late_hit(const node_message& m, bool double_strike) {
    if (const character_record* s = sender_in_word3(m)) show_player_hit(*s, hit_of(m), double_strike);
    return "";
}
std::string damage(const node_message& m) { return late_hit(m, false); }
std::string ddamage(const node_message& m) { return late_hit(m, true); }

std::string chat_attack(const node_message& m) {
    if (const character_record* s = sender_in_word2(m)) hook_online_fight_round(proper_case(s->name.view()), true);
    return "";
}

std::string chat_combat(const node_message& m) {
    const character_record* s = sender_in_word2(m);
    if (!s) return "";
    start_chat_fight(*s);
    return m.msg;
}

std::string page(const node_message& m) {
    if (const character_record* s = sender_in_word2(m)) {
        disp_line("`9  " + proper_case(s->name.view()) + " has `4PAGED`9 you to the chat room.");
        send_node_msg_to(s->number, {node_verb::pageanswer, own_number()});
    }
    return "";
}

std::string pageanswer(const node_message& m) {
    if (const character_record* s = sender_in_word2(m))
        disp_line("`9" + proper_case(s->name.view()) + " has received your page.");
    return "";
}

std::string chat_room_line(const node_message& m, std::string_view what) {
    delay_ms(random_n(50));
    refresh_char_file();
    const character_record* s = sender_in_word2(m);
    return s ? "`4" + proper_case(s->name.view()) + std::string(what) : "";
}
std::string enterchat(const node_message& m) { return chat_room_line(m, "`@ has entered the room."); }
std::string leavechat(const node_message& m) { return chat_room_line(m, "`@ has left the room."); }

std::string message(const node_message& m) { return m.msg.size() > 8 ? m.msg.substr(8) : ""; }

std::string leaverealm(const node_message& m) {
    refresh_char_file();
    const character_record* s = sender_in_word2(m);
    if (!s) return "";
    std::string name = proper_case(s->name.view());
    std::int32_t code = str_to_int(m.word3);
    if (code != 0) {
        system_message(name, "`3 was bounced out of the realm.");
        disp_line("    Error Code : " + int_to_str(code) + ".  `9Please inform `4SysOp`9.");
    } else {
        system_message(name, "`3 has left the realm.");
    }
    return "";
}

std::string enterrealm(const node_message& m) {
    refresh_char_file();
    if (const character_record* s = sender_in_word2(m))
        system_message(proper_case(s->name.view()), "`3 has entered the realm.");
    return "";
}

std::string ruckus(const node_message&) {
    disp_line("");
    disp_line("");
    disp_line("`4  You hear the sounds of combat coming from outside your guild hall!");
    return "";
}

// The own guild's guardian, after the two blank lines of its news; none without a guild.
std::optional<std::string> guardian_news() {
    const guild_record* g = own_guild();
    if (!g) return std::nullopt;
    disp_line("");
    disp_line("");
    return g->guard_name.str();
}

std::string guarddie(const node_message&) {
    if (auto guardian = guardian_news())
        disp_line("`4  You hear the blood curdling scream of " + *guardian + "'s death!");
    return "";
}

std::string raidflee(const node_message&) {
    if (auto guardian = guardian_news())
        disp_line("`%  " + *guardian + " steps through the door and gives you the high sign!");
    return "";
}

std::string raiddie(const node_message&) {
    if (auto guardian = guardian_news()) {
        disp_line("`4  You hear a blood curdling scream come from outside your guild hall!");
        disp_line("`%  " + *guardian + " steps through the door and gives you the high sign");
    }
    return "";
}

std::string combat(const node_message& m) {
    if (const character_record* s = sender_in_word2(m))
        defend(s->number, {node_verb::creceive, own_number()}, " has `4ATTACKED`9 you! `@(Online Combat)`9",
               m.saved_location);
    return "";
}

std::string guildcombat(const node_message& m) {
    const character_record* s = sender_in_word2(m);
    if (!s) return "";
    return defend(s->number, {node_verb::creceive, own_number()}, " has `4RAIDED`9 your hall! `@(Online Combat)`9",
                  m.saved_location)
               ? "HOLDGUILD"
               : "FLEEGUILD";
}

std::string hallclear(const node_message&) { return "HALLCLEAR"; }

std::string gnumquery(const node_message& m) {
    // A member new to this node since the list was read must still get its answer.
    refresh_char_file();
    const character_record* s = sender_in_word2(m);
    if (!s) return "";
    disp_line("");
    disp_line("`9  " + proper_case(s->name.view()) + " has entered the hall and looks quite angry!");
    // Only a raid in progress fights; a hall nobody holds answers that it is clear.
    if (m.raided_guild != 0 && s->guild == m.raided_guild)
        return defend(s->number, {node_verb::guildcombat, own_number()}, "", m.saved_location) ? "HOLDGUILD"
                                                                                               : "FLEEGUILD";
    send_node_msg_to(s->number, node_verb::hallclear);
    return "";
}

// The online fight's own lines are taken by its wait; one that reaches the dispatcher after
// the fight has ended is read and dropped.
std::string fight_over_already(const node_message&) { return ""; }

struct verb_entry {
    node_verb verb;
    verb_handler handler;
};

constexpr verb_entry verb_table[] = {
    {node_verb::chat_combat, chat_combat},
    {node_verb::cc_received, hand_back},
    {node_verb::chat_attack, chat_attack},
    {node_verb::chat_damage, chat_damage},
    {node_verb::chat_ddamage, chat_ddamage},
    {node_verb::chat_run, chat_run},
    {node_verb::chat_flee, chat_flee},
    {node_verb::chat_victory, hand_back},
    {node_verb::page, page},
    {node_verb::pageanswer, pageanswer},
    {node_verb::enterchat, enterchat},
    {node_verb::leavechat, leavechat},
    {node_verb::message, message},
    {node_verb::enterrealm, enterrealm},
    {node_verb::leaverealm, leaverealm},
    {node_verb::ruckus, ruckus},
    {node_verb::guarddie, guarddie},
    {node_verb::raidflee, raidflee},
    {node_verb::raiddie, raiddie},
    {node_verb::guildcombat, guildcombat},
    {node_verb::gnumquery, gnumquery},
    {node_verb::hallclear, hallclear},
    {node_verb::combat, combat},
    {node_verb::creceive, fight_over_already},
    {node_verb::surprise, fight_over_already},
    {node_verb::attack, fight_over_already},
    {node_verb::run, fight_over_already},
    {node_verb::flee, fight_over_already},
    {node_verb::victory, fight_over_already},
    {node_verb::damage, damage},
    {node_verb::ddamage, ddamage},
};

verb_handler handler_of(node_verb verb) {
    for (const verb_entry& e : verb_table)
        if (e.verb == verb) return e.handler;
    return nullptr;
}
}  // namespace

bool node_verb_handled(node_verb verb) { return handler_of(verb) != nullptr; }

std::string check_node_messages(std::int16_t raided_guild) {
    std::string result;
    if (!cur_char) return result;
    debug_enter("Entering check_node_messages");
    fstr<20> saved_location = cur_char->location;
    node_message m{pop_node_msg().substr(0, node_message_capacity), {}, {}, {}, raided_guild, saved_location};
    // A line whose first word is no verb is consumed without effect.
    if (auto verb = find_node_verb(upcase_str(word_at(m.msg, 1)))) {
        m.verb = *verb;
        m.word2 = word_at(m.msg, 2);
        m.word3 = word_at(m.msg, 3);
        result = handler_of(*verb)(m);
    }
    debug_leave("Leaving check_node_messages");
    return result;
}
