// What a write clears away of the files that killed writes left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "runtime/settings/settings.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;

TEST(LeftoverSweep, AWriteRemovesStaleTemporariesOfWritesAndNothingElse) {
  testing::TempDir dir;
  const std::string living = std::to_string(::getpid());
  const std::string ended = std::to_string(testing::StartChild([] { return 0; }));
  testing::WaitForChild(static_cast<pid_t>(std::stoi(ended)));
  struct Planted {
    std::string name;
    bool old;
    bool removed;
  };
  const Planted planted[] = {
      {".s.ini.tmp" + living + "-0", true, true},    // older than any write takes
      {".s.ini.tmp" + ended + "-3", false, true},    // its writer has ended
      {".t.ini.tmp" + ended + "-0", false, true},    // another file's
      {".s.ini.tmp" + living + "-1", false, false},  // a write still running
      {"s.ini.tmp" + ended + "-0", true, false},     // other names
      {".s.ini.tmp" + ended, true, false},
      {".s.ini.tmp-1", true, false},
      {"notes.txt", true, false},
  };
  const timespec tenMinutesAgo{::time(nullptr) - 600, 0};
  const timespec times[2] = {tenMinutesAgo, tenMinutesAgo};
  for (const Planted& file : planted) {
    const fs::path path = dir.path() / file.name;
    testing::WriteFileBytes(path, "[s]\r\n");
    ASSERT_TRUE(!file.old || ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);
  }
  ASSERT_TRUE(WriteSetting(dir.str() + "/s.ini", "s", "k", "1"));
  for (const Planted& file : planted) {
    EXPECT_EQ(fs::exists(dir.path() / file.name), !file.removed) << file.name;
  }
}

}  // namespace
}  // namespace zorvane
