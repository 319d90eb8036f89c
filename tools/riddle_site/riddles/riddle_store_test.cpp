// Literals in this file are UTF-8, as riddle files and the console's texts.
#include "riddles/riddle_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "game/contract.h"
#include "game/riddle_page.h"
#include "runtime/gbk_utf8.h"
#include "site/site_pages.h"
#include "support/temp_dir.h"

namespace riddle_site {
namespace {

using zorvane::FirstRiddleId;

using zorvane::testing::ReadFileBytes;
using zorvane::testing::WriteFileBytes;

std::string Str(const zorvane::Text& text) {
  return std::string(text);
}

class RiddleStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(path_, "Q1\tA1\nQ2\tA2\tK\nQ3\tA3\n"); }

  std::unique_ptr<RiddleStore> Open(WriteBytes write = WriteAllBytes) {
    LoadedRiddles loaded = LoadRiddleFile(path_);
    EXPECT_TRUE(loaded.problems.empty()) << loaded.problems.front().reason.english;
    return std::make_unique<RiddleStore>(path_, std::move(loaded), std::move(write));
  }

  zorvane::testing::TempDir dir_;
  const std::string path_ = (dir_.path() / "riddles.tsv").string();
};

// The version an editor of riddle id starts from.
std::string VersionOf(const RiddleStore& store, int id) {
  const std::optional<RiddleEntry> entry = store.Find(id);
  return entry ? RiddleVersion(*entry) : "";
}

// The ids that a group meets from the first page on, following each page's
// next link as the module cuts it, until it is back on the first page.
std::vector<int> ChainFromFirstPage(const RiddleCatalog& catalog) {
  std::vector<int> ids;
  const Riddle* riddle = catalog.FindByPath(RiddlePath(FirstRiddleId));
  while (riddle != nullptr && ids.size() <= catalog.riddles().size()) {
    ids.push_back(riddle->id);
    if (ids.size() > 1 && riddle->id == FirstRiddleId) {
      break;
    }
    riddle = catalog.FindByPath(Str(zorvane::CutNextPath(RiddlePage(catalog, *riddle))));
  }
  return ids;
}

TEST_F(RiddleStoreTest, ADeletedRiddleKeepsItsPageForGroupsOnItAndLeavesTheChain) {
  const auto store = Open();
  ASSERT_EQ(store->Delete(19500, VersionOf(*store, 19500)), std::nullopt);
  // Served at once, and after a restart from the saved file alike.
  const auto reopened = Open();
  for (const RiddleStore* s : {store.get(), reopened.get()}) {
    const std::shared_ptr<const RiddleCatalog> catalog = s->catalog();
    const Riddle* standing = catalog->FindByPath(RiddlePath(19500));
    ASSERT_NE(standing, nullptr) << "a group on the deleted riddle is stranded";
    const std::string page = RiddlePage(*catalog, *standing);
    EXPECT_EQ(Str(zorvane::CutQuestion(page)), *zorvane::Utf8ToGbk("Q2（K）"));
    EXPECT_EQ(Str(zorvane::CutAnswer(page)), "A2");
    EXPECT_EQ(Str(zorvane::CutNextPath(page)), RiddlePath(19501));
    EXPECT_EQ(ChainFromFirstPage(*catalog), (std::vector<int>{19499, 19501, 19499}));
  }
  // A new riddle never takes the deleted one's page.
  int id = 0;
  ASSERT_EQ(store->Add({"Q4", "A4", ""}, &id), std::nullopt);
  EXPECT_EQ(id, 19502);
  EXPECT_EQ(ChainFromFirstPage(*store->catalog()), (std::vector<int>{19499, 19501, 19502, 19499}));
  // One put after a group's riddle is the group's next.
  ASSERT_EQ(store->Add({"Q5", "A5", ""}, &id, 19499), std::nullopt);
  EXPECT_EQ(ChainFromFirstPage(*store->catalog()),
            (std::vector<int>{19499, 19503, 19501, 19502, 19499}));
}

TEST_F(RiddleStoreTest, ChangesThatBreakTheRulesOrTheChainAreRefusedAndChangeNothing) {
  const auto store = Open();
  ASSERT_EQ(store->Delete(19501, VersionOf(*store, 19501)), std::nullopt);
  const std::string saved = ReadFileBytes(path_);
  const auto reasonOf = [](const std::optional<Refusal>& refusal) {
    return refusal ? std::optional<std::string>(refusal->reason) : std::nullopt;
  };
  struct Case {
    const char* what;
    std::function<std::optional<std::string>()> change;
    const char* reason;  // part of the reason given
  };
  const Case cases[] = {
      {"empty answer",
       [&] {
         return store->Add({"Q", " ", ""});
       },
       "谜底是空的"},
      {"page marker",
       [&] {
         return reasonOf(store->Edit(19499, {"Q</h3>", "A", ""}, VersionOf(*store, 19499)));
       },
       "</h3>"},
      // Named by its question, not by an id the operator never saw.
      {"answer in question",
       [&] {
         return store->Add({"QA", "A", ""});
       },
       "“QA”：谜底就在谜面里"},
      {"edit of a deleted",
       [&] {
         return reasonOf(store->Edit(19501, {"Q", "A", ""}, VersionOf(*store, 19501)));
       },
       "已被删除"},
      {"first page",
       [&] { return reasonOf(store->Delete(FirstRiddleId, VersionOf(*store, FirstRiddleId))); },
       "每个新群都从它开始"},
      {"deleted twice", [&] { return reasonOf(store->Delete(19501, VersionOf(*store, 19501))); },
       "已被删除"},
      {"an edit with no version",
       [&] {
         return reasonOf(store->Edit(19500, {"Q", "A", ""}, ""));
       },
       "已被改成"},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> refused = c.change();
    ASSERT_TRUE(refused) << c.what;
    EXPECT_NE(refused->find(c.reason), std::string::npos) << c.what << ": " << *refused;
    EXPECT_EQ(ReadFileBytes(path_), saved) << c.what;
  }
  ASSERT_EQ(store->Delete(19500, VersionOf(*store, 19500)), std::nullopt);
  // 19499 is now the only riddle left.
  EXPECT_EQ(ChainFromFirstPage(*store->catalog()), (std::vector<int>{19499, 19499}));
}

TEST_F(RiddleStoreTest, AnInterruptedSaveLeavesTheOldFileAndTheServedRiddles) {
  const std::string before = ReadFileBytes(path_);
  // As if the disk filled up or the program died halfway through the write.
  const auto store = Open([](std::FILE* file, std::string_view bytes) {
    WriteAllBytes(file, bytes.substr(0, bytes.size() / 2));
    return false;
  });
  const std::optional<std::string> refused = store->Add({"Q4", "A4", ""});
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("保存失败"), std::string::npos) << *refused;
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);  // nothing left beside the file
  EXPECT_EQ(store->catalog()->FindByPath(RiddlePath(19502)), nullptr);
  EXPECT_EQ(store->entries()->size(), 3u);

  // A save that completes keeps the previous file as the backup.
  const auto working = Open();
  ASSERT_EQ(working->Add({"Q4", "A4", ""}), std::nullopt);
  EXPECT_EQ(ReadFileBytes(path_ + ".bak"), before);
  EXPECT_EQ(Open()->entries()->size(), 4u);
}

TEST_F(RiddleStoreTest, OfTwoEditorsOfARiddleTheLaterIsToldAndLosesNothing) {
  const auto store = Open();
  const std::string opened = VersionOf(*store, 19500);  // both open the form
  ASSERT_EQ(store->Edit(19500, {"first", "A2", "K"}, opened), std::nullopt);
  const std::string saved = ReadFileBytes(path_);
  const std::optional<Refusal> stale = store->Edit(19500, {"second", "A2", "K"}, opened);
  ASSERT_TRUE(stale);
  EXPECT_TRUE(stale->stale);
  EXPECT_NE(stale->reason.find("谜面“first”"), std::string::npos) << stale->reason;
  EXPECT_EQ(ReadFileBytes(path_), saved);
  // Having seen the first edit, the second editor may replace it.
  ASSERT_EQ(store->Edit(19500, {"second", "A2", "K"}, VersionOf(*store, 19500)), std::nullopt);
  EXPECT_EQ(store->Find(19500)->question, "second");
  // A deletion that started before an edit is refused alike.
  const std::optional<Refusal> staleDelete = store->Delete(19500, opened);
  ASSERT_TRUE(staleDelete);
  EXPECT_TRUE(staleDelete->stale);
  EXPECT_FALSE(store->Find(19500)->deleted);
}

TEST_F(RiddleStoreTest, IdsBeyondTheBoundAreRefusedAndTheLargestNeverBlocksAnAdd) {
  const auto store = Open();
  const std::optional<std::string> refused =
      store->Import("id\tquestion\tanswer\n999999999\tQ9\tA9\n", RiddleFileFormat::Tsv);
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("第 2 行：编号“999999999”不是页码"), std::string::npos) << *refused;
  const std::string largest = std::to_string(MaxRiddleId);
  ASSERT_EQ(store->Import("id\tquestion\tanswer\n" + largest + "\tQ9\tA9\n", RiddleFileFormat::Tsv),
            std::nullopt);
  // New riddles take the ids left free below the largest.
  int id = 0;
  ASSERT_EQ(store->Add({"Q4", "A4", ""}, &id), std::nullopt);
  EXPECT_EQ(id, 19502);
  ASSERT_EQ(store->Import("Q5\tA5\nQ6\tA6\n", RiddleFileFormat::Tsv), std::nullopt);
  EXPECT_TRUE(store->Find(19503) && store->Find(19504));
  EXPECT_EQ(Open()->entries()->size(), 7u);
}

TEST_F(RiddleStoreTest, AnImportOfManyBadLinesTellsTheFirstAndCountsThemAll) {
  const auto store = Open();
  std::string bad;
  for (int i = 0; i < 100'000; ++i) {
    bad += "\tno question\n";
  }
  const std::optional<std::string> refused = store->Import(bad, RiddleFileFormat::Tsv);
  ASSERT_TRUE(refused);
  EXPECT_TRUE(refused->starts_with("文件没有导入：共 100000 行有问题，下面是前 50 行："))
      << *refused;
  EXPECT_NE(refused->find("第 50 行：谜面是空的"), std::string::npos);
  EXPECT_EQ(refused->find("第 51 行"), std::string::npos);
  EXPECT_LT(refused->size(), 4096u);
}

TEST_F(RiddleStoreTest, AnImportWithABadLineIsRefusedWholeNamingEveryBadLine) {
  const auto store = Open();
  const std::string before = ReadFileBytes(path_);
  const std::optional<std::string> refused =
      store->Import("Q5\tA5\n\tA6\nQ7\tA7\nQ8\t\n", RiddleFileFormat::Tsv);
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("第 2 行：谜面是空的"), std::string::npos) << *refused;
  EXPECT_NE(refused->find("第 4 行：谜底是空的"), std::string::npos) << *refused;
  EXPECT_EQ(refused->find("第 3 行"), std::string::npos) << *refused;
  EXPECT_EQ(ReadFileBytes(path_), before);
  // A tab is a text's own in CSV, but would split it in this TSV file.
  EXPECT_TRUE(store->Import("\"Q\tQ\",A\n", RiddleFileFormat::Csv));
  EXPECT_EQ(ReadFileBytes(path_), before);

  // With ids, a riddle of the file replaces the riddle of that id; the
  // others are added after every id in use.
  ASSERT_EQ(
      store->Import("id,question,answer\n19500,\"Q2, new\",A2\n,Q9,A9\n", RiddleFileFormat::Csv),
      std::nullopt);
  const std::shared_ptr<const RiddleCatalog> catalog = store->catalog();
  EXPECT_EQ(catalog->FindByPath(RiddlePath(19500))->question, "Q2, new");
  ASSERT_NE(catalog->FindByPath(RiddlePath(19502)), nullptr);
  EXPECT_EQ(catalog->FindByPath(RiddlePath(19502))->question, "Q9");
  EXPECT_EQ(catalog->riddles().size(), 4u);
}

}  // namespace
}  // namespace riddle_site
