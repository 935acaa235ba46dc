#pragma once

#include <cstdint>

namespace kb {

// Uniform single-precision values in [0, 1). Reseeding mixes the clock into
// the state; it never restarts the sequence, so the same clock value twice
// still gives two different values.
class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 0x9E3779B97F4A7C15ull) : state_(seed) {}
    void reseed(double timeOfDay);
    float next();

private:
    std::uint64_t state_;
};

} // namespace kb
