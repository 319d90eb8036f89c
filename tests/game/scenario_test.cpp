// Every scenario on every back-end: the Linux module through dlopen, and the
// 64-bit and 32-bit Windows DLLs (test build and product) under Wine. The
// Windows build folders come in ZORVANE_WIN64_BUILD and ZORVANE_WIN32_BUILD;
// those runs are skipped only when the folder is not given.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <tuple>

#include "scenarios.h"
#include "support/fake_program.h"

namespace zorvane::testing {
namespace {

struct BackendKind {
  std::string name;
  const char* buildVariable = nullptr;  // null: the Linux module
  std::string arch;
  bool product = false;
};

const std::vector<BackendKind>& BackendKinds() {
  static const std::vector<BackendKind> kinds = {
      {"Linux", nullptr, "", false},
      {"Win64", "ZORVANE_WIN64_BUILD", "win64", false},
      {"Win64Product", "ZORVANE_WIN64_BUILD", "win64", true},
      {"Win32", "ZORVANE_WIN32_BUILD", "win32", false},
      {"Win32Product", "ZORVANE_WIN32_BUILD", "win32", true},
  };
  return kinds;
}

// The port of the riddle site compiled into a Windows build, from its cache.
std::optional<int> CompiledInSitePort(const std::filesystem::path& buildDir) {
  std::ifstream cache(buildDir / "CMakeCache.txt");
  const std::string entry = "RIDDLE_SITE_BASE:STRING=http://127.0.0.1:";
  for (std::string line; std::getline(cache, line);) {
    if (line.rfind(entry, 0) == 0) {
      return std::stoi(line.substr(entry.size()));
    }
  }
  return std::nullopt;
}

using EndToEndParam = std::tuple<std::size_t, std::size_t>;  // back-end, scenario

class EndToEnd : public ::testing::TestWithParam<EndToEndParam> {
 protected:
  void SetUp() override {
    const BackendKind& kind = BackendKinds()[std::get<0>(GetParam())];
    const Scenario& scenario = Scenarios()[std::get<1>(GetParam())];
    int port = 0;
    if (kind.buildVariable == nullptr) {
      backend_ = MakeDlopenBackend();
    } else {
      const std::optional<std::filesystem::path> build =
          WindowsBuildFromEnvironment(kind.buildVariable);
      if (!build) {
        GTEST_SKIP() << kind.buildVariable << " names no Windows build";
      }
      if (kind.product) {
        const std::optional<int> compiledIn = CompiledInSitePort(*build);
        ASSERT_TRUE(compiledIn.has_value()) << "no loopback riddle site in " << *build;
        port = *compiledIn;
      }
      backend_ = MakeWineBackend(*build, kind.arch, kind.product);
    }
    try {
      site_ = std::make_unique<RiddleSite>(port);
    } catch (const std::exception&) {
      GTEST_SKIP() << "the product's riddle site port " << port << " is taken";
    }
    backend_->Start(scenario.place);
    player_ = std::make_unique<ScenarioPlayer>(*backend_, *site_);
    if (backend_->HasTestingSeam()) {
      player_->SiteUp();
    }
  }

  void TearDown() override {
    if (!backend_ || !player_) {
      return;
    }
    // Every settings write replaces its file whole; none leaves a temporary
    // file behind.
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(backend_->LocalPath(""))) {
      EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
    if (backend_->SlowestCallMicroseconds() > 0) {
      std::cout << "slowest call: " << backend_->SlowestCallMicroseconds() << " us\n";
    }
  }

  // No message box may wait for a person: without a display it answers at once.
  ScopedEnvironmentVariable noDisplay_{"DISPLAY", std::nullopt};
  std::unique_ptr<RiddleSite> site_;
  std::unique_ptr<ScenarioBackend> backend_;
  std::unique_ptr<ScenarioPlayer> player_;
};

TEST_P(EndToEnd, Plays) {
  Scenarios()[std::get<1>(GetParam())].play(*player_);
}

std::string EndToEndName(const ::testing::TestParamInfo<EndToEndParam>& info) {
  return BackendKinds()[std::get<0>(info.param)].name + "_" +
         Scenarios()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, EndToEnd,
                         ::testing::Combine(::testing::Range<std::size_t>(0, BackendKinds().size()),
                                            ::testing::Range<std::size_t>(0, Scenarios().size())),
                         EndToEndName);

// The product DLLs, loaded by a Windows host, export exactly their two names.
TEST(WindowsProduct, ExportExactlyInfoAndTheirEventExports) {
  bool ran = false;
  for (const char* variable : {"ZORVANE_WIN64_BUILD", "ZORVANE_WIN32_BUILD"}) {
    const std::optional<std::filesystem::path> build = WindowsBuildFromEnvironment(variable);
    if (!build) {
      continue;
    }
    ScopedEnvironmentVariable noDisplay("DISPLAY", std::nullopt);
    const std::string arch = variable == std::string("ZORVANE_WIN64_BUILD") ? "win64" : "win32";
    const std::unique_ptr<ScenarioBackend> backend = MakeWineBackend(*build, arch, true);
    backend->Start({});
    EXPECT_EQ(backend->Exports(), (std::vector<std::string>{"Zorvane", "info"})) << arch;
    backend->LoadSignin();
    EXPECT_EQ(backend->SigninExports(), (std::vector<std::string>{"ZorvaneSignin", "info"}))
        << arch;
    ran = true;
  }
  if (!ran) {
    GTEST_SKIP() << "no Windows build given";
  }
}

}  // namespace
}  // namespace zorvane::testing
