#include "game/other_realms.hpp"

#include <cerrno>
#include <cstring>
#include <list>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/exmods.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/play_hooks.hpp"
#include "game/hooks.hpp"
#include "game/menu.hpp"

namespace {
// The command line split at its first blank: the program and the rest (with its blank).
std::pair<std::string, std::string> split_command(std::string_view command) {
    std::string_view line = trim_blanks(command);
    std::size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) return {std::string(line), {}};
    return {std::string(line.substr(0, blank)), std::string(line.substr(blank))};
}

bool holds_parent_step(std::string_view path) {
    for (std::size_t at = 0; at <= path.size();) {
        std::size_t end = path.find('/', at);
        if (end == std::string_view::npos) end = path.size();
        if (path.substr(at, end - at) == "..") return true;
        at = end + 1;
    }
    return false;
}

void module_missing(std::string_view command) {
    disp_line("`9  That module does not `4EXIST`9.");
    debug_log("FORCE:External module not found : " + std::string(command));
    hit_any_key();
}

// Runs a program module: the hand-off file, ext<node>.sh and status 254. Returns only when
// nothing could be started.
void start_program(const exmod_entry& module) {
    std::string command = insert_node_number(module.command.view(), node_number);
    std::optional<std::string> line = module_shell_line(command);
    if (!line) {
        module_missing(command);
        return;
    }
    write_node_file(node_number);
    node_handoff check;
    if (!read_node_file(node_number, check)) {
        disp_line("`9  Error : Drop file not found");
        debug_log("FORCE:Error : Unable to access QVH drop file.");
        end_prog(exit_critical_missing);
    }
    std::string script = node_script_file(node_number);
    if (!atomic_rewrite(script, *line + "\n", 0755)) {
        std::string reason = std::strerror(errno);
        disp_line("`9  Could not write " + script + " : `4" + reason);
        debug_log("FORCE:Could not write " + script + " : " + reason);
        // Without the script the start script would only restart the game: no resume.
        erase_file(node_handoff_file(node_number));
        hit_any_key();
        return;
    }
    // Saved as at a normal end, so nothing played before the module is lost; the return
    // announces nothing, so neither does the leaving.
    debug_log("External module : " + *line);
    if (cur_char) {
        cur_char->online = 0;
        write_char_file(true);
    }
    write_stat_file();
    flush_output();
    halt(exit_external_module);
}

void show_description(std::list<exmod_entry>& mods) {
    disp_line("");
    disp_text("`9  Description for which Realm? : `%");
    int n = read_int();
    if (n >= 1 && static_cast<std::size_t>(n) <= mods.size()) {
        disp_text("`c");
        dispdesc(std::next(mods.begin(), n - 1)->description);
    } else {
        disp_line("`9  That module does not `4EXIST`9.");
    }
    hit_any_key();
}
}  // namespace

std::string node_handoff_file(int node) { return "qvh" + zero_pad(node, 5) + ".dat"; }
std::string node_script_file(int node) { return "ext" + int_to_str(node) + ".sh"; }

void write_node_file(int node) {
    auto line = [](std::string_view key, std::string_view value) {
        return std::string(key) + " " + controls_to_dots(value) + "\n";
    };
    std::string image = line("NAME", cur_char ? cur_char->name.view() : std::string_view());
    image += line("UFNAME", user_first_name.view());
    image += line("ULNAME", user_last_name.view());
    image += line("COMPORT", int_to_str(com_port));
    image += line("BAUDRATE", int_to_str(baud_rate));
    image += line("LOCKBAUD", int_to_str(locked_baud));
    image += line("ROUTINES", fossil_flag ? "FOSSIL" : "INTERNAL");
    image += line("DROPFILEPATH", drop_path.view());
    image += line("GRAPHICS", int_to_str(graphics_mode));
    image += line("TIMELEFT", int_to_str(minutes_left()));
    rewrite_file(node_handoff_file(node), image);
}

void parse_node_file(text_reader& file, node_handoff& result) {
    result = node_handoff{};
    std::string line;
    while (file.read_line(line)) {
        std::string_view l = trim_blanks(line);
        std::size_t blank = l.find_first_of(" \t");
        std::string key = upcase_str(l.substr(0, blank));
        std::string value(blank == std::string_view::npos ? std::string_view() : trim_blanks(l.substr(blank)));
        if (key == "NAME")
            result.name = value;
        else if (key == "COMPORT")
            result.com_port = str_to_int(value);
        else if (key == "BAUDRATE")
            result.baud_rate = str_to_int(value);
        else if (key == "LOCKBAUD")
            result.locked_baud = str_to_int(value);
        else if (key == "ROUTINES")
            result.fossil = upcase_str(value) != "INTERNAL";
        else if (key == "DROPFILEPATH")
            result.drop_path = value;
        else if (key == "GRAPHICS")
            result.graphics = str_to_int(value);
        else if (key == "TIMELEFT")
            result.minutes_left = str_to_int(value);
    }
}

bool read_node_file(int node, node_handoff& result) {
    result = node_handoff{};
    std::string name = node_handoff_file(node);
    text_reader file;
    if (!file.open(name)) {
        disp_line("`9  Error: File " + name + " does not exist.");
        return false;
    }
    parse_node_file(file, result);
    return true;
}

std::string insert_node_number(std::string_view command, int node) {
    std::string line(command);
    std::size_t at = line.find("`*");
    if (at != std::string::npos) line.replace(at, 2, int_to_str(node));
    return line;
}

std::optional<std::string> module_shell_line(std::string_view command) {
    auto [program, rest] = split_command(command);
    if (program.empty() || holds_parent_step(program)) return std::nullopt;
    if (program.front() == '/') {
        if (!is_plain_file(program)) return std::nullopt;
        return program + rest;
    }
    // The shell does not look in the game directory for a bare name.
    std::optional<std::string> path = game_path(program);
    if (!path || !is_plain_file(*path)) return std::nullopt;
    return "./" + *path + rest;
}

void other_realms() {
    debug_enter("Entering other_realms");
    std::list<exmod_entry> mods;
    read_exmods_file(mods);
    if (mods.empty()) {
        disp_line("");
        disp_line("  `9No other Realms known about.");
        hit_any_key();
        return;
    }
    if (!node_given) {
        disp_line("");
        disp_line("`9  External Modules not Available");
        hit_any_key();
        return;
    }
    for (;;) {
        disp_line("`c                           `%Other Realms:");
        disp_line(separator_line());
        int number = 0;
        for (const exmod_entry& m : mods) disp_line("`3  (`#" + int_to_str(++number) + "`3)`#" + m.name.str());
        disp_line("  `3(`#S`3)ee a description.");
        disp_line("  `3(`#L`3)eave the Crossroads.");
        disp_line("");
        disp_text("`9  Command? [`!L`9] : `%");
        char k = upcase_key(read_key());
        if (k == '\r' || k == 'L') {
            echo_key('L');
            break;
        }
        echo_key(k);
        if (k == 'S') {
            show_description(mods);
            continue;
        }
        if (k < '1' || k > '9') continue;
        int choice = k - '0';
        // Modules 10 to 29 need a second digit; Enter or any other key takes the one.
        if (choice <= 2 && mods.size() >= static_cast<std::size_t>(choice) * 10) {
            char second = read_key();
            if (second >= '0' && second <= '9') choice = choice * 10 + (second - '0');
        }
        if (static_cast<std::size_t>(choice) > mods.size()) continue;
        const exmod_entry& module = *std::next(mods.begin(), choice - 1);
        if (!is_script_module(module.command.view())) {
            start_program(module);
            continue;
        }
        auto [script, params] = split_command(module.command.view());
        hook_run_script(script, trim_blanks(params));
        break;
    }
    debug_leave("Leaving other_realms");
}

void game_other_realms_init() { game_hooks.other_realms = other_realms; }
