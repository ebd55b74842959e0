#pragma once

#include <cstdint>
#include <random>

// A uniform sequence in [0, 1) that can be reseeded from a number.
class RandomSequence {
public:
    explicit RandomSequence(std::uint32_t seed = 0) : engine_(seed) {}

    void reseed(double seed);
    float next();

private:
    std::mt19937 engine_;
};
