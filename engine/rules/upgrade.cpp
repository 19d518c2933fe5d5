#include "engine/rules/upgrade.hpp"

#include "engine/rules/equipment.hpp"
#include "engine/rules/items.hpp"
#include "engine/rules/stock_items.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/colour.hpp"
#include "engine/text/flags.hpp"

namespace {
constexpr const char* items_version = "1.10";
constexpr const char* items_version_flag = "ITEMS_LOADED_TO_VER";
constexpr const char* box_rule = "FORCE:+------------------------------------------------------";
constexpr std::size_t old_registry_record_size = 46;

bool items_loaded() {
    return upcase_str(return_flag(items_version_flag, main_flag_file_name, flags_section_name)) ==
           upcase_str(items_version);
}

void update_items() {
    if (items_loaded()) return;
    place_hold();
    if (items_loaded()) {
        remove_hold();
        return;
    }
    disp_line("`4  UPDATING ITEMS TO VERSION `%: 1.10");
    debug_log(box_rule);
    debug_log("FORCE:|Updating Items to Version 1.10");
    std::string image;
    if (read_whole_file(registry_file_name, image) == file_status::ok && registry_is_older_form(image)) {
        disp_line("`4  Deleting Incompatible Item Registry.");
        debug_log("FORCE:|Item Registry from 1.07b1 found and deleted");
        erase_file(registry_file_name);
    }
    std::int16_t n = load_stock_items();
    debug_log(box_rule);
    add_flag(items_version_flag, items_version, flag_class_never, main_flag_file_name, flags_section_name);
    remove_hold();
    disp_line("`4  UPDATING ITEMS TO VERSION `%: 1.10 SUCCESSFUL");
    disp_line("`4  NUMBER OF ITEMS ADDED OR CHANGED  `%: " + int_to_str(n));
    disp_line("`4  REFER TO `%DEBUG.TXT`4 FOR DETAILS.");
    hit_any_key();
}

// A patch of the character file: under the hold, with the statistics read again, it runs
// only while the data is still older than version; the key wait follows the release.
template <typename Patch>
void patch_characters(std::int16_t version, const char* name, Patch patch) {
    if (game_stats.data_version >= version) return;
    place_hold();
    read_stat_file(game_stats);
    if (game_stats.data_version >= version) {
        remove_hold();
        return;
    }
    disp_line(std::string("`4  PATCHING UP TO VERSION `%: ") + name);
    debug_log(box_rule);
    debug_log(std::string("FORCE:|Patching to Version ") + name);
    del_char_list();
    chars_loaded = false;
    read_char_file();
    chars_loaded = false;
    char_list_changing();
    int changes = patch();
    debug_log(box_rule);
    game_stats.data_version = version;
    write_stat_file();
    write_char_file(false);
    del_char_list();
    remove_hold();
    disp_line(std::string("`4  PATCHING UP TO VERSION ") + name + "`%: SUCCESSFUL");
    disp_line("`4  NUMBER OF CHANGES MADE `%: " + int_to_str(changes));
    disp_line("`4  REFER TO `%DEBUG.TXT`4 FOR DETAILS.");
    hit_any_key();
    disp_line("");
}

// Before 1.05 the Paladin and Ranger bits (and their mastered bits) stood the other way round.
int swap_class_bits() {
    int changes = 0;
    for (character_record& c : char_list) {
        auto changing = [&](const char* what) {
            debug_log("FORCE:|  Changing " + pad_right(c.name.view(), 20) + what);
            ++changes;
        };
        std::int32_t bits = c.class_bits;
        if (bits & class_paladin) {
            bits = bits - class_paladin + class_ranger;
            changing(": -32 and +16");
        } else if (bits & class_ranger) {
            bits = bits - class_ranger + class_paladin;
            changing(": -16 and +32");
        }
        if (bits & 2048) {
            bits ^= 2048 | 1024;
            changing(": -2048 and +1024");
        } else if (bits & 1024) {
            bits ^= 1024 | 2048;
            changing(": -1024 and +2048");
        }
        c.class_bits = static_cast<std::int16_t>(bits);
        debug_log("FORCE:|  " + pad_right(c.name.view(), 18) + " Class now : " + int_to_str(c.class_bits));
    }
    return changes;
}

// Before 1.07 a character's weapon, armour and shield were three fixed slots of its record.
int convert_slots() {
    int changes = 0;
    for (character_record& c : char_list) {
        cur_char = &c;
        cur_inventory.clear();
        convert_weapon_slot();
        convert_armor_slot();
        convert_shield_slot();
        write_inventory(c.number, cur_inventory);
        ++changes;
        debug_log("FORCE:|  Writing Inventory :" + pad_right(c.name.view(), 20));
        cur_inventory.clear();
        c.weapon_power = c.armour_power = c.shield_power = 0;
        c.weapon_name = c.armour_name = c.shield_name = "";
    }
    cur_char = nullptr;
    return changes;
}

void convert_slot(std::int16_t power, const fstr<20>& name, const char* file, std::int16_t position,
                  item_record* (*equipped)(inventory_list&)) {
    if (power <= 0 || equipped(cur_inventory)) return;
    equipment_table table;
    read_weapon_file(table, file);
    std::int32_t price = table[static_cast<std::size_t>(equipment_tier(table, power) - 1)].price;
    add_to_inv(cur_inventory, plain_equipment(name.view(), position, power, price));
}
}  // namespace

void convert_weapon_slot() {
    if (cur_char)
        convert_slot(cur_char->weapon_power, cur_char->weapon_name, weapons_file_name, pos_weapon, weapon_equipped_ptr);
}
void convert_armor_slot() {
    if (cur_char)
        convert_slot(cur_char->armour_power, cur_char->armour_name, armors_file_name, pos_armor, armor_equipped_ptr);
}
void convert_shield_slot() {
    if (cur_char)
        convert_slot(cur_char->shield_power, cur_char->shield_name, shields_file_name, pos_shield, shield_equipped_ptr);
}

bool registry_is_older_form(std::string_view image) {
    if (image.size() % old_registry_record_size != 0) return false;
    if (image.size() % registry_record::record_size != 0) return true;
    if (image.empty()) return false;
    // Today's record: string lengths within their fields, a registry number, and the item
    // image naming the same item as the record.
    auto len = [&](std::size_t off) { return static_cast<unsigned char>(image[off]); };
    constexpr std::size_t item_at = 46, item_script_id_at = item_at + 45;
    if (len(0) > 20 || len(21) > 20 || len(item_at) > 20 || len(item_script_id_at) > 20) return true;
    registry_record first;
    decode_record(image.substr(0, registry_record::record_size), first);
    return first.number < 1 || first.item.name.view() != first.name.view() ||
           first.item.script_id.view() != first.script_id.view();
}

void update_item_data() {
    update_items();
    patch_characters(105, "1.05", swap_class_bits);
    patch_characters(107, "1.07", convert_slots);
}
