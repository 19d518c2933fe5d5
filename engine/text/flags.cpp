#include "engine/text/flags.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "door/file_forms.hpp"
#include "door/halt.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/exit.hpp"

std::int32_t check_frequency = 45;
std::int16_t auto_frequency_adjust = -1;
std::int16_t pfight_level_difference = 3;
std::int16_t max_random_events = 2;
std::int16_t max_board_messages = 14;
double random_event_percentage = 0.00002;
double mob_difficulty_mult = 1.0;
std::int32_t last_clock_sample = 0;

namespace {
constexpr std::size_t flag_line_width = 100;
constexpr const char* template_image = "@#FLAGS\n@#MAIN\n  Gosub ^VR01\n  Halt\n@#\n";

// ---- A flag file as it stands ----

// One section: its header line exactly as found, and every line up to the next header.
struct section_block {
    std::string header;
    std::vector<std::string> lines;
};

// Lines before the first header, then the sections in file order. Nothing is cut or
// dropped, so whatever the sysop or another part of the game keeps in the file (lines after
// "~", long lines, sections of the same name) is written back as it was.
struct flag_image {
    std::vector<std::string> preamble;
    std::vector<section_block> sections;
};

bool is_header(std::string_view line) { return line.substr(0, 2) == "@#"; }

// A header with no name ("@#" alone) ends the file.
bool is_end_marker(const section_block& s) { return s.header == "@#"; }

std::vector<std::string> split_raw_lines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

flag_image parse_image(std::string_view bytes) {
    flag_image img;
    for (std::string& line : split_raw_lines(bytes)) {
        if (is_header(line))
            img.sections.push_back({std::move(line), {}});
        else if (img.sections.empty())
            img.preamble.push_back(std::move(line));
        else
            img.sections.back().lines.push_back(std::move(line));
    }
    return img;
}

bool names_section(const section_block& s, std::string_view upper_name) {
    return upcase_str(std::string_view(s.header).substr(2)) == upper_name;
}

// The first section of the name, or null.
section_block* find_block(flag_image& img, std::string_view upper_name) {
    for (section_block& s : img.sections)
        if (names_section(s, upper_name)) return &s;
    return nullptr;
}

// The flag lines of a section end where its reader stops: at a line beginning "~".
std::size_t flag_lines_end(const section_block& s) {
    std::size_t i = 0;
    while (i < s.lines.size() && s.lines[i].substr(0, 1) != "~") ++i;
    return i;
}

// The file as a change leaves it: the changed section first (under its upper-cased name),
// then every other section as it stood, then the closing "@#". An empty end marker is
// dropped where it stood, as a new one closes the file.
void raise_section(flag_image& img, const section_block* changed, std::string_view upper_name) {
    std::vector<section_block> sections;
    sections.reserve(img.sections.size() + 2);
    sections.push_back({"@#" + std::string(upper_name), {}});
    if (changed) sections.front().lines = changed->lines;
    for (section_block& s : img.sections) {
        if (&s == changed || (is_end_marker(s) && s.lines.empty())) continue;
        sections.push_back(std::move(s));
    }
    sections.push_back({"@#", {}});
    img.sections = std::move(sections);
}

std::string render_image(const flag_image& img) {
    std::string out;
    auto put = [&out](std::string_view line) {
        out += line;
        out += '\n';
    };
    for (const std::string& l : img.preamble) put(l);
    for (const section_block& s : img.sections) {
        put(s.header);
        for (const std::string& l : s.lines) put(l);
    }
    return out;
}

// The value of a flag line as return_flag gives it.
std::string flag_value_of(const flag_parts& p) { return p.reset_class == flag_class_removed ? "-1" : p.value; }

// The index of the flag's line among the section's flag lines, or npos.
std::size_t find_flag(const section_block& s, std::string_view upper_name) {
    std::size_t end = flag_lines_end(s);
    for (std::size_t i = 0; i < end; ++i)
        if (word_at(s.lines[i], 1) == upper_name) return i;
    return std::string::npos;
}

bool usable_name(std::string_view name) {
    return !name.empty() && name.find(' ') == std::string_view::npos && name.substr(0, 2) != "@#" &&
           name.substr(0, 1) != "~";
}

bool usable_section(std::string_view section) {
    if (trim_blanks(section).empty()) return false;
    for (char c : section)
        if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
    return true;
}

// The written line: name, value and class, the value shortened so that the class survives
// the cut to the line width.
std::string make_flag_line(const std::string& upper_name, const std::string& upper_value, int reset_class) {
    std::string cls = int_to_str(reset_class);
    std::string value = upper_value;
    std::size_t fixed = upper_name.size() + cls.size() + 2;
    if (fixed + value.size() > flag_line_width) value.resize(fixed < flag_line_width ? flag_line_width - fixed : 0);
    std::string line = upper_name + " " + value + " " + cls;
    if (line.size() > flag_line_width) line.resize(flag_line_width);
    return line;
}

// A flag file that cannot be written stops the game as a stuck file would; while the game
// is already ending, only the log line.
void write_failed(const std::string& file) {
    debug_log("FORCE:Could not write flag file " + file);
    if (!halting()) end_prog(exit_file_stuck);
}

// Runs a change of the flag file under its lock. A missing (or empty) file starts as the
// template. The change edits the parsed image and says whether to write it, and where its
// changed section is; the section then moves to the top.
using image_change = std::function<bool(flag_image& img, const section_block*& changed)>;

// One section's change among several that one rewrite of the file carries.
struct section_change {
    std::string upper_section;
    image_change change;
};

// The changes run in order on the parsed file, each as if the file had been written after
// the one before, and the file is written once.
void change_flag_file(const std::string& file, const std::vector<section_change>& changes) {
    wait_for_file(file);
    bool ok = locked_update(file, [&](std::string& contents) {
        bool created = contents.empty();
        if (created) {
            debug_log("FORCE:Creating Flag file : " + file);
            contents = template_image;
        }
        flag_image img = parse_image(contents);
        bool any = false;
        for (const section_change& c : changes) {
            const section_block* changed = nullptr;
            if (!c.change(img, changed)) continue;
            raise_section(img, changed, c.upper_section);
            any = true;
        }
        if (!any) return created ? locked_action::rewrite : locked_action::keep;
        contents = render_image(img);
        return locked_action::rewrite;
    });
    if (!ok) write_failed(file);
}

void change_flag_file(const std::string& file, std::string_view upper_section, const image_change& change) {
    change_flag_file(file, {{std::string(upper_section), change}});
}

// ---- Look-ups without reading the file again ----

// A flag file as return_flag last read it: its stamp, and the value of every flag as a
// look-up finds it (the first section of a name, the first line of a flag). A look-up uses
// it while the file keeps the same stamp; any change, of this node or another, gives the
// file a new stamp, and the next look-up reads it again.
struct flag_lookup {
    file_stamp stamp;
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> values;
};
// The flag files of one node are few: its player's, the global one, a fighting opponent's.
constexpr std::size_t flag_lookups_kept = 8;
std::unordered_map<std::string, flag_lookup>& flag_lookups() {
    static std::unordered_map<std::string, flag_lookup> kept;
    return kept;
}

flag_lookup index_of(const flag_image& img, const file_stamp& stamp) {
    flag_lookup l{stamp, {}};
    for (const section_block& s : img.sections) {
        auto [flags, fresh] = l.values.try_emplace(upcase_str(std::string_view(s.header).substr(2)));
        if (!fresh) continue;
        std::size_t end = flag_lines_end(s);
        for (std::size_t i = 0; i < end; ++i)
            flags->second.try_emplace(word_at(s.lines[i], 1), flag_value_of(split_flag_line(s.lines[i])));
    }
    return l;
}

// The parsed file for a look-up; null when it cannot be read.
const flag_lookup* lookup_of(const std::string& file) {
    auto& kept = flag_lookups();
    std::optional<file_stamp> now = stamp_of(file);
    auto it = kept.find(file);
    if (now && it != kept.end() && it->second.stamp == *now) return &it->second;
    std::string contents;
    file_stamp stamp;
    if (read_whole_file(file, contents, &stamp) != file_status::ok) {
        kept.erase(file);
        return nullptr;
    }
    if (it == kept.end() && kept.size() >= flag_lookups_kept) kept.clear();
    return &(kept[file] = index_of(parse_image(contents), stamp));
}

// The tunable's flag when it reads as a whole number other than -1.
std::optional<std::int64_t> whole_tunable(std::string_view name) {
    std::optional<std::int64_t> v = parse_whole(return_flag(name, main_flag_file_name, flags_section_name));
    if (!v || *v == -1) return std::nullopt;
    return v;
}

void read_whole_tunable(std::string_view name, std::int16_t& global) {
    if (auto v = whole_tunable(name)) global = clamp_to<std::int16_t>(*v);
}

void read_real_tunable(std::string_view name, double& global) {
    std::optional<double> v = parse_real(return_flag(name, main_flag_file_name, flags_section_name));
    if (v && *v != -1.0) global = *v;
}
}  // namespace

// ---- Flag lines ----

std::optional<double> parse_real(std::string_view text) {
    std::string s(trim_blanks(text));
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(v)) return std::nullopt;
    return v;
}

flag_parts split_flag_line(std::string_view line) {
    flag_parts p;
    int words = word_count(line);
    if (words == 0) return p;
    p.name = word_at(line, 1);
    if (words == 1) {
        p.value = "-1";
        return p;
    }
    std::string last = word_at(line, words);
    p.reset_class = str_to_int(last);
    if (words == 2) {
        p.value = last;
        return p;
    }
    // The raw text between the name and the class, so blanks inside the value stay.
    std::string s = trim_trailing(trim_leading(line));
    std::size_t after_name = s.find(' ');
    std::size_t before_class = s.rfind(' ');
    p.value = trim_trailing(trim_leading(std::string_view(s).substr(after_name + 1, before_class - after_name - 1)));
    return p;
}

// ---- Tunables ----

void set_default_tunables() {
    check_frequency = 45;
    auto_frequency_adjust = -1;
    pfight_level_difference = 3;
    max_random_events = 2;
    max_board_messages = 14;
    random_event_percentage = 0.00002;
    mob_difficulty_mult = 1.0;
    last_clock_sample = 0;
}

void read_standard_flags() {
    debug_enter("Entering read_standard_flags");
    if (!file_exists(main_flag_file_name)) {
        write_flag_file(main_flag_file_name);
    } else {
        if (auto v = whole_tunable("CHECK_FREQUENCY"))
            check_frequency = std::max<std::int32_t>(1, clamp_to<std::int32_t>(*v));
        read_whole_tunable("AUTO_FREQUENCY_ADJUST", auto_frequency_adjust);
        read_whole_tunable("PFIGHT_LEVEL_DIFFERENCE", pfight_level_difference);
        read_whole_tunable("MAX_RANDOM_EVENTS", max_random_events);
        read_whole_tunable("MAX_BOARD_MESSAGES", max_board_messages);
        read_real_tunable("RANDOM_EVENT_PERCENTAGE", random_event_percentage);
        read_real_tunable("MOB_DIFFICULTY_MULT", mob_difficulty_mult);
    }
    debug_leave("Leaving read_standard_flags");
}

void save_check_frequency() {
    if (auto_frequency_adjust != 1) return;
    add_flag("CHECK_FREQUENCY", int_to_str(std::max<std::int32_t>(1, check_frequency)), flag_class_never,
             main_flag_file_name, flags_section_name);
}

// ---- Flag files ----

std::string flag_file_name(std::int16_t player_number) { return "flag" + zero_pad(player_number, 4) + ".dat"; }

void write_flag_file(const std::string& file) {
    wait_for_file(file);
    bool ok = locked_update(file, [&](std::string& contents) {
        if (!contents.empty()) return locked_action::keep;  // another node was first
        debug_log("FORCE:Creating Flag file : " + file);
        contents = template_image;
        return locked_action::rewrite;
    });
    if (!ok) write_failed(file);
}

std::string return_flag(std::string_view name, const std::string& file, std::string_view section) {
    debug_enter("Entering return_flag");
    std::string result = "-1";
    if (!file_exists(file)) {
        write_flag_file(file);
    } else {
        debug_log("looking for flag");
        if (const flag_lookup* l = lookup_of(file)) {
            auto s = l->values.find(upcase_str(section));
            if (s != l->values.end()) {
                auto f = s->second.find(upcase_str(name));
                if (f != s->second.end()) result = f->second;
            }
        }
    }
    debug_leave("Leaving return_flag");
    return result;
}

std::string update_flag(std::string_view name, const std::string& file, std::string_view section, int reset_class,
                        const std::function<std::optional<std::string>(const std::string& current)>& change) {
    std::string upper_name = upcase_str(controls_to_dots(name));
    std::string upper_section = upcase_str(section);
    if (!usable_name(upper_name) || !usable_section(section)) {
        debug_log("FORCE:Flag not stored, bad name or section : " + upper_name + " / " + controls_to_dots(section));
        return "-1";
    }
    std::string after = "-1";
    change_flag_file(file, upper_section, [&](flag_image& img, const section_block*& changed) {
        section_block* s = find_block(img, upper_section);
        std::size_t i = s ? find_flag(*s, upper_name) : std::string::npos;
        std::string current = i == std::string::npos ? "-1" : flag_value_of(split_flag_line(s->lines[i]));
        after = current;
        std::optional<std::string> value = change(current);
        if (!value) return false;
        if (!s) {
            img.sections.push_back({"@#" + upper_section, {}});
            s = &img.sections.back();
        }
        std::string line = make_flag_line(upper_name, upcase_str(controls_to_dots(*value)), reset_class);
        if (i == std::string::npos)
            s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(flag_lines_end(*s)), line);
        else
            s->lines[i] = line;
        after = flag_value_of(split_flag_line(line));
        changed = s;
        return true;
    });
    return after;
}

void add_flag(std::string_view name, std::string_view value, int reset_class, const std::string& file,
              std::string_view section) {
    debug_enter("Entering add_flag");
#ifdef __FreeBSD__
    debug_log("FORCE:Name: " + std::string(name) + "  Value: " + std::string(value) + "  FName: " + file +
              "  Section: " + std::string(section));
#endif
    std::string v(value);
    update_flag(name, file, section, reset_class, [&v](const std::string&) { return v; });
    debug_leave("Leaving add_flag");
}

void remove_flag(std::string_view name, const std::string& file, std::string_view section) {
    debug_enter("Entering remove_flag");
    add_flag(name, "-1", flag_class_removed, file, section);
    debug_leave("Leaving remove_flag");
}

namespace {
// Deletes every flag of the class from the section (and the section's empty lines).
image_change expiry_of(const std::string& upper_section, int reset_class) {
    return [upper_section, reset_class](flag_image& img, const section_block*& changed) {
        section_block* s = find_block(img, upper_section);
        if (!s) return false;
        std::size_t end = flag_lines_end(*s);
        if (end == 0) return false;
        std::vector<std::string> tail(s->lines.begin() + static_cast<std::ptrdiff_t>(end), s->lines.end());
        std::vector<std::string> flags;
        for (std::size_t i = 0; i < end; ++i) {
            const std::string& l = s->lines[i];
            bool expires = word_count(l) > 0 && split_flag_line(l).reset_class == reset_class;
            flags.push_back(expires ? std::string() : l);
        }
        std::erase_if(flags, [](const std::string& l) { return l.empty(); });
        flags.insert(flags.end(), tail.begin(), tail.end());
        s->lines = std::move(flags);
        changed = s;
        return true;
    };
}
}  // namespace

void expire_flags(const std::string& file, std::string_view section, int reset_class) {
    debug_enter("Entering expire_flags");
    expire_flag_classes(file, {std::string(section)}, {reset_class});
    debug_leave("Leaving expire_flags");
}

void expire_flag_classes(const std::string& file, const std::vector<std::string>& sections,
                         const std::vector<int>& reset_classes) {
    if (!file_exists(file)) {
        write_flag_file(file);
        return;
    }
    std::vector<section_change> changes;
    for (const std::string& section : sections) {
        if (!usable_section(section)) continue;
        for (int reset_class : reset_classes)
            changes.push_back({upcase_str(section), expiry_of(upcase_str(section), reset_class)});
    }
    if (!changes.empty()) change_flag_file(file, changes);
}

void add_section(const std::string& file, std::string_view section) {
    debug_enter("Entering add_section");
    if (usable_section(section)) {
        std::string upper_section = upcase_str(section);
        change_flag_file(file, upper_section, [&](flag_image& img, const section_block*& changed) {
            changed = find_block(img, upper_section);
            return true;
        });
    }
    debug_leave("Leaving add_section");
}

void remove_blanks(text_list& list) {
    debug_enter("Entering remove_blanks");
    list.remove_if([](const text_line& l) { return l.empty(); });
    debug_leave("Leaving remove_blanks");
}

int count_random_events(const std::string& file) {
    text_list names;
    retrieve_headers(file, names);
    int count = 0;
    for (const text_line& n : names)
        if (n.view().substr(0, 12) == "RANDOMEVENT_") ++count;
    return count;
}
