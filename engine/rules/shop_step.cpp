#include "engine/rules/shop_step.hpp"

#include <algorithm>
#include <charconv>
#include <limits>

#include "engine/rules/items.hpp"
#include "engine/store/data_files.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/file_access.hpp"
#include "engine/store/hold.hpp"
#include "engine/store/shop_file.hpp"
#include "engine/store/strings.hpp"
#include "engine/text/text_file.hpp"

namespace {
constexpr std::string_view step_head = "STEP 1";
constexpr char hex_digits[] = "0123456789ABCDEF";
constexpr std::string_view kind_words[] = {"BUY", "SELL", "READ"};

// The next line of text from at, without its "\n"; nothing at the end.
std::optional<std::string_view> next_line(std::string_view text, std::size_t& at) {
    if (at >= text.size()) return std::nullopt;
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    return line;
}

// A whole number of type T that is all of s, blank-free.
template <class T>
std::optional<T> whole(std::string_view s) {
    T v{};
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || p != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

// The words of a line split at single blanks.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> w;
    std::size_t at = 0;
    for (;;) {
        std::size_t blank = line.find(' ', at);
        w.push_back(line.substr(at, blank == std::string_view::npos ? std::string_view::npos : blank - at));
        if (blank == std::string_view::npos) return w;
        at = blank + 1;
    }
}

// A file of the game directory itself: no directory part, no control bytes.
bool plain_name(std::string_view n) {
    if (n.empty() || n == "." || n == "..") return false;
    for (char c : n)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < ' ') return false;
    return true;
}

// The temporary file of a rewrite of that file (file_access.hpp), or "-".
bool temp_of(std::string_view temp, std::string_view file) {
    return temp == "-" ||
           (plain_name(temp) && temp.size() > file.size() + 6 && temp.starts_with(".") &&
            temp.substr(1, file.size()) == file && temp[file.size() + 1] == '.' && temp.ends_with(".tmp"));
}

std::optional<std::string> from_hex(std::string_view hex) {
    if (hex.size() != 2 * item_record::record_size) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        auto digit = [](char c) -> int {
            for (int d = 0; d < 16; ++d)
                if (hex_digits[d] == c) return d;
            return -1;
        };
        int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return bytes;
}

// True when the write's new contents stand: its temporary file was renamed over the file. One
// left behind (the kill came first) is removed.
bool landed(const shop_step::write& w) {
    if (w.temp == "-") return false;
    std::optional<file_stamp> t = stamp_of(w.temp);
    if (!t || t->inode != w.inode) return true;
    erase_file(w.temp);
    return false;
}

// The step's item taken out of the character's inventory (out: a purchase undone) or put into
// it (a purchase completed, a sale undone).
void move_in_inventory(const shop_step& s, bool out) {
    inventory_list items;
    read_inventory(s.number, items);
    std::string image = encode_record(s.item);
    if (out) {
        for (auto it = items.begin(); it != items.end(); ++it)
            if (encode_record(*it) == image) {
                items.erase(it);
                break;
            }
    } else {
        add_to_inv_NW(items, s.item);
    }
    write_inventory(s.number, items);
}

// Resets the rename watch however the step ends.
struct watch_scope {
    explicit watch_scope(rename_watch_fn w) { set_rename_watch(std::move(w)); }
    ~watch_scope() { set_rename_watch(nullptr); }
    watch_scope(const watch_scope&) = delete;
    watch_scope& operator=(const watch_scope&) = delete;
};
}  // namespace

std::string step_file_name(std::int16_t number) { return "step" + zero_pad(number, 4) + ".dat"; }

std::string encode_step(const shop_step& s) {
    bool reading = s.kind == step_kind::read;
    std::string t = std::string(step_head) + "\n" + std::string(kind_words[static_cast<int>(s.kind)]) + "\n" +
                    std::to_string(s.number) + " " + std::to_string(s.created_time) + "\n" +
                    (reading ? s.mailbox : s.stock_file) + "\n";
    if (reading) t += std::to_string(s.message_at) + " " + std::to_string(s.mailbox_inode);
    for (unsigned char c : reading ? std::string() : encode_record(s.item)) {
        t += hex_digits[c >> 4];
        t += hex_digits[c & 15];
    }
    t += "\n";
    for (const shop_step::write& w : s.writes) t += w.file + " " + w.temp + " " + std::to_string(w.inode) + "\n";
    return t;
}

std::optional<shop_step> parse_step(std::string_view text) {
    std::size_t at = 0;
    shop_step s;
    std::optional<std::string_view> head = next_line(text, at), kind = next_line(text, at), who = next_line(text, at),
                                    stock = next_line(text, at), item = next_line(text, at);
    if (!item || *head != step_head) return std::nullopt;
    auto known = std::find(std::begin(kind_words), std::end(kind_words), *kind);
    if (known == std::end(kind_words)) return std::nullopt;
    s.kind = static_cast<step_kind>(known - std::begin(kind_words));
    std::vector<std::string_view> w = words(*who);
    std::optional<std::int16_t> number = w.size() == 2 ? whole<std::int16_t>(w[0]) : std::nullopt;
    std::optional<std::int32_t> created = w.size() == 2 ? whole<std::int32_t>(w[1]) : std::nullopt;
    if (!number || !created) return std::nullopt;
    s.number = *number;
    s.created_time = *created;
    if (s.kind == step_kind::read) {
        // Only the reader's own mailbox, at an offset the file can hold.
        w = words(*item);
        std::optional<std::int64_t> at = w.size() == 2 ? whole<std::int64_t>(w[0]) : std::nullopt;
        std::optional<std::uint64_t> inode = w.size() == 2 ? whole<std::uint64_t>(w[1]) : std::nullopt;
        s.message_at = at.value_or(-1);
        if (*stock != mailbox_temp_name(s.number) || s.message_at < 0 || !inode) return std::nullopt;
        s.mailbox = *stock;
        s.mailbox_inode = *inode;
    } else {
        std::optional<std::string> image = from_hex(*item);
        bool stock_ok = s.kind == step_kind::buy ? plain_name(*stock) && stock->ends_with(".shp") &&
                                                       stock->find(' ') == std::string_view::npos
                                                 : stock->empty();
        if (!image || !stock_ok) return std::nullopt;
        s.stock_file = *stock;
        decode_record(*image, s.item);
    }
    while (std::optional<std::string_view> line = next_line(text, at)) {
        w = words(*line);
        std::optional<std::uint64_t> inode = w.size() == 3 ? whole<std::uint64_t>(w[2]) : std::nullopt;
        if (!inode || !plain_name(w[0]) || !temp_of(w[1], w[0])) return std::nullopt;
        s.writes.push_back({std::string(w[0]), std::string(w[1]), *inode});
    }
    if (at != text.size()) return std::nullopt;
    return s;
}

void noted_step(shop_step step, const std::function<void()>& work) {
    if (!cur_char) return;
    std::string note = step_file_name(step.number);
    hold_guard hold;
    rewrite_file(note, encode_step(step));
    {
        watch_scope watch([&](const std::string& name, const std::string& temp) {
            if (temp.empty()) {
                if (!step.writes.empty() && step.writes.back().file == name) step.writes.back().temp = "-";
            } else {
                std::optional<file_stamp> t = stamp_of(temp);
                step.writes.push_back({name, temp, t ? t->inode : 0});
            }
            rewrite_file(note, encode_step(step));
        });
        work();
    }
    erase_file(note);
}

void settle_step() {
    if (!cur_char) return;
    std::string note = step_file_name(cur_char->number);
    if (!stamp_of(note)) return;
    hold_guard hold;
    std::string text;
    if (read_whole_file(note, text) != file_status::ok) return;
    std::optional<shop_step> s = parse_step(text);
    if (!s || s->number != cur_char->number || s->created_time != cur_char->created_time) {
        debug_log("FORCE:" + note + " is no step of " + cur_char->name.str() + ", erased");
        erase_file(note);
        return;
    }
    bool paid = false, stock = false, inventory = false;
    bool buying = s->kind == step_kind::buy;
    std::string inventory_name = inventory_file_name(s->number);
    for (const shop_step::write& w : s->writes) {
        bool l = landed(w);
        if (w.file == players_file_name) paid = paid || l;
        if (w.file == s->stock_file) stock = stock || l;
        if (w.file == inventory_name) inventory = inventory || l;
    }
    if (s->kind == step_kind::read) {
        // The letter's amounts on file: its message is marked in the mailbox as it was then
        // (the same inode; a rewrite of it that landed, or its erasure, had marked it already).
        std::optional<file_stamp> box = stamp_of(s->mailbox);
        if (paid && box && box->inode == s->mailbox_inode && s->message_at < box->size &&
            !overwrite_byte(s->mailbox, s->message_at, mail_read_mark))
            file_write_failed(s->mailbox);
    } else if (paid && buying && !inventory) {
        // The price paid or the offer received: the step is completed (a bought item that had
        // not reached the inventory yet is put there). Else what landed goes back.
        move_in_inventory(*s, false);
    } else if (!paid) {
        if (stock) return_one_to_stock(s->stock_file, s->item.name.view(), s->item.script_id.view(), s->item.cost);
        if (inventory) move_in_inventory(*s, buying);
    }
    debug_log("FORCE:" + note + (paid ? " completed" : " undone") + " for " + cur_char->name.str());
    erase_file(note);
}
