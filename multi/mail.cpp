// Reading mail: the mailbox moved aside, each message shown and its command lines carried out
// once, and the reply offered.
#include "multi/mail.hpp"

#include <algorithm>
#include <limits>
#include <vector>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/shop_step.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/lookups.hpp"
#include "game/me.hpp"
#include "game/menu.hpp"
#include "multi/node_queue.hpp"

namespace {
constexpr const char* mail_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-`3";

// A mailbox that cannot be read or moved aside: the game ends through the orderly exit.
[[noreturn]] void mailbox_failed(const std::string& file) {
    debug_log("FORCE:Could not read " + file);
    end_prog(exit_file_stuck);
}

// ---- Reading ----

// One message's header: its sender's name for a reply, "Guild" for guild mail; empty for
// a header of one word.
std::string header_sender(std::string_view header) {
    if (word_count(header) < 2) return "";
    return upcase_first(lowcase_str(header.substr(header.find(' ') + 1)));
}

void show_header(std::string_view header) {
    if (word_count(header) > 1) {
        std::string first = word_at(header, 1);
        std::int32_t number = str_to_int(first.substr(1, 4));
        std::string name = header_sender(header);
        if (number != 0 || upcase_str(name) == "GUILD")
            disp_line("`3  Message from `%" + name + " :`9");
        else
            disp_line("`3  " + std::string(header.substr(header.find(' ') + 1)));
    }
    disp_line(mail_rule);
}

// The lines of a message after its header up to the first line that is exactly "~", each
// behind ">"; lines that are quotes already are left out, and a last ">" closes the quote.
text_list quote_of(const std::vector<text_line>& lines, std::size_t header) {
    text_list quote;
    for (std::size_t i = header + 1; i < lines.size() && lines[i].view() != "~"; ++i)
        if (lines[i].view().substr(0, 1) != ">") add_desc_line(">" + lines[i].str(), quote);
    add_desc_line(">", quote);
    return quote;
}

// Enter and Y count as yes; the answer is echoed.
bool ask_yes(std::string_view question) {
    disp_text(question);
    char k = read_key();
    bool no = k == 'n' || k == 'N';
    disp_line(no ? "N" : "Y");
    return !no;
}

void offer_reply(const std::vector<text_line>& lines, std::size_t header) {
    std::string sender = header < lines.size() ? header_sender(lines[header].view()) : "";
    if (ask_yes("  `9Reply? (`3Y`9/`3N`9) [`%Y`9] : `%")) {
        if (!ask_yes("  `9Quote Message? (`3Y`9/`3N`9) [`%Y`9] : `%"))
            send_mail(sender, {});
        else
            send_mail(sender, header < lines.size() ? quote_of(lines, header) : text_list{});
    }
    write_line();
    write_line();
}

// The mailbox moved aside: what a cut-off reading left first, then the mailbox, taken
// under its lock so that no append slips between the read and the erase.
void take_mailbox(std::int16_t number) {
    std::string box = mailbox_file_name(number);
    std::string aside = mailbox_temp_name(number);
    std::string contents;
    if (read_whole_file(aside, contents) == file_status::corrupt) mailbox_failed(aside);
    if (!file_exists(box)) return;
    wait_for_file(box);
    bool moved = true;
    bool ok = locked_update(box, [&](std::string& mail) {
        if (mail.empty()) return locked_action::keep;
        if (!contents.empty() && contents.back() != '\n' && contents.back() != '\r') contents += '\n';
        contents += mail;
        moved = atomic_rewrite(aside, contents);
        return moved ? locked_action::erase : locked_action::keep;
    });
    if (!ok || !moved) mailbox_failed(box);
}

// What is left to read goes back to the aside file (erased when nothing is left).
void keep_rest(const std::string& aside, const std::vector<text_line>& lines, std::size_t from) {
    if (from >= lines.size()) {
        erase_file(aside);
        return;
    }
    std::string image;
    for (std::size_t i = from; i < lines.size(); ++i) {
        image += lines[i].view();
        image += '\n';
    }
    rewrite_file(aside, image);
}

// Where each line of a mailbox image begins, as split_text_lines divides it.
std::vector<std::size_t> line_starts(std::string_view bytes) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        starts.push_back(i + 1);
    }
    return starts;
}

// The aside file as it stands on disk while it is read: where each of its lines begins
// (at[k] for the lines from first on; at[lines] is its end).
struct aside_file {
    std::string name;
    std::vector<std::size_t> at;
    std::size_t first = 0;

    // The messages of lines [from, end) are done: on disk before their command lines run, so
    // that a reading cut off later never runs them a second time. When what is done since the
    // file was last written is at least as much as what is left, the rest is written anew;
    // otherwise the message's first byte is marked, one byte. Each byte of the mailbox is so
    // written a bounded number of times, however many messages it holds.
    void done(const std::vector<text_line>& lines, std::size_t from, std::size_t end) {
        if (end >= lines.size()) {
            erase_file(name);
            return;
        }
        if (at[end] - at[first] < at[lines.size()] - at[end]) {
            mark(at[from]);
            return;
        }
        keep_rest(name, lines, end);
        first = end;
        at[end] = 0;
        for (std::size_t k = end; k < lines.size(); ++k) at[k + 1] = at[k] + lines[k].size() + 1;
    }

    void mark(std::size_t offset) const {
        if (!overwrite_byte(name, static_cast<std::int64_t>(offset), mail_read_mark)) mailbox_failed(name);
    }
};

// The note of carrying out the message that begins at line from (shop_step.hpp).
shop_step reading_step(const aside_file& on_disk, std::size_t from) {
    shop_step s;
    s.kind = step_kind::read;
    s.number = me().number;
    s.created_time = me().created_time;
    s.mailbox = on_disk.name;
    s.message_at = static_cast<std::int64_t>(on_disk.at[from]);
    std::optional<file_stamp> box = stamp_of(on_disk.name);
    s.mailbox_inode = box ? box->inode : 0;
    return s;
}

bool starts_with(const text_line& line, char c) { return !line.empty() && line.view()[0] == c; }

// A reading under way: the mailbox's lines, the aside file as it stands on disk, and where
// the reading is in them.
struct mail_reading {
    std::vector<text_line> lines;
    aside_file on_disk;
    bool in_body = false;       // between a header and its "~"
    bool first = true;          // no message shown since the last key wait
    bool ran_commands = false;  // a message's reply line was reached
    std::size_t header = 0;     // the header of the message read (lines.size(): none)
    std::size_t i = 0;          // the next line
};

// The kinds of a mailbox line, in the order they are told apart.
enum class line_kind { read_mark, header, text_end, body, blank, commands };

line_kind kind_of(const mail_reading& r) {
    const text_line& line = r.lines[r.i];
    if (starts_with(line, mail_read_mark)) return line_kind::read_mark;
    if (starts_with(line, '#')) return line_kind::header;
    if (starts_with(line, '~')) return line_kind::text_end;
    if (r.in_body) return line_kind::body;
    if (line.empty()) return line_kind::blank;
    return line_kind::commands;
}

// A message carried out by a reading that was cut off: skipped up to the next header.
void skip_read_message(mail_reading& r) {
    for (++r.i; r.i < r.lines.size() && !starts_with(r.lines[r.i], '#'); ++r.i) {
    }
    r.in_body = false;
    r.header = r.lines.size();
}

// A message's header: after a key wait when a message was shown before it.
void show_message_header(mail_reading& r) {
    r.in_body = true;
    r.header = r.i;
    if (!r.first) {
        hit_any_key();
        write_line();
        write_line();
    }
    r.first = false;
    show_header(r.lines[r.i].view());
    ++r.i;
}

void end_message_text(mail_reading& r) {
    r.in_body = false;
    write_line();
    ++r.i;
}

void show_body_line(mail_reading& r) {
    disp_line(r.lines[r.i].view());
    ++r.i;
}

void skip_blank(mail_reading& r) { ++r.i; }

// The command lines up to the next header, carried out with the character's write and the
// message's mark as one noted step under the hold: the mark follows the write at once, a
// hang-up waits for the hold's end, and a kill between the two is settled at the next log-on
// (shop_step.hpp), so the letter's gold lands with its mark, neither lost nor carried out
// twice by the next reading. Then the lines' screens: a "~" ends a line, a reply line offers
// the reply.
void run_command_lines(mail_reading& r) {
    const std::vector<text_line>& lines = r.lines;
    std::size_t end = r.i;
    while (end < lines.size() && !starts_with(lines[end], '#')) ++end;
    // What the message showed reaches the caller before it counts as read: a node cut
    // off between the two never loses a message the caller did not see.
    flush_output();
    std::size_t from = r.header < r.i ? r.header : r.i;
    noted_step(reading_step(r.on_disk, from), [&] {
        bool changed = false;
        for (std::size_t k = r.i; k < end; ++k)
            if (!lines[k].empty() && !starts_with(lines[k], '~') && word_at(lines[k].view(), 1) != "RESPONSE")
                changed = run_mail_command(lines[k].view()) || changed;
        if (changed) write_char_file(true);
        r.on_disk.done(lines, from, end);
    });
    for (; r.i < end; ++r.i) {
        if (starts_with(lines[r.i], '~')) {
            write_line();
        } else if (word_at(lines[r.i].view(), 1) == "RESPONSE") {
            r.first = true;
            r.ran_commands = true;
            offer_reply(lines, r.header);
        }
    }
}

using line_handler = void (*)(mail_reading& r);

constexpr menu_key<line_handler, line_kind> line_table[] = {
    {line_kind::read_mark, skip_read_message},
    {line_kind::header, show_message_header},
    {line_kind::text_end, end_message_text},
    {line_kind::body, show_body_line},
    {line_kind::blank, skip_blank},
    {line_kind::commands, run_command_lines},
};
}  // namespace

bool mail_waiting() {
    return cur_char &&
           (file_exists(mailbox_file_name(cur_char->number)) || file_exists(mailbox_temp_name(cur_char->number)));
}

void read_text_lines(text_reader& file, text_list& list) {
    deldesc(list);
    std::string line;
    while (file.read_line(line)) add_desc_line(line, list);
    if (list.empty()) add_desc_line("", list);
}

void read_mail() {
    if (!cur_char) return;
    debug_enter("Entering read_mail");
    std::int16_t number = cur_char->number;
    std::string aside = mailbox_temp_name(number);
    take_mailbox(number);
    std::string image;
    file_status st = read_whole_file(aside, image);
    if (st == file_status::corrupt) mailbox_failed(aside);
    if (st == file_status::missing) {
        write_line();
        disp_line("`%  You don't have any mail.");
        hit_any_key();
        debug_leave("Leaving read_mail");
        return;
    }
    text_reader file(image);
    text_list list;
    read_text_lines(file, list);
    mail_reading r{{list.begin(), list.end()}, {aside, line_starts(image)}};
    deldesc(list);
    r.on_disk.at.resize(r.lines.size());
    r.on_disk.at.push_back(image.size());
    r.header = r.lines.size();
    image.clear();

    write_line();
    disp_line("`9  You are stopped with some important news.");
    write_line();
    while (r.i < r.lines.size()) key_handler(line_table, kind_of(r))(r);
    if (!r.first) hit_any_key();
    erase_file(aside);
    if (r.ran_commands) write_char_file(true);
    debug_leave("Leaving read_mail");
}
