#include "multi/chat.hpp"

#include <algorithm>
#include <initializer_list>

#include "door/door.hpp"
#include "engine/rules/creatures.hpp"
#include "engine/rules/screens.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"
#include "multi/node_queue.hpp"
#include "multi/player_fight.hpp"

namespace {
constexpr const char* square_location = "tTown Square";
constexpr const char* help_section = "chat_help";
constexpr const char* divider = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* not_on = "`4That person is not on right now.";
constexpr const char* not_in_room = "`4That person is not in the chat room.";

bool is_me(const character_record& c) { return c.number == cur_char->number; }

std::string flag_of(std::int16_t number, std::string_view flag) {
    return upcase_str(return_flag(flag, flag_file_name(number), flags_section_name));
}
void set_own_flag(std::string_view flag, std::string_view value, int reset_class) {
    add_flag(flag, value, reset_class, flag_file_name(cur_char->number), flags_section_name);
}
void set_fighting(bool on) { set_own_flag("CHAT_FIGHTING", on ? "TRUE" : "FALSE", flag_class_death); }

void to_own_queue(const node_line& line) { send_node_msg_to(cur_char->number, line); }

void send_to_room(const node_line& line, std::int16_t except) {
    if (!cur_char) return;
    for (const character_record& c : char_list)
        if (in_chat_room(c) && !is_me(c) && c.number != except) send_node_msg_to(c.number, line);
}

// The name a PAGE or an ATTACK names: between double quotes, else the second word.
std::string target_name(const std::string& line) {
    std::string name = line;
    if (extract_quoted(name)) return name;
    return word_count(line) >= 2 ? word_at(line, 2) : "";
}

const character_record* find_target(const std::string& name) {
    return name.empty() ? nullptr : char_full_name_ptr(name);
}

// What follows the first two words of the line and one blank.
std::string text_after_name(const std::string& line) {
    std::size_t at = line.find_first_not_of(' ');
    at = line.find(' ', at == std::string::npos ? line.size() : at);
    if (at != std::string::npos) at = line.find_first_not_of(' ', at);
    if (at != std::string::npos) at = line.find(' ', at);
    return at == std::string::npos ? "" : line.substr(at + 1);
}

void page(const std::string& line) {
    const character_record* t = find_target(target_name(line));
    if (!t || !character_on_line(*t)) return disp_line(not_on);
    if (is_me(*t)) return disp_line("`4Now why would you want to page yourself to the chat room?");
    if (in_chat_room(*t)) return disp_line("`4That person is already in the chat room.");
    std::string name = proper_name_of(*t);
    if (flag_of(t->number, "CHAT_PAGE") == "DISABLED")
        return disp_line("`9" + name + "`9 has DISABLED their chat page.");
    send_node_msg_to(t->number, {node_verb::page, own_number()});
    disp_line("`9" + name + "`9 has been paged.");
}

void fight_begun(chat_state& room, std::int16_t foe);

// The challenge is made under the hold: the target's CHAT_FIGHTING looked at, this side's set
// and the CHAT_COMBAT sent before another member's challenge can look. Of two who attack each
// other at once the first to take the hold attacks; the other finds it already engaged and
// takes the challenge to it up when its queue is read. The room counts the fight from here,
// so a challenge that nobody answers ends as a fight whose opponent is gone.
void attack(chat_state& room, const std::string& line) {
    const character_record* t = find_target(target_name(line));
    if (!t || !character_on_line(*t)) return disp_line(not_on);
    if (!in_chat_room(*t)) return disp_line(not_in_room);
    if (is_me(*t)) return disp_line("`4Now why would you want to attack yourself in the chat room?");
    std::string name = proper_name_of(*t);
    if (flag_of(t->number, "CHAT_COMBAT") == "DISABLED")
        return disp_line("`9" + name + "`9 has DISABLED their Chat-Combat.");
    const std::int16_t number = t->number;
    bool engaged = false;
    {
        hold_guard hold;
        engaged = flag_of(number, "CHAT_FIGHTING") == "TRUE";
        if (!engaged) {
            set_fighting(true);
            send_node_msg_to(number, {node_verb::chat_combat, own_number()});
        }
    }
    if (engaged) return disp_line(name + "`4 is already engaged in Chat-Combat!");
    fight_begun(room, number);
}

void private_message(const chat_state& room, const std::string& line) {
    const character_record* t = word_count(line) >= 2 ? find_target(word_at(line, 2)) : nullptr;
    if (!t || !in_chat_room(*t)) return disp_line(not_in_room);
    if (is_me(*t)) return disp_line("`4Now why would you want to send a message to yourself?");
    std::string text = text_after_name(line);
    std::int16_t number = t->number;
    std::string name = proper_name_of(*t);
    send_node_msg_to(number, {node_verb::message, "`%" + own_proper_name() + "`4(private)`%: `3" + text});
    if (room.echo) to_own_queue({node_verb::message, "`%" + own_proper_name() + "`4(to " + name + ")`%: `3" + text});
}

void set_preference(const std::string& line, bool enable) {
    std::string what = upcase_str(word_at(line, 2));
    std::string value = enable ? "ENABLED" : "DISABLED";
    if (word_count(line) < 2) return;
    if (what == "PAGE") {
        set_own_flag("CHAT_PAGE", value, flag_class_never);
        disp_line("`4Chat pages are now " + value);
    } else if (what == "COMBAT") {
        set_own_flag("CHAT_COMBAT", value, flag_class_never);
        disp_line("`4Chat combat is now " + value);
    }
}

void toggle_echo(chat_state& room) {
    room.echo = !room.echo;
    set_own_flag("CHAT_ECHO", room.echo ? "ENABLED" : "DISABLED", flag_class_never);
    disp_line(room.echo ? "`4Echo ON" : "`4Echo OFF");
}

void show_help() {
    text_list help;
    read_menu_text(text_file_name, help_section, help);
    dispdesc(help);
    deldesc(help);
}

void say(const chat_state& room, const std::string& line) {
    std::string text = "`%" + own_proper_name() + ": `3" + line;
    broadcast_chat_message(text);
    if (room.echo) to_own_queue({node_verb::message, text});
}

void fight_begun(chat_state& room, std::int16_t foe) {
    if (std::find(room.foes.begin(), room.foes.end(), foe) == room.foes.end()) room.foes.push_back(foe);
}

void fight_over(chat_state& room, std::int16_t foe) {
    std::erase(room.foes, foe);
    if (room.foes.empty()) set_fighting(false);
}

// An opponent who walked out of the room leaves no fight behind, so the player can leave; one
// whose node is gone has its run queued here (opponent_gone), which ends the fight as a run.
void end_gone_fights(chat_state& room) {
    if (room.foes.empty()) return;
    std::erase_if(room.foes, [](std::int16_t n) {
        const character_record* c = char_num_ptr(n);
        if (!c) return true;
        return !opponent_gone(n, true) && !in_chat_room(*c);
    });
    if (room.foes.empty()) set_fighting(false);
}

// A fight's step as the dispatcher hands it back; false for any other result.
bool fight_step(chat_state& room, const std::string& result) {
    using enum node_verb;
    std::optional<node_verb> verb = find_node_verb(upcase_str(word_at(result, 1)));
    bool names_in_word2 = verb == cc_received || verb == chat_combat;
    bool names_in_word3 =
        verb == chat_victory || verb == chat_run || verb == chat_flee || verb == chat_damage || verb == chat_ddamage;
    if (!names_in_word2 && !names_in_word3) return false;
    std::int32_t number = str_to_int(word_at(result, names_in_word2 ? 2 : 3));
    if (number < 1 || number > INT16_MAX) return true;
    std::int16_t foe = static_cast<std::int16_t>(number);
    const character_record* other = char_num_ptr(foe);
    std::string me = own_proper_name(), them = other ? proper_name_of(*other) : "";
    auto tell_room = [&](const std::string& text) {
        if (other) broadcast_chat_message_except(text, foe);
    };
    if (verb == chat_victory) {
        tell_room("`4[" + me + " has defeated " + them + "]");
        fight_over(room, foe);
    } else if (verb == chat_run) {
        fight_over(room, foe);
    } else if (verb == chat_flee) {
        tell_room("`4[" + me + " has fled from " + them + "]");
        fight_over(room, foe);
    } else if (verb == chat_combat) {
        fight_begun(room, foe);
    } else if (verb == cc_received) {
        disp_line("`4[Combat Initiated]");
        tell_room("`4[" + me + " has attacked " + them + "]");
        fight_begun(room, foe);
    } else if (str_to_int(word_at(result, 2)) <= 0) {
        tell_room("`2[" + them + " misses " + me + "]");
    } else {
        // The verbs carry their own leading blank.
        tell_room("`4[" + them + random_hit_verb() + " " + me + "]");
    }
    return true;
}
}  // namespace

bool in_chat_room(const character_record& c) {
    char first = c.location.view().empty() ? '\0' : c.location.view()[0];
    return (first == 'Z' || first == 'z') && character_on_line(c);
}

void list_chat_room() {
    disp_line("`9Characters In the Chat Room:");
    for (const character_record& c : char_list)
        if (in_chat_room(c)) disp_line("`!" + proper_name_of(c));
}

void send_to_chat_room(const node_line& line) { send_to_room(line, 0); }

void broadcast_chat_message(std::string_view text) { send_to_room({node_verb::message, text}, 0); }

void broadcast_chat_message_except(std::string_view text, std::int16_t except) {
    send_to_room({node_verb::message, text}, except);
}

bool extract_quoted(std::string& text) { return unquote(text); }

int count_chat_room() { return static_cast<int>(std::count_if(char_list.begin(), char_list.end(), in_chat_room)); }

bool chat_key(chat_state& room, char key) {
    unsigned char k = static_cast<unsigned char>(key);
    if (k == '\r') {
        write_line();
        return true;
    }
    if (k == 8 || k == 127) {
        if (!room.line.empty()) {
            room.line.pop_back();
            send_str("\b \b");
        }
        return false;
    }
    if (room.line.size() >= chat_line_capacity) return false;
    // A typed control byte would split the queue line or reach the other callers' terminals.
    std::string typed = controls_to_dots(std::string(1, key));
    room.line += typed;
    send_str(typed);
    return false;
}

void chat_line(chat_state& room, const std::string& line) {
    if (line.empty()) return;
    std::string first = upcase_str(word_at(line, 1));
    bool alone = word_count(line) == 1;
    auto is = [&](std::initializer_list<const char*> words) {
        return alone && std::any_of(words.begin(), words.end(), [&](const char* w) { return first == w; });
    };
    if (is({"LEAVE", "L", "QUIT", "Q"})) {
        if (room.foes.empty())
            room.leave = true;
        else
            disp_line("`4  You cannot leave while you are fighting!");
    } else if (is({"HELP", "?"})) {
        show_help();
    } else if (is({"VIEW", "V"})) {
        display_stats();
    } else if (is({"RANK", "R"})) {
        display_ranks(ranks_show);
    } else if (is({"FIND", "F"})) {
        list_players_online();
    } else if (is({"ECHO", "E"})) {
        toggle_echo(room);
    } else if (first == "DISABLE" || first == "ENABLE") {
        set_preference(line, first == "ENABLE");
    } else if (first == "PAGE") {
        page(line);
    } else if (first == "ATTACK") {
        attack(room, line);
    } else if (first == "MSG") {
        private_message(room, line);
    } else if (is({"WHO", "W"})) {
        list_chat_room();
    } else {
        say(room, line);
    }
}

void chat_message(chat_state& room) {
    // Whatever comes starts below the prompt and the typed text.
    below_prompt([&] {
        std::string result = check_node_messages(0);
        if (!fight_step(room, result) && !result.empty()) disp_line(result);
        end_gone_fights(room);
    });
}

void chat_room() {
    if (!cur_char) return;
    debug_enter("Entering chat_room");
    refresh_char_file();
    cur_char->location = chat_room_location;
    write_char_file(true);
    send_to_chat_room({node_verb::enterchat, own_number()});
    disp_line("`c`%  Chat Room :  `3(`#?`3)Help  `3(`#L`3)eave");
    disp_line(divider);
    list_chat_room();
    chat_state room;
    set_fighting(false);
    room.echo = flag_of(cur_char->number, "CHAT_ECHO") == "ENABLED";
    if (room.echo) disp_line("`4Echo ON");
    std::int32_t polls = 0;
    bool due = true;
    while (!room.leave) {
        if (due) {
            // Below whatever ended on the prompt's line (a message, a key prompt).
            fresh_line();
            disp_text("`9>`!" + room.line);
        }
        due = false;
        if (!key_waiting()) {
            if (carrier_lost || !carrier_present) read_key();  // the door kit ends the session
            if (++polls < std::max<std::int32_t>(check_frequency, 1)) continue;
            polls = 0;
            end_gone_fights(room);
            if (!node_msg_waiting()) continue;
            chat_message(room);
            due = true;
        } else if (chat_key(room, read_key())) {
            std::string line = std::move(room.line);
            room.line.clear();
            chat_line(room, line);
            due = true;
        }
    }
    // Saved before the others hear of it, so their re-read finds the player gone.
    cur_char->location = square_location;
    write_char_file(true);
    send_to_chat_room({node_verb::leavechat, own_number()});
    debug_leave("Leaving chat_room");
}
