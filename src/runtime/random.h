// The module's own pseudo-random generator: a 32-bit linear congruential
// generator with one state per thread, never the C library's rand.
#pragma once

#include <cstdint>
#include <optional>

namespace zorvane {

// Sets the calling thread's generator state. (The module's own generator:
// unrelated to the C library functions of the same names.)
void srand(std::uint32_t seed);

// state = state * 214013 + 2531011; returns bits 16 to 30 (0 to 32767).
int rand();

// With a seed: srand(seed). Without: seeds from the tick count plus the
// module-wide seed accumulator, which then grows by 100 to 355.
void SeedRandom(std::optional<std::int32_t> seed = std::nullopt);

// SeedRandom without a seed, at a given tick count.
void SeedRandomAtTick(std::uint32_t tickCount);

// The module-wide seed accumulator: 0 at load, grown by every unseeded SeedRandom.
std::uint32_t SeedAccumulator();
void ResetSeedAccumulatorForTesting();

// A whole number from low to high inclusive (negative bounds read as 0,
// omitted ones as 0 and 0x7FFFFFFF, swapped when reversed); equal bounds
// give that bound without drawing.
std::int32_t RandomInRange(std::optional<std::int32_t> low = std::nullopt,
                           std::optional<std::int32_t> high = std::nullopt);

}  // namespace zorvane
