// One settings read or write in a large group's sign-in data file: 10,000
// members, each in a section "<member>--<group>" holding the balance key.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/settings.h"

namespace {

constexpr int Members = 10000;
const std::string Group = "123456789";
const char* const BalanceKey = "总共人民币";

std::string SectionOf(int member) {
  return std::to_string(100000 + member) + "--" + Group;
}

// A fresh folder with the sign-in data file, removed at the end of the run.
class SignInFile {
 public:
  SignInFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zorvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    folder_ = pattern;
    path_ = (folder_ / ("签到数据" + Group + ".ini")).string();
    std::ofstream out(path_, std::ios::binary);
    for (int member = 0; member < Members; ++member) {
      out << "[" << SectionOf(member) << "]\r\n"
          << BalanceKey << "=" << 80 + member % 50 << ".5\r\n"
          << "签到天数=" << member % 365 << "\r\n";
    }
  }
  ~SignInFile() { std::filesystem::remove_all(folder_); }

  const std::string& path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

void BM_ReadSetting(benchmark::State& state) {
  const SignInFile file;
  const std::string section = SectionOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(zorvane::ReadSetting(file.path(), section, BalanceKey));
  }
}

void BM_WriteSetting(benchmark::State& state) {
  const SignInFile file;
  const std::string section = SectionOf(static_cast<int>(state.range(0)));
  int balance = 0;
  for (auto _ : state) {
    // A new value each time, so that every call rewrites the file.
    const std::string value = std::to_string(100 + balance++ % 1000) + ".5";
    if (!zorvane::WriteSetting(file.path(), section, BalanceKey, value)) {
      state.SkipWithError("write failed");
      break;
    }
  }
}

// Member 0 lies at the start of the file, member 9999 at its end.
BENCHMARK(BM_ReadSetting)->Arg(0)->Arg(Members - 1);
BENCHMARK(BM_WriteSetting)->Arg(0)->Arg(Members - 1);

}  // namespace
