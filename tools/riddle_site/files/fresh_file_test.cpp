// A fresh file never writes through what others planted in the folder.
#include "files/fresh_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/temp_dir.h"

namespace riddle_site {
namespace {

namespace fs = std::filesystem;
using zorvane::testing::ReadFileBytes;
using zorvane::testing::WriteFileBytes;

class FreshFile : public ::testing::Test {
 protected:
  FreshFile() {
    WriteFileBytes(file_, "old");
    WriteFileBytes(victim_, "victim");
  }

  // Everything in the folder but the victim, which lies outside it.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  zorvane::testing::TempDir dir_;
  const fs::path folder_ = [this] {
    fs::create_directory(dir_.path() / "site");
    return dir_.path() / "site";
  }();
  const fs::path file_ = folder_ / "riddles.tsv";
  const fs::path victim_ = dir_.path() / "victim";
};

TEST_F(FreshFile, ALinkInPlaceOfTheFileOrItsBackupIsReplacedNotWrittenThrough) {
  const fs::path backup = folder_ / "riddles.tsv.bak";
  for (const fs::path& planted : {file_, backup}) {
    fs::remove(planted);
    fs::create_symlink(victim_, planted);
    ASSERT_EQ(ReplaceKeepingBackup(file_, "new"), std::nullopt);
    EXPECT_EQ(ReadFileBytes(victim_), "victim") << planted;
    EXPECT_FALSE(fs::is_symlink(file_)) << planted;
    EXPECT_FALSE(fs::is_symlink(backup)) << planted;
    EXPECT_EQ(ReadFileBytes(file_), "new") << planted;
    WriteFileBytes(file_, "old");
  }
  // The backup holds what the file held before the last write.
  EXPECT_EQ(ReadFileBytes(backup), "old");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"riddles.tsv", "riddles.tsv.bak"}));
}

TEST_F(FreshFile, ANameTakenBeforehandIsNeverWrittenThroughAndTheFileStays) {
  // Whatever names the writer may try next for this process, taken first by
  // links to the victim.
  for (int count = 0; count < 200; ++count) {
    fs::create_symlink(victim_, folder_ / (".riddles.tsv.tmp" + std::to_string(getpid()) + "-" +
                                           std::to_string(count)));
  }
  for (const auto& replace : {ReplaceKeepingBackup, WriteFreshFile}) {
    const std::optional<std::string> failed = replace(file_, "new", WriteAllBytes);
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->starts_with("cannot create ")) << *failed;
  }
  EXPECT_EQ(ReadFileBytes(victim_), "victim");
  EXPECT_EQ(ReadFileBytes(file_), "old");
}

TEST_F(FreshFile, AnInterruptedWriteLeavesTheFileAndNothingBeside) {
  // As if the disk filled up halfway through.
  const WriteBytes halfway = [](std::FILE* file, std::string_view bytes) {
    WriteAllBytes(file, bytes.substr(0, bytes.size() / 2));
    return false;
  };
  for (const auto& replace : {ReplaceKeepingBackup, WriteFreshFile}) {
    const std::optional<std::string> failed = replace(file_, "new content", halfway);
    ASSERT_TRUE(failed);
    EXPECT_NE(failed->find("is the disk full?"), std::string::npos) << *failed;
  }
  EXPECT_EQ(ReadFileBytes(file_), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"riddles.tsv"});
}

}  // namespace
}  // namespace riddle_site
