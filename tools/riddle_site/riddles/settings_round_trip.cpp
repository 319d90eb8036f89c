#include "riddles/settings_round_trip.h"

#include <cctype>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "game/contract.h"
#include "runtime/gbk_utf8.h"
#include "runtime/settings/settings.h"

namespace riddle_site {
namespace {

// ASCII letters and digits, and GBK double-byte characters, alone.
bool IsPlainText(std::string_view gbk) {
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80 && !std::isalnum(byte)) {
      return false;
    }
    i += byte < 0x80 ? 0 : 1;  // the second byte of a character
  }
  return zorvane::IsValidGbk(gbk);
}

// A new folder of this process's own below the system's temporary folder,
// removed with its content at the end: a name that someone else made in
// the shared folder first (a link, say) is never written through.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::random_device random;
    for (int attempt = 0; !error && attempt < 16 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("zorvane-site-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate;
      }
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) {
      std::filesystem::remove_all(path_, ignored);
    }
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The path of a file in it as the settings layer takes paths: GBK.
  std::optional<std::string> GbkPathOf(const char* name) const {
    if (path_.empty()) {
      return std::nullopt;
    }
    const std::u8string utf8 = (path_ / name).u8string();
    return zorvane::Utf8ToGbk(std::string(utf8.begin(), utf8.end()));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace

RoundTrip SettingsRoundTrip(std::string_view gbkValue) {
  // A value longer than a read receives is cut.
  if (gbkValue.size() < zorvane::SettingBufferSize && IsPlainText(gbkValue)) {
    return RoundTrip::Same;
  }
  const ScratchFolder folder;
  const std::optional<std::string> file = folder.GbkPathOf("round-trip.ini");
  // Where the module keeps an answer: a group's state file.
  using zorvane::AnswerKey;
  using zorvane::StateSection;
  if (!file || !zorvane::WriteSetting(*file, StateSection, AnswerKey, gbkValue)) {
    return RoundTrip::Unchecked;
  }
  return zorvane::ReadSetting(*file, StateSection, AnswerKey) == gbkValue ? RoundTrip::Same
                                                                          : RoundTrip::Changed;
}

}  // namespace riddle_site
