#include "runtime/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>

#include "runtime/tick_count.h"

namespace zorvane {
namespace {

TEST(Random, TheGeneratorsArithmetic) {
  zorvane::srand(1);
  EXPECT_EQ(zorvane::rand(), 41);
  EXPECT_EQ(zorvane::rand(), 18467);
  EXPECT_EQ(zorvane::rand(), 6334);
  // The state wraps modulo 2^32 and only bits 16 to 30 come out.
  zorvane::srand(0xFFFFFFFF);
  EXPECT_EQ(zorvane::rand(), static_cast<int>(((0xFFFFFFFFu * 214013u + 2531011u) >> 16) & 0x7FFF));
}

TEST(Random, EachThreadStartsAtOneAndKeepsItsOwnState) {
  zorvane::srand(12345);
  int firstInThread = -1;
  std::thread([&] {
    firstInThread = zorvane::rand();
    zorvane::srand(99);
    zorvane::rand();
  }).join();
  EXPECT_EQ(firstInThread, 41);
  zorvane::srand(12345);
  const int expected = zorvane::rand();
  zorvane::srand(12345);
  std::thread([] { zorvane::rand(); }).join();
  EXPECT_EQ(zorvane::rand(), expected);
}

TEST(Random, SeedingWithASeedLeavesTheAccumulatorAlone) {
  ResetSeedAccumulatorForTesting();
  SeedRandom(1);
  EXPECT_EQ(SeedAccumulator(), 0u);
  EXPECT_EQ(RandomInRange(20, 30), 28);
  EXPECT_EQ(RandomInRange(2, 10), 10);
  SeedRandom(-1);  // taken as the unsigned 0xFFFFFFFF
  const int drawn = zorvane::rand();
  zorvane::srand(0xFFFFFFFF);
  EXPECT_EQ(drawn, zorvane::rand());
}

TEST(Random, SeedingWithoutASeedGrowsTheAccumulator) {
  ResetSeedAccumulatorForTesting();
  SeedRandomAtTick(1000);
  EXPECT_EQ(SeedAccumulator(), 332u);
  const int afterFirst = zorvane::rand();
  SeedRandomAtTick(1000);
  EXPECT_EQ(SeedAccumulator(), 484u);
  const int afterSecond = zorvane::rand();
  zorvane::srand(1000);
  EXPECT_EQ(afterFirst, zorvane::rand());
  zorvane::srand(1332);
  EXPECT_EQ(afterSecond, zorvane::rand());

  // The seed wraps modulo 2^32.
  SeedRandomAtTick(0xFFFFFFFF);
  EXPECT_EQ(SeedAccumulator(), 484u + ((483u & 0xFF) + 100u));

  const std::uint32_t before = SeedAccumulator();
  SeedRandom();
  EXPECT_GE(SeedAccumulator() - before, 100u);
  EXPECT_LE(SeedAccumulator() - before, 355u);
  ResetSeedAccumulatorForTesting();
}

TEST(RandomInRange, ReversedBoundsAreSwapped) {
  zorvane::srand(7);
  const int forward = RandomInRange(20, 30);
  zorvane::srand(7);
  EXPECT_EQ(RandomInRange(30, 20), forward);
}

TEST(RandomInRange, EqualBoundsDoNotDraw) {
  zorvane::srand(5);
  const int undisturbed = zorvane::rand();
  zorvane::srand(5);
  EXPECT_EQ(RandomInRange(5, 5), 5);
  EXPECT_EQ(RandomInRange(-10, -1), 0);
  EXPECT_EQ(RandomInRange(std::nullopt, 0), 0);
  EXPECT_EQ(RandomInRange(INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(zorvane::rand(), undisturbed);
}

TEST(RandomInRange, NegativeAndOmittedBounds) {
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(-10, 3), 41 % 4);
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(5), 5 + 41);
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(std::nullopt, 5), 41 % 6);
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(INT_MIN, 2), 41 % 3);
  for (int i = 0; i < 200; ++i) {
    const int value = RandomInRange();
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 32767);
  }
}

TEST(RandomInRange, TheTopOfTheRangeDoesNotOverflow) {
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(0, INT_MAX), 41);
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(INT_MAX, 0), 41);
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(INT_MAX - 47, INT_MAX), INT_MAX - 47 + 41);
  zorvane::srand(1);
  EXPECT_EQ(RandomInRange(INT_MAX - 9, std::nullopt), INT_MAX - 9 + 41 % 10);
}

TEST(TickCount, CountsMilliseconds) {
  const std::uint32_t before = GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const std::uint32_t elapsed = GetTickCount() - before;
  EXPECT_GE(elapsed, 25u);
  EXPECT_LT(elapsed, 10000u);
}

}  // namespace
}  // namespace zorvane
