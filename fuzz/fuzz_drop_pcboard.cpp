// PCBOARD.SYS on any bytes, in the PCBoard 12, 14 and 15 forms (the first byte picks).
#include "drop_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const int types[] = {4, 6, 10};
    fuzz_drop(types[data[0] % 3], "pcboard.sys", data + 1, size - 1);
    return 0;
}
