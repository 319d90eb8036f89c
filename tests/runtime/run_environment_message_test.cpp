// The modal question on Linux goes to zenity; a script stands in for it.
#include <signal.h>

#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/run_environment.h"
#include "support/fake_program.h"

namespace zorvane {
namespace {

using ::testing::Contains;
using ::testing::Not;
using testing::ShellQuoted;

// Source literals become GBK; these are the UTF-8 bytes zenity must receive.
std::string Utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

class ShowMessageTest : public ::testing::Test {
 protected:
  // A zenity that records its arguments and standard input, prints output
  // and ends with exitCode.
  void FakeZenity(int exitCode, const std::string& output = "") {
    const std::string folder = programs_.folder().string();
    std::filesystem::remove(programs_.folder() / "args");
    programs_.Add("zenity", "for a in \"$@\"; do printf '%s\\n' \"$a\" >> " +
                                ShellQuoted(folder + "/args") + "; done\n" + "cat > " +
                                ShellQuoted(folder + "/stdin") + "\n" + "printf '%s' " +
                                ShellQuoted(output) + "\n" + "exit " + std::to_string(exitCode));
  }

  std::vector<std::string> Arguments() const {
    std::istringstream lines(testing::ReadFileBytes(programs_.folder() / "args"));
    std::vector<std::string> arguments;
    for (std::string line; std::getline(lines, line);) {
      arguments.push_back(line);
    }
    return arguments;
  }

  bool Ran() const { return std::filesystem::exists(programs_.folder() / "args"); }

  testing::FakePrograms programs_;
  testing::ScopedEnvironmentVariable display_{"DISPLAY", ":99"};
  testing::ScopedEnvironmentVariable wayland_{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(ShowMessageTest, YesNoQuestionAnswersYesOrNo) {
  FakeZenity(0);
  EXPECT_EQ(ShowMessage("发现新版本是否更新~！？", 4), 5);
  EXPECT_THAT(Arguments(), Contains("--question"));
  EXPECT_THAT(Arguments(), Contains(Utf8(u8"--title=信息：")));
  EXPECT_THAT(Arguments(), Contains(Utf8(u8"--text=发现新版本是否更新~！？")));
  EXPECT_THAT(Arguments(), Contains("--no-markup"));
  EXPECT_THAT(Arguments(), Not(Contains("--default-cancel")));

  FakeZenity(1);  // No, Escape or the window closed
  EXPECT_EQ(ShowMessage("x", 4), 6);
}

TEST_F(ShowMessageTest, TextAndTitleReachZenityAsGivenInUtf8) {
  FakeZenity(0);
  ShowMessage("<b>粗</b> & --info", 0, TextView("标题"));
  EXPECT_THAT(Arguments(), Contains(Utf8(u8"--text=<b>粗</b> & --info")));
  EXPECT_THAT(Arguments(), Contains(Utf8(u8"--title=标题")));
}

TEST_F(ShowMessageTest, BytesThatAreNotGbkBecomeQuestionMarks) {
  FakeZenity(0);
  ShowMessage("a\x81");
  EXPECT_THAT(Arguments(), Contains("--text=a?"));
}

TEST_F(ShowMessageTest, OkOnlyAnswersOkHoweverItIsClosed) {
  FakeZenity(1);
  EXPECT_EQ(ShowMessage("x", 0), 0);
  EXPECT_THAT(Arguments(), Contains("--info"));
  FakeZenity(0);
  ShowMessage("x", 0x10);
  EXPECT_THAT(Arguments(), Contains("--error"));
}

TEST_F(ShowMessageTest, EachButtonSetGivesItsButtonCodes) {
  struct Case {
    std::int32_t flags;
    int exitCode;
    std::string output;
    std::int32_t code;
  };
  const std::vector<Case> cases = {
      {1, 0, "", 0},                // OK
      {1, 1, "", 1},                // Cancel
      {2, 0, "", 3},                // Retry
      {2, 1, "", 2},                // Abort
      {2, 1, Utf8(u8"忽略\n"), 4},  // Ignore
      {3, 0, "", 5},                // Yes
      {3, 1, Utf8(u8"否\n"), 6},    // No
      {3, 1, "", 1},                // Cancel, or the window closed
      {5, 0, "", 3},                // Retry
      {5, 1, "", 1},                // Cancel
  };
  for (const Case& c : cases) {
    FakeZenity(c.exitCode, c.output);
    EXPECT_EQ(ShowMessage("x", c.flags), c.code)
        << "flags " << c.flags << ", exit " << c.exitCode << ", output " << c.output;
  }
}

TEST_F(ShowMessageTest, TheSecondButtonAsDefaultMakesNoTheDefault) {
  FakeZenity(0);
  ShowMessage("x", 4 | 0x100);
  EXPECT_THAT(Arguments(), Contains("--default-cancel"));
}

TEST_F(ShowMessageTest, AFailedBoxAnswersZero) {
  FakeZenity(255);
  EXPECT_EQ(ShowMessage("x", 4), 0);
  programs_.Add("zenity", "kill -9 $$");
  EXPECT_EQ(ShowMessage("x", 4), 0);
  // GTK ends with 1, as for Cancel, when the display cannot be opened.
  programs_.Add("zenity",
                "echo '(zenity:7): Gtk-WARNING **: 12:00:00.000: cannot open display: :99' >&2\n"
                "exit 1");
  EXPECT_EQ(ShowMessage("x", 4), 0);
  EXPECT_EQ(ShowMessage("x", 1), 0);
}

TEST_F(ShowMessageTest, AnExtraButtonIsRecognisedAfterWarnings) {
  programs_.Add("zenity",
                "echo '(zenity:7): Gtk-Message: 12:00:00.000: GtkDialog mapped without a "
                "transient parent. This is discouraged.' >&2\n"
                "printf '%s\\n' " +
                    ShellQuoted(Utf8(u8"否")) + "\nexit 1");
  EXPECT_EQ(ShowMessage("x", 3), 6);
}

TEST_F(ShowMessageTest, WaitsForTheBoxToClose) {
  programs_.Add("zenity",
                "sleep 0.3; touch " + ShellQuoted(programs_.folder().string() + "/closed"));
  ShowMessage("x", 4);
  EXPECT_TRUE(std::filesystem::exists(programs_.folder() / "closed"));
}

TEST_F(ShowMessageTest, NeverReadsTheHostsStandardInput) {
  FakeZenity(0);
  {
    testing::ScopedPendingStandardInput input("meant for the host\n");
    ShowMessage("x", 4);
  }
  EXPECT_EQ(testing::ReadFileBytes(programs_.folder() / "stdin"), "");
}

TEST_F(ShowMessageTest, WithoutADisplayNoBoxIsShown) {
  FakeZenity(0);
  testing::ScopedEnvironmentVariable noDisplay("DISPLAY", std::nullopt);
  EXPECT_EQ(ShowMessage("x", 4), 0);
  EXPECT_FALSE(Ran());
  {
    testing::ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(ShowMessage("x", 4), 5);
    EXPECT_TRUE(Ran());
  }
}

TEST_F(ShowMessageTest, WithoutZenityNoBoxIsShown) {
  testing::TempDir empty;
  testing::ScopedEnvironmentVariable path("PATH", empty.str());
  EXPECT_EQ(ShowMessage("x", 4), 0);
}

}  // namespace
}  // namespace zorvane
