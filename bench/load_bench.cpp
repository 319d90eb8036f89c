// Events through the Zorvane export with sign-in data files of 100, 10,000
// and 100,000 members; the member who sends them is the last in the file.
// items_per_second is the number of events the module answers per second.
#include <benchmark/benchmark.h>

#include "bench_game.h"
#include "support/riddle_site_fixture.h"

namespace zorvane::bench {
namespace {

constexpr const char* RichBalance = "1000000000.5";

int Members(const benchmark::State& state) {
  return static_cast<int>(state.range(0));
}

std::string LastMember(const benchmark::State& state) {
  return Member(Members(state) - 1);
}

// The same event from the last member on every iteration.
void SendRepeatedly(benchmark::State& state, BenchGame& game, const std::string& message,
                    const std::string& type = "2") {
  const std::string member = LastMember(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(game.Event(message, type, member));
  }
  state.SetItemsProcessed(state.iterations());
}

// A message of another type than "2": answered before any file is read.
void BM_IgnoredMessage(benchmark::State& state) {
  BenchGame game(Members(state), RichBalance, NoSite());
  SendRepeatedly(state, game, "开始", "1");
}

// A group message while the group has no riddle open: the balance is read,
// then the empty answer; nothing is written.
void BM_NoRiddleOpen(benchmark::State& state) {
  BenchGame game(Members(state), RichBalance, NoSite());
  SendRepeatedly(state, game, "随便说说");
}

// A member whose balance is too low: read twice, answered with the refusal.
void BM_RefusedMember(benchmark::State& state) {
  BenchGame game(Members(state), RichBalance, NoSite());
  game.SetBalance(LastMember(state), "10");
  game.OpenRiddle("谜底");
  SendRepeatedly(state, game, "不对");
}

// A wrong guess: three reads and one crash-safe rewrite of the file.
void BM_WrongGuess(benchmark::State& state) {
  BenchGame game(Members(state), RichBalance, NoSite());
  game.OpenRiddle("谜底");
  SendRepeatedly(state, game, "不对");
}

// Two riddle pages that lead to each other, so that the game never runs out;
// the path of the first.
std::string ServeRiddleLoop(testing::RiddleSite& site) {
  std::vector<testing::RiddleChainLink> chain = testing::MakeRiddleChain("/dmmy/r00.html", 2);
  chain.back().riddle.nextPath = chain.front().path;
  site.SetChain(chain);
  return chain.front().path;
}

// A start command: the group's current page fetched from the local site and
// its answer stored.
void BM_StartCommand(benchmark::State& state) {
  testing::RiddleSite site;
  BenchGame game(Members(state), RichBalance, site.base());
  game.SetCurrentPage(ServeRiddleLoop(site));
  SendRepeatedly(state, game, "开始");
}

// A correct guess: the reward written, the next page fetched and its answer
// stored.
void BM_CorrectGuess(benchmark::State& state) {
  testing::RiddleSite site;
  BenchGame game(Members(state), RichBalance, site.base());
  game.SetCurrentPage(ServeRiddleLoop(site));
  const std::string member = LastMember(state);
  game.Event("开始", "2", member);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string answer = game.StoredAnswer();
    state.ResumeTiming();
    benchmark::DoNotOptimize(game.Event(answer, "2", member));
  }
  state.SetItemsProcessed(state.iterations());
}

void Sizes(benchmark::internal::Benchmark* b) {
  // Events wait on the disk and the site: they are timed by the clock.
  b->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_IgnoredMessage)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NoRiddleOpen)->Apply(Sizes);
BENCHMARK(BM_RefusedMember)->Apply(Sizes);
BENCHMARK(BM_WrongGuess)->Apply(Sizes);
BENCHMARK(BM_StartCommand)->Apply(Sizes);
BENCHMARK(BM_CorrectGuess)->Apply(Sizes);

}  // namespace
}  // namespace zorvane::bench
