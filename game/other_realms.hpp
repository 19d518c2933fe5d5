// The Crossroads ("Other Realms", key O of the square): the sysop's external modules. A
// script module runs inside the game; any other module runs between two runs of the game:
// the game writes this node's hand-off file and ext<node>.sh and ends with status 254, the
// start script runs ext<node>.sh and starts the game again, and the entry finds the hand-off
// file and puts the player back in the square.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/text/text_file.hpp"

// What the hand-off file tells (UFNAME and ULNAME are written, not read back).
struct node_handoff {
    std::string name;
    std::int32_t com_port = 0;
    std::int32_t baud_rate = 0;
    std::int32_t locked_baud = 0;
    bool fossil = false;
    std::string drop_path;
    std::int32_t graphics = 0;
    std::int32_t minutes_left = 0;
};

// "qvh" + the node in five digits + ".dat".
std::string node_handoff_file(int node);
// "ext" + the node in decimal + ".sh".
std::string node_script_file(int node);

// Rewrites the node's hand-off file from the session and the playing character: ten lines
// "KEY value" (NAME, UFNAME, ULNAME, COMPORT, BAUDRATE, LOCKBAUD, ROUTINES, DROPFILEPATH,
// GRAPHICS, TIMELEFT); control bytes in a value become ".".
void write_node_file(int node);
// The lines of a hand-off file (keys case-blind; a number that is not one reads 0;
// ROUTINES other than INTERNAL means FOSSIL).
void parse_node_file(text_reader& file, node_handoff& result);
// Reads the node's hand-off file back; a missing file shows "`9  Error: File <name> does not
// exist." and gives false with the results empty.
bool read_node_file(int node, node_handoff& result);

// The command line with its first "`*" replaced by the node number.
std::string insert_node_number(std::string_view command, int node);
// The line ext<node>.sh runs for a program module's command line (node already inserted):
// an absolute program as written, a relative one resolved in the game directory and written
// "./" + its name, the rest of the line as it stands. Nothing when the program holds ".." or
// names no file.
std::optional<std::string> module_shell_line(std::string_view command);

// Key O of the square.
void other_realms();
// Sets game_hooks.other_realms; the game's main calls it after game_init.
void game_other_realms_init();
