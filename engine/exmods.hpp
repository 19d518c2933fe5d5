// "exmods.dat", the external modules ("Other Realms") the sysop installed: one block per
// module, blocks back to back: the command line, the name, then description lines up to a
// line beginning "~" (or "@#"). A command line ending ".sc" names a script run inside the
// game. An empty line where a block's first line is expected is skipped.
#pragma once
#include <list>

#include "door/fstr.hpp"
#include "engine/text_file.hpp"

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
