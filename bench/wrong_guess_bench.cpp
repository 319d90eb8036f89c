// A wrong guess against the I/O it cannot avoid. The guess reads the group's
// sign-in data file three times (the balance test, the balance again before
// the change, and nothing else of it) and rewrites it once, crash-safely;
// the floor does exactly that I/O on the same file with nothing around it:
// three whole-file reads, then a new file beside it written, flushed,
// renamed over it, and the folder flushed. The two run alternately in the
// same process, so that whatever else the machine does hits both alike;
// the figure that counts is the ratio of their medians.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "bench_game.h"

namespace zorvane::bench {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(what);
  }
}

void ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  Check(fd >= 0, "open");
  struct stat info;
  Check(::fstat(fd, &info) == 0, "fstat");
  const auto size = static_cast<std::size_t>(info.st_size);
  std::unique_ptr<char[]> bytes(new char[size + 1]);
  std::size_t got = 0;
  for (ssize_t n; (n = ::read(fd, bytes.get() + got, size + 1 - got)) > 0;) {
    got += static_cast<std::size_t>(n);
  }
  benchmark::DoNotOptimize(bytes.get());
  ::close(fd);
}

// The least that replacing a file without ever leaving half of it costs.
void RewriteCrashSafely(const std::string& path, const std::string& bytes) {
  const std::string folder = path.substr(0, path.rfind('/'));
  const std::string temporary = folder + "/.floor.tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  Check(fd >= 0, "create");
  Check(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write");
  Check(::fsync(fd) == 0 && ::close(fd) == 0, "fsync");
  Check(::rename(temporary.c_str(), path.c_str()) == 0, "rename");
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  Check(dir >= 0 && ::fsync(dir) == 0, "fsync folder");
  ::close(dir);
}

std::string FileBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  Check(fd >= 0 && ::fstat(fd, &info) == 0, "open");
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  Check(::read(fd, bytes.data(), bytes.size()) == info.st_size, "read");
  ::close(fd);
  return bytes;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double Now(clockid_t clock) {
  timespec now;
  ::clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The wall-clock and CPU seconds (user and kernel) of one step. The CPU
// time leaves out the waits for the disk, which other programs sharing it
// lengthen at random.
struct Spent {
  double wall;
  double cpu;
};

template <class Step>
Spent Measure(Step step) {
  const double wall = Now(CLOCK_MONOTONIC);
  const double cpu = Now(CLOCK_THREAD_CPUTIME_ID);
  step();
  return {Now(CLOCK_MONOTONIC) - wall, Now(CLOCK_THREAD_CPUTIME_ID) - cpu};
}

// Arguments: the number of members, and 1 for names with letters ("m100005"
// in the group "g1"), 0 for numbers. The guessing member is the last one in
// the file, the farthest from its start.
void BM_WrongGuessAgainstIoFloor(benchmark::State& state) {
  const int members = static_cast<int>(state.range(0));
  const Names names = state.range(1) != 0 ? Names::Lettered : Names::Numeric;
  BenchGame game(members, "1000000000.5", NoSite(), names);
  game.OpenRiddle("谜底");
  const std::string member = Member(members - 1, names);
  std::vector<double> guess, floor, ratios, guessCpu, floorCpu;
  bool guessFirst = true;
  for (auto _ : state) {
    // The floor writes the file as it stands, so both handle the same bytes.
    const std::string bytes = FileBytes(game.LedgerPath());
    const auto wrongGuess = [&] { benchmark::DoNotOptimize(game.Event("不对", "2", member)); };
    const auto ioFloor = [&] {
      for (int read = 0; read < 3; ++read) {
        ReadWholeFile(game.LedgerPath());
      }
      RewriteCrashSafely(game.LedgerPath(), bytes);
    };
    Spent g, f;
    if (guessFirst) {
      g = Measure(wrongGuess);
      f = Measure(ioFloor);
    } else {
      f = Measure(ioFloor);
      g = Measure(wrongGuess);
    }
    guessFirst = !guessFirst;
    guess.push_back(g.wall);
    floor.push_back(f.wall);
    ratios.push_back(g.wall / f.wall);
    guessCpu.push_back(g.cpu);
    floorCpu.push_back(f.cpu);
  }
  state.counters["guess_ms"] = Median(guess) * 1e3;
  state.counters["floor_ms"] = Median(floor) * 1e3;
  state.counters["ratio"] = Median(guess) / Median(floor);
  state.counters["pair_ratio"] = Median(ratios);
  state.counters["cpu_ratio"] = Median(guessCpu) / Median(floorCpu);
  state.counters["bytes"] = static_cast<double>(FileBytes(game.LedgerPath()).size());
}

BENCHMARK(BM_WrongGuessAgainstIoFloor)
    ->Args({100, 0})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorvane::bench
