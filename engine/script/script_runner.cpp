#include "engine/script/script_runner.hpp"

#include <algorithm>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "door/door.hpp"
#include "door/file_forms.hpp"
#include "engine/script/script.hpp"
#include "engine/script/script_commands.hpp"
#include "engine/script/script_hooks.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/macros.hpp"
#include "engine/text/play_hooks.hpp"

std::list<event_entry> event_list;
event_entry* next_event = nullptr;
bool in_event = false;

namespace {
constexpr int line_end_value = 13;
constexpr int groups_per_line = 26;
// Bad groups logged one by one before the rest are only counted.
constexpr std::size_t bad_groups_logged = 20;

// ---- Decoded copies of encoded scripts ----

// The decoded files that exist now, with the process that made them: erased when their run
// ends, and by the exit chain when the program ends inside a run (a death in a fight, a
// lost caller). A forked child never erases its parent's files.
struct decoded_file {
    pid_t owner;
    std::string name;
};
std::vector<decoded_file>& decoded_files() {
    static std::vector<decoded_file> files;
    return files;
}

void erase_decoded_files() {
    for (const decoded_file& f : decoded_files())
        if (f.owner == ::getpid()) ::unlink(f.name.c_str());
    decoded_files().clear();
}

class decoded_copy {
public:
    explicit decoded_copy(std::string name) : name_(std::move(name)) {
        static bool chained = false;
        if (!chained) {
            add_exit_proc(erase_decoded_files);
            chained = true;
        }
        decoded_files().push_back({::getpid(), name_});
    }
    ~decoded_copy() {
        ::unlink(name_.c_str());
        auto& files = decoded_files();
        files.erase(std::remove_if(files.begin(), files.end(), [&](const decoded_file& f) { return f.name == name_; }),
                    files.end());
    }
    decoded_copy(const decoded_copy&) = delete;
    decoded_copy& operator=(const decoded_copy&) = delete;
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

// Scripts running inside one another through run_script.
int run_depth = 0;

enum class script_place { found, missing, bad_path };

bool is_directory(const std::string& name) {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Finds the script in the game directory. A name outside it, or in a folder that does not
// exist, is a bad path; a busy file is waited for (and ends the game when it stays busy).
script_place locate_script(const std::string& file, std::string& path) {
    std::optional<std::string> resolved = game_path(file);
    if (!resolved) return script_place::bad_path;
    path = *resolved;
    int result = test_open(path);
    if (result != io_ok && result != io_missing && !is_directory(path)) invis_file_available(path, result);
    if (result == io_ok) return script_place::found;
    std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && !is_directory(path.substr(0, slash))) return script_place::bad_path;
    return script_place::missing;
}

// ---- Events ----

const char* const day_abbreviations[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

int minute_of_day(const local_time& t) { return t.hour * 100 + t.minute; }

std::string today_key() {
    local_time t = clock_now();
    std::string day = (t.weekday >= 0 && t.weekday < 7) ? day_abbreviations[t.weekday] : "";
    return upcase_str(day + " " + zero_pad(t.day, 2) + " " + zero_pad(t.month, 2) + " " + zero_pad(t.year, 4));
}

void skip_event_line(std::string_view why, const std::string& line) {
    debug_log("FORCE:ERROR : Line in Events file \"events.dat\" " + std::string(why));
    debug_log("FORCE:" + line);
}

// One line of "events.dat": today's events are appended to the list.
void read_event_line(const std::string& line, const std::string& today, const local_time& now) {
    if (line.empty() || line[0] == ';' || word_count(line) == 0) return;
    std::string quoted = line;
    if (!unquote(quoted) || trim_leading(quoted).empty()) {
        skip_event_line("does not contain a script name.", line);
        return;
    }
    // The date and time words stand before the quoted part.
    std::string words = line.substr(0, line.find('"'));
    if (word_count(words) < 6) {
        skip_event_line("does not hold its six date and time words.", line);
        return;
    }
    auto number = [&](int k, int width, int today_value) {
        std::string w = word_at(words, k);
        return zero_pad(w == "*" ? today_value : str_to_int(w), width);
    };
    std::string day_name = word_at(words, 1);
    if (day_name == "*") day_name = (now.weekday >= 0 && now.weekday < 7) ? day_abbreviations[now.weekday] : "";
    std::string key = upcase_str(day_name + " " + number(2, 2, now.day) + " " + number(3, 2, now.month) + " " +
                                 number(4, 4, now.year));
    std::optional<std::int64_t> hour = parse_whole(word_at(words, 5));
    std::optional<std::int64_t> minute = parse_whole(word_at(words, 6));
    if (!hour || !minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59) {
        skip_event_line("does not hold a time of day.", line);
        return;
    }
    std::string time = zero_pad(*hour, 2) + zero_pad(*minute, 2);
    if (key != today) return;
    disp_line("We have a winner!");
    std::string text = trim_leading(quoted);
    std::size_t blank = text.find(' ');
    std::string script = text.substr(0, blank);
    std::string params = blank == std::string::npos ? std::string() : text.substr(blank + 1);
    add_event(event_list, time, script, params);
}

// A counter of "mainflag.dat": absent (-1) or below 0 counts as 0.
std::int64_t counter_value(const std::string& flag) { return std::max<std::int64_t>(0, str_to_int(flag)); }

std::string raised_counter(const std::string& flag) {
    return int_to_str(clamp_to<std::int32_t>(counter_value(flag) + 1));
}

// Runs an event's script with in_event set for its run.
void run_event_script(const std::string& script, const std::string& params) {
    bool was = in_event;
    in_event = true;
    run_script(script, params);
    in_event = was;
}

// The check's frequency follows how long a check's cycle takes: calls more than 15
// hundredths of a second apart make it smaller, closer calls bigger.
void adjust_frequency(const local_time& t) {
    std::int32_t sample = t.second * 100 + t.hundredths;
    if (sample > last_clock_sample + 15) {
        check_frequency = std::max<std::int64_t>(std::int64_t(check_frequency) - 100, -2'000'000'000);
    } else if (sample < last_clock_sample + 15 && check_frequency < 2'000'000'000) {
        check_frequency += 100;
    }
    last_clock_sample = sample;
}

// After a missed event: the first event still to come from this minute on, so that an event
// due in the very minute of the catch-up is not lost with the missed one.
void catch_up_event(int now) {
    int best = 9999;
    next_event = nullptr;
    for (event_entry& e : event_list) {
        int t = str_to_int(e.time.view());
        if (!e.done && t < best && t >= now) {
            best = t;
            next_event = &e;
        }
    }
}

// The timed event of this minute, when it is due. One whose minute passed while the player
// was somewhere that does not poll is marked done and the next one picked.
bool timed_event(int now) {
    if (!next_event) return false;
    if (next_event->done || str_to_int(next_event->time.view()) < now) {
        next_event->done = 1;
        catch_up_event(now);
        if (!next_event) return false;
    }
    event_entry& e = *next_event;
    if (str_to_int(e.time.view()) != now) return false;
    e.done = 1;
    pick_next_event(event_list);
    run_event_script(e.script.str(), e.params.str());
    return true;
}

bool random_event() {
    update_flag(events_called_flag, main_flag_file_name, flags_section_name, flag_class_never, raised_counter);
    if (in_event) return false;
    bool allowed = false;
    update_flag(events_run_flag, main_flag_file_name, flags_section_name, flag_class_never,
                [&allowed](const std::string& current) -> std::optional<std::string> {
                    if (counter_value(current) >= max_random_events) return std::nullopt;
                    allowed = true;
                    return raised_counter(current);
                });
    if (!allowed) return false;
    std::string file = game_path(random_script_name).value_or(random_script_name);
    int count = count_random_events(file);
    if (count < 1) return false;
    int k = static_cast<int>(round_half_even(random_real() * (count - 1))) + 1;
    text_list headers;
    retrieve_headers(file, headers);
    for (const text_line& h : headers) {
        if (h.view().substr(0, 12) != "RANDOMEVENT_" || --k > 0) continue;
        run_event_script(random_script_name, h.str());
        return true;
    }
    return false;
}
}  // namespace

// ---- Running scripts ----

bool is_encoded(std::string_view file) {
    std::string upper = upcase_str(file);
    std::size_t at = upper.find(".SC");
    return at != std::string::npos && upper.substr(at, 4) == ".SCC";
}

void read_script_section(const std::string& file, std::string_view section, text_list& list) {
    list.clear();
    std::string image;
    if (read_whole_file(file, image) != file_status::ok) return;
    if (is_encoded(file)) image = decode_script(image, read_file_number(file));
    read_image_section(image, section, list);
}

std::string decoded_script_name(int depth) {
    return "temp." + zero_pad(cur_char ? cur_char->number : 0, 3) + "." + std::to_string(::getpid()) + "." +
           std::to_string(depth);
}

void run_script(std::string_view file_name, std::string_view parameters) {
    std::string file(file_name);
    std::string params(parameters);
    std::string what = file + " " + params + " ";
    debug_enter("Script Executing : " + what + date_time_str());
    std::string path;
    switch (locate_script(file, path)) {
    case script_place::missing:
        disp_line("`9  Script file `4MISSING`9. (" + file + ")  Please inform SysOp.");
        debug_log("FORCE:ERROR: Script File Missing:");
        debug_log("FORCE:" + file);
        debug_leave("Script Unsucessful : " + what + date_time_str());
        hit_any_key();
        return;
    case script_place::bad_path:
        disp_line("`9  Path to Script file `4INVALID`9.  Please inform SysOp.");
        debug_leave("Script Unsucessful : " + what + date_time_str());
        return;
    case script_place::found: break;
    }
    ++run_depth;
    struct depth_guard {
        ~depth_guard() { --run_depth; }
    } guard;
    std::optional<decoded_copy> decoded;
    if (is_encoded(file)) {
        decoded.emplace(decoded_script_name(run_depth));
        if (!decompile_script(path, decoded->name())) {
            debug_leave("Script Unsucessful : " + what + date_time_str());
            return;
        }
        path = decoded->name();
    }
    expand_macros(params);
    execute_script(path, params, file);
    decoded.reset();
    debug_leave("Script Completed : " + what + date_time_str());
}

// ---- Encoded scripts ----

std::string encode_script(std::string_view text, int offset) {
    offset = std::clamp(offset, 0, scc_max_offset);
    std::string out;
    int on_line = 0;
    auto put = [&](int value) {
        out += zero_pad(value, 3);
        if (++on_line == groups_per_line) {
            out += '\n';
            on_line = 0;
        }
    };
    put(offset);
    bool open_line = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            put(line_end_value + offset);
            open_line = false;
        } else if (c != 0) {
            put(c + offset);
            open_line = true;
        }
    }
    if (open_line) put(line_end_value + offset);
    put(offset);
    if (on_line) out += '\n';
    return out;
}

std::string decode_script(std::string_view image, std::int32_t offset, std::vector<std::string>* bad_groups) {
    std::string text, line, group;
    auto take = [&](const std::string& g) {
        std::int64_t number = 0;
        bool digits = true;
        for (char c : g) {
            digits = digits && c >= '0' && c <= '9';
            number = number * 10 + (c - '0');
        }
        std::int64_t value = number - offset;
        if (!digits || value < 0 || value > 255) {
            if (bad_groups) bad_groups->push_back(g);
        } else if (value == line_end_value) {
            text += line;
            text += '\n';
            line.clear();
        } else if (value != 0 && value != '\n') {
            line += static_cast<char>(value);
        }
    };
    for (char c : image) {
        if (c == '\r' || c == '\n') continue;
        group += c;
        if (group.size() == 3) {
            take(group);
            group.clear();
        }
    }
    if (!group.empty()) take(group);
    if (!line.empty()) text += line + '\n';
    return text;
}

bool decompile_script(const std::string& scc_file, const std::string& temp_file) {
    debug_enter("FORCE:Decompiling " + scc_file);
    std::string image;
    bool ok = read_whole_file(scc_file, image) == file_status::ok;
    if (ok) {
        std::vector<std::string> bad;
        std::string text = decode_script(image, read_file_number(scc_file), &bad);
        for (std::size_t i = 0; i < bad.size() && i < bad_groups_logged; ++i)
            debug_log("FORCE:Bad group \"" + bad[i] + "\" skipped in " + scc_file);
        if (bad.size() > bad_groups_logged)
            debug_log("FORCE:" + int_to_str(std::int64_t(bad.size() - bad_groups_logged)) +
                      " more bad groups skipped in " + scc_file);
        ok = atomic_rewrite(temp_file, text);
        if (!ok) debug_log("FORCE:Could not write " + temp_file);
    }
    debug_leave("FORCE:Finished Decompiling ");
    return ok;
}

// ---- Timed events ----

void read_event_file() {
    debug_enter("Entering read_event_file");
    event_list.clear();
    next_event = nullptr;
    text_reader file;
    if (file.open(events_file_name)) {
        local_time now = clock_now();
        std::string today = today_key();
        std::string line;
        while (file.read_line(line)) read_event_line(line, today, now);
    }
    pick_next_event(event_list);
    debug_leave("Leaving read_event_file");
}

void add_event(std::list<event_entry>& list, std::string_view time, std::string_view script, std::string_view params) {
    event_entry e;
    e.time = time;
    e.script = script;
    e.params = params;
    list.push_back(e);
}

void pick_next_event(std::list<event_entry>& list) {
    int now = minute_of_day(clock_now());
    int best = 9999;
    next_event = nullptr;
    for (event_entry& e : list) {
        int t = str_to_int(e.time.view());
        if (t < best && t > now) {
            best = t;
            next_event = &e;
        }
    }
}

void list_events(const std::list<event_entry>& list) {
    for (const event_entry& e : list) {
        disp_line(e.time.view());
        disp_line(e.script.view());
        disp_line(e.params.view());
    }
}

bool Check_For_Random_Event() {
    debug_enter("Entering Check_For_Random_Event");
    double r = random_real();
    local_time now = clock_now();
    if (auto_frequency_adjust == 1) adjust_frequency(now);
    bool ran = timed_event(minute_of_day(now));
    if (r < random_event_percentage) ran = random_event() || ran;
    debug_leave("Leaving Check_For_Random_Event");
    return ran;
}

void engine_scripts_init() {
    set_run_script_hook(run_script);
    set_exec_flag_command_hook(exec_flag_command);
    set_adjust_script_value_hook(adjust_script_value);
    set_read_internal_monster_hook(read_internal_monster);
    set_read_internal_item_hook(read_internal_item);
    set_check_for_random_event_hook(Check_For_Random_Event);
}
