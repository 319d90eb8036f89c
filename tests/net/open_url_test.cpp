// OpenUrl on Linux hands the URL to xdg-open; a script stands in for it.
#include "net/open_url.h"

#include <errno.h>
#include <sys/wait.h>
#include <time.h>

#include <string>

#include <gtest/gtest.h>

#include "support/fake_program.h"

namespace zorvane {
namespace {

using testing::ShellQuoted;

long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000 + now.tv_nsec / 1'000'000;
}

class OpenUrlTest : public ::testing::Test {
 protected:
  // An xdg-open that waits delay, then records its argument count, first
  // argument and standard input.
  void FakeXdgOpen(const std::string& delay = "0") {
    const std::string record = ShellQuoted(Record().string());
    programs_.Add("xdg-open", "sleep " + delay + "\n" + "cat > " +
                                  ShellQuoted(Record().string() + ".stdin") + "\n" +
                                  "printf '%s:%s' \"$#\" \"$1\" > " + record + ".part\n" + "mv " +
                                  record + ".part " + record);
  }
  std::filesystem::path Record() const { return programs_.folder() / "opened"; }
  std::string Opened() const {
    EXPECT_TRUE(testing::WaitForFile(Record(), 5000));
    return testing::ReadFileBytes(Record());
  }

  testing::FakePrograms programs_;
};

TEST_F(OpenUrlTest, HandsTheUrlOverUnchanged) {
  FakeXdgOpen();
  const std::string url = "http://h/a b?x='1'&y=$(touch pwned);`id`\"";
  OpenUrl(TextView(url));
  EXPECT_EQ(Opened(), "1:" + url);
}

TEST_F(OpenUrlTest, TheEmptyTextIsHandedOverAndOnlyNoArgumentMeansTheDefault) {
  FakeXdgOpen();
  OpenUrl(TextView());
  EXPECT_EQ(Opened(), "1:");
  std::filesystem::remove(Record());
  OpenUrl();
  EXPECT_EQ(Opened(), std::string("1:") + DefaultOpenUrl);
}

TEST_F(OpenUrlTest, ReturnsAtOnceAndLeavesNoChildBehind) {
  FakeXdgOpen("1");
  const long start = NowMs();
  OpenUrl(TextView("http://example.invalid/"));
  EXPECT_LT(NowMs() - start, 700);
  // The helper that started xdg-open is reaped; xdg-open is not our child.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_EQ(Opened(), "1:http://example.invalid/");
}

TEST_F(OpenUrlTest, NeverReadsTheHostsStandardInput) {
  FakeXdgOpen();
  {
    testing::ScopedPendingStandardInput input("meant for the host\n");
    OpenUrl(TextView("http://h/"));
    Opened();
  }
  EXPECT_EQ(testing::ReadFileBytes(Record().string() + ".stdin"), "");
}

TEST_F(OpenUrlTest, WithoutXdgOpenNothingHappens) {
  testing::TempDir empty;
  testing::ScopedEnvironmentVariable path("PATH", empty.str());
  OpenUrl(TextView("http://h/"));
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace zorvane
