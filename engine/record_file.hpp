// One generic file of fixed-size records back to back, with no header ("players.dat",
// "guilds.dat", "quorstat.dat", inventories, ...). A file whose size is not a whole number
// of records is corrupt. Writes replace the whole file atomically (file_access.hpp).
#pragma once
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_access.hpp"
#include "engine/records.hpp"

// Records from a whole file image, in file order. False (out untouched) when the image is
// not a whole number of records.
template <class R>
bool parse_records(std::string_view image, std::vector<R>& out) {
    if (image.size() % R::record_size != 0) return false;
    std::vector<R> recs(image.size() / R::record_size);
    for (std::size_t i = 0; i < recs.size(); ++i)
        decode_record(image.substr(i * R::record_size, R::record_size), recs[i]);
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

// Reads a record file through the open rule: missing, corrupt (a failed read or a size
// that is not a whole number of records) or ok with the records in file order.
// A file that stays busy ends the game with its code.
// stamp, when given, receives the stamp of the file read.
template <class R>
file_status read_record_file(const std::string& name, std::vector<R>& out, file_stamp* stamp = nullptr) {
    std::string image;
    file_status st = read_whole_file(name, image, stamp);
    if (st != file_status::ok) return st;
    return parse_records<R>(image, out) ? file_status::ok : file_status::corrupt;
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
