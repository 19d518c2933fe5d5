#include "engine/shop_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/codec.hpp"
#include "engine/debug_log.hpp"
#include "engine/exit.hpp"
#include "engine/file_access.hpp"
#include "engine/record_file.hpp"

namespace {
shop_list kept_entries(std::string_view image, const shop_keep& keep) {
    shop_list list;
    for (const shop_entry& e : parse_shop_image(image))
        if (keep(e)) list.push_back(e);
    return list;
}
}  // namespace

std::string encode_record(const shop_entry& e) {
    std::string b(shop_entry::record_size, '\0');
    put_fstr(b, 0, e.name);
    put_fstr(b, 21, e.script_id);
    put_i32(b, 42, e.cost);
    put_i16(b, 46, e.count);
    return b;
}

void decode_record(std::string_view image, shop_entry& e) {
    e.name = get_fstr<20>(image, 0);
    e.script_id = get_fstr<20>(image, 21);
    e.cost = get_i32(image, 42);
    e.count = get_i16(image, 46);
}

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
        debug_log("FORCE:Could not read " + name + " : " + std::strerror(errno));
        end_prog(exit_file_stuck);
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
