#include "game/menu.hpp"

#include <algorithm>
#include <utility>

#include "door/door.hpp"
#include "engine/rules/screens.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/hooks.hpp"

std::int16_t sub_location = 0;

namespace {
// Set only while the town square waits for a key: mail is looked at in the square alone.
bool mail_in_poll = false;
// The loop whose key wait is polling (its raid and its handler of the dispatcher's words).
const menu_loop* polling_loop = nullptr;

bool game_menu_poll(std::int32_t& polls, bool random_events) {
    // Whatever the check runs waits for its own keys with its own polls: no mail there,
    // and no raid of this loop's.
    bool mail = std::exchange(mail_in_poll, false);
    const menu_loop* loop = std::exchange(polling_loop, nullptr);
    bool shown = loop ? poll_check(polls, mail, random_events, loop->raided_guild, loop->on_result)
                      : poll_check(polls, mail, random_events);
    mail_in_poll = mail;
    polling_loop = loop;
    return shown;
}

char wait_for_key(std::int32_t& polls, const menu_loop& m) {
    if (m.poll == menu_poll::none) return read_key();
    bool saved = std::exchange(mail_in_poll, m.poll == menu_poll::mail_queue_and_events);
    const menu_loop* saved_loop = std::exchange(polling_loop, &m);
    char k = menu_poll_key(polls, m.poll != menu_poll::queue);
    mail_in_poll = saved;
    polling_loop = saved_loop;
    return k;
}

struct common_screen {
    char key;
    void (*show)();
};
const common_screen common_screens[] = {
    {'V', display_stats},
    {'F', list_players_online},
    {'R', [] { display_ranks(ranks_show); }},
};

// A key of the place's common_keys: its screen. False for any other key.
bool common_key(const menu_loop& m, char k) {
    if (k == 0 || m.common_keys.find(k) == std::string_view::npos) return false;
    for (const common_screen& c : common_screens) {
        if (c.key != k) continue;
        if (!m.echo) echo_key(k);
        c.show();
        return true;
    }
    return false;
}
}  // namespace

bool poll_check(std::int32_t& polls, bool with_mail, bool random_events, std::int16_t raided_guild,
                const std::function<void(const std::string&)>& on_result) {
    if (polls < std::max<std::int32_t>(1, check_frequency)) return false;
    polls = 0;
    if (with_mail && game_hooks.mail_waiting()) {
        game_hooks.read_mail();
        return true;
    }
    if (hook_node_msg_waiting()) {
        std::string result = hook_check_node_messages(raided_guild);
        if (!result.empty() && on_result) on_result(result);
        return true;
    }
    return random_events && hook_check_for_random_event();
}

void install_menu_poll() { set_menu_poll_hook(game_menu_poll); }

char upcase_key(char k) { return (k >= 'a' && k <= 'z') ? static_cast<char>(k - 'a' + 'A') : k; }

void echo_key(char k) {
    unsigned char u = static_cast<unsigned char>(k);
    write_line(u >= 32 && u != 127 ? std::string(1, upcase_key(k)) : std::string());
}

void echo_inline(char k) {
    unsigned char u = static_cast<unsigned char>(k);
    if (u >= 32 && u != 127) write_str(std::string(1, k));
}

char yes_no_key(char enter_key) {
    char k = read_key();
    if (k == '\r') k = enter_key;
    return upcase_key(k);
}

char hidden_word(char k, std::string_view word, std::int32_t used_bit, void (*action)()) {
    if (!cur_char || word.empty() || k != word[0] || has_status_bit(*cur_char, used_bit)) return k;
    std::string typed(1, k);
    char last = k;
    for (int i = 0; i < 4; ++i) {
        last = read_key();
        typed += upcase_key(last);
    }
    if (typed != word) return upcase_key(last);
    // Used up as soon as it is spoken, whatever the action then leads to.
    cur_char->status_bits |= used_bit;
    action();
    return ' ';
}

std::string separator_line() {
    std::string rule = "`#";
    for (int i = 0; i < 77; ++i) rule += (i % 2 == 0) ? '-' : '=';
    return rule;
}

void disp_lines(std::initializer_list<std::string> text) {
    for (const std::string& l : text) disp_line(l);
}

void show_menu_text(const text_list& menu) {
    if (!own_status_bit2()) dispdesc(menu);
}

void run_menu_loop(const menu_loop& m) {
    std::int32_t polls = 0;
    bool due = true;
    char default_key = 0;
    while (sub_location >= m.level) {
        if (m.each_turn) {
            m.each_turn();
            if (sub_location < m.level) break;
        }
        if (due) {
            if (m.before_title) m.before_title();
            disp_line("");
            disp_text(m.title);
            disp_key_list(m.keys);
            disp_line("");
            default_key = m.default_key ? m.default_key() : 0;
            if (default_key)
                disp_text("`9  Command? [`!" + std::string(1, default_key) + "`9] : `%");
            else
                disp_text("`9  Command  : `%");
            due = false;
        }
        char k = wait_for_key(polls, m);
        due = true;
        if (k == 0) continue;  // a poll showed something: the prompt again
        if (k == '\r' && default_key) k = default_key;
        k = upcase_key(k);
        if (m.filter_key) k = m.filter_key(k);
        if (m.echo) echo_key(k);
        if (m.before_key && !m.before_key()) continue;
        if (common_key(m, k)) continue;
        if (m.on_key && !m.on_key(k)) break;
    }
}

char ask_key(const std::vector<std::string>& lines, std::string_view prompt, char enter_key, std::string_view allowed) {
    for (;;) {
        for (const std::string& l : lines) disp_line(l);
        disp_text(prompt);
        char k = read_key();
        if (k == '\r') k = enter_key;
        k = upcase_key(k);
        echo_key(k);
        if (k != 0 && allowed.find(k) != std::string_view::npos) return k;
    }
}
