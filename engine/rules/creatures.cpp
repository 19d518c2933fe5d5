#include "engine/rules/creatures.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

#include "door/sys.hpp"
#include "engine/rules/chance.hpp"
#include "engine/rules/stats.hpp"
#include "engine/store/codec.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/exit.hpp"
#include "engine/text/item_hooks.hpp"

// ---- Records ----

namespace {
// Offsets 0..179 are the same in both forms.
void put_common(std::string& b, const monster_record& m) {
    put_fstr(b, 0, m.name);
    put_i16(b, 41, m.level);
    put_i16(b, 43, m.attack);
    put_i16(b, 45, m.defense);
    put_i16(b, 47, m.shield_value);
    put_i16(b, 49, m.hit_points);
    put_fstr(b, 51, m.weapon);
    put_fstr(b, 72, m.armour);
    put_fstr(b, 93, m.death_text);
}

void get_common(std::string_view b, monster_record& m) {
    m.name = get_fstr<40>(b, 0);
    m.level = get_i16(b, 41);
    m.attack = get_i16(b, 43);
    m.defense = get_i16(b, 45);
    m.shield_value = get_i16(b, 47);
    m.hit_points = get_i16(b, 49);
    m.weapon = get_fstr<20>(b, 51);
    m.armour = get_fstr<20>(b, 72);
    m.death_text = get_fstr<86>(b, 93);
}
}  // namespace

namespace {
// The numbers after the death text: the current form has the race first, the older form
// none, so its gold, experience and strength stand two bytes earlier.
std::size_t numbers_at(bool older) { return older ? 180 : 182; }

std::string encode_form(const monster_record& m, bool older) {
    std::string b(older ? monster_record::old_record_size : monster_record::record_size, '\0');
    put_common(b, m);
    if (!older) put_i16(b, 180, m.race);
    std::size_t at = numbers_at(older);
    put_i32(b, at, m.gold);
    put_i32(b, at + 4, m.experience);
    put_i32(b, at + 8, m.strength);
    return b;
}

void decode_form(std::string_view b, monster_record& m, bool older) {
    get_common(b, m);
    m.race = older ? 1 : get_i16(b, 180);
    std::size_t at = numbers_at(older);
    m.gold = get_i32(b, at);
    m.experience = get_i32(b, at + 4);
    m.strength = get_i32(b, at + 8);
}
}  // namespace

std::string encode_record(const monster_record& m) { return encode_form(m, false); }
void decode_record(std::string_view b, monster_record& m) { decode_form(b, m, false); }
std::string encode_old_creature(const monster_record& m) { return encode_form(m, true); }
// The one reader of the older form.
void decode_old_creature(std::string_view b, monster_record& m) { decode_form(b, m, true); }

// ---- Files ----

namespace {
// A record image that a creature editor could have written: every length byte within its
// field and a level that fits the two-digit sort key. Records read at the wrong size land
// their length bytes on letters and numbers, which almost never pass.
bool plausible_record(std::string_view r) {
    return get_u8(r, 0) <= 40 && get_u8(r, 51) <= 20 && get_u8(r, 72) <= 20 && get_u8(r, 93) <= 86 &&
           get_i16(r, 41) >= 0 && get_i16(r, 41) <= 99;
}

bool all_plausible(std::string_view image, std::size_t size) {
    for (std::size_t off = 0; off + size <= image.size(); off += size)
        if (!plausible_record(image.substr(off, size))) return false;
    return true;
}

// The order of the key "level as two digits, a blank, the name": by level, then by the name's
// bytes. For levels 0 to 99 that is the key's own order; any other level (the editor refuses
// them) still sorts by its number instead of by its digits.
bool key_greater(const monster_record& a, const monster_record& b) {
    if (a.level != b.level) return a.level > b.level;
    return a.name.view() > b.name.view();
}

void critical_file_exit(const std::string& file_name, std::string_view what, std::string_view log_what) {
    std::string upper = upcase_str(file_name);
    disp_line("`c`9\"" + upper + "\" " + std::string(what) + "`9, Please inform SysOp");
    debug_log("FORCE:Critical Error : " + upper + " " + std::string(log_what));
    end_prog(exit_critical_missing);
}

// The file's whole image; a missing file (or a name that leaves the game directory) ends
// the game with code 12.
std::string creature_file_image(const std::string& file_name) {
    std::optional<std::string> path = game_path(file_name);
    std::string image;
    file_status st = path ? read_whole_file(*path, image) : file_status::missing;
    if (st == file_status::missing) critical_file_exit(file_name, "does not `4EXIST", "file does not exist");
    if (st != file_status::ok) critical_file_exit(file_name, "is `4CORRUPTED", "creature file is corrupt");
    return image;
}

void fill_list(std::string_view image, std::size_t size, creature_list& list, bool all, std::int16_t level) {
    list.clear();
    for (std::size_t off = 0; off + size <= image.size(); off += size) {
        monster_record m;
        if (size == monster_record::record_size)
            decode_record(image.substr(off, size), m);
        else
            decode_old_creature(image.substr(off, size), m);
        if (all || m.level == level) insert_creature_sorted(m, list);
    }
}

std::int16_t own_level() { return cur_char ? cur_char->level : 0; }

void warn_older(const std::string& file_name) {
    debug_log("FORCE:Warning : " + file_name + "  creature file using 1.05 Format");
}
}  // namespace

creature_form creature_file_form(std::string_view image) {
    bool current = image.size() % monster_record::record_size == 0;
    bool older = image.size() % monster_record::old_record_size == 0;
    if (current && older)
        return !all_plausible(image, monster_record::record_size) &&
                       all_plausible(image, monster_record::old_record_size)
                   ? creature_form::older
                   : creature_form::current;
    if (current) return creature_form::current;
    if (older) return creature_form::older;
    return creature_form::torn;
}

creature_form parse_creature_image(std::string_view image, creature_list& list, bool all, std::int16_t level) {
    creature_form form = creature_file_form(image);
    if (form == creature_form::current)
        fill_list(image, monster_record::record_size, list, all, level);
    else if (form == creature_form::older)
        fill_list(image, monster_record::old_record_size, list, all, level);
    else
        list.clear();
    return form;
}

void read_creature_file(const std::string& file_name, creature_list& list, bool all) {
    debug_log("entering read_creature_file");
    std::string image = creature_file_image(file_name);
    creature_form form = parse_creature_image(image, list, all, own_level());
    if (form == creature_form::torn) critical_file_exit(file_name, "is `4CORRUPTED", "creature file is corrupt");
    if (form == creature_form::older) {
        debug_log("entering read_105_creature_file");
        warn_older(file_name);
        debug_log("leaving read_105_creature_file");
    }
    debug_log("leaving read_creature_file");
}

void read_105_creature_file(const std::string& file_name, creature_list& list, bool all) {
    debug_log("entering read_105_creature_file");
    warn_older(file_name);
    std::string image = creature_file_image(file_name);
    if (image.size() % monster_record::old_record_size != 0)
        critical_file_exit(file_name, "is `4CORRUPTED", "creature file is corrupt");
    fill_list(image, monster_record::old_record_size, list, all, own_level());
    debug_log("leaving read_105_creature_file");
}

void insert_creature_sorted(const monster_record& m, creature_list& list) {
    auto at = list.begin();
    while (at != list.end() && !key_greater(*at, m)) ++at;
    list.insert(at, m);
}

void del_creature_list(creature_list& list) { list.clear(); }

namespace {
std::int32_t rounded_32(double x) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        round_half_even(x), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
}  // namespace

void calculate(monster_record& m, double heal_cost, double gold_mult, double exp_mult) {
    std::int64_t shield_third = round_half_even(m.shield_value / 3.0);
    double steps = double(m.level) * (m.level - 1) / 2;
    double t = 20 + 16 * steps;
    m.strength = static_cast<std::int32_t>(m.attack + m.defense + shield_third + m.hit_points);
    m.gold = rounded_32(double(m.level) * heal_cost * t * gold_mult + 2.0 * m.hit_points);
    m.experience = rounded_32(double(m.attack + m.defense + shield_third + 2 * std::int64_t(m.hit_points)) * exp_mult);
}

const monster_record* random_creature(std::int16_t level, const creature_list& list) {
    int count = 0;
    for (const monster_record& m : list) count += m.level == level;
    if (count == 0) return nullptr;
    randomize();
    int pick = random_n(count);
    for (const monster_record& m : list)
        if (m.level == level && pick-- == 0) return &m;
    return nullptr;
}

bool is_mob(const character_record& who) { return who.real_name == mob_mark || who.real_name == level_fight_mark; }

// ---- Phrase tables ----

namespace {
constexpr std::array<const char*, 20> neutral_adjectives = {
    " superb",         " pitiful",        " mismatched", " boring",         " stupendous",
    " close",          " long",           " short",      " heart-pounding", " toe-curling",
    " hair-raising",   " blood-racing",   " grueling",   " spine-tingling", " eye-popping",
    " fist-clenching", " teeth-grinding", " bloody",     " ho-hum",         " pivotal"};
constexpr std::array<const char*, 20> good_adjectives = {
    " superb",         " stupendous", " amazing", " fortuitous", " beloved",    " powerful",     " intelligent",
    " multi-talented", " wonderful",  " clever",  " beast-like", " ever sharp", " quick witted", " keen",
    " mysterious",     " god-like",   " divine",  " grandiose",  " virtuous",   " exemplary"};
constexpr std::array<const char*, 20> bad_adjectives = {
    " weak",         " cowardish",   " foolish",       " wiseacre",   " simpleton", " anemic",     " boneheaded",
    " defenseless",  " half-witted", " hare-brained",  " blinded",    " senseless", " irrational", " inept",
    " unsuspecting", " arrogant",    " overconfident", " unprepared", " feebile",   " decrepit"};
constexpr std::array<const char*, 12> hit_verbs = {
    " barely scratches", " nicks",      " hits",     " slashes", " whips",      " pounds",
    " crushes",          " devastates", " atomizes", " mauls",   " tenderizes", " pulpifies"};

// Trunc(random real x n), held inside the table.
template <std::size_t N>
std::string real_pick(const std::array<const char*, N>& table) {
    std::size_t i = static_cast<std::size_t>(random_real() * N);
    return table[i < N ? i : N - 1];
}

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string random_event_adjective() {
    randomize();
    return neutral_adjectives[random_n(20)];
}
std::string random_good_adjective() { return real_pick(good_adjectives); }
std::string random_bad_adjective() { return real_pick(bad_adjectives); }
std::string random_hit_verb() {
    randomize();
    return hit_verbs[random_n(12)];
}

std::string expand_tilde_phrases(std::string_view text) {
    // Two calls within one second must still differ.
    randomize();
    delay_ms(random_n(10));
    randomize();
    std::string out, adjective;
    std::size_t at;
    while ((at = text.find('~')) != std::string_view::npos) {
        out += text.substr(0, at);
        std::string_view codes = text.substr(at + 1, 2);
        char x = codes.size() > 0 ? codes[0] : '\0';
        char y = codes.size() > 1 ? codes[1] : '\0';
        switch (upper(y)) {
        case 'R': adjective = random_event_adjective(); break;
        case 'G': adjective = random_good_adjective(); break;
        case 'B': adjective = random_bad_adjective(); break;
        default: break;
        }
        std::string article;
        if (upper(x) == 'T') {
            article = is_upper(x) ? "The" : "the";
        } else if (upper(x) == 'A') {
            bool vowel =
                adjective.size() > 1 && std::string_view("AEIOUYaeiouy").find(adjective[1]) != std::string_view::npos;
            article = vowel ? "an" : "a";
            if (is_upper(x)) article[0] = 'A';
        }
        out += article + adjective;
        text.remove_prefix(at + 1 + codes.size());
    }
    out += text;
    return cut255(out);
}

void take_damage(std::int32_t amount, std::string_view who) {
    if (!cur_char) return;
    debug_log("take_damage " + int_to_str(amount) + " from " + std::string(who));
    add_hit_points(*cur_char, -std::int64_t(amount));
}
