// Literals in this file are UTF-8: its texts go to the console's pages.
#include "riddle_store.h"

#include <algorithm>
#include <map>
#include <utility>

namespace riddle_site {
namespace {

std::optional<std::string> Refused(const std::string& reason) {
  return reason;
}

// The entry's riddle as the game gets it; the entry passed the rules.
std::optional<RiddleText> Checked(const RiddleEntry& entry, std::string& problem) {
  return CheckRiddleTexts(entry.question, entry.answer, entry.kind, problem);
}

std::vector<RiddleEntry>::iterator FindEntry(std::vector<RiddleEntry>& entries, int id) {
  return std::find_if(entries.begin(), entries.end(),
                      [id](const RiddleEntry& entry) { return entry.id == id; });
}

int NextFreeId(const std::vector<RiddleEntry>& entries) {
  int largest = FirstRiddleId - 1;
  for (const RiddleEntry& entry : entries) {
    largest = std::max(largest, entry.id.value_or(0));
  }
  return largest + 1;
}

// Why the entries could not be served, or nullopt: every group starts on
// the first page, and the chain needs a riddle to lead to.
std::optional<std::string> ChainProblem(const std::vector<RiddleEntry>& entries) {
  const bool anyLeft = std::any_of(entries.begin(), entries.end(),
                                   [](const RiddleEntry& entry) { return !entry.deleted; });
  if (!anyLeft) {
    return "至少要留下一条谜语。";
  }
  for (const RiddleEntry& entry : entries) {
    if (entry.id == FirstRiddleId && entry.deleted) {
      return "第 " + std::to_string(FirstRiddleId) +
             " 条是每个新群的第一条谜语，只能修改，不能删除。";
    }
  }
  return std::nullopt;
}

}  // namespace

std::shared_ptr<const RiddleCatalog> BuildCatalog(const std::vector<RiddleEntry>& entries) {
  std::vector<Riddle> riddles;
  riddles.reserve(entries.size());
  for (const RiddleEntry& entry : entries) {
    std::string problem;
    std::optional<RiddleText> text = Checked(entry, problem);
    riddles.push_back(
        {entry.id.value_or(0), std::move(text->question), std::move(text->answer), entry.deleted});
  }
  return std::make_shared<const RiddleCatalog>(std::move(riddles));
}

RiddleStore::RiddleStore(std::string path, LoadedRiddles loaded, WriteBytes write)
    : path_(std::move(path)), write_(std::move(write)), entries_(std::move(loaded.entries)) {
  // Without ids the riddles are numbered in file order, as they always
  // were; riddles without an id in a file with ids come after the others.
  int nextId = loaded.hasIds ? NextFreeId(entries_) : FirstRiddleId;
  for (RiddleEntry& entry : entries_) {
    if (!entry.id) {
      entry.id = nextId++;
    }
  }
  catalog_ = BuildCatalog(entries_);
}

std::shared_ptr<const RiddleCatalog> RiddleStore::catalog() const {
  const std::lock_guard lock(serving_);
  return catalog_;
}

std::vector<RiddleEntry> RiddleStore::entries() const {
  const std::lock_guard lock(serving_);
  return entries_;
}

std::optional<std::string> RiddleStore::Add(const RiddleDraft& draft, int* newId) {
  const std::lock_guard lock(editing_);
  std::vector<RiddleEntry> entries = entries_;
  const int id = NextFreeId(entries);
  entries.push_back({id, false, draft.question, draft.answer, draft.kind});
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
      reason += "\n第 " + std::to_string(problem.line) + " 行：" + problem.reason;
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
    std::string problem;
    if (!Checked(entry, problem)) {
      return Refused("不能保存第 " + std::to_string(entry.id.value_or(0)) + " 条：" + problem);
    }
  }
  if (std::optional<std::string> problem = ChainProblem(entries)) {
    return problem;
  }
  if (std::optional<std::string> failed =
          ReplaceFile(path_, WriteRiddleFile(entries, FormatOfPath(path_)), write_)) {
    return Refused("保存失败，谜语文件保持原样：" + *failed);
  }
  std::shared_ptr<const RiddleCatalog> catalog = BuildCatalog(entries);
  const std::lock_guard lock(serving_);
  entries_ = std::move(entries);
  catalog_ = std::move(catalog);
  return std::nullopt;
}

}  // namespace riddle_site
