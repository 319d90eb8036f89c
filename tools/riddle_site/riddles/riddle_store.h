// The riddle collection as the console edits it: every change is checked by
// the riddle file's rules, saved to the riddle file (replaced whole, the
// previous one kept as a backup) and served at once. A change checks only
// the riddles it brings, so that a large collection is edited as quickly as
// a small one.
//
// A riddle keeps its page number for good. A deleted riddle leaves the chain
// (no page links to it any more) but keeps its page, so that a group
// standing on it can still finish it and go on to the next riddle left.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/fresh_file.h"
#include "riddles/riddle_catalog.h"
#include "riddles/riddle_file.h"

namespace riddle_site {

// A riddle's texts as an operator types them (UTF-8).
struct RiddleDraft {
  std::string question;
  std::string answer;
  std::string kind;
};

// Why an edit or a deletion was refused (UTF-8).
struct Refusal {
  std::string reason;
  // The riddle is no longer what the editor started from: someone else
  // changed it in between.
  bool stale = false;
};

// The version of a riddle as an editor sees it: it changes whenever the
// riddle does, and stays the same across restarts.
std::string RiddleVersion(const RiddleEntry& entry);

using RiddleEntries = std::shared_ptr<const std::vector<RiddleEntry>>;

class RiddleStore {
 public:
  // The riddles of the file at path as LoadRiddleFile gives them, without
  // a problem and every one with its id.
  // write writes the saved file's bytes (tests interrupt it).
  RiddleStore(std::string path, LoadedRiddles loaded, WriteBytes write = WriteAllBytes);

  // What the site serves now; each change makes a new one.
  std::shared_ptr<const RiddleCatalog> catalog() const;

  // Every riddle as written in the file, deleted ones included, in chain
  // order; each change makes a new list.
  RiddleEntries entries() const;

  // The riddle with this id, deleted or not.
  std::optional<RiddleEntry> Find(int id) const;

  const std::string& path() const { return path_; }

  // Each change returns why it was refused, or nullopt once saved and
  // served. A refused change leaves the riddles and the file as they were.
  // A new riddle goes into the chain right after the riddle after (so that
  // a group standing there plays it next), or at the end.
  std::optional<std::string> Add(const RiddleDraft& draft, int* newId = nullptr,
                                 std::optional<int> after = std::nullopt);
  // startedFrom is the RiddleVersion the editor started from: a riddle
  // changed since is refused as stale, so that no one's edit is lost.
  std::optional<Refusal> Edit(int id, const RiddleDraft& draft, std::string_view startedFrom);
  std::optional<Refusal> Delete(int id, std::string_view startedFrom);

  // Adds the riddles of an uploaded file (UTF-8 TSV or CSV); a riddle with
  // the id of one that exists replaces it. The file is refused whole, with
  // its first bad lines and their count, when any line is bad.
  std::optional<std::string> Import(std::string_view content, RiddleFileFormat format);

  // The collection as a riddle file of the store's format, ids included.
  std::string Download() const;

 private:
  // The riddles and their texts for the game that a change leads to; the
  // riddles at changed are the ones it brings.
  struct Staged {
    std::vector<RiddleEntry> entries;
    std::vector<RiddleText> texts;
    std::vector<std::size_t> changed;
  };
  Staged Stage() const;
  // Changes the live riddle id that an editor started from at startedFrom
  // (a stale one is refused), and commits it; change may refuse too.
  using ChangeOf = std::function<std::optional<std::string>(RiddleEntry&, RiddleText&)>;
  std::optional<Refusal> Change(int id, std::string_view startedFrom, const ChangeOf& change);
  // Checks what is staged as a whole, saves it and serves it; editing_ is
  // held.
  std::optional<std::string> Commit(Staged staged);

  const std::string path_;
  const WriteBytes write_;
  // One change at a time; pages are served from the current catalogue
  // meanwhile, without waiting for the disk.
  std::mutex editing_;
  mutable std::mutex serving_;  // guards the three below; changed under editing_ too
  RiddleEntries entries_;
  std::vector<RiddleText> texts_;  // the game's texts of entries_, in the same order
  std::shared_ptr<const RiddleCatalog> catalog_;
};

// Why entries cannot be served as a chain (UTF-8), or nullopt: every new
// group starts on FirstRiddleId, so it must be there and not deleted.
std::optional<Reason> CheckChain(const std::vector<RiddleEntry>& entries);

}  // namespace riddle_site
