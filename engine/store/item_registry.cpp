#include "engine/store/item_registry.hpp"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "engine/store/codec.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/exit_codes.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/store_status.hpp"
#include "engine/store/strings.hpp"

namespace {
// An unreadable registry ends the game with code 20, naming the file and what is wrong with
// it: the system's reason, or damage when the file holds no whole number of records.
void registry_unreadable(bool damaged) {
    std::string reason = damaged ? "damaged, not a whole number of records" : system_reason();
    debug_log("FORCE:Item registry " + std::string(registry_file_name) + " unreadable : " + reason);
    report_store({store_event::registry_unreadable, registry_file_name, reason, exit_registry_unreadable});
}

bool registry_damaged() {
    std::optional<file_stamp> st = stamp_of(registry_file_name);
    return st && st->size % registry_record::record_size != 0;
}

// The registry's records for the game's look-ups: a missing file is an empty registry (with
// its warning), an unreadable one ends the game with code 20.
std::vector<registry_record> game_registry(bool& missing) {
    std::vector<registry_record> recs;
    file_status st = read_registry(recs);
    missing = st == file_status::missing;
    if (missing) debug_log("WARNING:Item registry file does not exist");
    if (st == file_status::corrupt) registry_unreadable(registry_damaged());
    return recs;
}

// The highest number plus one. A registry whose numbers already reach the top of the field
// (only a hand-made file can) gives the top number again rather than wrap to a negative.
std::int32_t next_number(const std::vector<registry_record>& recs) {
    std::int32_t highest = 0;
    for (const registry_record& r : recs) highest = std::max(highest, r.number);
    if (highest == std::numeric_limits<std::int32_t>::max()) {
        debug_log("FORCE:Item registry numbers exhausted");
        return highest;
    }
    return highest + 1;
}

const registry_record* find_match(const std::vector<registry_record>& recs, const item_record& item) {
    for (const registry_record& r : recs)
        if (registry_matches(r, item)) return &r;
    return nullptr;
}

std::optional<item_record> copy_of(const registry_record& r) { return r.item; }

item_record built_in(const char* name, const char* script_id, std::int16_t power, std::int32_t cost,
                     std::int16_t charges, std::int16_t position, std::int16_t level, std::int32_t flags,
                     std::uint8_t identified, std::int32_t events) {
    item_record i;
    i.name = name;
    i.script_id = script_id;
    i.power = power;
    i.max_power = power;
    i.cost = cost;
    i.charges = charges;
    i.position = position;
    i.required_level = level;
    i.flags = flags;
    i.identified = identified;
    i.equipped = 0;
    i.script_events = events;
    register_item(i);
    return i;
}
}  // namespace

std::string encode_record(const registry_record& r) {
    std::string b(registry_record::record_size, '\0');
    put_fstr(b, 0, r.name);
    put_fstr(b, 21, r.script_id);
    put_i32(b, 42, r.number);
    put_bytes(b, 46, encode_record(r.item));
    return b;
}

void decode_record(std::string_view image, registry_record& r) {
    r.name = get_fstr<20>(image, 0);
    r.script_id = get_fstr<20>(image, 21);
    r.number = get_i32(image, 42);
    decode_record(get_bytes(image, 46, item_record::record_size), r.item);
}

file_status read_registry(std::vector<registry_record>& out, const std::string& name) {
    out.clear();
    return read_record_file<registry_record>(name, out);
}

bool registry_matches(const registry_record& r, const item_record& item) {
    if (r.script_id.view() != item.script_id.view()) return false;
    std::string_view id = r.script_id.view();
    bool by_id_alone = id.size() >= 18 && (id[17] == 'Y' || id[17] == 'y');
    return by_id_alone || r.name.view() == item.name.view();
}

bool item_is_registered(const item_record& item) {
    bool missing;
    std::vector<registry_record> recs = game_registry(missing);
    return find_match(recs, item) != nullptr;
}

std::int32_t get_item_script_num(const item_record& item) {
    bool missing;
    std::vector<registry_record> recs = game_registry(missing);
    if (const registry_record* r = find_match(recs, item)) return r->number;
    debug_log("FORCE:Item with script not in Item registry.");
    debug_log("FORCE: Name     : " + item.name);
    debug_log("FORCE: ScriptID : " + item.script_id);
    return -1;
}

std::optional<item_record> item_by_scriptid(std::string_view name, std::string_view script_id) {
    bool missing;
    std::vector<registry_record> recs = game_registry(missing);
    for (const registry_record& r : recs)
        if (r.name.view() == name && r.script_id.view() == script_id) return copy_of(r);
    return std::nullopt;
}

std::optional<item_record> item_by_only_scriptid(std::string_view script_id) {
    bool missing;
    std::vector<registry_record> recs = game_registry(missing);
    for (const registry_record& r : recs)
        if (r.script_id.view() == script_id) return copy_of(r);
    return std::nullopt;
}

std::int32_t next_item_registry_number() {
    bool missing;
    std::vector<registry_record> recs = game_registry(missing);
    return next_number(recs);
}

namespace {
// A change of "items.dat" under the file's lock (a missing file reads as empty): another
// node's registration comes wholly before this one or wholly after it. An unreadable or
// torn registry ends the game with code 20. change edits the file image (records it does
// not touch keep their bytes) and tells whether to write it back.
void change_registry(const std::function<bool(std::string& image, const std::vector<registry_record>& recs)>& change) {
    wait_for_file(registry_file_name);
    bool torn = false;
    bool ok = locked_update(registry_file_name, [&](std::string& contents) {
        std::vector<registry_record> recs;
        if (!parse_records(contents, recs)) {
            torn = true;
            return locked_action::keep;
        }
        return change(contents, recs) ? locked_action::rewrite : locked_action::keep;
    });
    if (torn || !ok) registry_unreadable(torn);
}

registry_record new_record(const item_record& item, std::int32_t number) {
    registry_record rec;
    rec.name = item.name;
    rec.script_id = item.script_id;
    rec.number = number;
    rec.item = item;
    return rec;
}
}  // namespace

std::int32_t add_item_to_registry(const item_record& item) {
    debug_enter("Entering add_item_to_registry");
    std::int32_t number = -1;
    change_registry([&](std::string& image, const std::vector<registry_record>& recs) {
        if (const registry_record* r = find_match(recs, item)) {
            number = r->number;
            return false;
        }
        image += encode_record(new_record(item, number = next_number(recs)));
        return true;
    });
    debug_leave("Leaving add_item_to_registry");
    return number;
}

registry_store store_in_registry(const item_record& item, std::int32_t& number) {
    registry_store result = registry_store::unchanged;
    change_registry([&](std::string& image, const std::vector<registry_record>& recs) {
        for (std::size_t i = 0; i < recs.size(); ++i) {
            const registry_record& r = recs[i];
            if (r.name.view() != item.name.view() || r.script_id.view() != item.script_id.view()) continue;
            number = r.number;
            if (encode_record(r.item) == encode_record(item)) return false;
            registry_record updated = r;
            updated.item = item;
            image.replace(i * registry_record::record_size, registry_record::record_size, encode_record(updated));
            result = registry_store::changed;
            return true;
        }
        image += encode_record(new_record(item, number = next_number(recs)));
        result = registry_store::added;
        return true;
    });
    return result;
}

void register_item(const item_record& item) {
    if (item.script_id.empty() || item.script_events == 0) return;
    if (!item_is_registered(item)) add_item_to_registry(item);
}

std::string item_script_file(std::int32_t number) { return "items/" + int_to_str(number) + ".scr"; }

item_record bow_of_the_damned() {
    return built_in("Bow of the Damned", "BotD-02081997-QZ-N", 112, 12000, 0, pos_weapon, 7, 0, 0, 133);
}
item_record potion_of_healing() {
    return built_in("`2Potion of Healing", "PotH-03091997-QZ-N", 0, 2500, 1, pos_other, 1, 1, 1, 450);
}
item_record ring_of_combat() {
    return built_in("Ring of Combat", "RCom-03091997-QZ-N", 0, 4000, 0, pos_ring, 5, 0, 0, 133);
}
item_record four_leaf_clover() {
    return built_in("`2Four Leaf Clover", "FrLC-03091997-QZ-N", 0, 300, 0, pos_neck, 2, 0, 0, 133);
}
item_record pendant_of_life() {
    return built_in("Pendant of Life", "PLif-04111997-QZ-N", 0, 12000, 1, pos_neck, 1, 1, 0, 165);
}
item_record helmet_of_stealth() {
    return built_in("Helmet of Stealth", "HofS-03231997-QZ-N", 36, 12000, 0, pos_head, 4, 0, 0, 133);
}
