#include "engine/text/text_file.hpp"

#include <cerrno>
#include <cstring>
#include <optional>

#include "door/file_forms.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/macros.hpp"

namespace {
bool is_header(std::string_view line) { return line.substr(0, 2) == "@#"; }
bool ends_block(std::string_view line) { return is_header(line) || line.substr(0, 1) == "~"; }

// Opens a text file the game cannot go on without: a missing one ends the game (code 12).
void open_critical(const std::string& file_name, text_reader& file) {
    if (file.open(file_name)) return;
    disp_line("`9  Error : File " + file_name + " missing.");
    end_prog(exit_critical_missing);
}

// Moves the reader to just after the header of the named section; false when there is none.
bool find_section(text_reader& file, std::string_view section) {
    std::string key = upcase_str(section);
    std::string line;
    while (file.read_line(line))
        if (is_header(line) && upcase_str(std::string_view(line).substr(2)) == key) return true;
    return false;
}

void collect_headers(const std::string& file_name, const std::string_view* filter, text_list& list) {
    debug_enter("Entering retrieve_headers");
    text_reader file;
    if (file.open(file_name)) {
        list.clear();
        std::string line;
        while (file.read_line(line)) {
            std::string upper = upcase_str(line);
            if (!is_header(upper) || upper.size() <= 2) continue;
            std::string name = upper.substr(2);
            if (!filter || name.find(*filter) != std::string::npos) add_desc_line(name, list);
        }
    }
    debug_leave("Leaving retrieve_headers");
}
}  // namespace

text_reader::text_reader(std::string_view bytes) : lines_(split_text_lines(bytes)) {}

bool text_reader::open(const std::string& name) {
    lines_.clear();
    next_ = 0;
    std::string contents;
    switch (read_whole_file(name, contents)) {
    case file_status::missing: return false;
    case file_status::corrupt:
        // The disk failed under an open file: the game cannot trust what it would show.
        debug_log("FORCE:Read error on text file " + name);
        end_prog(exit_file_stuck);
    case file_status::ok: break;
    }
    lines_ = split_text_lines(contents);
    return true;
}

bool text_reader::read_line(std::string& line) {
    if (at_end()) return false;
    line = lines_[next_++];
    return true;
}

void read_menu_text(const std::string& file_name, std::string_view section, text_list& list) {
    std::string what = file_name + " " + std::string(section);
    debug_enter("Entering read_menu_text " + what);
    text_reader file;
    open_critical(file_name, file);
    list.clear();
    if (find_section(file, section)) read_desc(file, list);
    debug_leave("Leaving read_menu_text " + what);
}

void read_image_section(std::string_view image, std::string_view section, text_list& list) {
    text_reader file(image);
    list.clear();
    if (find_section(file, section)) read_desc(file, list);
}

void read_text_section(const std::string& file_name, std::string_view section, text_list& list, std::string& keys) {
    text_reader file;
    open_critical(file_name, file);
    text_list local;
    if (find_section(file, section)) read_desc(file, local);
    keys += prep_menu_text(local);
    keys = cut255(keys);
    for (const text_line& l : local) add_desc_line(l, list);
}

void read_desc(text_reader& file, text_list& list) {
    list.clear();
    std::string line;
    while (file.read_line(line)) {
        if (ends_block(line)) break;
        add_desc_line(line, list);
    }
}

void add_desc_line(std::string_view text, text_list& list) { list.emplace_back(text); }

void deldesc(text_list& list) { list.clear(); }

void retrieve_headers(const std::string& file_name, text_list& list) { collect_headers(file_name, nullptr, list); }

void retrieve_headers(const std::string& file_name, std::string_view filter, text_list& list) {
    collect_headers(file_name, &filter, list);
}

void writedesc(int mode, const std::string& file_name, const text_list& list) {
    writedesc_lines(mode, file_name, [&list](const line_sink& put) {
        for (const text_line& l : list) put(l.view());
    });
}

void writedesc_lines(int mode, const std::string& file_name, const line_source& lines) {
    writedesc_lines({{mode, file_name}}, lines);
}

void writedesc_lines(std::initializer_list<desc_file> files, const line_source& lines) {
    constexpr std::size_t piece_size = 64 * 1024;
    struct output {
        int mode;
        const piece_writer* write;
        std::string piece;
        bool ok = true;
    };
    const std::vector<desc_file> names(files);
    std::vector<output> outs;
    outs.reserve(names.size());
    // Each file's rewrite is opened inside the one before, so that the innermost makes the
    // lines once for them all; each file then takes its last piece as its rewrite closes.
    std::function<void(std::size_t)> open_from = [&](std::size_t i) {
        if (i == names.size()) {
            lines([&](std::string_view line) {
                line = line.substr(0, text_line::capacity);
                for (output& o : outs) {
                    if (o.mode == writedesc_ansi)
                        o.piece += codes_to_ansi(line);
                    else if (o.mode == writedesc_strip)
                        o.piece += strip_codes(line);
                    else
                        o.piece += line;
                    o.piece += '\n';
                    if (o.piece.size() >= piece_size) {
                        o.ok = o.ok && (*o.write)(o.piece);
                        o.piece.clear();
                    }
                }
            });
            return;
        }
        debug_enter("Entering writedesc " + int_to_str(names[i].mode) + " " + names[i].name);
        wait_for_file(names[i].name);
        rewrite_file(names[i].name, [&, i](const piece_writer& write) {
            outs.push_back({names[i].mode, &write, {}});
            outs.back().piece.reserve(piece_size + 1024);
            open_from(i + 1);
            output& o = outs[i];
            return o.ok && write(o.piece);
        });
        debug_leave("Leaving writedesc");
    };
    open_from(0);
}

void add_desc_to_file(std::string& file_image, const text_list& list) {
    for (const text_line& l : list) {
        file_image += l.view();
        file_image += '\n';
    }
}

std::string mailbox_file_name(std::int16_t number) { return "user" + zero_pad(number, 4) + ".dat"; }

std::string mailbox_temp_name(std::int16_t number) { return "user" + zero_pad(number, 4) + ".tmp"; }

std::string mail_safe_line(std::string_view line) {
    std::string out = controls_to_dots(line);
    if (!out.empty() && (out[0] == '#' || out[0] == '~')) out.insert(0, " ");
    return out;
}

void append_user_file(std::string_view player_name, const text_list& list) {
    if (const character_record* who = char_full_name_ptr(player_name)) append_mailbox(who->number, list);
}

namespace {
bool try_append_mailbox(const std::string& file_name, const text_list& list) {
    std::string lines;
    add_desc_to_file(lines, list);
    return locked_append_when_free(file_name, lines);
}
}  // namespace

void append_mailbox(std::int16_t number, const text_list& list) {
    if (list.empty()) return;
    std::string file_name = mailbox_file_name(number);
    if (!try_append_mailbox(file_name, list)) file_write_failed(file_name);
}

mail_delivery deliver_player_mail(std::int16_t number, const text_list& list) {
    std::string file_name = mailbox_file_name(number);
    std::optional<file_stamp> box = stamp_of(file_name);
    if (box && box->size > mailbox_limit) return mail_delivery::mailbox_full;
    if (try_append_mailbox(file_name, list)) return mail_delivery::sent;
    debug_log("FORCE:Could not write " + file_name + " : " + std::strerror(errno ? errno : EIO));
    return mail_delivery::failed;
}

std::int32_t read_file_number(const std::string& file_name) {
    std::string contents;
    if (read_whole_file(file_name, contents) != file_status::ok) return 0;
    std::string group, last;
    for (char c : contents) {
        if (c == '\r' || c == '\n') continue;
        group += c;
        if (group.size() == 3) {
            last = group;
            group.clear();
        }
    }
    if (!group.empty()) last = group;
    if (last.empty()) return 0;
    std::int32_t n = 0;
    for (char c : last) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

void silent_line(std::string_view) {}
void silent_text(std::string_view) {}
