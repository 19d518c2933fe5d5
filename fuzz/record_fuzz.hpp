// Shared body of the record-file fuzz targets: any bytes as a record file.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "door/sys.hpp"
#include "engine/store/record_file.hpp"
#include "fuzz/scratch_name.hpp"

namespace fuzzing {
// Pauses of the hold wait must not slow the fuzzer down.
struct instant_seam : system_seam {
    void sleep_ms(int) override {}
};

// Works in a scratch game directory of its own for one input, then returns to where the
// fuzzer was (it reads its corpus by relative names).
class scratch_dir {
public:
    scratch_dir() {
        static instant_seam seam;
        set_sys(&seam);
        static std::string dir;
        if (dir.empty()) {
            std::string tmpl = scratch_template("qvfuzz");
            if (!mkdtemp(tmpl.data())) std::abort();
            dir = tmpl;
        }
        back_ = open(".", O_RDONLY | O_DIRECTORY);
        if (back_ < 0 || chdir(dir.c_str()) != 0) std::abort();
    }
    ~scratch_dir() {
        if (fchdir(back_) != 0) std::abort();
        close(back_);
    }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

private:
    int back_ = -1;
};

// What the game shows goes nowhere (once a run).
inline void quiet_output() {
    static bool done = [] {
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        return true;
    }();
    (void)done;
}

inline std::string slurp(const char* name) {
    std::string contents;
    if (read_whole_file(name, contents) != file_status::ok) std::abort();
    return contents;
}

// Parsing never reads out of bounds; a short image reads as its zero-filled form; what
// parses writes back byte for byte up to the garbage past string lengths, and that image
// parses and writes back exactly.
template <class R>
void check_records(const std::uint8_t* data, std::size_t size) {
    std::string image(reinterpret_cast<const char*>(data), size);
    if (size > 0) {
        std::size_t n = std::min<std::size_t>(size, data[0] % R::record_size);
        std::string cut = image.substr(0, n);
        R shorter, padded;
        decode_record(cut, shorter);
        decode_record(cut + std::string(R::record_size - n, '\0'), padded);
        if (encode_record(shorter) != encode_record(padded)) std::abort();
    }
    std::vector<R> recs;
    if (!parse_records(image, recs)) {
        if (size % R::record_size == 0) std::abort();
        return;
    }
    std::string again = records_image<R>(recs);
    if (again.size() != size) std::abort();
    std::vector<R> back;
    if (!parse_records(again, back) || records_image<R>(back) != again) std::abort();
}
}  // namespace fuzzing
