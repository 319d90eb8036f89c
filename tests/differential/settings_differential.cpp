// Compares the Linux settings engine and number conversions with the
// Windows API and msvcrt, as windows_probe.exe reports them under Wine.
//
//   settings_differential prepare DIR
//     lays out every scenario's files twice (DIR/win/N for Windows, DIR/linux/N
//     for this engine), runs the scenarios through this engine, and writes
//     DIR/script.txt for windows_probe.exe and DIR/linux.txt with this
//     engine's answers;
//   settings_differential compare DIR
//     compares DIR/windows.txt (the probe's answers) with DIR/linux.txt and the
//     files the two sides left behind. Exits non-zero on a difference that is
//     not named below.
//
// Files written here are also read back by the Windows API ("cross" reads):
// whatever this engine writes must read the same there.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "differential_scenarios.h"
#include "runtime/convert.h"
#include "runtime/random.h"
#include "runtime/settings/settings.h"
#include "support/hex.h"
#include "support/temp_dir.h"

namespace zorvane::differential {
namespace {

namespace fs = std::filesystem;

using testing::HexWord;

std::string Bits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

std::string Folder(std::size_t index) {
  const std::string digits = std::to_string(index);
  return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

// A request line of the probe's script.
std::string Request(const std::string& op, const std::string& id,
                    const std::vector<std::string>& fields) {
  std::string line = op + "\t" + id;
  for (const std::string& f : fields) {
    line += "\t" + f;
  }
  return line + "\n";
}

void LayOut(const fs::path& folder, const Scenario& scenario) {
  fs::create_directories(folder);
  if (scenario.setup == Setup::NoFolder) {
    return;
  }
  const fs::path file = folder / NativeName(scenario.fileName);
  if (scenario.setup == Setup::Directory) {
    fs::create_directory(file);
    return;
  }
  if (scenario.initial) {
    testing::WriteFileBytes(file, *scenario.initial);
  }
  if (scenario.setup == Setup::ReadOnly) {
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
}

// The scenario's file as each side names it.
std::string WindowsPath(const std::string& side, std::size_t index, const Scenario& scenario) {
  const std::string folder = side + "\\" + Folder(index) + "\\";
  return folder + (scenario.setup == Setup::NoFolder ? "none\\" : "") + scenario.fileName;
}

std::string LinuxPath(const fs::path& dir, std::size_t index, const Scenario& scenario) {
  const std::string folder = (dir / "linux" / Folder(index)).string() + "/";
  return folder + (scenario.setup == Setup::NoFolder ? "none/" : "") + scenario.fileName;
}

std::string LinuxAnswer(const std::string& file, const Operation& op) {
  if (op.kind == Operation::Read) {
    return HexWord(std::string(
        ReadSetting(file, op.section.value_or(""), op.key.value_or(""), op.value.value_or(""))));
  }
  std::optional<TextView> key, value;
  if (op.key) {
    key = *op.key;
  }
  if (op.value) {
    value = *op.value;
  }
  return WriteSetting(file, op.section.value_or(""), key, value) ? "1" : "0";
}

// The reads that end every scenario: each section and key it names.
std::vector<Operation> FinalReads(const Scenario& scenario) {
  std::set<std::pair<std::string, std::string>> seen;
  std::vector<Operation> reads;
  for (const Operation& op : scenario.operations) {
    if (op.section && op.key && seen.insert({*op.section, *op.key}).second) {
      reads.push_back(Read(*op.section, *op.key, "<default>"));
    }
  }
  return reads;
}

bool HasWrites(const Scenario& scenario) {
  for (const Operation& op : scenario.operations) {
    if (op.kind == Operation::Write) {
      return true;
    }
  }
  return false;
}

int Prepare(const fs::path& dir) {
  fs::remove_all(dir / "win");
  fs::remove_all(dir / "linux");
  std::ofstream script(dir / "script.txt", std::ios::binary);
  std::ofstream linux(dir / "linux.txt", std::ios::binary);
  const std::vector<Scenario> scenarios = SettingsScenarios();
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    const Scenario& scenario = scenarios[i];
    LayOut(dir / "win" / Folder(i), scenario);
    LayOut(dir / "linux" / Folder(i), scenario);
    std::vector<Operation> operations = scenario.operations;
    for (const Operation& read : FinalReads(scenario)) {
      operations.push_back(read);
    }
    const std::string linuxFile = LinuxPath(dir, i, scenario);
    const std::string windowsFile = WindowsPath("win", i, scenario);
    for (std::size_t k = 0; k < operations.size(); ++k) {
      const Operation& op = operations[k];
      const std::string id = std::string("s") + Folder(i) + "." + std::to_string(k);
      script << Request(
          op.kind == Operation::Read ? "R" : "W", id,
          {HexWord(windowsFile), HexWord(op.section), HexWord(op.key), HexWord(op.value)});
      linux << id << "\t" << LinuxAnswer(linuxFile, op) << "\n";
    }
    if (!HasWrites(scenario)) {
      continue;
    }
    // What this engine wrote, read by the Windows API.
    const std::vector<Operation> reads = FinalReads(scenario);
    for (std::size_t k = 0; k < reads.size(); ++k) {
      const Operation& op = reads[k];
      const std::string id = std::string("x") + Folder(i) + "." + std::to_string(k);
      script << Request("R", id,
                        {HexWord(WindowsPath("linux", i, scenario)), HexWord(op.section),
                         HexWord(op.key), HexWord(op.value)});
      linux << id << "\t" << LinuxAnswer(linuxFile, op) << "\n";
    }
  }
  const std::vector<double> numbers = NumberScenarios();
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const std::string id = std::string("f") + std::to_string(i);
    script << Request("F", id, {Bits(numbers[i]).c_str()});
    linux << id << "\t" << HexWord(std::string(ToText(numbers[i]))) << "\n";
  }
  const std::vector<std::string> texts = NumberTextScenarios();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string id = std::string("a") + std::to_string(i);
    script << Request("A", id, {HexWord(texts[i])});
    linux << id << "\t" << Bits(ToNumber(texts[i])) << "\n";
  }
  for (const std::uint32_t seed : RandomSeeds()) {
    char hexSeed[16];
    std::snprintf(hexSeed, sizeof hexSeed, "%x", seed);
    const std::string id = std::string("r") + std::string(hexSeed);
    script << Request("S", id, {hexSeed, "20"});
    zorvane::srand(seed);
    std::string values;
    for (int k = 0; k < 20; ++k) {
      values += std::to_string(zorvane::rand()) + (k < 19 ? "," : "");
    }
    linux << id << "\t" << values << "\n";
  }
  std::cout << scenarios.size() << " settings scenarios, " << numbers.size() << " numbers, "
            << texts.size() << " number texts, " << RandomSeeds().size() << " seeds\n";
  return 0;
}

std::map<std::string, std::string> ReadAnswers(const fs::path& file) {
  std::map<std::string, std::string> answers;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) {
      answers[line.substr(0, tab)] = line.substr(tab + 1);
    }
  }
  return answers;
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    names.insert(fs::relative(entry.path(), folder).string());
  }
  return names;
}

// The scenario an answer's id belongs to, or none for numbers.
std::optional<std::size_t> ScenarioOf(const std::string& id) {
  if (id.size() < 4 || (id[0] != 's' && id[0] != 'x')) {
    return std::nullopt;
  }
  return std::stoul(id.substr(1, 3));
}

std::string Describe(const std::string& id, const std::vector<Scenario>& scenarios) {
  const std::optional<std::size_t> index = ScenarioOf(id);
  return index ? id + " (" + scenarios[*index].name + ")" : id;
}

// Long answers (the values around 10240 bytes) by their length and ends.
std::string Shortened(const std::string& answer) {
  if (answer.size() <= 80) {
    return answer;
  }
  return answer.substr(0, 30) + "..." + answer.substr(answer.size() - 30) + " (" +
         std::to_string(answer.size() / 2) + " bytes)";
}

int Compare(const fs::path& dir) {
  const std::map<std::string, std::string> windows = ReadAnswers(dir / "windows.txt");
  const std::map<std::string, std::string> linux = ReadAnswers(dir / "linux.txt");
  const std::vector<Scenario> scenarios = SettingsScenarios();
  const std::map<std::string, std::string> known = KnownDifferences();
  int unexplained = 0;
  std::set<std::string> explainedScenarios;
  for (const auto& [id, expected] : linux) {
    const auto found = windows.find(id);
    const std::string actual = found == windows.end() ? "<no answer>" : found->second;
    if (actual == expected) {
      continue;
    }
    const std::optional<std::size_t> index = ScenarioOf(id);
    if (index && known.contains(scenarios[*index].name)) {
      explainedScenarios.insert(scenarios[*index].name);
      continue;
    }
    ++unexplained;
    std::cout << "DIFFERENT " << Describe(id, scenarios) << "\n  Windows: " << Shortened(actual)
              << "\n  Linux:   " << Shortened(expected) << "\n";
  }
  int otherLayout = 0;
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    const fs::path win = dir / "win" / Folder(i);
    const fs::path linux = dir / "linux" / Folder(i);
    if (Entries(win) != Entries(linux) && !known.contains(scenarios[i].name)) {
      ++unexplained;
      std::cout << "DIFFERENT files left by " << scenarios[i].name << "\n";
    }
    const std::string file = NativeName(scenarios[i].fileName);
    if (fs::is_regular_file(win / file) && fs::is_regular_file(linux / file)) {
      otherLayout += testing::ReadFileBytes(win / file) != testing::ReadFileBytes(linux / file);
    }
  }
  // Both sides read what either wrote alike (the cross reads), but the bytes
  // may differ: Windows rewrites the whole file in its own layout, while this
  // engine keeps every line it does not change byte for byte.
  std::cout << otherLayout << " of " << scenarios.size()
            << " scenarios leave other bytes than Windows (layout only)\n";
  for (const std::string& name : explainedScenarios) {
    std::cout << "known difference in " << name << ": " << known.at(name) << "\n";
  }
  std::cout << linux.size() << " answers compared, " << unexplained << " unexplained differences\n";
  return unexplained == 0 ? 0 : 1;
}

}  // namespace
}  // namespace zorvane::differential

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "prepare") {
    return zorvane::differential::Prepare(argv[2]);
  }
  if (argc == 3 && std::string(argv[1]) == "compare") {
    return zorvane::differential::Compare(argv[2]);
  }
  std::cerr << "usage: settings_differential prepare|compare DIR\n";
  return 2;
}
