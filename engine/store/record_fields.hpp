// Each shared record's fields, listed once: where a field lies in the record's image, what it
// holds, and how one writer's change to it meets another's. The codec, the merge between
// writers and the utility's editors all walk these lists, so a field is never described twice.
//
// The merge between writers: a writer that holds a record across time keeps the record as it
// last read or wrote it (its base). Writing, it reads the file's record afresh under the hold
// and takes from its own copy only the fields it changed since that base; every other field
// keeps the file's value. A field both changed takes the writer's value, except an amount that
// several writers add to (gold, gems, pots, stock counts, treasuries): it becomes the file's
// value plus the writer's difference, held in the amount's range. A difference that would take
// the amount below its floor is never hidden: the merge reports it (short_amount) and the
// writer deals with it before writing. Whoever takes gold, gems or stock checks the amount on
// the fresh read in the same step, so a short amount means a writer that did not: the merge
// then takes what is there (the floor), since the writer's difference is what it did (a fall,
// a loss to a winner), and the writer logs it. Bit sets merge bit by bit.
// The sysop's editor writes what the sysop typed: there an amount it changed is taken as typed
// too (merge_typed_fields).
#pragma once
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "door/fstr.hpp"
#include "engine/store/codec.hpp"

enum class field_type : std::uint8_t { u8, i16, i32, f64, text, raw };
// plain: the writer's value; amount: added as a difference; bits: bit by bit.
enum class field_merge : std::uint8_t { plain, amount, bits };

template <class R>
struct record_field {
    std::string_view name;
    std::size_t offset = 0;
    field_type type = field_type::u8;
    std::size_t size = 0;  // text: its capacity (the image holds one byte more); raw: its bytes
    field_merge merge = field_merge::plain;
    std::int64_t lo = 0, hi = 0;  // an amount's range
    // The field in a record, by its type: whole numbers, reals, or text and raw bytes.
    std::int64_t (*get_int)(const R&) = nullptr;
    void (*set_int)(R&, std::int64_t) = nullptr;
    double (*get_real)(const R&) = nullptr;
    void (*set_real)(R&, double) = nullptr;
    std::string_view (*get_text)(const R&) = nullptr;
    void (*set_text)(R&, std::string_view) = nullptr;
};

// The field list of a record type (records.cpp, shop_file.cpp).
template <class R>
std::span<const record_field<R>> record_fields();

// The field of that name; null when the record has none.
template <class R>
const record_field<R>* field_named(std::string_view name) {
    for (const record_field<R>& f : record_fields<R>())
        if (f.name == name) return &f;
    return nullptr;
}

// ---- Building the lists ----
namespace field_detail {
template <class>
struct member;
template <class R, class T>
struct member<T R::*> {
    using record = R;
    using type = T;
};
template <auto M>
using record_of = typename member<decltype(M)>::record;
template <auto M>
using type_of = typename member<decltype(M)>::type;

template <class T>
constexpr field_type int_type() {
    static_assert(std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::int16_t> ||
                  std::is_same_v<T, std::int32_t>);
    if constexpr (std::is_same_v<T, std::uint8_t>) return field_type::u8;
    if constexpr (std::is_same_v<T, std::int16_t>) return field_type::i16;
    return field_type::i32;
}
template <class>
struct fstr_capacity;
template <std::size_t N>
struct fstr_capacity<fstr<N>> {
    static constexpr std::size_t value = N;
};
}  // namespace field_detail

// A whole number (u8, i16 or i32 member).
template <auto M>
constexpr record_field<field_detail::record_of<M>> number_field(std::string_view name, std::size_t offset) {
    using R = field_detail::record_of<M>;
    using T = field_detail::type_of<M>;
    record_field<R> f{name, offset, field_detail::int_type<T>(), sizeof(T)};
    f.get_int = [](const R& r) -> std::int64_t { return r.*M; };
    f.set_int = [](R& r, std::int64_t v) { r.*M = static_cast<T>(v); };
    return f;
}
// The I-th whole number of an array member.
template <auto M, std::size_t I>
constexpr record_field<field_detail::record_of<M>> element_field(std::string_view name, std::size_t offset) {
    using R = field_detail::record_of<M>;
    using T = typename field_detail::type_of<M>::value_type;
    record_field<R> f{name, offset, field_detail::int_type<T>(), sizeof(T)};
    f.get_int = [](const R& r) -> std::int64_t { return (r.*M)[I]; };
    f.set_int = [](R& r, std::int64_t v) { (r.*M)[I] = static_cast<T>(v); };
    return f;
}
// An IEEE double.
template <auto M>
constexpr record_field<field_detail::record_of<M>> real_field(std::string_view name, std::size_t offset) {
    using R = field_detail::record_of<M>;
    record_field<R> f{name, offset, field_type::f64, 8};
    f.get_real = [](const R& r) -> double { return r.*M; };
    f.set_real = [](R& r, double v) { r.*M = v; };
    return f;
}
// A length-prefixed text of the member's capacity.
template <auto M>
constexpr record_field<field_detail::record_of<M>> text_field(std::string_view name, std::size_t offset) {
    using R = field_detail::record_of<M>;
    record_field<R> f{name, offset, field_type::text, field_detail::fstr_capacity<field_detail::type_of<M>>::value};
    f.get_text = [](const R& r) -> std::string_view { return (r.*M).view(); };
    f.set_text = [](R& r, std::string_view v) { (r.*M) = v; };
    return f;
}
// Bytes kept as they stand (a std::array<std::uint8_t, N> member).
template <auto M>
constexpr record_field<field_detail::record_of<M>> raw_field(std::string_view name, std::size_t offset) {
    using R = field_detail::record_of<M>;
    using T = field_detail::type_of<M>;
    record_field<R> f{name, offset, field_type::raw, std::tuple_size_v<T>};
    f.get_text = [](const R& r) -> std::string_view {
        return std::string_view(reinterpret_cast<const char*>((r.*M).data()), (r.*M).size());
    };
    f.set_text = [](R& r, std::string_view v) {
        (r.*M).fill(0);
        std::copy_n(v.begin(), std::min(v.size(), (r.*M).size()), reinterpret_cast<char*>((r.*M).data()));
    };
    return f;
}
// An amount that several writers add to, held in [lo, hi].
template <class R>
constexpr record_field<R> amount(record_field<R> f, std::int64_t lo, std::int64_t hi) {
    f.merge = field_merge::amount;
    f.lo = lo;
    f.hi = hi;
    return f;
}
// A set of bits that writers change one by one.
template <class R>
constexpr record_field<R> bit_set(record_field<R> f) {
    f.merge = field_merge::bits;
    return f;
}

// ---- The codec ----
// Unrolled over a list known when compiling (the lists of records.cpp), so that each field's
// access is a direct one. Each field lies wholly inside the image of record_size bytes.
namespace field_detail {
template <class U>
inline void store_le(char* p, U v) {
    for (std::size_t i = 0; i < sizeof(U); ++i) p[i] = static_cast<char>(static_cast<std::uint8_t>(v >> (8 * i)));
}
template <class U>
inline U load_le(const char* p) {
    U v = 0;
    for (std::size_t i = 0; i < sizeof(U); ++i) v |= static_cast<U>(static_cast<std::uint8_t>(p[i])) << (8 * i);
    return v;
}

template <class R>
[[gnu::always_inline]] inline void encode_field(const record_field<R>& f, const R& r, char* b) {
    char* p = b + f.offset;
    switch (f.type) {
    case field_type::u8: *p = static_cast<char>(static_cast<std::uint8_t>(f.get_int(r))); break;
    case field_type::i16: store_le(p, static_cast<std::uint16_t>(f.get_int(r))); break;
    case field_type::i32: store_le(p, static_cast<std::uint32_t>(f.get_int(r))); break;
    case field_type::f64: store_le(p, std::bit_cast<std::uint64_t>(f.get_real(r))); break;
    case field_type::text: {
        // The length byte, the text; the zeros past it are the image's.
        std::string_view t = f.get_text(r);
        std::size_t n = std::min(t.size(), f.size);
        *p = static_cast<char>(n);
        std::copy_n(t.data(), n, p + 1);
        break;
    }
    case field_type::raw: {
        std::string_view t = f.get_text(r);
        std::copy_n(t.data(), std::min(t.size(), f.size), p);
        break;
    }
    }
}

template <class R>
[[gnu::always_inline]] inline void decode_field(const record_field<R>& f, const char* b, R& r) {
    const char* p = b + f.offset;
    switch (f.type) {
    case field_type::u8: f.set_int(r, static_cast<std::uint8_t>(*p)); break;
    case field_type::i16: f.set_int(r, static_cast<std::int16_t>(load_le<std::uint16_t>(p))); break;
    case field_type::i32: f.set_int(r, static_cast<std::int32_t>(load_le<std::uint32_t>(p))); break;
    case field_type::f64: f.set_real(r, std::bit_cast<double>(load_le<std::uint64_t>(p))); break;
    case field_type::text:
        f.set_text(r, std::string_view(p + 1, std::min<std::size_t>(static_cast<std::uint8_t>(*p), f.size)));
        break;
    case field_type::raw: f.set_text(r, std::string_view(p, f.size)); break;
    }
}

constexpr std::size_t image_width(field_type type, std::size_t size) {
    switch (type) {
    case field_type::u8: return 1;
    case field_type::i16: return 2;
    case field_type::i32: return 4;
    case field_type::f64: return 8;
    case field_type::text: return size + 1;
    case field_type::raw: return size;
    }
    return 0;
}

// Calls each with every field of List, each a constant of its own call.
template <const auto& List, class Each, std::size_t... I>
[[gnu::always_inline]] inline void each_field(Each&& each, std::index_sequence<I...>) {
    (each(std::integral_constant<std::size_t, I>{}), ...);
}
template <const auto& List, class R>
constexpr bool fields_inside() {
    for (const record_field<R>& f : List)
        if (f.offset + image_width(f.type, f.size) > R::record_size) return false;
    return true;
}
}  // namespace field_detail

// The image of record_size bytes of the record, by its list; bytes no field covers are zeros.
template <const auto& List, class R>
std::string encode_fields(const R& r) {
    static_assert(field_detail::fields_inside<List, R>());
    std::string b(R::record_size, '\0');
    field_detail::each_field<List>([&](auto i) { field_detail::encode_field(List[i()], r, b.data()); },
                                   std::make_index_sequence<std::size(List)>{});
    return b;
}
// The record of an image, by its list; a short image reads as if zero-filled, a text's length
// byte above its capacity as the capacity.
template <const auto& List, class R>
void decode_fields(std::string_view b, R& r) {
    static_assert(field_detail::fields_inside<List, R>());
    std::array<char, R::record_size> padded{};
    const char* image = b.data();
    if (b.size() < R::record_size) {
        std::copy(b.begin(), b.end(), padded.begin());
        image = padded.data();
    }
    field_detail::each_field<List>([&](auto i) { field_detail::decode_field(List[i()], image, r); },
                                   std::make_index_sequence<std::size(List)>{});
}

// ---- The merge ----
// True when the field holds the same in both records (reals compared bit for bit).
template <class R>
bool field_equal(const record_field<R>& f, const R& a, const R& b) {
    switch (f.type) {
    case field_type::f64:
        return std::bit_cast<std::uint64_t>(f.get_real(a)) == std::bit_cast<std::uint64_t>(f.get_real(b));
    case field_type::text:
    case field_type::raw: return f.get_text(a) == f.get_text(b);
    default: return f.get_int(a) == f.get_int(b);
    }
}

// True when every field of the two records is the same.
template <class R>
bool same_fields(const R& a, const R& b) {
    for (const record_field<R>& f : record_fields<R>())
        if (!field_equal(f, a, b)) return false;
    return true;
}

// An amount that a writer's difference would have taken below its floor: what the file held
// and the difference asked for (the merge left the floor).
struct short_amount {
    std::string_view field;
    std::int64_t file = 0, change = 0;
};
using short_amounts = std::vector<short_amount>;

// One field of the three-way merge, into fresh; an amount that came short is added to shorts.
template <class R>
void merge_field(const record_field<R>& f, R& fresh, const R& base, const R& mine, short_amounts& shorts) {
    if (field_equal(f, base, mine)) return;
    switch (f.type) {
    case field_type::f64: f.set_real(fresh, f.get_real(mine)); return;
    case field_type::text:
    case field_type::raw: f.set_text(fresh, f.get_text(mine)); return;
    default: break;
    }
    std::int64_t was = f.get_int(base), now = f.get_int(mine), file = f.get_int(fresh);
    if (f.merge == field_merge::bits) {
        std::int64_t changed = was ^ now;
        f.set_int(fresh, (file & ~changed) | (now & changed));
    } else if (f.merge == field_merge::amount && std::min({was, now, file}) >= f.lo &&
               std::max({was, now, file}) <= f.hi) {
        std::int64_t sum = file + (now - was);
        if (sum < f.lo) shorts.push_back({f.name, file, now - was});
        f.set_int(fresh, std::clamp(sum, f.lo, f.hi));
    } else {
        // A plain field, or an amount that stands outside its range (a stock that never runs
        // out, a damaged record): the writer's value.
        f.set_int(fresh, now);
    }
}

// The three-way merge: fresh (the file's record as read now) takes from mine every field that
// mine changed since base, as the list says; the fields mine left alone keep the file's value.
// The amounts that came short, for the writer to deal with.
template <class R>
short_amounts merge_fields(R& fresh, const R& base, const R& mine) {
    short_amounts shorts;
    for (const record_field<R>& f : record_fields<R>()) merge_field(f, fresh, base, mine, shorts);
    return shorts;
}

// The sysop's editor: every field the sysop changed is written as typed, an amount too (the
// last editor's value stands, and a typed 0 is 0); the fields it left alone keep the file's.
// A bit set still merges bit by bit: each bit is a toggle of its own on the editor's screen.
template <class R>
void merge_typed_fields(R& fresh, const R& base, const R& mine) {
    short_amounts none;  // only an amount comes short, and here every changed amount is typed
    for (const record_field<R>& f : record_fields<R>()) {
        if (f.merge == field_merge::amount && !field_equal(f, base, mine))
            f.set_int(fresh, f.get_int(mine));
        else
            merge_field(f, fresh, base, mine, none);
    }
}

// A writer's record of amounts that came short: one line each in the debug log, naming the
// file, the record and the field.
void log_short_amounts(std::string_view file, std::string_view record, const short_amounts& shorts);
