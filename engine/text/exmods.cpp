#include "engine/text/exmods.hpp"

#include "door/file_forms.hpp"
#include "engine/store/strings.hpp"

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

std::string exmods_image(const std::list<exmod_entry>& list) {
    std::string image;
    for (const exmod_entry& e : list) {
        image += e.command.str() + "\n" + e.name.str() + "\n";
        add_desc_to_file(image, e.description);
        image += "~\n";
    }
    return image;
}

bool is_script_module(std::string_view command) {
    std::string_view line = trim_blanks(command);
    std::string word = upcase_str(line.substr(0, line.find_first_of(" \t")));
    for (std::string_view end : {".SC", ".SCR", ".SCC"})
        if (word.size() > end.size() && word.ends_with(end)) return true;
    return false;
}
