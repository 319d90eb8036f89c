#include "riddles/riddle_store.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "game/contract.h"

namespace riddle_site {
namespace {

// How much of a question names its riddle in a message.
constexpr std::size_t NamedCharacters = 24;

std::string Named(std::string_view question) {
  return "“" + Shortened(question, NamedCharacters) + "”";
}

std::optional<std::string> Refused(const std::string& reason) {
  return reason;
}

// The position of the riddle with this id in entries, or entries.size().
std::size_t IndexOf(const std::vector<RiddleEntry>& entries, int id) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [id](const RiddleEntry& entry) { return entry.id == id; });
  return static_cast<std::size_t>(found - entries.begin());
}

// The riddle of a draft as the file will hold it (blanks around its texts
// dropped) and as the game will show it, or why the game could not play it.
std::optional<std::string> Prepare(const RiddleDraft& draft, RiddleEntry& entry, RiddleText& text) {
  entry.question = TrimBlanks(draft.question);
  entry.answer = TrimBlanks(draft.answer);
  entry.kind = TrimBlanks(draft.kind);
  Reason problem;
  std::optional<RiddleText> checked =
      CheckRiddleTexts(entry.question, entry.answer, entry.kind, problem);
  if (!checked) {
    return Named(entry.question) + "：" + problem.chinese;
  }
  text = std::move(*checked);
  return std::nullopt;
}

Refusal StaleRefusal(const RiddleEntry& now) {
  if (now.deleted) {
    return {"打开表单以后，" + Named(now.question) + "已被删除，没有保存也没有删除。", true};
  }
  return {"打开表单以后，这条谜语已被改成：谜面“" + now.question + "”，谜底“" + now.answer +
              "”，类别“" + now.kind +
              "”。你的修改没有保存，还在下面；要用它替换现在的内容，请再点一次保存。",
          true};
}

}  // namespace

std::string RiddleVersion(const RiddleEntry& entry) {
  // FNV-1a over every field, each ended by a NUL (no text holds one).
  std::uint64_t hash = 14695981039346656037ULL;
  auto mix = [&hash](std::string_view text) {
    for (const char c : text) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    hash = (hash ^ 0) * 1099511628211ULL;
  };
  mix(std::to_string(entry.id.value_or(0)));
  mix(entry.deleted ? "deleted" : "");
  mix(entry.question);
  mix(entry.answer);
  mix(entry.kind);
  char hex[17];
  std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

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
  // The loader has checked every riddle and made its texts for the game.
  catalog_ = std::make_shared<const RiddleCatalog>(CatalogOf(loaded));
  entries_ = std::make_shared<const std::vector<RiddleEntry>>(std::move(loaded.entries));
  texts_ = std::move(loaded.riddles);
}

std::shared_ptr<const RiddleCatalog> RiddleStore::catalog() const {
  const std::lock_guard lock(serving_);
  return catalog_;
}

RiddleEntries RiddleStore::entries() const {
  const std::lock_guard lock(serving_);
  return entries_;
}

std::optional<RiddleEntry> RiddleStore::Find(int id) const {
  const RiddleEntries all = entries();
  const std::size_t index = IndexOf(*all, id);
  return index < all->size() ? std::optional<RiddleEntry>((*all)[index]) : std::nullopt;
}

RiddleStore::Staged RiddleStore::Stage() const {
  return {*entries_, texts_, {}};
}

std::optional<std::string> RiddleStore::Add(const RiddleDraft& draft, int* newId,
                                            std::optional<int> after) {
  const std::lock_guard lock(editing_);
  Staged staged = Stage();
  RiddleEntry entry;
  RiddleText text;
  if (std::optional<std::string> refused = Prepare(draft, entry, text)) {
    return refused;
  }
  std::size_t place = staged.entries.size();
  if (after) {
    place = IndexOf(staged.entries, *after);
    if (place == staged.entries.size()) {
      return Refused("没有第 " + std::to_string(*after) + " 条谜语，不能放在它后面。");
    }
    ++place;
  }
  entry.id = NextFreeId(staged.entries);
  if (entry.id == 0) {
    return Refused("编号已经用完（最大 " + std::to_string(MaxRiddleId) + "）。");
  }
  const auto at = static_cast<std::ptrdiff_t>(place);
  staged.entries.insert(staged.entries.begin() + at, entry);
  staged.texts.insert(staged.texts.begin() + at, std::move(text));
  staged.changed = {place};
  std::optional<std::string> refused = Commit(std::move(staged));
  if (!refused && newId != nullptr) {
    *newId = *entry.id;
  }
  return refused;
}

std::optional<Refusal> RiddleStore::Edit(int id, const RiddleDraft& draft,
                                         std::string_view startedFrom) {
  return Change(id, startedFrom, [&draft](RiddleEntry& entry, RiddleText& text) {
    return Prepare(draft, entry, text);
  });
}

std::optional<Refusal> RiddleStore::Delete(int id, std::string_view startedFrom) {
  return Change(id, startedFrom, [](RiddleEntry& entry, RiddleText&) {
    // The riddle stays in the file, marked: its page must outlive it.
    entry.deleted = true;
    return std::optional<std::string>();
  });
}

std::optional<Refusal> RiddleStore::Change(int id, std::string_view startedFrom,
                                           const ChangeOf& change) {
  const std::lock_guard lock(editing_);
  Staged staged = Stage();
  const std::size_t index = IndexOf(staged.entries, id);
  if (index == staged.entries.size()) {
    return Refusal{"没有第 " + std::to_string(id) + " 条谜语。"};
  }
  RiddleEntry& entry = staged.entries[index];
  if (entry.deleted || RiddleVersion(entry) != startedFrom) {
    return StaleRefusal(entry);
  }
  std::optional<std::string> refused = change(entry, staged.texts[index]);
  if (!refused) {
    staged.changed = {index};
    refused = Commit(std::move(staged));
  }
  return refused ? std::optional<Refusal>(Refusal{*refused}) : std::nullopt;
}

std::optional<std::string> RiddleStore::Import(std::string_view content, RiddleFileFormat format) {
  LoadedRiddles loaded = ParseRiddles(content, format);
  if (!loaded.problems.empty()) {
    std::string reason = "文件没有导入：共 " + std::to_string(loaded.problemCount) + " 行有问题";
    reason += loaded.problemCount > loaded.problems.size()
                  ? "，下面是前 " + std::to_string(loaded.problems.size()) + " 行："
                  : "：";
    for (const RiddleFileProblem& problem : loaded.problems) {
      reason += "\n第 " + std::to_string(problem.line) + " 行：" + problem.reason.chinese;
    }
    return reason;
  }
  if (loaded.entries.empty()) {
    return Refused("文件里没有谜语。");
  }
  const std::lock_guard lock(editing_);
  Staged staged = Stage();
  // Ids of riddles new to the site are ones that neither the site nor the
  // file uses.
  FreeIds free(staged.entries);
  for (const RiddleEntry& imported : loaded.entries) {
    if (imported.id) {
      free.Use(*imported.id);
    }
  }
  for (std::size_t i = 0; i < loaded.entries.size(); ++i) {
    RiddleEntry& imported = loaded.entries[i];
    std::size_t index = imported.id ? IndexOf(staged.entries, *imported.id) : staged.entries.size();
    if (index == staged.entries.size()) {
      imported.id = imported.id ? imported.id : free.Take();
      if (imported.id == 0) {
        return Refused("编号已经用完（最大 " + std::to_string(MaxRiddleId) + "）。");
      }
      staged.entries.push_back(std::move(imported));
      staged.texts.push_back(std::move(loaded.riddles[i]));
    } else {
      staged.entries[index] = std::move(imported);
      staged.texts[index] = std::move(loaded.riddles[i]);
    }
    staged.changed.push_back(index);
  }
  return Commit(std::move(staged));
}

std::string RiddleStore::Download() const {
  const RiddleEntries all = entries();
  return WriteRiddleFile(*all, FormatOfPath(path_));
}

std::optional<std::string> RiddleStore::Commit(Staged staged) {
  if (std::optional<Reason> problem = CheckChain(staged.entries)) {
    return Refused("不能保存：" + problem->chinese);
  }
  // What the change brings must read back from the file as it is, or the
  // site would not start on the file again: a tab from a CSV import in a
  // TSV file, and whatever else a writer and its reader might disagree on.
  // The other riddles read back already when they came in.
  const RiddleFileFormat format = FormatOfPath(path_);
  std::vector<RiddleEntry> brought;
  for (const std::size_t index : staged.changed) {
    brought.push_back(staged.entries[index]);
  }
  const LoadedRiddles readBack = ParseRiddles(WriteRiddleFile(brought, format), format);
  for (std::size_t i = 0; readBack.problems.empty() && i < brought.size(); ++i) {
    const RiddleEntry& written = brought[i];
    const RiddleEntry& read = i < readBack.entries.size() ? readBack.entries[i] : RiddleEntry{};
    if (read.id != written.id || read.deleted != written.deleted ||
        read.question != written.question || read.answer != written.answer ||
        read.kind != written.kind) {
      return Refused("不能保存：" + Named(written.question) + "写进文件后读不回来。");
    }
  }
  if (!readBack.problems.empty()) {
    return Refused("不能保存：这些谜语写进文件后读不回来（" +
                   readBack.problems.front().reason.chinese + "）。");
  }
  if (std::optional<std::string> failed =
          ReplaceKeepingBackup(path_, WriteRiddleFile(staged.entries, format), write_)) {
    return Refused("保存失败，谜语文件保持原样：" + *failed);
  }
  auto catalog = std::make_shared<const RiddleCatalog>(CatalogOf(staged.entries, staged.texts));
  auto entries = std::make_shared<const std::vector<RiddleEntry>>(std::move(staged.entries));
  const std::lock_guard lock(serving_);
  entries_ = std::move(entries);
  texts_ = std::move(staged.texts);
  catalog_ = std::move(catalog);
  return std::nullopt;
}

}  // namespace riddle_site
