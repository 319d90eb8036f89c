#include "scenario_backend.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "runtime/gbk_utf8.h"
#include "runtime/native_path.h"
#include "runtime/run_environment.h"
#include "support/hex.h"
#include "support/module_under_test.h"
#include "support/riddle_site_fixture.h"

extern char** environ;

namespace zorvane::testing {
namespace {

// Those of names that a loaded module exports, in the order given.
std::vector<std::string> FoundNames(host::ZorvaneModule& module,
                                    std::initializer_list<const char*> names) {
  std::vector<std::string> found;
  for (const char* name : names) {
    if (module.library().Find(name) != nullptr) {
      found.push_back(name);
    }
  }
  return found;
}

class DlopenBackend : public ScenarioBackend {
 public:
  void Start(const RunPlace& place) override {
    runDirectory_ = temp_.str() + (place.folder.empty() ? "" : "/" + place.folder);
    // The test process resolves the module's paths the way the module does.
    SetRunDirectoryForTesting(runDirectory_);
    std::filesystem::create_directories(NativePath(runDirectory_));
    site_ = UnreachableSiteBase();
    Load();
  }
  bool HasTestingSeam() const override { return true; }
  void PointAt(const std::string& site, const std::string& update) override {
    site_ = site;
    update_ = update;
    Configure();
  }
  std::string Info() override { return module_->Info(); }
  std::string Event(const char* message, const char* messageType, const char* group,
                    const char* member, const char* extra) override {
    return module_->Event(message, messageType, group, member, extra);
  }
  std::vector<std::string> Exports() override {
    return FoundNames(*module_,
                      {"Zorvane", "ZorvaneConfigureForTesting", "info", "HandleChatEvent"});
  }
  void LoadSignin() override {
    signin_ = std::make_unique<SigninModuleUnderTest>();
    signin_->ConfigureForTesting(runDirectory_.c_str(), site_, site_);
  }
  std::string SigninInfo() override { return signin_->Info(); }
  std::string SigninEvent(const char* message, const char* messageType, const char* group,
                          const char* member, const char* extra) override {
    return signin_->Event(message, messageType, group, member, extra);
  }
  std::vector<std::string> SigninExports() override {
    return FoundNames(*signin_,
                      {"ZorvaneConfigureForTesting", "ZorvaneSignin", "info", "HandleSigninEvent"});
  }
  bool Unload() override {
    const bool unloaded = module_->library().Unload();
    module_.reset();
    return unloaded && !host::ModuleLibrary::IsInProcess(ZORVANE_TESTABLE_MODULE_PATH);
  }
  void Load() override {
    module_ = std::make_unique<ModuleUnderTest>();
    Configure();
  }
  std::filesystem::path LocalPath(const std::string& relative) const override {
    return NativePath(runDirectory_ + "/" + relative);
  }

 private:
  void Configure() {
    module_->ConfigureForTesting(runDirectory_.c_str(), site_, update_.empty() ? site_ : update_);
  }

  TempDir temp_;
  std::string runDirectory_;
  std::string site_;
  std::string update_;
  std::unique_ptr<ModuleUnderTest> module_;
  std::unique_ptr<SigninModuleUnderTest> signin_;
};

// The Windows test host under Wine, talked to through its standard input
// and output, one command line and one answer line at a time.
class WineBackend : public ScenarioBackend {
 public:
  WineBackend(std::filesystem::path buildDir, std::string arch, bool product,
              std::filesystem::path moduleFolder)
      : buildDir_(std::move(buildDir)),
        arch_(std::move(arch)),
        product_(product),
        moduleFolder_(std::move(moduleFolder)) {}
  ~WineBackend() override { Stop(); }

  // The host finds both DLLs beside it under their product names.
  void Start(const RunPlace& place) override {
    runFolder_ = temp_.path() / GbkToUtf8Lenient(place.folder);
    std::filesystem::create_directories(runFolder_);
    const std::filesystem::path host = runFolder_ / GbkToUtf8Lenient(place.hostName);
    std::filesystem::copy_file(buildDir_ / "tests" / "wine" / "zorvane_host.exe", host);
    std::filesystem::copy_file(moduleFolder_ / (product_ ? "zorvane.dll" : "zorvane_testable.dll"),
                               runFolder_ / "zorvane.dll");
    std::filesystem::copy_file(
        moduleFolder_ / (product_ ? "zorvane-signin.dll" : "zorvane_signin_testable.dll"),
        runFolder_ / "zorvane-signin.dll");
    Spawn(host);
    Load();
  }
  bool HasTestingSeam() const override { return !product_; }
  void PointAt(const std::string& site, const std::string& update) override {
    site_ = site;
    update_ = update;
    Configure();
  }
  std::string Info() override { return TextAnswer("info", "info"); }
  std::string Event(const char* message, const char* messageType, const char* group,
                    const char* member, const char* extra) override {
    return TextAnswer(EventCommand(message, messageType, group, member, extra), "reply");
  }
  std::vector<std::string> Exports() override { return ExportsOf(""); }
  void LoadSignin() override {
    if (Ask("signin load") != "loaded 1") {
      throw std::runtime_error("the host could not load zorvane-signin.dll");
    }
  }
  std::string SigninInfo() override { return TextAnswer("signin info", "info"); }
  std::string SigninEvent(const char* message, const char* messageType, const char* group,
                          const char* member, const char* extra) override {
    return TextAnswer("signin " + EventCommand(message, messageType, group, member, extra),
                      "reply");
  }
  std::vector<std::string> SigninExports() override { return ExportsOf("signin "); }
  bool Unload() override { return Ask("unload") == "unloaded 1 0"; }
  void Load() override {
    if (Ask("load") != "loaded 1") {
      throw std::runtime_error("the host could not load zorvane.dll");
    }
    if (!product_) {
      Configure();
    }
  }
  std::filesystem::path LocalPath(const std::string& relative) const override {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '\\', '/');
    return runFolder_ / GbkToUtf8Lenient(path);
  }
  long long SlowestCallMicroseconds() const override { return slowest_; }

 private:
  static std::string EventCommand(const char* message, const char* messageType, const char* group,
                                  const char* member, const char* extra) {
    return "event " + HexWord(message) + " " + HexWord(messageType) + " " + HexWord(group) + " " +
           HexWord(member) + " " + HexWord(extra);
  }

  // The names a module's export directory lists, sorted; prefix names the
  // module as the host's commands do.
  std::vector<std::string> ExportsOf(const std::string& prefix) {
    std::istringstream words(Ask(prefix + "exports"));
    std::vector<std::string> names;
    std::string word;
    words >> word;
    while (words >> word) {
      names.push_back(word);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  void Configure() {
    if (site_.empty()) {
      site_ = UnreachableSiteBase();
    }
    const std::string update = update_.empty() ? site_ : update_;
    if (Ask("configure " + HexWord(site_.c_str()) + " " + HexWord(update.c_str())) !=
        "configured 1") {
      throw std::runtime_error("the module has no testing seam");
    }
  }

  // "ANSWER WORD MICROSECONDS": the text, with the call's time noted; a null
  // one reads as "".
  std::string TextAnswer(const std::string& command, const std::string& answer) {
    std::istringstream words(Ask(command));
    std::string head, text;
    long long microseconds = 0;
    words >> head >> text >> microseconds;
    if (head != answer || text.empty()) {
      throw std::runtime_error("unexpected answer to " + command);
    }
    slowest_ = std::max(slowest_, microseconds);
    return FromHexWord(text).value_or("");
  }

  void Spawn(const std::filesystem::path& host) {
    int toHost[2], fromHost[2];
    if (pipe(toHost) != 0 || pipe(fromHost) != 0) {
      throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // A group of its own, so that a host stuck in a call can be ended whole.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_adddup2(&actions, toHost[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromHost[1], 1);
    for (const int fd : {toHost[0], toHost[1], fromHost[0], fromHost[1]}) {
      posix_spawn_file_actions_addclose(&actions, fd);
    }
    const std::string script = std::string(ZORVANE_SOURCE_DIR) + "/scripts/wine-exec.sh";
    const std::string prefix = (buildDir_ / "wine-prefix").string();
    const std::string program = host.string();
    const char* argv[] = {"bash", script.c_str(), arch_.c_str(), prefix.c_str(), program.c_str(),
                          "-",    nullptr};
    const int failed =
        posix_spawnp(&child_, "bash", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toHost[0]);
    close(fromHost[1]);
    toHost_ = toHost[1];
    fromHost_ = fromHost[0];
    if (failed != 0) {
      child_ = -1;
      throw std::runtime_error("cannot start the Wine host");
    }
  }

  std::string Ask(const std::string& command) {
    const std::string line = command + "\n";
    if (write(toHost_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      throw std::runtime_error("the Wine host is gone");
    }
    return ReadLine();
  }

  // Two minutes at most: a call that hangs fails the test instead of the run.
  std::string ReadLine() {
    for (;;) {
      const std::size_t end = buffered_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
          line.pop_back();
        }
        return line;
      }
      pollfd ready{fromHost_, POLLIN, 0};
      if (poll(&ready, 1, 120000) <= 0) {
        throw std::runtime_error("no answer from the Wine host");
      }
      char chunk[4096];
      const ssize_t n = read(fromHost_, chunk, sizeof chunk);
      if (n <= 0) {
        throw std::runtime_error("the Wine host ended");
      }
      buffered_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // End of input lets the host return; one that does not within ten
  // seconds (a call that never came back) is killed with its group.
  void Stop() {
    if (toHost_ >= 0) {
      close(toHost_);
    }
    if (child_ > 0) {
      int status = 0;
      for (int i = 0; i < 100 && waitpid(child_, &status, WNOHANG) == 0; ++i) {
        usleep(100000);
      }
      if (waitpid(child_, &status, WNOHANG) == 0) {
        kill(-child_, SIGKILL);
        waitpid(child_, &status, 0);
      }
    }
    if (fromHost_ >= 0) {
      close(fromHost_);
    }
  }

  std::filesystem::path buildDir_;
  std::string arch_;
  bool product_;
  std::filesystem::path moduleFolder_;
  TempDir temp_;
  std::filesystem::path runFolder_;
  std::string site_;
  std::string update_;
  pid_t child_ = -1;
  int toHost_ = -1;
  int fromHost_ = -1;
  std::string buffered_;
  long long slowest_ = 0;
};

}  // namespace

std::unique_ptr<ScenarioBackend> MakeDlopenBackend() {
  return std::make_unique<DlopenBackend>();
}

std::unique_ptr<ScenarioBackend> MakeWineBackend(
    const std::filesystem::path& buildDir, const std::string& arch, bool product,
    const std::optional<std::filesystem::path>& moduleFolder) {
  return std::make_unique<WineBackend>(buildDir, arch, product, moduleFolder.value_or(buildDir));
}

std::optional<std::filesystem::path> WindowsBuildFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    return std::nullopt;
  }
  return std::filesystem::absolute(value);
}

}  // namespace zorvane::testing
