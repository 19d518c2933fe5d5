// Writing mail: to one player, or to every other member of the player's guild.
#include "multi/mail.hpp"

#include <algorithm>
#include <limits>

#include "door/door.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/lookups.hpp"
#include "game/me.hpp"

namespace {
constexpr const char* long_rule = "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";

// Whom a letter goes to: every other member of the writer's guild, or one player (null when
// the name found nobody).
struct letter_target {
    bool guild = false;
    const character_record* to = nullptr;
};

// The recipient as given, or asked for when none was given; "GUILD" in any case means the
// guild.
letter_target ask_target(std::string_view recipient) {
    letter_target t;
    if (recipient.empty()) {
        write_line();
        disp_text("  `9Mail who `%: ");
        std::string name = read_line();
        if (upcase_str(name) == "GUILD")
            t.guild = true;
        else
            t.to = char_name_ptr(name);
    } else if (upcase_str(recipient) == "GUILD") {
        t.guild = true;
    } else {
        t.to = char_full_name_ptr(recipient);
    }
    return t;
}

// Why the letter cannot be written, or null when it can.
const char* refusal_of(const letter_target& t) {
    if (t.guild && cur_char->guild == 0) return "`9  You do not belong to a `4GUILD`9!";
    if (!t.guild && !t.to) return "`9  Mail must go to `4SOMEBODY`9.";
    if (!t.guild && t.to->name.view() == cur_char->name.view()) return "`9  You cannot send mail to yourself.";
    return nullptr;
}

// The letter's header line, the guild's greeting for guild mail, and the quote.
text_list letter_head(const letter_target& t, const text_list& quoted) {
    text_list mail;
    if (t.guild) {
        add_desc_line("#0000 GUILD", mail);
        for (const text_line& l : quoted) mail.push_back(l);
        add_desc_line(
            "`9  Message from `!" + own_proper_name() + "`9 to all members of `4" + guild_name_of(*cur_char) + "`3",
            mail);
    } else {
        add_desc_line("#" + zero_pad(cur_char->number, 4) + " " + own_proper_name(), mail);
        for (const text_line& l : quoted) mail.push_back(l);
    }
    return mail;
}

// The lines the player types, up to a blank line or the most a letter holds, then the
// letter's end and its reply line.
void type_letter(text_list& mail) {
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
}

// The letter into the mailbox of c; false, with the reason shown, when it did not get there.
bool deliver_to(const character_record& c, const text_list& mail) {
    mail_delivery d = deliver_player_mail(c.number, mail);
    if (d == mail_delivery::sent) return true;
    std::string who = upcase_first(lowcase_str(c.name.str()));
    if (d == mail_delivery::mailbox_full)
        disp_line("`9  The mailbox of `4" + who + "`9 is full: the mail was not delivered.");
    else
        disp_line("`9  The mail to `4" + who + "`9 could not be delivered.");
    return false;
}

// The letter to every other member of the guild, or to the player named to_name as the
// list holds them now; true when every copy got there.
bool deliver_letter(bool guild, const std::string& to_name, const text_list& mail) {
    bool all_sent = true;
    if (guild) {
        for (const character_record& c : char_list)
            if (c.guild == cur_char->guild && c.name.view() != cur_char->name.view())
                all_sent = deliver_to(c, mail) && all_sent;
    } else if (const character_record* c = char_full_name_ptr(to_name)) {
        all_sent = deliver_to(*c, mail);
    }
    return all_sent;
}
}  // namespace

void send_mail(std::string_view recipient, text_list quoted) {
    if (!cur_char) return;
    debug_enter("Entering send_mail");
    cur_char->location = "tEntering Mail";
    write_char_file(true);
    for (const text_line& l : quoted) disp_line(l.view());
    write_line(recipient);

    letter_target t = ask_target(recipient);
    if (const char* why = refusal_of(t)) {
        disp_line(why);
        hit_any_key();
        debug_leave("Leaving send_mail");
        return;
    }
    std::string label = upcase_first(lowcase_str(t.guild ? std::string("GUILD") : t.to->name.str()));
    std::string to_name = t.guild ? "" : t.to->name.str();
    disp_line("`c  `3Enter message below: `%(blank line ends)`9" + pad_left(label, 30));
    disp_line(long_rule);
    for (const text_line& l : quoted) disp_line("`%: " + l.str());

    text_list mail = letter_head(t, quoted);
    deldesc(quoted);
    type_letter(mail);
    bool all_sent = deliver_letter(t.guild, to_name, mail);
    deldesc(mail);
    if (all_sent) disp_line("`9 Mail Sent to " + label + ".");
    hit_any_key();
    debug_leave("Leaving send_mail");
}
