#include "engine/script/script.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/rules/item_script.hpp"
#include "engine/rules/screens.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/item_hooks.hpp"
#include "engine/text/lookups.hpp"

long script_step_budget = 50000;

namespace {
constexpr std::size_t section_name_width = 20;
constexpr std::size_t location_width = 20;

// The commands carried out by the game-bound command handler.
constexpr const char* flag_commands[11] = {"MESSAGEBOARD", "ADDFLAG",      "REMOVEFLAG", "FLAGVALUE",
                                           "MENUFILE",     "ITEMFILE",     "WRITELN",    "WRITE",
                                           "DISPLAYSTATS", "DISPLAYRANKS", "FINDPLAYERS"};

int nesting = 0;

// The caller has gone while the program may not end yet (a hold is raised): every key read
// answers at once, so nothing a script waits for will come.
bool caller_gone() { return !carrier_present || carrier_lost; }

bool plain_file(const std::optional<std::string>& path) { return path && is_plain_file(*path); }

bool blank_or_comment(std::string_view line) {
    std::string s = trim_leading(line);
    return s.empty() || s[0] == ';';
}

// The sections of a script file, read once at the start of a run: the first section of each
// name (upper-cased), its lines up to the next header or "~" line, each cut to a text line's
// 100 characters, comments stripped.
using section_map = std::map<std::string, std::vector<std::string>>;

section_map read_sections(const std::string& contents) {
    section_map sections;
    std::vector<std::string>* current = nullptr;
    for (const std::string& line : split_text_lines(contents)) {
        if (line.substr(0, 2) == "@#") {
            std::string name = upcase_str(std::string_view(line).substr(2));
            current = name.empty() || sections.count(name) ? nullptr : &sections[name];
        } else if (line.substr(0, 1) == "~") {
            current = nullptr;
        } else if (current && !blank_or_comment(line)) {
            current->push_back(line.substr(0, text_line::capacity));
        }
    }
    return sections;
}

// Right-justified in width without cutting: numbers keep every digit.
std::string justify(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// One command line taken apart once, when its script is read.
class script_run;
struct script_line {
    std::string text;                         // the line as it stands
    std::string keyword;                      // its first word as written
    std::string command;                      // the first word upper-cased
    std::string rest;                         // the text after the keyword, blanks trimmed at both ends
    std::vector<std::string> words;           // the blank-separated words of the rest
    void (script_run::*handler)() = nullptr;  // the command it names, if any
};
using line_list = std::vector<script_line>;

struct return_entry {
    std::string section;
    int line_number;
};

// One run of a script.
class script_run {
public:
    script_run(std::string file, std::string_view params, std::string_view name) : file_(std::move(file)), name_(name) {
        std::string contents;
        read_whole_file(file_, contents);
        for (auto& [section_name, raw] : read_sections(contents)) {
            line_list& parsed = sections_[section_name];
            for (const std::string& l : raw) parsed.push_back(parse_line(l));
        }
        randomize();
        if (cur_char) saved_location_ = cur_char->location.str();
        lines_ = &section("DEFINE");
        section_ = "DEFINE";
        vars_.clear();
        int count = std::min(word_count(params), script_vars::count);
        for (int k = 1; k <= count; ++k) vars_.set(k, word_at(params, k));
        vars_.set(24, file_);
        vars_.set(25, file_);
        vars_.reset_flags();
    }

    void run() {
        static const script_line no_line;
        while (!stop_ && !caller_gone()) {
            now_ = has_line() ? &(*lines_)[line_number_ - 1] : &no_line;
            // The log lines are built only when they are written: a run takes many steps.
            std::string what = debug_mode ? now_->keyword + " " + now_->rest : std::string();
            debug_enter(debug_mode ? "entering " + what : what);
            if (++steps_ > script_step_budget)
                fail_with("Runaway", "Script");
            else if (now_->handler)
                (this->*(now_->handler))();
            if (!stop_) move_on();
            advance_ = true;
            debug_leave(debug_mode ? "leaving " + what : what);
        }
    }

private:
    // ---- State ----
    std::string file_;
    std::string name_;
    std::map<std::string, line_list> sections_;
    std::string section_;
    const line_list* lines_ = nullptr;
    const script_line* now_ = nullptr;  // the command being carried out
    int line_number_ = 1;
    script_vars vars_;
    text_list menu_;
    std::string menu_keys_;
    script_creatures creatures_;
    std::vector<return_entry> stack_;
    bool advance_ = true;
    bool stop_ = false;
    bool menu_display_ = true;
    bool redisplay_pending_ = true;
    bool menu_allowed_ = true;
    std::string saved_location_;
    long steps_ = 0;

    bool has_line() const { return line_number_ >= 1 && std::size_t(line_number_) <= lines_->size(); }
    int depth() const { return static_cast<int>(stack_.size()); }

    const line_list& section(const std::string& name) const {
        static const line_list none;
        auto it = sections_.find(upcase_str(name));
        return it == sections_.end() ? none : it->second;
    }

    // The keyword as written, and the rest of the command line.
    const std::string& keyword() const { return now_->keyword; }
    const std::string& rest() const { return now_->rest; }
    // Word n of the rest, from 1; empty beyond the last.
    const std::string& word(int n) const {
        static const std::string none;
        return n >= 1 && std::size_t(n) <= now_->words.size() ? now_->words[n - 1] : none;
    }
    int words() const { return static_cast<int>(now_->words.size()); }
    bool has_section(const std::string& name) const { return sections_.count(upcase_str(name)) > 0; }

    // The caller is being waited for: the run is not running away.
    void waited() { steps_ = 0; }

    void fail_with(std::string_view keyword, std::string_view rest) {
        script_error(file_, keyword, rest, section_, line_number_);
        waited();
        stop_ = true;
    }
    void fail() { fail_with(keyword(), rest()); }

    // ---- Expansion ----
    std::string expand(std::string text) const {
        expand_macros(text);
        expand_menu_chars(text, menu_keys_);
        expand_vars(text, vars_);
        return text;
    }
    std::string expanded_default() const { return expand(std::string(vars_.get(21))); }

    // ---- Moving through the section ----
    void move_on() {
        if (advance_ && has_line()) ++line_number_;
        if (has_line()) return;
        if (section_ == "DEFINE") {
            if (!has_section("MAIN")) {
                fail_with("No Main", "Section");
                return;
            }
            lines_ = &section("MAIN");
            section_ = "MAIN";
            line_number_ = 1;
            if (lines_->empty()) {
                fail_with("Empty", "Section");
                return;
            }
        } else if (lines_->empty()) {
            // Nothing to run: starting it again would spin for ever.
            fail_with("Empty", "Section");
            return;
        }
        line_number_ = 1;
        menu_allowed_ = redisplay_pending_;
    }

    // The file a script names, inside the game directory; nothing (and a script error) when
    // there is no such file.
    std::optional<std::string> named_file(std::string_view name) {
        std::optional<std::string> path = game_path(name);
        if (plain_file(path)) return path;
        fail_with("Missing File", name);
        return std::nullopt;
    }

    // The target of a command that must name a variable: true when it begins "^VR".
    bool variable_target(std::string_view target) {
        if (target.substr(0, 3) == "^VR") return true;
        fail();
        return false;
    }
    void store(std::string_view target, std::string_view value) { vars_.set(script_var_number(target), value); }

    void restore_location() {
        if (cur_char) cur_char->location = saved_location_;
    }

    // ---- Commands ----
    using handler = void (script_run::*)();

    script_line parse_line(const std::string& text) const;

    void cmd_game() {
        if (upcase_str(keyword()) == "MESSAGEBOARD") waited();  // the board waits for the caller
        if (hook_exec_flag_command(keyword(), rest(), file_, section_, name_, line_number_, vars_)) {
            waited();
            stop_ = true;
        }
    }

    void cmd_menu() {
        if (!menu_allowed_) {
            menu_allowed_ = true;
            return;
        }
        std::string menu_file(vars_.get(24));
        text_list lines;
        std::optional<std::string> path = game_path(menu_file);
        if (plain_file(path)) read_menu_text(*path, rest(), lines);
        if (lines.empty()) {
            disp_line("`4  Menu not found -" + rest() + "- in MenuFile : " + menu_file);
            hit_any_key();
            waited();
            stop_ = true;
            return;
        }
        menu_keys_ = prep_menu_text(lines);
        vars_.set(21, menu_keys_.substr(0, 1));
        menu_.clear();
        for (const text_line& l : lines) {
            std::string s = l.str();
            expand_vars(s, vars_);
            add_desc_line(s, menu_);
        }
        if (!own_status_bit2() && menu_display_) dispdesc(menu_);
        menu_display_ = true;
        redisplay_pending_ = false;
    }

    void cmd_display_menu() { dispdesc(menu_); }

    void cmd_read_menu_commands() {
        if (!variable_target(rest())) return;
        bool due = true;
        std::int32_t polls = 0;
        char key;
        for (;;) {
            if (due) {
                disp_key_list(menu_keys_);
                write_line();
                disp_text("`9  Command? [`!" + expanded_default() + "`9] : `%");
                due = false;
            }
            if (key_waiting()) {
                key = read_key();
                break;
            }
            if (caller_gone()) return;
            if (++polls >= std::max<std::int32_t>(1, check_frequency)) {
                polls = 0;
                below_prompt([&] {
                    if (hook_node_msg_waiting()) {
                        hook_check_node_messages(0);
                        due = true;
                    } else {
                        due = hook_check_for_random_event();
                    }
                });
            }
        }
        store_key(key, expanded_default());
    }

    // The key upper-cased into the target; Enter stands for the default's first character.
    void store_key(char key, const std::string& default_command) {
        std::string value = key == '\r' ? default_command.substr(0, 1) : std::string(1, key);
        store(rest(), upcase_str(value));
        waited();
    }

    void cmd_read_char() {
        if (!variable_target(rest())) return;
        char key = read_key();
        store_key(key, upcase_str(expanded_default()));
    }

    void cmd_read_line() {
        if (!variable_target(rest())) return;
        std::string line = read_line();
        if (line.empty()) line = vars_.get(21);
        store(rest(), upcase_str(line));
        waited();
    }

    void cmd_write_block() {
        for (int n = line_number_ + 1; std::size_t(n) <= lines_->size(); ++n) {
            const script_line& l = (*lines_)[n - 1];
            if (l.command == "ENDBLOCK") {
                line_number_ = n;
                return;
            }
            disp_line(expand(l.text));
        }
        fail();
    }

    void cmd_gosub() {
        std::string name = upcase_str(expand(rest())).substr(0, section_name_width);
        const line_list& lines = section(name);
        if (lines.empty()) {
            fail_with(keyword(), name);
            return;
        }
        if (depth() >= script_max_depth) {
            fail_with("Gosub Too Deep", name);
            return;
        }
        stack_.push_back({section_, line_number_ + 1});
        section_ = name;
        lines_ = &lines;
        line_number_ = 1;
        advance_ = false;
        menu_allowed_ = true;
    }

    void cmd_return() {
        if (stack_.empty()) {
            fail();
            return;
        }
        return_entry back = stack_.back();
        stack_.pop_back();
        section_ = back.section;
        lines_ = &section(section_);
        line_number_ = back.line_number;
        advance_ = false;
        redisplay_pending_ = true;
    }

    void cmd_redisp_menu() {
        if (upcase_str(rest()) == "FALSE") {
            menu_display_ = false;
        } else {
            menu_display_ = true;
            redisplay_pending_ = true;
        }
        menu_allowed_ = true;
    }

    static bool whole_number(const std::string& text) { return int_to_str(str_to_int(text)) == text; }

    void cmd_if() {
        std::string op = word(2);
        static const char* const ops[] = {"==", "<=", ">=", "<>", "!=", "<", ">"};
        if (words() < 3 || std::find(std::begin(ops), std::end(ops), op) == std::end(ops)) {
            fail();
            return;
        }
        std::string a = expand(word(1));
        std::string b = expand(word(3));
        int cmp;
        if (whole_number(a) && whole_number(b)) {
            std::int32_t x = str_to_int(a), y = str_to_int(b);
            cmp = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            cmp = a.compare(b);
            cmp = cmp < 0 ? -1 : (cmp > 0 ? 1 : 0);
        }
        bool holds = (op == "==" && cmp == 0) || (op == "<=" && cmp <= 0) || (op == ">=" && cmp >= 0) ||
                     ((op == "<>" || op == "!=") && cmp != 0) || (op == "<" && cmp < 0) || (op == ">" && cmp > 0);
        if (holds) return;
        int open = 1;
        for (int n = line_number_ + 1; std::size_t(n) <= lines_->size(); ++n) {
            const std::string& first = (*lines_)[n - 1].command;
            if (first == "IF") ++open;
            if (first == "ENDIF" && --open == 0) {
                line_number_ = n;
                return;
            }
        }
        fail();
    }

    std::vector<creature_row> creature_rows() const {
        return creatures_ ? hook_creature_rows(*creatures_) : std::vector<creature_row>();
    }

    void cmd_display_creatures() {
        disp_line("`0Monsters Present `%:");
        for (const creature_row& c : creature_rows())
            disp_line("`2Level `%: " + justify(int_to_str(c.level), 2) + " `0" + pad_right(c.name, 20) +
                      "  `2Exp : `0" + justify(comma_number(c.experience), 8) + "  `2Verif # : `0" +
                      justify(comma_number(c.verification), 6));
        disp_line("`9Free Memory : `4" + int_to_str(free_memory_bytes()) + " bytes");
    }

    void cmd_display_game_stats() { hook_display_game_settings(); }

    void cmd_display_script_info() {
        disp_line("`9  File        :`% " + file_ + "      `9Free Memory :`4 " + int_to_str(free_memory_bytes()));
        disp_line("`9  Section     :`% " + section_);
        disp_line("`9  Loops Deep  :`% " + int_to_str(depth()));
        disp_line("`9  Current Default Command :`% " + expanded_default());
        disp_line("`9  Current Creature File   :`% " + std::string(vars_.get(22)));
        disp_line("`9  Current Flags           :`% " + std::string(vars_.get(23)));
        hit_any_key();
        disp_line("");
        for (int n = 1; n <= 20; ++n) disp_line("`9  ^VR" + zero_pad(n, 2) + "     :`8" + std::string(vars_.get(n)));
        waited();
    }

    void cmd_pause() {
        hit_any_key();
        waited();
    }

    void cmd_default_command() { vars_.set(21, expand(rest())); }

    void cmd_creature_file() {
        vars_.set(22, rest());
        creatures_.reset();
        if (std::optional<std::string> path = named_file(rest())) creatures_ = hook_read_creature_file(*path);
    }

    void cmd_random() {
        if (words() != 2 || !variable_target(word(1))) {
            if (!stop_) fail();
            return;
        }
        double m = str_to_int(expand(word(2)));
        store(word(1), int_to_str(round_half_even(random_real() * (m - 1)) + 1));
    }

    void cmd_mult() {
        if (words() != 2) {
            fail();
            return;
        }
        std::string target = word(1);
        double factor = parse_real(expand(word(2))).value_or(0);
        double product = double(str_to_int(expand(target))) * factor;
        product = std::clamp(product, -2147483648.0, 2147483647.0);
        set_macro_value(target, int_to_str(round_half_even(product)), vars_);
    }

    void cmd_add() {
        if (words() != 2) {
            fail();
            return;
        }
        hook_adjust_script_value(word(1), expand(word(2)), vars_);
    }

    void cmd_set() {
        if (words() != 2) {
            fail();
            return;
        }
        set_macro_value(word(1), expand(word(2)), vars_);
    }

    void cmd_setstr() {
        std::string text = rest();
        if (words() < 2 || !unquote(text)) {
            fail();
            return;
        }
        set_macro_value(word(1), text, vars_);
    }

    void cmd_location() {
        std::string text = rest();
        if (!unquote(text)) {
            fail();
            return;
        }
        expand_macros(text);
        expand_vars(text, vars_);
        saved_location_ = text.substr(0, location_width);
        if (cur_char) {
            cur_char->location = saved_location_;
            write_char_file(true);
        }
    }

    void cmd_gotoxy() {
        if (words() != 2) {
            fail();
            return;
        }
        int x = std::clamp(str_to_int(expand(word(1))), 1, 255);
        int y = std::clamp(str_to_int(expand(word(2))), 1, 255);
        goto_xy(x, y);
    }

    void cmd_item() {
        if (words() < 1) {
            fail();
            return;
        }
        std::string n = upcase_str(word(1));
        std::string item_file(vars_.get(25));
        std::optional<std::string> path = named_file(item_file);
        if (!path) return;
        std::optional<item_record> item = hook_read_internal_item(*path, str_to_int(n), vars_);
        if (!item) {
            debug_log("FORCE:Item " + n + " not found in " + item_file);
            return;
        }
        item->equipped = 0;
        std::int32_t sections = item_file_events(*path, n);
        if (item->script_events == 0) item->script_events = sections;
        hook_register_item(*item);
        std::int32_t number = hook_get_item_script_num(*item);
        if (number >= 1) write_item_script(number, n, *path, sections);
        if (words() < 2 || upcase_str(word(2)) != "NODISPLAY") disp_line("`!  You now have the " + item->name);
        inventory_list* inv = hook_current_inventory();
        if (cur_char && inv) {
            hook_add_to_inv(*inv, *item);
            write_inventory(cur_char->number, *inv);
        }
    }

    void cmd_combat() {
        int count = words();
        std::string target = word(1);
        std::string form = upcase_str(word(2));
        std::shared_ptr<monster_record> internal;
        const monster_record* mob = nullptr;
        if (target.substr(0, 3) == "^VR" && form == "INT" && count == 3) {
            if (!named_file(file_)) return;
            internal = hook_read_internal_monster(file_, str_to_int(word(3)), vars_);
            mob = internal.get();
        } else if (target.substr(0, 3) == "^VR" && form == "EXT" && count == 2) {
            if (creatures_ && cur_char) mob = hook_random_creature(*creatures_, cur_char->level);
        } else {
            fail();
            return;
        }
        std::unique_ptr<character_record> foe = mob ? hook_mob_to_char(*mob) : nullptr;
        if (!foe) {
            store(target, "2");
            return;
        }
        character_record* before = opponent;
        opponent = foe.get();
        bool won = hook_do_combat(*foe);
        opponent = before;
        store(target, won ? "1" : "0");
    }

    void cmd_monster_available() {
        if (words() != 1) {
            fail();
            return;
        }
        bool found = false;
        if (cur_char)
            for (const creature_row& c : creature_rows()) found = found || c.level == cur_char->level;
        store(rest(), found ? "1" : "0");
    }

    void cmd_shared_event() {
        hook_random_encounter(clamp_to<std::int16_t>(str_to_int(rest())));
        restore_location();
    }

    void cmd_healer() {
        hook_do_healers();
        restore_location();
    }

    void cmd_inventory() {
        hook_do_inv();
        restore_location();
    }

    void cmd_display_script_text() {
        for (const script_line& l : *lines_) write_line(l.text);
        hit_any_key();
        waited();
    }

    void cmd_mail() {
        if (words() < 2) {
            fail();
            return;
        }
        character_record* to = char_full_name_ptr(expand(word(1)));
        std::string sender = expand(trim_leading(rest().substr(rest().find(' '))));
        character_record* from = char_full_name_ptr(sender);
        text_list mail;
        add_desc_line("#" + zero_pad(from ? from->number : 0, 4) + " " +
                          controls_to_dots(from ? proper_case(from->name.view()) : sender),
                      mail);
        bool commands = false;
        for (int n = line_number_ + 1; std::size_t(n) <= lines_->size(); ++n) {
            const script_line& l = (*lines_)[n - 1];
            const std::string& first = l.command;
            if (first == "ENDMAIL") {
                if (!commands) add_desc_line("~", mail);
                if (to)
                    append_user_file(to->name.view(), mail);
                else
                    disp_line("`9  That player does not `4EXIST`9.");
                line_number_ = n;
                return;
            }
            if (first == "MAILCOMMANDS") {
                commands = true;
                add_desc_line("~", mail);
            } else if (commands && l.words.size() == 2) {
                // Three words: the command and the stat as written, the amount expanded.
                add_desc_line(mail_safe_line(l.keyword + " " + l.words[0] + " " + expand(l.words[1])), mail);
            } else {
                add_desc_line(mail_safe_line(expand(l.text)), mail);
            }
        }
        fail();
    }

    void cmd_halt() { stop_ = true; }
};

script_line script_run::parse_line(const std::string& text) const {
    static const std::map<std::string, handler> commands = {
        {"MENU", &script_run::cmd_menu},
        {"DISPLAYMENU", &script_run::cmd_display_menu},
        {"READMENUCOMMANDS", &script_run::cmd_read_menu_commands},
        {"READCHAR", &script_run::cmd_read_char},
        {"READLINE", &script_run::cmd_read_line},
        {"WRITEBLOCK", &script_run::cmd_write_block},
        {"GOSUB", &script_run::cmd_gosub},
        {"RETURN", &script_run::cmd_return},
        {"REDISPMENU", &script_run::cmd_redisp_menu},
        {"IF", &script_run::cmd_if},
        {"DISPLAYCREATURES", &script_run::cmd_display_creatures},
        {"DISPLAYGAMESTATS", &script_run::cmd_display_game_stats},
        {"DISPLAYSCRIPTINFO", &script_run::cmd_display_script_info},
        {"PAUSE", &script_run::cmd_pause},
        {"DEFAULTCOMMAND", &script_run::cmd_default_command},
        {"CREATUREFILE", &script_run::cmd_creature_file},
        {"RANDOM", &script_run::cmd_random},
        {"MULT", &script_run::cmd_mult},
        {"ADD", &script_run::cmd_add},
        {"SET", &script_run::cmd_set},
        {"SETSTR", &script_run::cmd_setstr},
        {"LOCATION", &script_run::cmd_location},
        {"GOTOXY", &script_run::cmd_gotoxy},
        {"ITEM", &script_run::cmd_item},
        {"COMBAT", &script_run::cmd_combat},
        {"MONSTERAVAILABLE", &script_run::cmd_monster_available},
        {"SHAREDEVENT", &script_run::cmd_shared_event},
        {"HEALER", &script_run::cmd_healer},
        {"INVENTORY", &script_run::cmd_inventory},
        {"DISPLAYSCRIPTTEXT", &script_run::cmd_display_script_text},
        {"MAIL", &script_run::cmd_mail},
        {"HALT", &script_run::cmd_halt},
    };
    script_line l;
    l.text = text;
    std::string line = trim_leading(text);
    std::size_t blank = line.find(' ');
    l.keyword = line.substr(0, blank);
    l.command = upcase_str(l.keyword);
    l.rest = blank == std::string::npos ? "" : trim_trailing(trim_leading(line.substr(blank)));
    for (int k = 1, n = word_count(l.rest); k <= n; ++k) l.words.push_back(word_at(l.rest, k));
    if (std::find(std::begin(flag_commands), std::end(flag_commands), l.command) != std::end(flag_commands))
        l.handler = &script_run::cmd_game;
    else if (auto it = commands.find(l.command); it != commands.end())
        l.handler = it->second;
    return l;
}
}  // namespace

int script_var_number(std::string_view target) {
    if (target.substr(0, 3) != "^VR" || target.size() < 5) return 0;
    char a = target[3], b = target[4];
    if (a < '0' || a > '9' || b < '0' || b > '9') return 0;
    int n = (a - '0') * 10 + (b - '0');
    return n <= script_vars::count ? n : 0;
}

void strip_script_comments(text_list& lines) {
    lines.remove_if([](const text_line& l) { return blank_or_comment(l.view()); });
}

void script_error(std::string_view file, std::string_view keyword, std::string_view rest, std::string_view section,
                  int line_number) {
    std::string where = "Script Error : " + std::string(file) + " Section : " + std::string(section) +
                        "    Line : " + int_to_str(line_number);
    std::string what = std::string(keyword) + " " + std::string(rest);
    debug_log("FORCE:" + where);
    debug_log("FORCE:" + what);
    disp_line("`7");
    write_line("  " + where);
    write_line("  " + what);
    hit_any_key();
}

void execute_script(const std::string& file, std::string_view params, std::string_view script_name) {
    std::optional<std::string> path = game_path(file);
    if (!plain_file(path)) {
        script_error(file, "Missing File", file, "DEFINE", 0);
        return;
    }
    if (nesting >= script_max_nesting) {
        script_error(file, "Too Deep", "Script", "DEFINE", 0);
        return;
    }
    ++nesting;
    struct leave_guard {
        ~leave_guard() { --nesting; }
    } guard;
    script_run(*path, params, script_name).run();
}
