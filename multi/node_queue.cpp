#include "multi/node_queue.hpp"

#include <algorithm>
#include <limits>

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

std::string own_number() { return int_to_str(cur_char->number); }

void to_own_queue(std::string_view line) { send_node_msg_to(cur_char->number, line); }

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
    to_own_queue("MESSAGE Chat-Combat has been initiated by " + sender_name);
    int r = random_n(100) + 1;
    double edge = cur_char->level / 3.0 + 10 - sender.level / 3.0;
    if (edge > r) {
        to_own_queue("MESSAGE " + sender_name + "`9 surprises you!");
        send_node_msg_to(sender.number, "CC_RECEIVED " + own_number());
        send_node_msg_to(sender.number, "MESSAGE `9  You manage to surprise " + own_proper_name() + "!");
        send_node_msg_to(sender.number, "CHAT_ATTACK " + own_number());
    } else {
        send_node_msg_to(sender.number, "CC_RECEIVED " + own_number());
        to_own_queue("CHAT_ATTACK " + int_to_str(sender.number));
    }
}

// COMBAT, GUILDCOMBAT and GNUMQUERY: this side defends in an online fight. The reply
// stands in for CRECEIVE for GNUMQUERY; intro is empty for GNUMQUERY.
bool defend(std::int16_t sender_number, const std::string& reply, const std::string& intro,
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

std::string queue_safe(std::string_view line) {
    return controls_to_dots(line.substr(0, node_line_capacity));
}

void send_node_msg_to_record(const character_record& target, std::string_view line) {
    std::string safe = queue_safe(line);
    append_line(queue_file_name(target.number), safe + "\n");
    log_message(target, safe);
}

void send_node_msg(std::string_view target_name, std::string_view line) {
    debug_enter("Entering send_node_msg");
    if (const character_record* target = char_full_name_ptr(target_name)) send_node_msg_to_record(*target, line);
    debug_leave("Leaving send_node_msg");
}

void send_node_msg_to(std::int16_t target_number, std::string_view line) {
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

std::string check_node_messages(std::int16_t raided_guild) {
    std::string result;
    if (!cur_char) return result;
    debug_enter("Entering check_node_messages");
    fstr<20> saved_location = cur_char->location;
    std::string msg = pop_node_msg().substr(0, node_message_capacity);
    std::string verb = upcase_str(word_at(msg, 1));
    std::string word2 = word_at(msg, 2), word3 = word_at(msg, 3);

    if (verb == "CHAT_VICTORY" || verb == "CC_RECEIVED") {
        result = msg;
    } else if (verb == "CHAT_RUN") {
        if (const character_record* s = char_of_word(word3)) {
            disp_line("`9  " + proper_case(s->name.view()) + " has `4FLED`9!  What a coward.");
            result = msg;
        }
    } else if (verb == "CHAT_FLEE") {
        disp_line("`9  You run for your `4LIFE`9.  What a coward.");
        result = msg;
    } else if (verb == "CHAT_DDAMAGE" || verb == "CHAT_DAMAGE") {
        if (const character_record* s = char_of_word(word3)) {
            // A hit never heals: a negative amount counts as a miss.
            std::int32_t damage = std::max<std::int32_t>(0, str_to_int(word2));
            std::int16_t sender_number = s->number;
            show_player_hit(*s, damage, verb == "CHAT_DDAMAGE");
            to_own_queue("CHAT_ATTACK " + int_to_str(sender_number));
            result = msg;
        }
    } else if (verb == "DAMAGE" || verb == "DDAMAGE") {
        // A blow of an online fight that crossed its end (a bail-out): taken, without a turn.
        if (const character_record* s = char_of_word(word3))
            show_player_hit(*s, std::max<std::int32_t>(0, str_to_int(word2)), verb == "DDAMAGE");
    } else if (verb == "CHAT_ATTACK") {
        if (const character_record* s = char_of_word(word2)) hook_online_fight_round(proper_case(s->name.view()), true);
    } else if (verb == "CHAT_COMBAT") {
        if (const character_record* s = char_of_word(word2)) {
            start_chat_fight(*s);
            result = msg;
        }
    } else if (verb == "PAGE") {
        if (const character_record* s = char_of_word(word2)) {
            disp_line("`9  " + proper_case(s->name.view()) + " has `4PAGED`9 you to the chat room.");
            send_node_msg_to(s->number, "PAGEANSWER " + own_number());
        }
    } else if (verb == "PAGEANSWER") {
        if (const character_record* s = char_of_word(word2))
            disp_line("`9" + proper_case(s->name.view()) + " has received your page.");
    } else if (verb == "ENTERCHAT" || verb == "LEAVECHAT") {
        delay_ms(random_n(50));
        refresh_char_file();
        if (const character_record* s = char_of_word(word2))
            result = "`4" + proper_case(s->name.view()) +
                     (verb == "ENTERCHAT" ? "`@ has entered the room." : "`@ has left the room.");
    } else if (verb == "MESSAGE") {
        result = msg.size() > 8 ? msg.substr(8) : "";
    } else if (verb == "LEAVEREALM") {
        refresh_char_file();
        if (const character_record* s = char_of_word(word2)) {
            std::string name = proper_case(s->name.view());
            std::int32_t code = str_to_int(word3);
            if (code != 0) {
                system_message(name, "`3 was bounced out of the realm.");
                disp_line("    Error Code : " + int_to_str(code) + ".  `9Please inform `4SysOp`9.");
            } else {
                system_message(name, "`3 has left the realm.");
            }
        }
    } else if (verb == "ENTERREALM") {
        refresh_char_file();
        if (const character_record* s = char_of_word(word2))
            system_message(proper_case(s->name.view()), "`3 has entered the realm.");
    } else if (verb == "RUCKUS") {
        disp_line("");
        disp_line("");
        disp_line("`4  You hear the sounds of combat coming from outside your guild hall!");
    } else if (verb == "GUARDDIE" || verb == "RAIDFLEE" || verb == "RAIDDIE") {
        if (const guild_record* g = own_guild()) {
            std::string guardian = g->guard_name.str();
            disp_line("");
            disp_line("");
            if (verb == "GUARDDIE") {
                disp_line("`4  You hear the blood curdling scream of " + guardian + "'s death!");
            } else if (verb == "RAIDFLEE") {
                disp_line("`%  " + guardian + " steps through the door and gives you the high sign!");
            } else {
                disp_line("`4  You hear a blood curdling scream come from outside your guild hall!");
                disp_line("`%  " + guardian + " steps through the door and gives you the high sign");
            }
        }
    } else if (verb == "COMBAT" || verb == "GUILDCOMBAT") {
        if (const character_record* s = char_of_word(word2)) {
            bool raid = verb == "GUILDCOMBAT";
            bool won = defend(s->number, "CRECEIVE " + own_number(),
                              raid ? " has `4RAIDED`9 your hall! `@(Online Combat)`9"
                                   : " has `4ATTACKED`9 you! `@(Online Combat)`9",
                              saved_location);
            if (raid) result = won ? "HOLDGUILD" : "FLEEGUILD";
        }
    } else if (verb == "HALLCLEAR") {
        result = "HALLCLEAR";
    } else if (verb == "GNUMQUERY") {
        // A member new to this node since the list was read must still get its answer.
        refresh_char_file();
        if (const character_record* s = char_of_word(word2)) {
            disp_line("");
            disp_line("`9  " + proper_case(s->name.view()) + " has entered the hall and looks quite angry!");
            // Only a raid in progress fights; a hall nobody holds answers that it is clear.
            if (raided_guild != 0 && s->guild == raided_guild)
                result = defend(s->number, "GUILDCOMBAT " + own_number(), "", saved_location) ? "HOLDGUILD"
                                                                                              : "FLEEGUILD";
            else
                send_node_msg_to(s->number, "HALLCLEAR");
        }
    }
    debug_leave("Leaving check_node_messages");
    return result;
}
