#include "engine/store/debug_log.hpp"

#include "door/switches.hpp"
#include "engine/store/file_access.hpp"

std::string debug_indent;

namespace {
constexpr std::string_view forced_prefix = "FORCE:";
constexpr const char* debug_file_name = "debug.txt";
}  // namespace

void debug_log(std::string_view text) {
    bool forced = text.substr(0, forced_prefix.size()) == forced_prefix;
    if (!debug_mode && !forced) return;
    if (forced) text.remove_prefix(forced_prefix.size());
    std::string line = debug_indent;
    line += text;
    line += '\n';
    // The log must never stop the game: a failed append is dropped.
    locked_append(debug_file_name, line);
}

void debug_enter(std::string_view text) {
    debug_log(text);
    if (debug_indent.size() < 253) debug_indent += "  ";
}

void debug_leave(std::string_view text) {
    debug_indent.resize(debug_indent.size() >= 2 ? debug_indent.size() - 2 : 0);
    debug_log(text);
}
