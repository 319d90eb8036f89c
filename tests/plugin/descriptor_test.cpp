// The descriptor export end to end: its bytes, the game-folder check and the
// update offer, observed through fake desktop programs first on PATH.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "support/hex.h"
#include "support/local_http_server.h"
#include "support/module_under_test.h"
#include "support/riddle_site_fixture.h"
#include "support/temp_dir.h"

namespace zorvane::testing {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) {
      old_ = old;
    }
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironmentVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

const std::string ExpectedDescriptor =
    "Zorvane\r\n"
    "1.1\r\n"
    "Tamsel\r\n"
    "特别说明：插件由'Orrin、Velda'提供思路\r\n"
    "Zorva \r\n"
    "发送‘Zorva 开始’\r\n"
    "\r\n"
    "Zorvane\r\n"
    "1\r\n"
    "假\r\n";

const std::string PromptGbk = "发现新版本是否更新~！？";
const std::string PromptUtf8 = reinterpret_cast<const char*>(u8"发现新版本是否更新~！？");

class Descriptor : public ::testing::Test {
 protected:
  Descriptor()
      : path_("PATH", bin_.str() + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin")),
        display_("DISPLAY", ":77"),
        info_(module_.info()) {
    updateSite_.server().Get("/update.html",
                             [this](const httplib::Request&, httplib::Response& response) {
                               std::lock_guard lock(mutex_);
                               ++updateRequests_;
                               response.set_content(updatePage_, "text/html");
                             });
    updateSite_.Start();
    Configure(updateSite_.base() + "/update.html");
    WriteScript("xdg-open", "printf '%s' \"$1\" > '" + Record("url.tmp") + "' && mv '" +
                                Record("url.tmp") + "' '" + Record("opened") + "'\n");
    AnswerPrompt(1);
  }

  void Configure(const std::string& updatePageUrl) {
    module_.ConfigureForTesting(runDir_.str().c_str(), "http://127.0.0.1:9", updatePageUrl);
  }

  std::string Info() { return info_(); }

  void SetUpdatePage(const std::string& page) {
    std::lock_guard lock(mutex_);
    updatePage_ = page;
  }

  // The fake zenity records its arguments and answers: 0 Yes, 1 No.
  void AnswerPrompt(int exitCode) {
    WriteScript("zenity", "printf '%s\\n' \"$@\" >> '" + Record("prompt") + "'\nexit " +
                              std::to_string(exitCode) + "\n");
  }

  int UpdateRequests() {
    std::lock_guard lock(mutex_);
    return updateRequests_;
  }

  bool Prompted() const { return std::filesystem::exists(Record("prompt")); }
  std::string PromptArguments() const { return ReadFileBytes(Record("prompt")); }

  // The link handed to the browser. It is opened without waiting, so look
  // for a while before concluding that nothing was opened.
  std::optional<std::string> OpenedLink(int waitMs) const {
    for (int waited = 0;; waited += 20) {
      if (std::filesystem::exists(Record("opened"))) {
        return ReadFileBytes(Record("opened"));
      }
      if (waited >= waitMs) {
        return std::nullopt;
      }
      usleep(20 * 1000);
    }
  }

  void ForgetRecords() {
    std::filesystem::remove(Record("prompt"));
    std::filesystem::remove(Record("opened"));
  }

  std::string Record(const std::string& name) const { return (bin_.path() / name).string(); }

  void WriteScript(const std::string& name, const std::string& body) {
    const std::filesystem::path script = bin_.path() / name;
    WriteFileBytes(script, "#!/bin/sh\n" + body);
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  TempDir runDir_;
  TempDir bin_;
  // Set before the module is loaded, and restored after it is unloaded.
  ScopedEnvironmentVariable path_;
  ScopedEnvironmentVariable display_;
  std::mutex mutex_;
  std::string updatePage_ = "<html>没有新版本</html>";
  // Counted as they arrive: the server's own log is written after the answer.
  int updateRequests_ = 0;
  LocalHttpServer updateSite_;
  ModuleUnderTest module_;
  host::InfoFunction info_;
};

TEST_F(Descriptor, IsTheTenLinesByteForByteOnEveryCall) {
  const std::string descriptor = Info();
  EXPECT_EQ(descriptor, ExpectedDescriptor);
  EXPECT_EQ(descriptor.size(), 108u);
  // Line 4: "：" and "、" double-byte, the quotes ASCII apostrophes.
  const std::size_t credit = descriptor.find("特别说明");
  EXPECT_EQ(Hex(descriptor.substr(credit + 8, 2)), "a3 ba ");
  EXPECT_EQ(Hex(descriptor.substr(credit + 16, 7)), "27 4f 72 72 69 6e a1 ");
  // Line 5 keeps its blank; line 6 has double-byte quotes around ASCII text.
  EXPECT_NE(descriptor.find("\r\nZorva \r\n"), std::string::npos);
  const std::size_t usage = descriptor.find("发送");
  EXPECT_EQ(Hex(descriptor.substr(usage + 4, 12)), "a1 ae 5a 6f 72 76 61 20 bf aa ca bc ");
  EXPECT_EQ(Hex(descriptor.substr(descriptor.size() - 4)), "bc d9 0d 0a ");

  EXPECT_EQ(Info(), ExpectedDescriptor);
  // The update page is asked every time; nothing was offered.
  EXPECT_EQ(UpdateRequests(), 2);
  EXPECT_FALSE(Prompted());
}

TEST_F(Descriptor, MakesTheGameFolderWhenItIsMissing) {
  const std::filesystem::path folder = runDir_.path() / "Zorva";
  ASSERT_FALSE(std::filesystem::exists(folder));
  Info();
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  WriteFileBytes(folder / "1001.ini", "[开始]\r\n结尾=/dmmy/2.html\r\n");
  Info();
  EXPECT_EQ(ReadFileBytes(folder / "1001.ini"), "[开始]\r\n结尾=/dmmy/2.html\r\n");
}

TEST_F(Descriptor, AFileNamedLikeTheGameFolderCountsAsPresent) {
  const std::filesystem::path folder = runDir_.path() / "Zorva";
  WriteFileBytes(folder, "not a folder");
  EXPECT_EQ(Info(), ExpectedDescriptor);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder));
  EXPECT_EQ(ReadFileBytes(folder), "not a folder");
}

TEST_F(Descriptor, OffersTheUpdateLinkAndOpensItOnYes) {
  SetUpdatePage(
      "<p>最新版本：1.2</p><p>[更新连接：]http://example.com/zorvane-1.2.zip。[更新连接：]"
      "http://example.com/other。</p>");
  AnswerPrompt(0);
  EXPECT_EQ(Info(), ExpectedDescriptor);
  ASSERT_TRUE(Prompted());
  const std::string arguments = PromptArguments();
  EXPECT_TRUE(arguments.find(PromptGbk) != std::string::npos ||
              arguments.find(PromptUtf8) != std::string::npos)
      << arguments;
  EXPECT_EQ(OpenedLink(5000), "http://example.com/zorvane-1.2.zip");

  // Offered again on the next call: there is no version comparison.
  ForgetRecords();
  Info();
  EXPECT_TRUE(Prompted());
  EXPECT_EQ(OpenedLink(5000), "http://example.com/zorvane-1.2.zip");
}

TEST_F(Descriptor, AnsweringNoOpensNothing) {
  SetUpdatePage("[更新连接：]http://example.com/zorvane-1.2.zip。");
  AnswerPrompt(1);
  EXPECT_EQ(Info(), ExpectedDescriptor);
  EXPECT_TRUE(Prompted());
  EXPECT_EQ(OpenedLink(300), std::nullopt);
}

TEST_F(Descriptor, NoLinkMeansNoPrompt) {
  AnswerPrompt(0);
  for (const std::string page :
       {"", "<html>1.1</html>", "[更新连接：]。", "[更新连接：]http://x/a",
        "[更新连接：]HTTP://example.com/a。", "[更新连接：]https://example.com/a。",
        "[更新链接：]http://x/a。"}) {
    SetUpdatePage(page);
    EXPECT_EQ(Info(), ExpectedDescriptor) << page;
    EXPECT_FALSE(Prompted()) << page;
  }
  // The update page out of reach.
  Configure(UnreachableSiteBase() + "/update.html");
  EXPECT_EQ(Info(), ExpectedDescriptor);
  EXPECT_FALSE(Prompted());
  EXPECT_EQ(OpenedLink(300), std::nullopt);
}

TEST_F(Descriptor, AnUnsafeLinkIsNeverOffered) {
  AnswerPrompt(0);
  for (const std::string link :
       {"calc.exe http://example.com/", "C:\\evil.exe?http://x", "\"http://x/\" -a", "http://x/a b",
        "http://x/a\"b", "http://x/a'b", "http://x/a\tb", "http://x/a\r\nb", " http://x/"}) {
    SetUpdatePage("[更新连接：]" + link + "。");
    EXPECT_EQ(Info(), ExpectedDescriptor) << link;
    EXPECT_FALSE(Prompted()) << link;
  }
  EXPECT_EQ(OpenedLink(300), std::nullopt);
}

}  // namespace
}  // namespace zorvane::testing
