#include "engine/exmods.hpp"

void parse_exmods(text_reader& file, std::list<exmod_entry>& list) {
    list.clear();
    std::string line;
    while (file.read_line(line)) {
        if (line.empty()) continue;
        exmod_entry& e = list.emplace_back();
        e.command = line;
        if (file.read_line(line)) e.name = line;
        read_desc(file, e.description);
    }
}

void read_exmods_file(std::list<exmod_entry>& list) {
    list.clear();
    text_reader file;
    if (file.open(exmods_file_name)) parse_exmods(file, list);
}
