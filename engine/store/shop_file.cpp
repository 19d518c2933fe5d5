#include "engine/store/shop_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <tuple>

#include "engine/store/codec.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/exit_codes.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/record_fields.hpp"
#include "engine/store/record_file.hpp"
#include "engine/store/store_status.hpp"

namespace {
using se = shop_entry;
constexpr record_field<se> shop_fields[] = {
    text_field<&se::name>("name", 0), text_field<&se::script_id>("script_id", 21), number_field<&se::cost>("cost", 42),
    amount(number_field<&se::count>("count", 46), 0, std::numeric_limits<std::int16_t>::max()),
    // 48..51: the list link of old, written as zeros, ignored on reading.
};

// Each entry with its key: the item's name and ScriptID and its place among that item's entries.
using entry_key = std::tuple<std::string_view, std::string_view, int>;
std::vector<std::pair<entry_key, const shop_entry*>> keyed(const shop_list& list) {
    std::vector<std::pair<entry_key, const shop_entry*>> out;
    std::map<std::pair<std::string_view, std::string_view>, int> seen;
    for (const shop_entry& e : list) {
        int& k = seen[{e.name.view(), e.script_id.view()}];
        out.emplace_back(entry_key{e.name.view(), e.script_id.view(), k++}, &e);
    }
    return out;
}

const shop_entry* entry_of(const std::vector<std::pair<entry_key, const shop_entry*>>& keys, const entry_key& k) {
    for (const auto& [key, e] : keys)
        if (key == k) return e;
    return nullptr;
}

shop_list kept_entries(std::string_view image, const shop_keep& keep) {
    shop_list list;
    for (const shop_entry& e : parse_shop_image(image))
        if (keep(e)) list.push_back(e);
    return list;
}
}  // namespace

template <>
std::span<const record_field<shop_entry>> record_fields<shop_entry>() {
    return shop_fields;
}

std::string encode_record(const shop_entry& e) { return encode_fields<shop_fields>(e); }
void decode_record(std::string_view image, shop_entry& e) { decode_fields<shop_fields>(image, e); }

std::vector<shop_entry> parse_shop_image(std::string_view image) {
    constexpr std::size_t size = shop_entry::record_size;
    std::vector<shop_entry> out((image.size() + size - 1) / size);
    for (std::size_t i = 0; i < out.size(); ++i) decode_record(image.substr(i * size, size), out[i]);
    return out;
}

shop_keep registry_keep(const std::vector<registry_record>& registry) {
    return [&registry](const shop_entry& e) {
        item_record probe;
        probe.name = e.name.view();
        probe.script_id = e.script_id.view();
        return std::any_of(registry.begin(), registry.end(),
                           [&](const registry_record& r) { return registry_matches(r, probe); });
    };
}

shop_list read_shop_file(const std::string& name, const shop_keep& keep) {
    debug_enter("Entering read_shop_file");
    std::string image;
    file_status st = read_whole_file(name, image);
    if (st == file_status::corrupt) {
        std::string reason = std::strerror(errno);
        debug_log("FORCE:Could not read " + name + " : " + reason);
        report_store({store_event::read_failed, name, reason, exit_file_stuck});
    }
    shop_list list = kept_entries(image, keep);
    debug_leave("Leaving read_shop_file");
    return list;
}

void write_shop_file(const std::string& name, const shop_list& list) {
    debug_enter("Entering write_shop_file");
    wait_for_file(name);
    std::string image = records_image<shop_entry>(list);
    update_locked_file(name, [&](std::string& contents) {
        contents = image;
        return locked_action::rewrite;
    });
    debug_leave("Leaving write_shop_file");
}

void merge_shop_file(const std::string& name, const shop_list& base, const shop_list& mine, const shop_keep& keep) {
    debug_enter("Entering write_shop_file");
    wait_for_file(name);
    auto base_keys = keyed(base), mine_keys = keyed(mine);
    update_locked_file(name, [&](std::string& contents) {
        shop_list fresh = kept_entries(contents, keep), merged;
        auto fresh_keys = keyed(fresh);
        for (const auto& [key, f] : fresh_keys) {
            const shop_entry* was = entry_of(base_keys, key);
            const shop_entry* now = entry_of(mine_keys, key);
            if (was && !now) continue;  // the sysop removed it
            merged.push_back(*f);
            if (was) merge_typed_fields(merged.back(), *was, *now);
        }
        for (const auto& [key, was] : base_keys) {
            const shop_entry* now = entry_of(mine_keys, key);
            // Gone from the file meanwhile (sold out and dropped by a node): it stays gone unless
            // the sysop changed it, and then it holds what the sysop typed.
            if (!now || entry_of(fresh_keys, key) || same_fields(*was, *now)) continue;
            shop_entry gone = *was;
            gone.count = 0;
            merge_typed_fields(gone, *was, *now);
            merged.push_back(gone);
        }
        for (const auto& [key, now] : mine_keys)
            if (!entry_of(base_keys, key)) merged.push_back(*now);
        contents = records_image<shop_entry>(merged);
        return locked_action::rewrite;
    });
    debug_leave("Leaving write_shop_file");
}

void del_shop_list(shop_list& list) {
    debug_enter("Entering del_shop_list");
    list.clear();
    debug_leave("Leaving del_shop_list");
}

stock_take take_one_from_stock(const std::string& name, std::string_view item_name, std::string_view script_id,
                               const shop_keep& keep) {
    // No stock file, nothing to sell: the lock would create one.
    if (!wait_for_file(name)) return stock_take::gone;
    stock_take result = stock_take::gone;
    bool ok = locked_update(name, [&](std::string& contents) {
        shop_list list = kept_entries(contents, keep);
        auto last = std::find_if(list.rbegin(), list.rend(), [&](const shop_entry& e) {
            return e.name.view() == item_name && e.script_id.view() == script_id;
        });
        if (last == list.rend() || last->count == 0) return locked_action::keep;
        result = stock_take::sold;
        if (last->count < 0) return locked_action::keep;
        --last->count;
        contents = records_image<shop_entry>(list);
        return locked_action::rewrite;
    });
    // Nothing is sold that the file does not show as sold.
    if (!ok) {
        file_write_failed(name);
        return stock_take::gone;
    }
    return result;
}

void return_one_to_stock(const std::string& name, std::string_view item_name, std::string_view script_id,
                         std::int32_t cost) {
    update_locked_file(name, [&](std::string& contents) {
        std::vector<shop_entry> list = parse_shop_image(contents);
        auto last = std::find_if(list.rbegin(), list.rend(), [&](const shop_entry& e) {
            return e.name.view() == item_name && e.script_id.view() == script_id;
        });
        if (last == list.rend()) {
            shop_entry e;
            e.name = item_name;
            e.script_id = script_id;
            e.cost = cost;
            e.count = 1;
            list.push_back(e);
        } else if (last->count >= 0 && last->count < std::numeric_limits<std::int16_t>::max()) {
            ++last->count;
        } else {
            return locked_action::keep;
        }
        contents = records_image<shop_entry>(list);
        return locked_action::rewrite;
    });
}
