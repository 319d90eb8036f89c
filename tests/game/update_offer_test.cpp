// The update offer of each Windows DLL under Wine: a real message box on a
// virtual display (given in ZORVANE_WINE_DISPLAY), answered with xdotool.
// Yes hands exactly the link to the shell, which Wine passes on to xdg-open;
// No opens nothing; without a display the question answers No at once.
// Programs that share a wineserver share its desktop, which the first of
// them makes with or without a display: the tests with a display and the
// one without need servers of their own (scripts/test-wine.sh runs them so).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>

#include "game/contract.h"
#include "runtime/gbk_utf8.h"
#include "runtime/run_environment.h"
#include "scenario_backend.h"
#include "support/fake_program.h"
#include "support/local_http_server.h"

namespace zorvane::testing {
namespace {

const std::string Link = "http://127.0.0.1:9/zorvane-1.2.html";

// The DLL's Wine architecture: win64 or win32.
class UpdateOffer : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const std::string variable =
        GetParam() == "win64" ? "ZORVANE_WIN64_BUILD" : "ZORVANE_WIN32_BUILD";
    build_ = WindowsBuildFromEnvironment(variable.c_str());
    if (!build_) {
      GTEST_SKIP() << variable << " names no Windows build";
    }
    const char* display = std::getenv("ZORVANE_WINE_DISPLAY");
    display_ = display ? display : "";
    server_.server().Get("/update.html", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(
          "<p>" + std::string(UpdateLinkStart) + Link + std::string(UpdateLinkEnd) + "</p>",
          "text/html");
    });
    server_.Start();
    fakes_.Add("xdg-open", "printf '%s\\n' \"$@\" > " + ShellQuoted(opened().string()));
  }

  std::filesystem::path opened() const { return fakes_.folder() / "opened.txt"; }
  // The title of the question, as X shows it (UTF-8).
  std::filesystem::path title() const { return fakes_.folder() / "title.txt"; }

  // The test build of the DLL, pointed at the update page.
  std::unique_ptr<ScenarioBackend> StartModule() {
    std::unique_ptr<ScenarioBackend> backend = MakeWineBackend(*build_, GetParam(), false);
    backend->Start({});
    backend->PointAt(server_.base(), server_.base() + "/update.html");
    return backend;
  }

  // Waits for the question, saves a screenshot of the display when asked to
  // and presses key in it. Runs beside the info call that shows the box.
  std::jthread Answer(const std::string& key, const std::string& screenshot) {
    // Found by the host's window class: this file's texts compile to GBK,
    // and the window's title reaches X in UTF-8.
    std::string command =
        "id=$(timeout 60 xdotool search --sync --onlyvisible --class zorvane_host | head -n1) && ";
    if (!screenshot.empty()) {
      command += "import -window root " + ShellQuoted(screenshot) + " && ";
    }
    command += "xdotool getwindowname \"$id\" > " + ShellQuoted(title().string()) + " && ";
    command += "xdotool windowfocus --sync \"$id\" key " + key;
    return std::jthread([command] { std::system(command.c_str()); });
  }

  std::optional<std::filesystem::path> build_;
  std::string display_;
  LocalHttpServer server_;
  FakePrograms fakes_;
};

TEST_P(UpdateOffer, YesHandsExactlyTheLinkToTheBrowser) {
  if (display_.empty()) {
    GTEST_SKIP() << "ZORVANE_WINE_DISPLAY names no display";
  }
  ScopedEnvironmentVariable display("DISPLAY", display_);
  std::string screenshot;
  if (const char* artifacts = std::getenv("ZORVANE_WINE_ARTIFACTS")) {
    std::filesystem::create_directories(artifacts);
    screenshot =
        (std::filesystem::path(artifacts) / ("update-offer-" + GetParam() + ".png")).string();
    std::filesystem::remove(screenshot);
  }
  std::unique_ptr<ScenarioBackend> module = StartModule();
  std::jthread answer = Answer("Return", screenshot);  // Yes is the default button
  const std::string descriptor = module->Info();
  answer.join();
  EXPECT_EQ(descriptor.rfind("Zorvane\r\n1.1\r\n", 0), 0u);
  EXPECT_EQ(ReadFileBytes(title()), GbkToUtf8Lenient(DefaultMessageCaption) + "\n");
  ASSERT_TRUE(WaitForFile(opened(), 30000));
  // The opener may still be writing; its one line ends the file.
  for (int i = 0; i < 50 && ReadFileBytes(opened()).find('\n') == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(ReadFileBytes(opened()), Link + "\n");
  if (!screenshot.empty()) {
    EXPECT_GT(std::filesystem::file_size(screenshot), 0u);
  }
}

TEST_P(UpdateOffer, NoOpensNothing) {
  if (display_.empty()) {
    GTEST_SKIP() << "ZORVANE_WINE_DISPLAY names no display";
  }
  ScopedEnvironmentVariable display("DISPLAY", display_);
  std::unique_ptr<ScenarioBackend> module = StartModule();
  std::jthread answer = Answer("n", "");
  const std::string descriptor = module->Info();
  answer.join();
  EXPECT_EQ(descriptor.rfind("Zorvane\r\n1.1\r\n", 0), 0u);
  EXPECT_FALSE(WaitForFile(opened(), 5000));
}

TEST_P(UpdateOffer, WithoutADisplayTheQuestionAnswersNoAtOnce) {
  ScopedEnvironmentVariable display("DISPLAY", std::nullopt);
  std::unique_ptr<ScenarioBackend> module = StartModule();
  const auto start = std::chrono::steady_clock::now();
  const std::string descriptor = module->Info();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(descriptor.rfind("Zorvane\r\n1.1\r\n", 0), 0u);
  EXPECT_FALSE(WaitForFile(opened(), 3000));
}

INSTANTIATE_TEST_SUITE_P(Windows, UpdateOffer, ::testing::Values("win64", "win32"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return "Win" + info.param.substr(3);
                         });

}  // namespace
}  // namespace zorvane::testing
