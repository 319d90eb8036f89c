#include "riddles/riddle_store.h"

#include <algorithm>
#include <utility>

#include "game/contract.h"

namespace riddle_site {
namespace {

std::optional<std::string> Refused(const std::string& reason) {
  return reason;
}

std::vector<RiddleEntry>::iterator FindEntry(std::vector<RiddleEntry>& entries, int id) {
  return std::find_if(entries.begin(), entries.end(),
                      [id](const RiddleEntry& entry) { return entry.id == id; });
}

}  // namespace

std::optional<Reason> CheckChain(const std::vector<RiddleEntry>& entries) {
  const auto first = std::find_if(entries.begin(), entries.end(), [](const RiddleEntry& entry) {
    return entry.id == zorvane::FirstRiddleId;
  });
  if (first == entries.end() || first->deleted) {
    const std::string first = std::to_string(zorvane::FirstRiddleId);
    return Reason{
        "riddle " + first +
            " is missing or deleted, but every new group starts there (it may be "
            "edited, not deleted)",
        "第 " + first + " 条谜语不在或已删除，但每个新群都从它开始（它可以修改，不能删除）"};
  }
  return std::nullopt;
}

RiddleStore::RiddleStore(std::string path, LoadedRiddles loaded, WriteBytes write)
    : path_(std::move(path)), write_(std::move(write)) {
  // The loader has checked every riddle and made its page texts already.
  catalog_ = std::make_shared<const RiddleCatalog>(CatalogOf(loaded));
  entries_ = std::move(loaded.entries);
}

std::shared_ptr<const RiddleCatalog> RiddleStore::catalog() const {
  const std::lock_guard lock(serving_);
  return catalog_;
}

std::vector<RiddleEntry> RiddleStore::entries() const {
  const std::lock_guard lock(serving_);
  return entries_;
}

std::optional<std::string> RiddleStore::Add(const RiddleDraft& draft, int* newId,
                                            std::optional<int> after) {
  const std::lock_guard lock(editing_);
  std::vector<RiddleEntry> entries = entries_;
  const int id = NextFreeId(entries);
  auto place = entries.end();
  if (after) {
    place = FindEntry(entries, *after);
    if (place == entries.end()) {
      return Refused("没有第 " + std::to_string(*after) + " 条谜语，不能放在它后面。");
    }
    ++place;
  }
  entries.insert(place, {id, false, draft.question, draft.answer, draft.kind});
  std::optional<std::string> refused = Commit(std::move(entries));
  if (!refused && newId != nullptr) {
    *newId = id;
  }
  return refused;
}

std::optional<std::string> RiddleStore::Edit(int id, const RiddleDraft& draft) {
  const std::lock_guard lock(editing_);
  std::vector<RiddleEntry> entries = entries_;
  const auto entry = FindEntry(entries, id);
  if (entry == entries.end() || entry->deleted) {
    return Refused("没有第 " + std::to_string(id) + " 条谜语（也许已被删除）。");
  }
  entry->question = draft.question;
  entry->answer = draft.answer;
  entry->kind = draft.kind;
  return Commit(std::move(entries));
}

std::optional<std::string> RiddleStore::Delete(int id) {
  const std::lock_guard lock(editing_);
  std::vector<RiddleEntry> entries = entries_;
  const auto entry = FindEntry(entries, id);
  if (entry == entries.end() || entry->deleted) {
    return Refused("没有第 " + std::to_string(id) + " 条谜语（也许已被删除）。");
  }
  // The riddle stays in the file, marked: its page must outlive it.
  entry->deleted = true;
  return Commit(std::move(entries));
}

std::optional<std::string> RiddleStore::Import(std::string_view content, RiddleFileFormat format) {
  LoadedRiddles loaded = ParseRiddles(content, format);
  if (!loaded.problems.empty()) {
    std::string reason = "文件没有导入，以下各行有问题：";
    for (const RiddleFileProblem& problem : loaded.problems) {
      reason += "\n第 " + std::to_string(problem.line) + " 行：" + problem.reason.chinese;
    }
    return reason;
  }
  if (loaded.entries.empty()) {
    return Refused("文件里没有谜语。");
  }
  const std::lock_guard lock(editing_);
  std::vector<RiddleEntry> entries = entries_;
  // Ids of riddles new to the site come after every id in use or in the file.
  int nextId = std::max(NextFreeId(entries), NextFreeId(loaded.entries));
  for (RiddleEntry& imported : loaded.entries) {
    const auto existing = imported.id ? FindEntry(entries, *imported.id) : entries.end();
    if (existing != entries.end()) {
      *existing = std::move(imported);
    } else {
      if (!imported.id) {
        imported.id = nextId++;
      }
      entries.push_back(std::move(imported));
    }
  }
  return Commit(std::move(entries));
}

std::string RiddleStore::Download() const {
  const std::lock_guard lock(serving_);
  return WriteRiddleFile(entries_, FormatOfPath(path_));
}

std::optional<std::string> RiddleStore::Commit(std::vector<RiddleEntry> entries) {
  for (const RiddleEntry& entry : entries) {
    Reason problem;
    if (!CheckRiddleTexts(entry.question, entry.answer, entry.kind, problem)) {
      return Refused("不能保存第 " + std::to_string(entry.id.value_or(0)) + " 条：" +
                     problem.chinese);
    }
  }
  if (std::optional<Reason> problem = CheckChain(entries)) {
    return Refused("不能保存：" + problem->chinese);
  }
  // The file must read back as these riddles, or the site would not start
  // on it again: a tab from a CSV import in a TSV file, an id past the
  // largest, and whatever else a writer and its reader might disagree on.
  const RiddleFileFormat format = FormatOfPath(path_);
  const std::string content = WriteRiddleFile(entries, format);
  LoadedRiddles written = ParseRiddles(content, format);
  if (!written.problems.empty() || written.entries.size() != entries.size()) {
    return Refused("不能保存：这些谜语写进文件后读不回来" +
                   (written.problems.empty()
                        ? std::string()
                        : "（" + written.problems.front().reason.chinese + "）") +
                   "。");
  }
  if (std::optional<std::string> failed = ReplaceKeepingBackup(path_, content, write_)) {
    return Refused("保存失败，谜语文件保持原样：" + *failed);
  }
  // Served as the file holds them (blanks around the texts dropped).
  auto catalog = std::make_shared<const RiddleCatalog>(CatalogOf(written));
  const std::lock_guard lock(serving_);
  entries_ = std::move(written.entries);
  catalog_ = std::move(catalog);
  return std::nullopt;
}

}  // namespace riddle_site
