// One generic file of fixed-size records back to back, with no header ("players.dat",
// "guilds.dat", "quorstat.dat", inventories, ...). A file whose size is not a whole number
// of records is corrupt. Writes replace the whole file atomically (file_access.hpp).
#pragma once
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_access.hpp"
#include "engine/records.hpp"

// Decodes records from a file image handed over in pieces, in file order; a record cut
// between two pieces is put together first.
template <class R>
class record_decoder {
public:
    void expect(std::int64_t bytes) {
        if (recs_.empty() && bytes > 0) recs_.reserve(static_cast<std::size_t>(bytes) / R::record_size);
    }
    void take(std::string_view piece) {
        if (!part_.empty()) {
            std::size_t need = std::min(R::record_size - part_.size(), piece.size());
            part_.append(piece.substr(0, need));
            piece.remove_prefix(need);
            if (part_.size() < R::record_size) return;
            decode_record(part_, recs_.emplace_back());
            part_.clear();
        }
        for (; piece.size() >= R::record_size; piece.remove_prefix(R::record_size))
            decode_record(piece.substr(0, R::record_size), recs_.emplace_back());
        part_.assign(piece);
    }
    // False (out untouched) when the image was not a whole number of records.
    bool finish(std::vector<R>& out) {
        if (!part_.empty()) return false;
        out = std::move(recs_);
        return true;
    }

private:
    std::vector<R> recs_;
    std::string part_;
};

// Records from a whole file image, in file order. False (out untouched) when the image is
// not a whole number of records.
template <class R>
bool parse_records(std::string_view image, std::vector<R>& out) {
    if (image.size() % R::record_size != 0) return false;
    record_decoder<R> d;
    d.expect(static_cast<std::int64_t>(image.size()));
    d.take(image);
    return d.finish(out);
}

// The file image of records in the order given.
template <class R, class Range>
std::string records_image(const Range& recs) {
    std::string image;
    image.reserve(static_cast<std::size_t>(std::distance(std::begin(recs), std::end(recs))) * R::record_size);
    for (const R& r : recs) image += encode_record(r);
    return image;
}

// Reads a record file through the open rule: missing, corrupt (a failed read or a size
// that is not a whole number of records) or ok with the records in file order.
// A file that stays busy ends the game with its code.
// stamp, when given, receives the stamp of the file read.
template <class R>
file_status read_record_file(const std::string& name, std::vector<R>& out, file_stamp* stamp = nullptr) {
    // Decoded as it is read: a file of many thousand characters is never held twice.
    file_stamp own;
    file_stamp& s = stamp ? *stamp : own;
    record_decoder<R> d;
    file_status st = read_file_pieces(name, [&d, &s](std::string_view piece) {
        d.expect(s.size);
        d.take(piece);
    }, &s);
    if (st != file_status::ok) return st;
    return d.finish(out) ? file_status::ok : file_status::corrupt;
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
