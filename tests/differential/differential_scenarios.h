// The cases that the Linux engine and the Windows API are both put through.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvane::differential {

// One settings call. For a read, value is the default; for a write, a
// missing key deletes the section and a missing value deletes the key.
struct Operation {
  enum Kind { Read, Write } kind = Read;
  std::optional<std::string> section;
  std::optional<std::string> key;
  std::optional<std::string> value;
};

Operation Read(std::string section, std::string key,
               std::optional<std::string> defaultText = std::nullopt);
Operation Write(std::string section, std::string key, std::string value);
Operation DeleteKey(std::string section, std::string key);
Operation DeleteSection(std::string section);

// What stands at the file's place before the calls.
enum class Setup {
  File,       // initial as the file, or nothing when initial is empty
  ReadOnly,   // initial as a file without write permission
  Directory,  // a folder of the file's name
  NoFolder,   // the file's folder does not exist
};

struct Scenario {
  std::string name;
  std::optional<std::string> initial;
  std::vector<Operation> operations;
  Setup setup = Setup::File;
  std::string fileName = "f.ini";  // GBK, as the module names files
};

std::vector<Scenario> SettingsScenarios();

// Scenario names whose differences are explained, with the explanation.
std::map<std::string, std::string> KnownDifferences();

// Doubles for "%.13g", texts for atof, seeds for srand.
std::vector<double> NumberScenarios();
std::vector<std::string> NumberTextScenarios();
std::vector<std::uint32_t> RandomSeeds();

// A GBK file name as Linux spells it.
std::string NativeName(const std::string& gbkName);

}  // namespace zorvane::differential
