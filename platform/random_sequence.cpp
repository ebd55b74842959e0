#include "platform/random_sequence.h"

#include <cmath>

void RandomSequence::reseed(double seed)
{
    // Seconds since midnight carry milliseconds: keep them, so that two runs
    // started within the same second still differ.
    const double scaled = std::fmod(std::fabs(seed) * 1000.0, 4294967296.0);
    engine_.seed(static_cast<std::uint32_t>(scaled));
}

float RandomSequence::next()
{
    // 24 random bits fill a float's mantissa exactly: never 1.0.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}
