#include "engine/rules/maintenance.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <list>
#include <memory>
#include <optional>
#include <signal.h>
#include <unistd.h>
#include <vector>

#include "door/file_forms.hpp"
#include "door/sys.hpp"
#include "engine/rules/chance.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/char_lock.hpp"
#include "engine/store/codec.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/news_file.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/flags.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"
#include "engine/text/text_file.hpp"

namespace {
enum class form { console, in_play };

void no_news_event() {}

hook_slot<random_news_event_fn> news_event{no_news_event, "random_news_event"};

// The day is written in two steps, so that a run killed or failing anywhere can be run again
// and lands each change exactly once. First everything the day changes is written beside
// the files it replaces (the letters all in one file); the staged statistics, written last,
// say that the day is complete. Then the staged files replace the real ones, the letters are
// appended to their mailboxes, and the statistics go last: only then is the day marked done.
// A run that finds the staged statistics finishes that day first.
constexpr const char* staged_stats = "quorstat.day";
constexpr const char* staged_players = "players.day";
constexpr const char* staged_guilds = "guilds.day";
// Present while the day's flags still have to expire and the news files move down a day.
constexpr const char* staged_flags = "flags.day";
constexpr const char* staged_news = "news.day";
// The day's letters are staged in one file: a head saying where the next letter to send
// starts, then one record per letter: the mailbox file's number (2 bytes), the letter's
// length (4 bytes), the letter.
constexpr const char* staged_letters = "letters.day";
constexpr std::size_t letters_head_size = 4, letter_head_size = 6;

struct staged_letter {
    std::size_t end;  // where the next record starts
    std::int16_t number;
    std::string_view bytes;
};

// The whole record at the offset; nothing when it is cut short (the records end there).
std::optional<staged_letter> staged_letter_at(std::string_view image, std::size_t at) {
    if (at > image.size() || image.size() - at < letter_head_size) return std::nullopt;
    std::int16_t number = get_i16(image, at);
    std::int32_t length = get_i32(image, at + 2);
    if (length < 0 || static_cast<std::size_t>(length) > image.size() - at - letter_head_size) return std::nullopt;
    std::size_t end = at + letter_head_size + static_cast<std::size_t>(length);
    return staged_letter{end, number, image.substr(at + letter_head_size, end - at - letter_head_size)};
}

// Each staged letter not yet sent goes to its mailbox, and the head then moves past it: a run
// killed on the way sends the rest, not what went. False when a write failed (only while the
// program is already ending).
bool deliver_staged_letters() {
    std::string image;
    if (read_whole_file(staged_letters, image) != file_status::ok) return true;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(staged_letters, "r+b"), std::fclose);
    if (!file) {
        file_write_failed(staged_letters);
        return false;
    }
    std::int64_t next = get_i32(image, 0);
    std::string head(letters_head_size, '\0');
    std::size_t at = letters_head_size;
    for (auto r = staged_letter_at(image, at); r; at = r->end, r = staged_letter_at(image, at)) {
        // Sent already, or a number no letter is staged for (a damaged record).
        if (std::int64_t(at) < next || r->number < -9999 || r->number > 9999) continue;
        std::string mailbox = mailbox_file_name(r->number);
        if (!locked_append(mailbox, r->bytes)) {
            file_write_failed(mailbox);
            return false;
        }
        put_i32(head, 0, static_cast<std::int32_t>(r->end));
        if (::pwrite(::fileno(file.get()), head.data(), head.size(), 0) != static_cast<ssize_t>(head.size())) {
            file_write_failed(staged_letters);
            return false;
        }
    }
    file.reset();
    ::unlink(staged_letters);
    return true;
}

// While the day is being worked out, its letters' records are gathered here instead of sent.
std::string* day_letters = nullptr;

void send_letter(std::int16_t number, const text_list& lines) {
    if (!day_letters) {
        append_mailbox(number, lines);
        return;
    }
    // By mailbox file, which holds the number's last four digits: two characters sharing a
    // mailbox each keep their letter.
    std::size_t at = day_letters->size();
    day_letters->append(letter_head_size, '\0');
    add_desc_to_file(*day_letters, lines);
    put_i16(*day_letters, at, static_cast<std::int16_t>(number % 10000));
    put_i32(*day_letters, at + 2, static_cast<std::int32_t>(day_letters->size() - at - letter_head_size));
}

// The maintenance run from the command line has no caller whose hang-up the door kit would
// turn into an orderly end: a sysop's Ctrl-C or a shutdown's signal waits until the run is
// over, so it never leaves "hold.dat" behind for every node, nor a day half written.
class stop_signals_deferred {
public:
    stop_signals_deferred() {
        sigset_t stops;
        sigemptyset(&stops);
        for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&stops, sig);
        sigprocmask(SIG_BLOCK, &stops, &old_);
    }
    ~stop_signals_deferred() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
    stop_signals_deferred(const stop_signals_deferred&) = delete;
    stop_signals_deferred& operator=(const stop_signals_deferred&) = delete;

private:
    sigset_t old_;
};

// A shown line: plain to standard output in the console form, to the caller in play.
void show(form f, std::string_view text) {
    if (f == form::console)
        console_line(text);
    else
        disp_line(text);
}

bool run_today(const stat_record& s) { return s.last_maint_date.view() >= std::string_view(date_stamp()); }

// Round of an amount of gold, halves to the even neighbour, in extended precision; values far
// beyond any purse are held at a bound first (a corrupt interest rate must not wrap).
std::int64_t round_gold(long double x) {
    if (std::isnan(x)) return 0;
    return static_cast<std::int64_t>(std::nearbyint(std::clamp(x, -1e15L, 1e15L)));
}

void erase_player_file(const std::string& name, std::string_view what) {
    if (!file_exists(name)) return;
    debug_log(std::string(what) + name);
    erase_file(name);
}

void remove_idle_characters(form f) {
    debug_log("About to remove old characters");
    const character_record* playing = f == form::in_play ? cur_char : nullptr;
    for (auto it = char_list.begin(); it != char_list.end();) {
        const character_record& c = *it;
        bool spared = playing && c.name.view() == playing->name.view();
        if (spared || int(game_stats.day) <= int(c.last_day) + int(game_stats.grace_days)) {
            ++it;
            continue;
        }
        show(f, "`4(Removing `%" + c.name + "`4, last played on game day : `%" + int_to_str(c.last_day));
        erase_player_file(mailbox_file_name(c.number), "About to remove player mail : ");
        erase_player_file(flag_file_name(c.number), "About to remove player flags : ");
        if (&*it == cur_char) cur_char = nullptr;
        it = char_list.erase(it);
        if (char_count > 0) --char_count;
    }
}

void mail_interest(character_record& c) {
    std::int64_t amount = round_gold(static_cast<long double>(game_stats.interest_pct) * c.bank_gold / 100);
    // Like every deposit, interest stops at the bank's limit.
    std::int64_t room = std::max<std::int64_t>(0, std::int64_t(max_gold) - c.bank_gold);
    amount = std::min(amount, room);
    text_list lines;
    add_desc_line("#0000 `%Bank Notice.", lines);
    add_desc_line("Your account has earned interest!", lines);
    add_desc_line(int_to_str(amount) + " has been added to your account.", lines);
    add_desc_line("~", lines);
    add_desc_line("ADD BNK " + int_to_str(amount), lines);
    add_desc_line("REFRESH", lines);
    send_letter(c.number, lines);
    c.online = 0;
}

void interest_and_revival(form f) {
    debug_log("About to give intereset");
    const on_line_now on_line;
    for (character_record& c : char_list) {
        if (f == form::console) debug_log(c.name + "  On_now : " + yes_no_text(c.online));
        // A character in play on another node keeps its record in memory: its interest
        // travels by mail. The playing character of this node is paid directly.
        bool elsewhere = (f == form::console || (cur_char && c.name.view() != cur_char->name.view())) && on_line(c);
        if (elsewhere)
            mail_interest(c);
        else
            pay_interest(c);
        if (int(game_stats.day) > int(c.death_day) + int(game_stats.resurrect_days) && c.dead) {
            c.dead = 0;
            c.hit_points = c.max_hit_points;
        }
    }
}

void repair_guilds() {
    debug_log("About to check to make sure each guilds guildmaster exists");
    std::vector<std::int16_t> disbanded;
    for (guild_record& g : guild_list) {
        if (char_num_ptr(g.leader)) continue;
        debug_log("Guild #" + int_to_str(g.number) + " - Leader deleted due to inactivity");
        auto member = std::find_if(char_list.begin(), char_list.end(),
                                   [&](const character_record& c) { return c.guild == g.number; });
        if (member == char_list.end()) {
            disbanded.push_back(g.number);
            continue;
        }
        g.leader = member->number;
        text_list lines;
        add_desc_line("#0000 `%System Message", lines);
        add_desc_line("`3  You have assumed leadership of `4" + guild_name_of(*member), lines);
        add_desc_line("`3  Due to your leaders prolonged absence.", lines);
        add_desc_line("~", lines);
        send_letter(member->number, lines);
    }
    // After the walk, which must not lose its place in guild_list.
    for (std::int16_t number : disbanded) delete_guild(number);
}

void expire_global_flags() {
    debug_log("About to run maintenance on all scripts in the mainflag.dat file");
    text_list sections;
    retrieve_headers(main_flag_file_name, sections);
    std::vector<std::string> expiring;
    for (const text_line& s : sections)
        if (s.view() != "MAIN") expiring.push_back(s.str());
    // One rewrite of the file for all its sections.
    if (!expiring.empty()) expire_flag_classes(main_flag_file_name, expiring, {flag_class_daily, flag_class_removed});
}

void rotate_news() {
    for (int i = news_days_kept; i >= 1; --i) {
        erase_file(news_file_name(i));
        rename_file(news_file_name(i - 1), news_file_name(i));
    }
    // Another node may add an item between the rename and this: it has started the file
    // with the same header, and it is kept.
    append_todays_news("");
    hook_random_news_event();
}

// A writer killed between its temporary file and the rename leaves ".<name>.<pid>.tmp";
// one whose process is gone on this host will never finish it.
void remove_dead_writers_files() {
    for (const std::string& name : file_names_in("")) {
        if (name.size() < 7 || name[0] != '.' || !name.ends_with(".tmp")) continue;
        std::string_view rest(name);
        rest.remove_suffix(4);
        std::size_t dot = rest.rfind('.');
        if (dot == 0 || dot == std::string_view::npos || dot + 1 == rest.size()) continue;
        std::string_view pid = rest.substr(dot + 1);
        if (pid.size() > 9 || !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        pid_t owner = static_cast<pid_t>(std::stol(std::string(pid)));
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH) {
            debug_log("Removing " + name);
            ::unlink(name.c_str());
        }
    }
}

// What a run killed before its day was complete left staged: not part of any day.
void discard_unfinished_day() {
    for (const char* name : {staged_players, staged_guilds, staged_flags, staged_news, staged_letters}) ::unlink(name);
}

void stage_day(const std::string& letters) {
    if (!letters.empty()) {
        std::string head(letters_head_size, '\0');
        put_i32(head, 0, static_cast<std::int32_t>(letters_head_size));
        rewrite_file(staged_letters, [&](const piece_writer& put) { return put(head) && put(letters); });
    }
    rewrite_file(staged_flags, "");
    rewrite_file(staged_news, "");
    if (!guild_list.empty()) write_record_file<guild_record>(staged_guilds, guild_list);
    write_record_file<character_record>(staged_players, char_list);
    // Last: from here on the day is complete and is finished by whoever comes next.
    rewrite_file(staged_stats, encode_record(game_stats));
}

// The day steps; the caller holds the hold and has the statistics, characters and guilds
// read under it.
void run_day_steps(form f) {
    hold_guard hold;
    erase_file("debug.old");
    rename_file("debug.txt", "debug.old");
    discard_unfinished_day();
    remove_dead_writers_files();
    // The day is worked out on copies: an exit before it is complete (a failed write) saves
    // the playing character as it was, and the next run pays the day in full.
    character_record* playing = f == form::in_play ? cur_char : nullptr;
    char_list_type before = char_list;
    before.swap(char_list);
    char_list_changing();
    std::string letters;
    day_letters = &letters;
    game_stats.last_maint_date = date_stamp();
    game_stats.day = clamp_to<std::int16_t>(std::int64_t(game_stats.day) + 1);
    remove_idle_characters(f);
    interest_and_revival(f);
    repair_guilds();
    bool lottery_day = game_stats.day % 7 == 0;
    if (f == form::console) {
        if (lottery_day) weekly_lottery();
        debug_log("About to write stat file");
    } else {
        debug_log("About to write stat file");
        if (lottery_day) weekly_lottery();
    }
    day_letters = nullptr;
    debug_log("About to write char file");
    stage_day(letters);
    finish_staged_day();
    // This node's lists take the day: the playing character's record as the day left it,
    // every other one as written.
    if (playing) {
        for (const character_record& c : char_list)
            if (c.number == playing->number && c.name.view() == playing->name.view()) *playing = c;
    }
    before.swap(char_list);
    cur_char = playing;
    // The file now holds the playing character as the day left it.
    set_own_base();
    refresh_char_file();
    read_stat_file(game_stats);
    debug_log("About to remove hold");
}
}  // namespace

void pay_interest(character_record& c) {
    long double factor = 100 + static_cast<long double>(game_stats.interest_pct);
    std::int64_t bank = round_gold(factor * c.bank_gold / 100);
    add_bank_gold(c, bank - c.bank_gold);
}

void finish_staged_day() {
    // A program that is ending after a failure leaves the day to the next run. One ending
    // normally (a hang-up too) finishes it: its last save would else be overwritten later.
    if (!file_exists(staged_stats) || (program_ending() && ending_code() != exit_normal)) return;
    hold_guard hold;
    // A file not put in place (a write that fails while ending returns) leaves the day unmarked.
    auto put_in_place = [](const char* staged, const char* real) {
        return replace_file(staged, real) || !file_exists(staged);
    };
    if (!put_in_place(staged_players, players_file_name) || !put_in_place(staged_guilds, guilds_file_name)) return;
    if (!deliver_staged_letters()) return;
    // Each marker is erased before its step: a step cut off is never made twice.
    if (file_exists(staged_flags)) {
        ::unlink(staged_flags);
        expire_global_flags();
    }
    if (file_exists(staged_news)) {
        ::unlink(staged_news);
        rotate_news();
    }
    replace_file(staged_stats, stat_file_name);
}

void set_random_news_event_hook(random_news_event_fn f) { news_event.set(f); }
void hook_random_news_event() { news_event(); }

std::string yes_no_text(bool value) { return value ? "Yes" : "No"; }

void auto_maintenance() {
    console_hold_display console;
    check_hold_console();
    stop_signals_deferred whole_run;
    // Held from the reading of the files to the last write: no other node's change falls
    // between them, and a second node finds the day already done.
    place_hold();
    read_stat_file_console(game_stats);
    read_char_file_console();
    write_char_file_console(players_backup_name);
    read_guild_file_console();
    write_guild_file_console(guilds_backup_name);
    debug_log("Entering auto-maintenance.");
    debug_log("Last played on : " + game_stats.last_maint_date);
    debug_log("Today is       : " + date_stamp());
    debug_log("Grace period is: " + int_to_str(game_stats.grace_days));
    debug_log("On Day num     : " + int_to_str(game_stats.day));
    if (run_today(game_stats)) {
        console_line("Maintenance has already been run today");
    } else {
        console_line("Running Daily maintenance...HOLD");
        run_day_steps(form::console);
    }
    remove_hold();
    debug_log("Leaving maintenance");
}

void daily_maintenance() {
    disp_line("`9Running Daily maintenance...`4HOLD`9");
    debug_log("Entered Daily Maintenance");
    debug_log("About to place hold");
    // Under the hold: the statistics read again (another node may have run the day since
    // this caller looked), the lists merged with what other nodes saved, the day steps, the
    // writes. A hang-up meanwhile takes effect when the hold is released.
    place_hold();
    read_stat_file(game_stats);
    if (run_today(game_stats)) {
        debug_log("Maintenance has already been run today");
    } else {
        refresh_char_file();
        load_guild_file();
        write_char_backup();
        write_guild_file(guilds_backup_name);
        run_day_steps(form::in_play);
    }
    remove_hold();
    hit_any_key();
    disp_line("");
    debug_log("Leaving maintenance");
}

void weekly_lottery() {
    auto entries_of = [](const character_record& c) { return std::max<std::int64_t>(1, c.luck); };
    std::int64_t n = 0;
    for (const character_record& c : char_list) n += entries_of(c);
    // Nobody to draw: the pot waits for next week.
    if (n == 0) return;
    randomize();
    std::int64_t k = round_half_even(random_real() * static_cast<double>(n));
    std::int64_t position = std::clamp<std::int64_t>(k, 1, n);
    character_record* winner = nullptr;
    for (character_record& c : char_list) {
        position -= entries_of(c);
        if (position <= 0) {
            winner = &c;
            break;
        }
    }
    std::int32_t pot = game_stats.floating_gold;
    text_list lines;
    add_desc_line("#0000 `%System Message", lines);
    add_desc_line("`9  You are this weeks `4LOTTERY`9 winner!", lines);
    add_desc_line("`9  The sum of " + comma_number(pot) + " has been deposited into your account.", lines);
    add_desc_line("~", lines);
    add_desc_line("ADD BNK " + int_to_str(pot), lines);
    send_letter(winner->number, lines);
    game_stats.floating_gold = 0;
}
