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
constexpr const char* long_rule =
    "`#-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
}  // namespace

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
