#include "engine/rules/stock_items.hpp"

#include <algorithm>
#include <limits>

#include "door/file_forms.hpp"
#include "engine/rules/item_script.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/game_path.hpp"
#include "engine/store/item_registry.hpp"
#include "engine/store/strings.hpp"

namespace {
constexpr int scuse_events = 11;

// What the lines for one item number set so far.
struct definition {
    item_record item;
    int names = 0, script_ids = 0, stat1s = 0, stat2s = 0;
    bool bad = false;  // a required line of the wrong form
};

std::int16_t i16_of(std::string_view word) { return clamp_to<std::int16_t>(str_to_int(word)); }

// Word n of the line as a number.
std::int32_t num(const std::string& line, int n) { return str_to_int(word_at(line, n)); }

// A quoted text: what stands between the first two double quotes of the line.
bool quoted(const std::string& line, std::string& text) {
    text = line;
    return unquote(text);
}

void read_line(const std::string& line, definition& d) {
    std::string key = upcase_str(word_at(line, 1));
    int words = word_count(line);
    std::string text;
    if (key == "NAME") {
        if (quoted(line, text)) {
            d.item.name = text;
            ++d.names;
        } else {
            d.bad = true;
        }
    } else if (key == "SCRID") {
        if (quoted(line, text)) {
            d.item.script_id = text;
            ++d.script_ids;
        } else {
            d.bad = true;
        }
    } else if (key == "STAT1") {
        if (words != 7) {
            d.bad = true;
            return;
        }
        d.item.power = i16_of(word_at(line, 3));
        d.item.max_power = i16_of(word_at(line, 4));
        d.item.cost = num(line, 5);
        d.item.charges = i16_of(word_at(line, 6));
        d.item.position = i16_of(word_at(line, 7));
        ++d.stat1s;
    } else if (key == "STAT2") {
        if (words != 5) {
            d.bad = true;
            return;
        }
        d.item.required_level = i16_of(word_at(line, 3));
        d.item.flags = num(line, 4);
        d.item.identified = num(line, 5) == 1 ? 1 : 0;
        ++d.stat2s;
    } else if (key == "SCUSE") {
        if (words != 2 + scuse_events) return;
        d.item.script_events = 0;
        for (int e = 0; e < scuse_events; ++e)
            if (num(line, 3 + e) == 1) d.item.script_events |= std::int32_t(1) << e;
    }
}
}  // namespace

std::map<std::int32_t, item_record> parse_stock_items(const text_list& section) {
    std::map<std::int32_t, definition> defs;
    for (const text_line& l : section) {
        std::string line = trim_leading(l.view());
        if (line.empty() || line[0] == ';' || word_count(line) < 2) continue;
        std::int32_t n = str_to_int(word_at(line, 2));
        if (n < 1) continue;
        read_line(line, defs[n]);
    }
    std::map<std::int32_t, item_record> items;
    for (auto& [n, d] : defs) {
        bool complete =
            !d.bad && d.names == 1 && d.script_ids == 1 && d.stat1s == 1 && d.stat2s == 1 && !d.item.script_id.empty();
        if (!complete) {
            debug_log("FORCE:|  Stock item " + int_to_str(n) +
                      " left out: its NAME, SCRID, STAT1 or STAT2 line is missing or wrong");
            continue;
        }
        items[n] = d.item;
    }
    return items;
}

std::int16_t load_stock_items() {
    std::string file = game_path(stock_items_file_name).value_or(stock_items_file_name);
    text_list section;
    read_menu_text(file, "ITEMS", section);
    std::int32_t changes = 0;
    for (auto& [n, item] : parse_stock_items(section)) {
        std::string k = int_to_str(n);
        std::int32_t sections = item_file_events(file, k);
        if (item.script_events == 0) item.script_events = sections;
        std::int32_t number = -1;
        registry_store done = store_in_registry(item, number);
        if (done != registry_store::unchanged) {
            ++changes;
            debug_log(std::string("FORCE:|  ") + (done == registry_store::added ? "Added   : " : "Changed : ") +
                      pad_right(item.name.view(), 20) + " " + item.script_id + " as items/" + int_to_str(number) +
                      ".scr");
        }
        if (number >= 1) write_item_script(number, k, file, sections);
    }
    return static_cast<std::int16_t>(std::min<std::int32_t>(changes, std::numeric_limits<std::int16_t>::max()));
}
