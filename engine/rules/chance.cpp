#include "engine/rules/chance.hpp"

#include "door/sys.hpp"

double random_real() {
    constexpr int range = 1 << 30;
    return double(random_n(range)) / range;
}
