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
  ASSERT_EQ(store->Delete(19500), std::nullopt);
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
  ASSERT_EQ(store->Delete(19501), std::nullopt);
  const std::string saved = ReadFileBytes(path_);
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
         return store->Edit(19499, {"Q</h3>", "A", ""});
       },
       "</h3>"},
      {"answer in question",
       [&] {
         return store->Add({"QA", "A", ""});
       },
       "谜底就在谜面里"},
      {"edit of a deleted",
       [&] {
         return store->Edit(19501, {"Q", "A", ""});
       },
       "19501"},
      {"first page", [&] { return store->Delete(FirstRiddleId); }, "每个新群都从它开始"},
      {"deleted twice", [&] { return store->Delete(19501); }, "19501"},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> refused = c.change();
    ASSERT_TRUE(refused) << c.what;
    EXPECT_NE(refused->find(c.reason), std::string::npos) << c.what << ": " << *refused;
    EXPECT_EQ(ReadFileBytes(path_), saved) << c.what;
  }
  ASSERT_EQ(store->Delete(19500), std::nullopt);
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
  EXPECT_EQ(store->entries().size(), 3u);

  // A save that completes keeps the previous file as the backup.
  const auto working = Open();
  ASSERT_EQ(working->Add({"Q4", "A4", ""}), std::nullopt);
  EXPECT_EQ(ReadFileBytes(path_ + ".bak"), before);
  EXPECT_EQ(Open()->entries().size(), 4u);
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
