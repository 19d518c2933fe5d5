// A clean script runner for one test: the interpreter's clean state (an ASCII caller, fake
// game hooks), with the real runner, game-bound commands, definition readers and event
// check installed over the fakes, no timed events, and no random events unless a test asks.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "engine/script/script_commands.hpp"
#include "engine/script/script_runner.hpp"
#include "engine/text/play_hooks.hpp"
#include "script_state.hpp"

inline void reset_runner_globals() {
    event_list.clear();
    next_event = nullptr;
    in_event = false;
    set_run_script_hook(nullptr);
    set_message_board_hook(nullptr);
}

struct runner_state : script_state {
    runner_state() {
        reset_runner_globals();
        engine_scripts_init();
        random_event_percentage = 0;
    }
    ~runner_state() { reset_runner_globals(); }

    // Runs the script through run_script with the keys typed ahead; the screen.
    std::string run_file(const std::string& file, const std::string& params = "", const std::string& keys = "") {
        input_feed feed(keys);
        run_script(file, params);
        return out.take();
    }

    // The decoded copies left in the game directory.
    static std::vector<std::string> temp_files() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator("."))
            if (e.path().filename().string().rfind("temp.", 0) == 0) names.push_back(e.path().filename().string());
        return names;
    }
    static std::string debug_text() { return file_present("debug.txt") ? read_file("debug.txt") : ""; }
};

// A script of one MAIN section: the lines given, then HALT.
inline std::string script(std::initializer_list<std::string> body) {
    std::string s = "@#MAIN\n";
    for (const auto& l : body) s += "  " + l + "\n";
    return s + "  HALT\n";
}
