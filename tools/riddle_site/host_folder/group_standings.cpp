#include "host_folder/group_standings.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "game/contract.h"
#include "game/game_state.h"
#include "host/settings_folder.h"
#include "runtime/gbk_utf8.h"
#include "runtime/settings/settings.h"

namespace riddle_site {
namespace {

namespace fs = std::filesystem;

bool IsIniFile(const fs::directory_entry& entry) {
  std::string extension = entry.path().extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::error_code error;
  return extension == zorvane::StateFileExtension && entry.is_regular_file(error);
}

}  // namespace

HostFolder::HostFolder(std::string folder)
    : folder_(std::move(folder)),
      folderForSettings_(zorvane::host::SettingsFolder(folder_).value_or("")) {}

std::vector<std::string> HostFolder::GroupNames() const {
  std::vector<std::string> names;
  if (folderForSettings_.empty()) {
    return names;
  }
  std::error_code error;
  const fs::path gameFolder = fs::path(folder_) / std::string(zorvane::GameFolderName);
  for (fs::directory_iterator it(gameFolder, error), end; !error && it != end;
       it.increment(error)) {
    if (!IsIniFile(*it)) {
      continue;
    }
    const std::u8string stem = it->path().stem().u8string();
    std::optional<std::string> group = zorvane::Utf8ToGbk(
        std::string_view(reinterpret_cast<const char*>(stem.data()), stem.size()));
    if (group && !group->empty()) {
      names.push_back(std::move(*group));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool HostFolder::IsListed(std::string_view group) const {
  const std::vector<std::string> names = GroupNames();
  return std::find(names.begin(), names.end(), group) != names.end();
}

GroupState HostFolder::StateOf(const std::string& group) const {
  const zorvane::Text file = zorvane::StateFilePath(folderForSettings_, group);
  GroupState state;
  state.group = group;
  state.path =
      std::string(zorvane::ReadSetting(file, zorvane::StateSection, zorvane::CurrentPathKey));
  state.riddleOpen = !zorvane::ReadSetting(file, zorvane::StateSection, zorvane::AnswerKey).empty();
  return state;
}

std::vector<GroupState> HostFolder::Groups() const {
  std::vector<GroupState> groups;
  for (const std::string& name : GroupNames()) {
    groups.push_back(StateOf(name));
  }
  return groups;
}

std::vector<GroupState> HostFolder::FindGroup(std::string_view group) const {
  if (!IsListed(group)) {
    return {};
  }
  return {StateOf(std::string(group))};
}

std::vector<MemberBalance> HostFolder::Members(std::string_view group) const {
  if (!IsListed(group)) {
    return {};
  }
  return zorvane::LedgerMembers(folderForSettings_, group);
}

}  // namespace riddle_site
