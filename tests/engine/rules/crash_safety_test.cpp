// The daily maintenance stopped after each of its writes, by a kill or by a write that
// fails, and run again: the day lands exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "door/file_forms.hpp"
#include "engine/maint_state.hpp"
#include "engine/store/file_access.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/hooks.hpp"
#include "engine/text/lookups.hpp"
#include "support/child.hpp"
#include "support/input_feed.hpp"

namespace {
int writes_left = 0;
bool fail_instead = false;

// The k-th write: the process is killed, or every write from then on fails (the disk full).
void stop_at_kth_write(const std::string&) {
    if (--writes_left != 0) return;
    if (!fail_instead) ::raise(SIGKILL);
    rlimit none{0, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &none);
}

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct maint_kill : maint_state {
    // Day 35 (a lottery day): A offline, B online elsewhere, C idle and leading guild 1,
    // D its member.
    static void lay_out() {
        for (const std::string& name : file_names_in(""))
            if (name != "." && name != "..") ::unlink(name.c_str());
        write_file("quorstat.dat", stat_bytes().day(34).interest(6.0).pot(500).b);
        write_file("players.dat", players_image(player_bytes(1, "A").last_day(30).bank(1000),
                                                player_bytes(2, "B").last_day(30).bank(1000).online(true),
                                                player_bytes(3, "C").last_day(5).bank(9),
                                                player_bytes(4, "D").last_day(30).bank(2000).guild(1)));
        write_file("guilds.dat", guild_bytes(1, "G", 3));
        write_file("news0.dat", "old news\n");
        write_file("user0003.dat", "x\n");
    }
    static void run(bool in_play) {
        del_char_list();
        del_guild_list();
        chars_loaded = false;
        game_stats = stat_record{};
        if (!in_play) {
            auto_maintenance();
            return;
        }
        read_stat_file(game_stats);
        read_char_file();
        read_guild_file();
        cur_char = char_full_name_ptr("A");
        input_feed keys("\r");
        daily_maintenance();
    }
    void expect_day_once(const std::string& at) {
        std::string stats = read_file("quorstat.dat");
        EXPECT_EQ(i16_at(stats, 0), 35) << at;
        EXPECT_EQ(i32_at(stats, 534), 0) << at;
        std::vector<int> numbers = player_numbers();
        std::sort(numbers.begin(), numbers.end());
        EXPECT_EQ(numbers, (std::vector<int>{1, 2, 4})) << at;
        EXPECT_EQ(i32_at(player_record(1), 163), 1060) << at;
        EXPECT_EQ(i32_at(player_record(2), 163), 1000) << at;
        EXPECT_EQ(player_record(2).at(294), 0) << at;
        EXPECT_EQ(i32_at(player_record(4), 163), 2120) << at;
        EXPECT_EQ(count_of(read_file("user0002.dat"), "ADD BNK 60\nREFRESH\n"), 1u) << at;
        EXPECT_EQ(count_of(read_file("user0004.dat"), "assumed leadership"), 1u) << at;
        std::string mail;
        for (int n : {1, 2, 4})
            if (file_present(mailbox_file_name(n))) mail += read_file(mailbox_file_name(n));
        EXPECT_EQ(count_of(mail, "LOTTERY"), 1u) << at;
        EXPECT_FALSE(file_present("user0003.dat")) << at;
        EXPECT_EQ(i16_at(read_file("guilds.dat"), 23), 4) << at;
        EXPECT_EQ(read_file("news1.dat"), "old news\n") << at;
        EXPECT_FALSE(file_present("news2.dat")) << at;
        for (const std::string& name : file_names_in(""))
            EXPECT_TRUE(name == "." || name == ".." ||
                        (name[0] != '.' && !name.ends_with(".day") && name != "hold.dat"))
                << at << " left " << name;
    }
};
}  // namespace

TEST_F(maint_kill, stopped_after_any_write_and_run_again_the_day_lands_once) {
    struct way {
        const char* name;
        bool in_play, fail;
    };
    for (way w : {way{"console killed", false, false}, way{"in play killed", true, false},
                  way{"console disk full", false, true}, way{"in play disk full", true, true}}) {
        bool ran_through = false;
        for (int k = 1; k < 80 && !ran_through; ++k) {
            std::string at = std::string(w.name) + " at write " + std::to_string(k);
            lay_out();
            writes_left = k;
            fail_instead = w.fail;
            child_result first = run_in_child([&w] {
                install_exit_handler();
                set_write_watch(stop_at_kth_write);
                run(w.in_play);
            });
            ran_through = first.exited && first.code == 0;
            if (!ran_through) {
                if (w.fail) {
                    EXPECT_TRUE(first.exited && first.code == exit_file_stuck) << at;
                    EXPECT_FALSE(file_present("hold.dat")) << at;
                    EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 34) << at;
                } else {
                    EXPECT_EQ(first.code, SIGKILL) << at;
                }
                child_result again = run_in_child([] {
                    install_exit_handler();
                    run(false);
                });
                EXPECT_EQ(again.code, 0) << at;
            }
            expect_day_once(at);
        }
        EXPECT_TRUE(ran_through) << w.name;
    }
}

TEST_F(maint_kill, a_caller_ending_normally_finishes_a_day_cut_off_and_keeps_its_last_save) {
    lay_out();
    child_result killed = run_in_child([] {
        // Killed once the day is staged, before any of it is put in place.
        set_write_watch([](const std::string& name) {
            if (name == "players.dat") ::raise(SIGKILL);
        });
        run(false);
    });
    ASSERT_EQ(killed.code, SIGKILL);
    ASSERT_TRUE(file_present("quorstat.day"));
    EXPECT_EQ(run_in_child([] {
                  install_exit_handler();
                  read_stat_file(game_stats);
                  read_char_file();
                  cur_char = char_full_name_ptr("A");
                  set_own_base();
                  cur_char->gold = 777;
                  end_prog(exit_normal);
              }).code,
              0);
    EXPECT_EQ(run_in_child([] { run(false); }).code, 0);
    expect_day_once("after the caller's end");
    EXPECT_EQ(i32_at(player_record(1), 159), 777);
}

TEST_F(maint_kill, a_staged_letters_file_cut_short_or_damaged_sends_only_its_whole_unsent_letters) {
    auto letter = [](int number, const std::string& text, std::int64_t length) {
        return golden(6).i16(0, number).i32(2, length).b + text;
    };
    auto from = [](int at) { return golden(4).i32(0, at).b; };
    std::string seven = letter(7, "seven\n", 6), eight = letter(8, "eight\n", 6);
    struct row {
        const char* name;
        std::string image, to_7, to_8;
    };
    for (const row& r : {row{"whole", from(4) + seven + eight, "seven\n", "eight\n"},
                         row{"first sent", from(16) + seven + eight, "", "eight\n"},
                         row{"head inside the first", from(9) + seven + eight, "", "eight\n"},
                         row{"all sent", from(28) + seven + eight, "", ""},
                         row{"head past the end", from(1 << 30) + seven + eight, "", ""},
                         row{"record head cut", from(4) + seven + eight.substr(0, 4), "seven\n", ""},
                         row{"letter cut", from(4) + seven + eight.substr(0, 10), "seven\n", ""},
                         row{"length past the end", from(4) + seven + letter(8, "eight\n", 1 << 30), "seven\n", ""},
                         row{"negative length", from(4) + letter(8, "eight\n", -1) + seven, "", ""},
                         row{"no such mailbox", from(4) + letter(10000, "x\n", 2) + seven, "seven\n", ""},
                         row{"head cut", "\x04\0", "", ""}, row{"empty", "", "", ""}}) {
        lay_out();
        write_file("quorstat.day", stat_bytes().day(35).b);
        write_file("letters.day", r.image);
        EXPECT_EQ(run_in_child([] { finish_staged_day(); }).code, 0) << r.name;
        EXPECT_EQ(file_present("user0007.dat") ? read_file("user0007.dat") : "", r.to_7) << r.name;
        EXPECT_EQ(file_present("user0008.dat") ? read_file("user0008.dat") : "", r.to_8) << r.name;
        EXPECT_FALSE(file_present("user0000.dat")) << r.name;
        EXPECT_FALSE(file_present("letters.day")) << r.name;
        EXPECT_EQ(i16_at(read_file("quorstat.dat"), 0), 35) << r.name;
    }
}

TEST_F(maint_kill, files_of_writers_that_are_gone_are_removed_by_the_day) {
    lay_out();
    pid_t dead = start_child([] {});
    wait_child(dead);
    std::string dead_tmp = ".players.dat." + std::to_string(dead) + ".tmp";
    std::vector<std::string> kept = {".players.dat." + std::to_string(::getpid()) + ".tmp", ".notes.tmp", ".x.12a.tmp"};
    for (const std::string& name : kept) write_file(name, "part");
    write_file(dead_tmp, "part");
    run(false);
    EXPECT_FALSE(file_present(dead_tmp));
    for (const std::string& name : kept) EXPECT_TRUE(file_present(name)) << name;
}

namespace {
void wait_until_present(const std::string& name) {
    for (int i = 0; i < 20000 && !file_present(name); ++i) ::usleep(500);
}
void shown_to_file(std::string_view text) {
    std::string old = file_present("shown.txt") ? read_file("shown.txt") : "";
    write_file("shown.txt", old + std::string(text) + "\n");
}
}  // namespace

TEST_F(maint_kill, a_caller_whose_character_was_deleted_and_its_number_given_out_again_writes_nothing) {
    lay_out();
    write_file("players.dat",
               players_image(player_bytes(2, "OLD").last_day(5).gold(10), player_bytes(1, "A").last_day(30)));
    pid_t caller = start_child([] {
        install_exit_handler();
        set_disp_line_hook(shown_to_file);
        read_stat_file(game_stats);
        read_char_file();
        cur_char = char_full_name_ptr("OLD");
        cur_char->gold = 777;
        write_file("ready", "");
        wait_until_present("go");
        write_char_file(true);
        write_file("returned", "");
    });
    wait_until_present("ready");
    // The daily maintenance on another node deletes the idle character; a newcomer gets its number.
    EXPECT_EQ(run_in_child([] { run(false); }).code, 0);
    EXPECT_EQ(run_in_child([] {
                  update_under_hold([] {
                      character_record c = make_char(lowest_free_char_number(), "NEWCOMER");
                      c.gold = 5;
                      c.created_time = 200;
                      add_char(c);
                  });
              }).code,
              0);
    write_file("go", "");
    EXPECT_EQ(wait_child(caller).code, 0);
    EXPECT_FALSE(file_present("returned"));
    EXPECT_EQ(read_file("shown.txt"),
              "`9  Your character is no longer in the realm: it was removed while you were away.\n");
    std::string newcomer = player_record(2);
    EXPECT_EQ(str_at(newcomer, 0), "NEWCOMER");
    EXPECT_EQ(i32_at(newcomer, 159), 5);
    std::vector<int> numbers = player_numbers();
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<int>{1, 2}));
}

TEST_F(maint_kill, a_hold_that_cannot_be_created_ends_at_once_with_the_reason) {
    child_result r = run_in_child([] {
        install_exit_handler();
        // A game directory in which nothing can be created any more (as root, the one way
        // that holds whatever the permissions): it was removed under the node.
        ::mkdir("gone", 0777);
        ::chdir("gone");
        ::rmdir("../gone");
        place_hold();
        ::chdir("..");
        write_file("returned", "");
    });
    EXPECT_EQ(r.code, exit_file_stuck);
    EXPECT_NE(r.out.find("Could not write hold.dat : No such file or directory"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("WAITING"), std::string::npos);
    EXPECT_FALSE(file_present("returned"));
}

TEST_F(maint_kill, the_signals_that_end_a_process_release_the_hold) {
    for (int sig : {SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF}) {
        child_result r = run_in_child([sig] {
            install_exit_handler();
            place_hold();
            ::raise(sig);
        });
        EXPECT_EQ(r.code, sig);
        EXPECT_FALSE(file_present("hold.dat")) << sig;
    }
}
