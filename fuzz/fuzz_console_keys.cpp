// Terminal key sequences and the utility's field editor on any bytes. The first byte is the
// field's maximum, the second the length of the value it starts with, then the value, then
// the keys.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/console.hpp"
#include "config/creature_editor.hpp"
#include "config/options.hpp"
#include "config/shop_editor.hpp"
#include "door/keys.hpp"

namespace {
std::string_view stream;
int next_byte(int) {
    if (stream.empty()) return -1;
    unsigned char b = static_cast<unsigned char>(stream.front());
    stream.remove_prefix(1);
    return b;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::size_t max = static_cast<unsigned char>(in[0]);
    std::size_t n = std::min<std::size_t>(static_cast<unsigned char>(in[1]), size - 2);
    cfg::field_state f = cfg::start_field(in.substr(2, n), max);
    std::string_view keys = in.substr(2 + n);

    for (std::size_t pos = 0; pos < keys.size();) {
        std::string_view rest = keys.substr(pos);
        term_key k = decode_term_key(rest, true);
        if (k.length == 0 || k.length > rest.size()) std::abort();
        if (decode_term_key(rest, false).length > rest.size()) std::abort();
        pos += k.length;
        if (k.sequence && !k.extended) continue;
        cfg::field_key(f, static_cast<char>(k.code), k.extended);
        if (f.text.size() > f.max_length || f.cursor < 1 || f.cursor > f.text.size() + 1) std::abort();
        f.done = false;
    }
    // What a field gives goes to the editors' checks of typed values.
    (void)cfg::creature_stem_refusal(f.text);
    (void)cfg::shop_name_refusal(f.text);
    // The typed-value checks of the editors on whatever the field holds.
    std::string why;
    if (auto v = cfg::typed_number(f.text, true, 1, 32767, why); v && (*v < 1 || *v > 32767)) std::abort();
    if (auto v = cfg::typed_real(f.text, true, why); v && !(*v > 0 && *v < HUGE_VAL)) std::abort();

    // The reader over the same bytes takes every byte exactly once.
    stream = keys;
    std::size_t taken = 0;
    while (!stream.empty()) {
        std::size_t before = stream.size();
        int first = next_byte(0);
        read_term_key_result r = read_term_key(first, next_byte);
        std::size_t used = before - stream.size() - (r.leftover >= 0 ? 1 : 0);
        if (used != r.key.length || used == 0) std::abort();
        if (r.leftover >= 0) stream = keys.substr(keys.size() - stream.size() - 1);
        taken += used;
    }
    if (taken != keys.size()) std::abort();
    return 0;
}
