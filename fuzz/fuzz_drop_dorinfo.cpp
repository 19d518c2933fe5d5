// The DORINFO reader on any bytes, as QUICK, RBBS and DORINFO1 (the first byte picks).
#include "drop_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const int types[] = {3, 7, 9};
    int type = types[data[0] % 3];
    // Node 1 so that every type reads the same name.
    fuzz_drop(type, "dorinfo1.def", data + 1, size - 1, 1);
    return 0;
}
