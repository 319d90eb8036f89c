// The module's own generator, so that a given seed always yields the same
// amounts, whatever the C library's rand does.
#include "runtime/random.h"

#include <algorithm>
#include <atomic>

#include "runtime/tick_count.h"

namespace zorvane {
namespace {

thread_local std::uint32_t randomState = 1;

// Module-wide; only the host's calling thread seeds, but an atomic keeps a
// stray second thread from being undefined behaviour.
std::atomic<std::uint32_t> seedAccumulator{0};

constexpr std::int64_t kLargestSpan = 0x7FFFFFFE;
constexpr std::int32_t kHighestBound = 0x7FFFFFFF;

std::int64_t Bound(std::optional<std::int32_t> given, std::int32_t omitted) {
  return std::max<std::int64_t>(given.value_or(omitted), 0);
}

}  // namespace

void srand(std::uint32_t seed) {
  randomState = seed;
}

int rand() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFF);
}

void SeedRandom(std::optional<std::int32_t> seed) {
  if (seed) {
    zorvane::srand(static_cast<std::uint32_t>(*seed));
  } else {
    SeedRandomAtTick(GetTickCount());
  }
}

void SeedRandomAtTick(std::uint32_t tickCount) {
  const std::uint32_t accumulator = seedAccumulator.load(std::memory_order_relaxed);
  const std::uint32_t seed = tickCount + accumulator;
  // Grows by 100 to 355, so that two seedings in the same millisecond differ.
  seedAccumulator.store(accumulator + (seed & 0xFF) + 100, std::memory_order_relaxed);
  zorvane::srand(seed);
}

std::uint32_t SeedAccumulator() {
  return seedAccumulator.load(std::memory_order_relaxed);
}

void ResetSeedAccumulatorForTesting() {
  seedAccumulator.store(0, std::memory_order_relaxed);
}

std::int32_t RandomInRange(std::optional<std::int32_t> low, std::optional<std::int32_t> high) {
  std::int64_t lo = Bound(low, 0);
  std::int64_t hi = Bound(high, kHighestBound);
  if (lo > hi) {
    std::swap(lo, hi);
  }
  if (lo == hi) {
    return static_cast<std::int32_t>(lo);
  }
  const std::int64_t span = std::min(hi - lo, kLargestSpan);
  return static_cast<std::int32_t>(lo + zorvane::rand() % (span + 1));
}

}  // namespace zorvane
