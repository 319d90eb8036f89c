#include "game_session.h"

#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

namespace zorvane::testing {

ZorvaneModule::ZorvaneModule()
    : module_(ZORVANE_TESTABLE_MODULE_PATH),
      info_(module_.Require<InfoFunction>("info")),
      zorvane_(module_.Require<ZorvaneFunction>("Zorvane")),
      configure_(module_.Require<ConfigureFunction>("ZorvaneConfigureForTesting")) {}

void ZorvaneModule::Configure(const std::string& runDirectory, const std::string& riddleSiteBase,
                              const std::string& updatePageUrl) {
  configure_(runDirectory.c_str(), riddleSiteBase.c_str(), updatePageUrl.c_str());
}

std::string ZorvaneModule::Info() {
  const char* descriptor = info_();
  return descriptor ? descriptor : "";
}

std::string ZorvaneModule::Event(const char* message, const char* messageType, const char* group,
                                 const char* member, const char* extra) {
  const char* reply = zorvane_(message, messageType, group, member, extra);
  return reply ? reply : "";
}

std::optional<std::int32_t> AmountInReply(const std::string& reply, const std::string& head) {
  if (reply.compare(0, head.size(), head) != 0) {
    return std::nullopt;
  }
  std::size_t end = head.size();
  while (end < reply.size() && reply[end] >= '0' && reply[end] <= '9') {
    ++end;
  }
  if (end == head.size() || end - head.size() > 3) {
    return std::nullopt;
  }
  return std::stoi(reply.substr(head.size(), end - head.size()));
}

std::int32_t ExpectCorrectGuessReply(const std::string& reply, const std::string& nextQuestion) {
  const std::optional<std::int32_t> reward = AmountInReply(reply, CorrectHead);
  EXPECT_TRUE(reward.has_value()) << reply;
  if (!reward) {
    return 0;
  }
  EXPECT_GE(*reward, 20);
  EXPECT_LE(*reward, 30);
  EXPECT_EQ(reply, CorrectHead + std::to_string(*reward) + "元。。\r\n" + nextQuestion);
  return *reward;
}

std::int32_t ExpectWrongGuessReply(const std::string& reply) {
  const std::optional<std::int32_t> penalty = AmountInReply(reply, WrongHead);
  EXPECT_TRUE(penalty.has_value()) << reply;
  if (!penalty) {
    return 0;
  }
  EXPECT_GE(*penalty, 2);
  EXPECT_LE(*penalty, 10);
  EXPECT_EQ(reply, WrongHead + std::to_string(*penalty) + "元");
  return *penalty;
}

std::string BalanceText(double balance) {
  char text[64];
  std::snprintf(text, sizeof text, "%.13g", balance);
  return text;
}

GameTest::GameTest() {
  std::filesystem::create_directory(runDir_.path() / "Zorva");
  std::filesystem::create_directory(runDir_.path() / "config");
  module_.Configure(runDir_.str(), site_.base(), site_.base() + "/update.html");
}

std::string GameTest::Say(const std::string& group, const std::string& member,
                          const std::string& message) {
  return module_.Event(message.c_str(), "2", group.c_str(), member.c_str(), "");
}

std::filesystem::path GameTest::LedgerFile(const std::string& group) const {
  return runDir_.path() / "config" / ("签到数据" + group + ".ini");
}

std::filesystem::path GameTest::StateFile(const std::string& group) const {
  return runDir_.path() / "Zorva" / (group + ".ini");
}

void GameTest::SetBalance(const std::string& group, const std::string& member,
                          const std::string& text) {
  WriteIniValue(LedgerFile(group), member + "--" + group, "总共人民币", text);
}

std::optional<std::string> GameTest::Balance(const std::string& group,
                                             const std::string& member) const {
  return ReadIniValue(LedgerFile(group), member + "--" + group, "总共人民币");
}

std::optional<std::string> GameTest::State(const std::string& group, const std::string& key) const {
  return ReadIniValue(StateFile(group), "开始", key);
}

void GameTest::SetState(const std::string& group, const std::string& key,
                        const std::string& value) {
  WriteIniValue(StateFile(group), "开始", key, value);
}

std::string GameTest::Snapshot() const {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(runDir_.path())) {
    files[entry.path().string()] = entry.is_regular_file() ? ReadFileBytes(entry.path()) : "<dir>";
  }
  std::string snapshot;
  for (const auto& [path, bytes] : files) {
    snapshot += path + "\n" + bytes + "\n";
  }
  return snapshot;
}

std::vector<std::string> GameTest::TakeRequests() {
  std::vector<std::string> requests = site_.RequestedTargets();
  site_.ClearRequests();
  return requests;
}

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return "";
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsSectionHeader(const std::string& line) {
  const std::string trimmed = Trimmed(line);
  return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

std::string SectionName(const std::string& line) {
  const std::string trimmed = Trimmed(line);
  return trimmed.substr(1, trimmed.size() - 2);
}

bool IsKeyLine(const std::string& line, const std::string& key) {
  const std::size_t equals = line.find('=');
  return equals != std::string::npos && Trimmed(line.substr(0, equals)) == key;
}

}  // namespace

std::optional<std::string> ReadIniValue(const std::filesystem::path& file,
                                        const std::string& section, const std::string& key) {
  bool inSection = false;
  for (const std::string& line : Lines(ReadFileBytes(file))) {
    if (IsSectionHeader(line)) {
      inSection = SectionName(line) == section;
    } else if (inSection && IsKeyLine(line, key)) {
      return Trimmed(line.substr(line.find('=') + 1));
    }
  }
  return std::nullopt;
}

void WriteIniValue(const std::filesystem::path& file, const std::string& section,
                   const std::string& key, const std::string& value) {
  std::vector<std::string> lines = Lines(ReadFileBytes(file));
  const std::string keyLine = key + "=" + value;
  bool inSection = false;
  bool replaced = false;
  std::optional<std::size_t> insertAt;  // after the section's last non-empty line
  for (std::size_t i = 0; i < lines.size() && !replaced; ++i) {
    if (IsSectionHeader(lines[i])) {
      inSection = SectionName(lines[i]) == section;
      if (inSection) {
        insertAt = i + 1;
      }
    } else if (inSection && IsKeyLine(lines[i], key)) {
      lines[i] = keyLine;
      replaced = true;
    } else if (inSection && !Trimmed(lines[i]).empty()) {
      insertAt = i + 1;
    }
  }
  if (!replaced && insertAt) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), keyLine);
  } else if (!replaced) {
    lines.push_back("[" + section + "]");
    lines.push_back(keyLine);
  }
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line + "\r\n";
  }
  WriteFileBytes(file, bytes);
}

}  // namespace zorvane::testing
