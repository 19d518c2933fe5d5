// "exmods.dat", the external modules ("Other Realms") the sysop installed: one block per
// module, blocks back to back: the command line, the name, then description lines up to a
// line beginning "~" (or "@#"). A command line whose first word is a script file (see
// is_script_module) runs inside the game. An empty line where a block's first line is
// expected is skipped.
#pragma once
#include <list>
#include <string>
#include <string_view>

#include "door/fstr.hpp"
#include "engine/text/text_file.hpp"

constexpr const char* exmods_file_name = "exmods.dat";

struct exmod_entry {
    fstr<86> name;
    fstr<86> command;
    text_list description;
};

// The modules of "exmods.dat" in file order (list replaced); a missing file gives none.
// A busy file is waited for.
void read_exmods_file(std::list<exmod_entry>& list);
// The same from a file image in memory.
void parse_exmods(text_reader& file, std::list<exmod_entry>& list);
// The file image of the list, read back the same by parse_exmods: per module the command
// line, the name, each description line and "~".
std::string exmods_image(const std::list<exmod_entry>& list);
// The command line's first word ends, case-blind, in ".sc", ".scr" or ".scc": a script the
// game runs itself rather than a program the start script runs between two game runs.
bool is_script_module(std::string_view command);
