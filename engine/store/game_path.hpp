// File names that come from data (scripts, menus, items, creatures, external modules) are
// resolved here before they are opened, so a file of the game directory can never name
// another file outside it.
#pragma once
#include <optional>
#include <string>
#include <string_view>

// The name to open for a file name taken from data, relative to the game directory (the
// current directory). Refused (nothing): an empty name, an absolute path, a ".." component,
// a NUL byte. Each component of the path is taken exactly when it exists, else the entry of
// its directory that matches it case-blind (sysops copy files from systems that ignore
// case), else as written (so that a missing file is reported as missing by its reader).
std::optional<std::string> game_path(std::string_view name);

// The path names a plain file. Only a plain file can be a script, menu, item or creature
// file: a directory of that name would stay "busy" for ever under the game's open rule.
bool is_plain_file(const std::string& path);

// The game directory the program runs in (the current directory), absolute, ending in "/";
// "/" when it cannot be told.
std::string program_directory();
