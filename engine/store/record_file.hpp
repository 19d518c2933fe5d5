// One generic file of fixed-size records back to back, with no header ("players.dat",
// "guilds.dat", "quorstat.dat", inventories, ...). A file whose size is not a whole number
// of records is corrupt. Writes replace the whole file atomically (file_access.hpp).
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/file_access.hpp"
#include "engine/store/records.hpp"

// Decodes records from a file image handed over in pieces, in file order, handing each on
// as it is complete; a record cut between two pieces is put together first.
template <class R>
class record_decoder {
public:
    explicit record_decoder(std::function<void(const R&)> each) : each_(std::move(each)) {}
    void take(std::string_view piece) {
        if (!part_.empty()) {
            std::size_t need = std::min(R::record_size - part_.size(), piece.size());
            part_.append(piece.substr(0, need));
            piece.remove_prefix(need);
            if (part_.size() < R::record_size) return;
            hand_on(part_);
            part_.clear();
        }
        for (; piece.size() >= R::record_size; piece.remove_prefix(R::record_size))
            hand_on(piece.substr(0, R::record_size));
        part_.assign(piece);
    }
    // False when the image ended inside a record.
    bool finish() const { return part_.empty(); }

private:
    void hand_on(std::string_view image) {
        R r;
        decode_record(image, r);
        each_(r);
    }
    std::function<void(const R&)> each_;
    std::string part_;
};

// Records from a whole file image, in file order. False (out untouched) when the image is
// not a whole number of records.
template <class R>
bool parse_records(std::string_view image, std::vector<R>& out) {
    if (image.size() % R::record_size != 0) return false;
    std::vector<R> recs;
    recs.reserve(image.size() / R::record_size);
    record_decoder<R> d([&recs](const R& r) { recs.push_back(r); });
    d.take(image);
    out = std::move(recs);
    return true;
}

// The file image of records in the order given.
template <class R, class Range>
std::string records_image(const Range& recs) {
    std::string image;
    image.reserve(static_cast<std::size_t>(std::distance(std::begin(recs), std::end(recs))) * R::record_size);
    for (const R& r : recs) image += encode_record(r);
    return image;
}

// Reads a record file through the open rule, handing each record to each in file order as
// it is decoded: a file of many thousand characters is never held whole. Missing, corrupt (a
// failed read or a size that is not a whole number of records; a size known to be wrong
// hands on nothing) or ok. A file that stays busy ends the game with its code.
// stamp, when given, receives the stamp of the file read.
template <class R>
file_status read_record_file(const std::string& name, const std::function<void(const R&)>& each,
                             file_stamp* stamp = nullptr) {
    file_stamp own;
    file_stamp& s = stamp ? *stamp : own;
    record_decoder<R> d(each);
    bool whole = true;
    file_status st = read_file_pieces(
        name,
        [&](std::string_view piece) {
            if (s.size % static_cast<std::int64_t>(R::record_size) != 0) whole = false;
            if (whole) d.take(piece);
        },
        &s);
    if (st != file_status::ok) return st;
    return whole && d.finish() ? file_status::ok : file_status::corrupt;
}

// The same, into out (untouched unless ok) in file order.
template <class R>
file_status read_record_file(const std::string& name, std::vector<R>& out, file_stamp* stamp = nullptr) {
    file_stamp own;
    file_stamp& s = stamp ? *stamp : own;
    std::vector<R> recs;
    file_status st = read_record_file<R>(
        name,
        [&recs, &s](const R& r) {
            if (recs.empty() && s.size > 0) recs.reserve(static_cast<std::size_t>(s.size) / R::record_size);
            recs.push_back(r);
        },
        &s);
    if (st == file_status::ok) out = std::move(recs);
    return st;
}

// Rewrites a record file from recs in order (temporary file + rename); a failed write
// keeps the old file and ends the game with code 5 (rewrite_file).
template <class R, class Range>
void write_record_file(const std::string& name, const Range& recs) {
    // Written in pieces of some hundred records: a file of many thousand characters is
    // never built whole in memory.
    rewrite_file(name, [&recs](const piece_writer& put) {
        std::string piece;
        for (const R& r : recs) {
            piece += encode_record(r);
            if (piece.size() >= 65536) {
                if (!put(piece)) return false;
                piece.clear();
            }
        }
        return put(piece);
    });
}
