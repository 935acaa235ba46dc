#include "random_source.h"

#include <cstring>

namespace kb {
namespace {

std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

void RandomSource::reseed(double timeOfDay) {
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof timeOfDay);
    std::memcpy(&bits, &timeOfDay, sizeof bits);
    std::uint64_t mix = bits;
    state_ ^= splitmix(mix);
}

float RandomSource::next() {
    // 24 random bits give every float of the form k / 2^24, all below 1.
    return static_cast<float>(splitmix(state_) >> 40) * (1.0f / 16777216.0f);
}

} // namespace kb
