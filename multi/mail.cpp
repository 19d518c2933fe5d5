#include "multi/mail.hpp"

#include <algorithm>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <vector>

#include "door/door.hpp"
#include "engine/colour.hpp"
#include "engine/data_files.hpp"
#include "engine/debug_log.hpp"
#include "engine/exit.hpp"
#include "engine/file_access.hpp"
#include "engine/items.hpp"
#include "engine/lookups.hpp"
#include "engine/stats.hpp"
#include "engine/strings.hpp"
#include "game/me.hpp"
#include "multi/node_queue.hpp"

namespace {
constexpr const char* mail_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-`3";
constexpr const char* long_rule =
    "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

// A mailbox that cannot be read or moved aside: the game ends through the orderly exit.
[[noreturn]] void mailbox_failed(const std::string& file) {
    debug_log("FORCE:Could not read " + file);
    end_prog(exit_file_stuck);
}

// ---- The statistics of the command lines ----

using adder = void (*)(std::int64_t amount);
using getter = std::int64_t (*)();

struct mail_stat {
    const char* mnemonic;
    const char* macro;
    adder add;
    getter current;  // null: the statistic takes no SET
};

// The charge entries act on the equipped item; its inventory file keeps the change.
template <void (*Adjust)(const character_record&, std::int32_t)>
void charge(std::int64_t amount) {
    Adjust(me(), static_cast<std::int32_t>(std::clamp<std::int64_t>(amount, INT32_MIN, INT32_MAX)));
    write_own_inventory();
}

// Bank gold is changed in "players.dat" at once, under the hold, so that a deposit or a
// transfer made on another node meanwhile is not lost.
void bank(std::int64_t amount) {
    update_under_hold([amount] { add_bank_gold(me(), amount); });
}

const mail_stat mail_stats[] = {
    {"ATT", "^CS03", [](std::int64_t a) { add_attack_value(me(), a); }, [] { return std::int64_t(me().attack); }},
    {"WPN", "^CS12", charge<add_weapon_charge>, nullptr},
    {"MWP", "^CS29", charge<add_weapon_max_charge>, nullptr},
    {"DEF", "^CS04", [](std::int64_t a) { add_defense_value(me(), a); }, [] { return std::int64_t(me().defense); }},
    {"AMR", "^CS14", charge<add_armor_charge>, nullptr},
    {"MAM", "^CS30", charge<add_armor_max_charge>, nullptr},
    {"DMR", "^CS05", [](std::int64_t a) { add_shield_value(me(), a); },
     [] { return std::int64_t(me().shield_value); }},
    {"SHD", "^CS16", charge<add_shield_charge>, nullptr},
    {"MSH", "^CS31", charge<add_shield_max_charge>, nullptr},
    {"CRM", "^CS06", [](std::int64_t a) { add_crm(me(), a); }, [] { return std::int64_t(me().charm); }},
    {"SHM", "^CS07", [](std::int64_t a) { add_shm(me(), a); }, [] { return std::int64_t(me().shame); }},
    {"CHP", "^CS10", [](std::int64_t a) { add_hit_points(me(), a); }, [] { return std::int64_t(me().hit_points); }},
    {"MHP", "^CS11", [](std::int64_t a) { add_max_hit_points(me(), a); },
     [] { return std::int64_t(me().max_hit_points); }},
    {"GLD", "^CS18", [](std::int64_t a) { add_gold(me(), a); }, [] { return std::int64_t(me().gold); }},
    {"BNK", "^CS19", bank, nullptr},
    {"GMS", "^CS20", [](std::int64_t a) { add_gems(me(), a); }, [] { return std::int64_t(me().gems); }},
    {"EXP", "^CS21", [](std::int64_t a) { add_experience(me(), a); }, [] { return std::int64_t(me().experience); }},
    {"CFT", "^CS26", [](std::int64_t a) { add_creature_fights(me(), a); },
     [] { return std::int64_t(me().creature_fights_left); }},
    {"PFT", "^CS27", [](std::int64_t a) { add_player_fights(me(), a); },
     [] { return std::int64_t(me().player_fights_left); }},
};

const mail_stat* find_stat(std::string_view word) {
    for (const mail_stat& s : mail_stats)
        if (word == s.mnemonic || word == s.macro) return &s;
    return nullptr;
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

// A message of the aside file whose command lines have been carried out: its first byte
// (the "#" of its header, or its first command line when it has none) is overwritten with
// this mark, and the reading skips it up to the next header. A player's text can never begin
// a line with it (mail_safe_line), so only the reader sets it.
constexpr char read_mark = '\x01';

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
        int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
        bool ok = fd >= 0 && ::pwrite(fd, &read_mark, 1, static_cast<off_t>(offset)) == 1 && ::fdatasync(fd) == 0;
        if (fd >= 0 && ::close(fd) != 0) ok = false;
        if (!ok) mailbox_failed(name);
    }
};

bool starts_with(const text_line& line, char c) { return !line.empty() && line.view()[0] == c; }
}  // namespace

std::string mailbox_temp_name(std::int16_t number) { return "user" + zero_pad(number, 4) + ".tmp"; }

bool mail_waiting() {
    return cur_char && (file_exists(mailbox_file_name(cur_char->number)) ||
                        file_exists(mailbox_temp_name(cur_char->number)));
}


void read_text_lines(text_reader& file, text_list& list) {
    deldesc(list);
    std::string line;
    while (file.read_line(line)) add_desc_line(line, list);
    if (list.empty()) add_desc_line("", list);
}

bool run_mail_command(std::string_view line) {
    if (!cur_char) return false;
    std::string command = word_at(line, 1);
    if (command == "REFRESH") {
        refresh_char_file();
        return true;
    }
    if (command != "ADD" && command != "SET") return false;
    if (word_count(line) < 2) return false;
    std::string target = word_at(line, 2);
    std::int64_t n = word_count(line) >= 3 ? str_to_int(word_at(line, 3)) : 0;
    if (target == "GUI" || target == "^CS09") {
        if (command != "SET") return false;
        me().guild = static_cast<std::int16_t>(std::clamp<std::int64_t>(n, INT16_MIN, INT16_MAX));
        return true;
    }
    const mail_stat* stat = find_stat(target);
    if (!stat) return false;
    if (command == "ADD") {
        stat->add(n);
    } else if (target == "BNK" || target == "^CS19") {
        // The current bank gold is the one in "players.dat", read under the hold.
        update_under_hold([n] { add_bank_gold(me(), n - me().bank_gold); });
    } else {
        if (!stat->current) return false;
        stat->add(n - stat->current());
    }
    return true;
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
    std::vector<text_line> lines(list.begin(), list.end());
    deldesc(list);
    aside_file on_disk{aside, line_starts(image)};
    on_disk.at.resize(lines.size());
    on_disk.at.push_back(image.size());
    image.clear();

    write_line();
    disp_line("`9  You are stopped with some important news.");
    write_line();
    bool in_body = false, first = true, ran_commands = false;
    std::size_t header = lines.size();
    std::size_t i = 0;
    while (i < lines.size()) {
        const text_line& line = lines[i];
        if (starts_with(line, read_mark)) {
            // Carried out by a reading that was cut off.
            for (++i; i < lines.size() && !starts_with(lines[i], '#'); ++i) {}
            in_body = false;
            header = lines.size();
        } else if (starts_with(line, '#')) {
            in_body = true;
            header = i;
            if (!first) {
                hit_any_key();
                write_line();
                write_line();
            }
            first = false;
            show_header(line.view());
            ++i;
        } else if (starts_with(line, '~')) {
            in_body = false;
            write_line();
            ++i;
        } else if (in_body) {
            disp_line(line.view());
            ++i;
        } else if (line.empty()) {
            ++i;
        } else {
            // The command lines up to the next header: their message is marked carried out
            // before they run, so that a reading cut off now never runs them a second time.
            std::size_t end = i;
            while (end < lines.size() && !starts_with(lines[end], '#')) ++end;
            // What the message showed reaches the caller before it counts as read: a node cut
            // off between the two never loses a message the caller did not see.
            flush_output();
            on_disk.done(lines, header < i ? header : i, end);
            for (; i < end; ++i) {
                if (starts_with(lines[i], '~')) {
                    write_line();
                } else if (word_at(lines[i].view(), 1) == "RESPONSE") {
                    first = true;
                    ran_commands = true;
                    offer_reply(lines, header);
                } else if (!lines[i].empty()) {
                    ran_commands = run_mail_command(lines[i].view()) || ran_commands;
                }
            }
        }
    }
    if (!first) hit_any_key();
    erase_file(aside);
    if (ran_commands) write_char_file(true);
    debug_leave("Leaving read_mail");
}

void send_mail(std::string_view recipient, text_list quoted) {
    if (!cur_char) return;
    debug_enter("Entering send_mail");
    cur_char->location = "tEntering Mail";
    write_char_file(true);
    for (const text_line& l : quoted) disp_line(l.view());
    write_line(recipient);

    bool guild_mail = false;
    const character_record* to = nullptr;
    if (recipient.empty()) {
        write_line();
        disp_text("  `9Mail who `%: ");
        std::string name = read_line();
        if (upcase_str(name) == "GUILD")
            guild_mail = true;
        else
            to = char_name_ptr(name);
    } else if (upcase_str(recipient) == "GUILD") {
        guild_mail = true;
    } else {
        to = char_full_name_ptr(recipient);
    }
    auto refuse = [](std::string_view why) {
        disp_line(why);
        hit_any_key();
        debug_leave("Leaving send_mail");
    };
    if (guild_mail && cur_char->guild == 0) return refuse("`9  You do not belong to a `4GUILD`9!");
    if (!guild_mail && !to) return refuse("`9  Mail must go to `4SOMEBODY`9.");
    if (!guild_mail && to->name.view() == cur_char->name.view())
        return refuse("`9  You cannot send mail to yourself.");

    std::string label = upcase_first(lowcase_str(guild_mail ? std::string("GUILD") : to->name.str()));
    std::string to_name = guild_mail ? "" : to->name.str();
    disp_line("`c  `3Enter message below: `%(blank line ends)`9" + pad_left(label, 30));
    disp_line(long_rule);
    for (const text_line& l : quoted) disp_line("`%: " + l.str());

    text_list mail;
    if (guild_mail) {
        add_desc_line("#0000 GUILD", mail);
        for (const text_line& l : quoted) mail.push_back(l);
        add_desc_line("`9  Message from `!" + own_proper_name() + "`9 to all members of `4" +
                          guild_name_of(*cur_char) + "`3",
                      mail);
    } else {
        add_desc_line("#" + zero_pad(cur_char->number, 4) + " " + own_proper_name(), mail);
        for (const text_line& l : quoted) mail.push_back(l);
    }
    deldesc(quoted);
    for (int typed_lines = 0;; ++typed_lines) {
        // A letter is kept to a size that no mailbox has to fear.
        if (typed_lines == max_letter_lines) {
            disp_line("`9  A letter holds at most " + int_to_str(max_letter_lines) + " lines.");
            break;
        }
        disp_text("`%: `3");
        std::string typed = read_line();
        if (typed.empty()) break;
        add_desc_line(mail_safe_line(typed), mail);
    }
    add_desc_line("~", mail);
    add_desc_line("RESPONSE", mail);

    bool all_sent = true;
    auto deliver = [&](const character_record& c) {
        mail_delivery d = deliver_player_mail(c.number, mail);
        if (d == mail_delivery::sent) return;
        all_sent = false;
        std::string who = upcase_first(lowcase_str(c.name.str()));
        if (d == mail_delivery::mailbox_full)
            disp_line("`9  The mailbox of `4" + who + "`9 is full: the mail was not delivered.");
        else
            disp_line("`9  The mail to `4" + who + "`9 could not be delivered.");
    };
    if (guild_mail) {
        for (const character_record& c : char_list)
            if (c.guild == cur_char->guild && c.name.view() != cur_char->name.view()) deliver(c);
    } else if (const character_record* c = char_full_name_ptr(to_name)) {
        deliver(*c);
    }
    deldesc(mail);
    if (all_sent) disp_line("`9 Mail Sent to " + label + ".");
    hit_any_key();
    debug_leave("Leaving send_mail");
}
