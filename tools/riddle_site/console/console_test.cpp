// Literals in this file are UTF-8, as the console's pages are.
#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <optional>
#include <thread>

#include "game/riddle_page.h"
#include "runtime/gbk_utf8.h"
#include "server/site_on_a_thread.h"
#include "support/temp_dir.h"

namespace riddle_site {
namespace {

using zorvane::testing::ReadFileBytes;
using zorvane::testing::WriteFileBytes;

constexpr char Password[] = "correct horse";

// A site with its console on a free loopback port, over a riddle file of
// two riddles.
class ConsoleTest : public ::testing::Test {
 protected:
  void Start(ConsoleMode mode) {
    WriteFileBytes(path_, "Q1\tA1\nQ2\tA2\n");
    store_ = std::make_unique<RiddleStore>(path_, LoadRiddleFile(path_));
    auth_ = std::make_unique<ConsoleAuth>(
        mode, mode == ConsoleMode::Password ? std::optional<std::string>(Password) : std::nullopt);
    console_ = std::make_unique<Console>(Console{*store_, traffic_, *auth_, nullptr});
    site_ = std::make_unique<SiteOnAThread>(
        SiteParts{.catalog = [this] { return store_->catalog(); }, .console = console_.get()});
  }

  httplib::Client Client() { return httplib::Client("127.0.0.1", site_->port()); }

  // The heads a browser sends with a form from one of the console's pages.
  httplib::Headers FromTheConsole(const std::string& cookie = "") const {
    httplib::Headers headers{{"Origin", "http://127.0.0.1:" + std::to_string(site_->port())},
                             {"Sec-Fetch-Site", "same-origin"}};
    if (!cookie.empty()) {
      headers.emplace("Cookie", cookie);
    }
    return headers;
  }

  // A login with password from a browser that opened the login page.
  httplib::Result LogIn(const std::string& password) {
    const auto form = Client().Get("/console/login");
    EXPECT_TRUE(form && form->status == 200);
    return Client().Post("/console/login", FromTheConsole(SessionCookie(form)),
                         httplib::Params{{"csrf", CsrfOf(form->body)}, {"password", password}});
  }

  // The session cookie ("name=value") that a response sets, or "".
  static std::string SessionCookie(const httplib::Result& response) {
    const std::string set = response->get_header_value("Set-Cookie");
    return set.substr(0, set.find(';'));
  }

  // The token of the first form on a page.
  static std::string CsrfOf(const std::string& page) {
    const std::string marker = "name=\"csrf\" value=\"";
    const std::size_t at = page.find(marker);
    return at == std::string::npos ? "" : page.substr(at + marker.size(), 64);
  }

  // A browser's session of the open console: its cookie and token.
  std::pair<std::string, std::string> OpenSession() {
    const auto page = Client().Get("/console/riddles/new");
    EXPECT_TRUE(page && page->status == 200);
    return {SessionCookie(page), CsrfOf(page->body)};
  }

  zorvane::testing::TempDir dir_;
  const std::string path_ = (dir_.path() / "riddles.tsv").string();
  std::unique_ptr<RiddleStore> store_;
  TrafficLog traffic_;
  std::unique_ptr<ConsoleAuth> auth_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<SiteOnAThread> site_;
};

TEST_F(ConsoleTest, APostWithoutTheSessionsTokenChangesNothing) {
  Start(ConsoleMode::Open);
  const auto [cookie, csrf] = OpenSession();
  const auto [otherCookie, otherCsrf] = OpenSession();
  ASSERT_FALSE(csrf.empty());
  ASSERT_NE(csrf, otherCsrf);
  const std::string before = ReadFileBytes(path_);
  const std::string page = "http://127.0.0.1:" + std::to_string(site_->port());
  struct Forgery {
    const char* what;
    std::string cookie;
    std::string csrf;             // "-" sends no token at all
    httplib::Headers heads = {};  // instead of the console's own
    std::string query = "";
  };
  const Forgery forgeries[] = {
      {"no token", cookie, "-"},
      {"a wrong token", cookie, std::string(64, 'a')},
      {"another session's token", cookie, otherCsrf},
      {"a token without its session's cookie", "", csrf},
      {"the token in the URL only", cookie, "-", {}, "?csrf=" + csrf},
      {"another site's page", cookie, csrf, {{"Origin", "http://riddles.example"}}},
      {"another site's page, told by fetch", cookie, csrf, {{"Sec-Fetch-Site", "cross-site"}}},
      {"another port of this machine", cookie, csrf, {{"Sec-Fetch-Site", "same-site"}}},
      {"a page that hides its origin", cookie, csrf, {{"Origin", "null"}}},
      {"no word of its origin", cookie, csrf, {{"X-Nothing", "1"}}},
  };
  for (const Forgery& forgery : forgeries) {
    for (const char* path : {"/console/riddles/new", "/console/riddles/delete"}) {
      httplib::Params form{{"question", "Q3"}, {"answer", "A3"}, {"id", "19500"}};
      if (forgery.csrf != "-") {
        form.emplace("csrf", forgery.csrf);
      }
      httplib::Headers headers = forgery.heads.empty() ? FromTheConsole() : forgery.heads;
      if (!forgery.cookie.empty()) {
        headers.emplace("Cookie", forgery.cookie);
      }
      const auto response = Client().Post(path + forgery.query, headers, form);
      ASSERT_TRUE(response);
      EXPECT_EQ(response->status, 403) << forgery.what << " " << path;
    }
  }
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_EQ(Client().Get(RiddlePath(19501))->status, 404);
  EXPECT_EQ(store_->catalog()->Next(store_->catalog()->riddles()[0]).id, 19500);

  // The real form goes through and is served at once.
  const auto saved =
      Client().Post("/console/riddles/new", FromTheConsole(cookie),
                    httplib::Params{{"csrf", csrf}, {"question", "Q3"}, {"answer", "A3"}});
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->status, 303);
  EXPECT_EQ(Client().Get(RiddlePath(19501))->status, 200);
}

TEST_F(ConsoleTest, AWrongPasswordIsRefusedAndRepeatedTriesAreStopped) {
  Start(ConsoleMode::Password);
  // Without a session every page leads to the login, and nothing else shows.
  const auto home = Client().Get("/console/riddles");
  ASSERT_TRUE(home);
  EXPECT_EQ(home->status, 303);
  EXPECT_EQ(home->get_header_value("Location"), "/console/login");

  const auto refused = LogIn("guess");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 403);
  EXPECT_EQ(refused->get_header_value("Set-Cookie").find(SessionCookieName), std::string::npos);
  EXPECT_NE(refused->body.find("id=\"problem\""), std::string::npos);
  EXPECT_EQ(refused->body.find("Q1"), std::string::npos);

  const auto accepted = LogIn(Password);
  ASSERT_TRUE(accepted);
  EXPECT_EQ(accepted->status, 303);
  const std::string setCookie = accepted->get_header_value("Set-Cookie");
  EXPECT_NE(setCookie.find("HttpOnly"), std::string::npos) << setCookie;
  EXPECT_NE(setCookie.find("SameSite=Strict"), std::string::npos) << setCookie;
  const auto list = Client().Get("/console/riddles", {{"Cookie", SessionCookie(accepted)}});
  ASSERT_TRUE(list);
  EXPECT_EQ(list->status, 200);
  EXPECT_NE(list->body.find("Q1"), std::string::npos);

  // Past the free failures a guesser waits between tries; the right
  // password still gets in once the wait is over.
  for (int i = 0; i <= LoginThrottle::FreeFailures; ++i) {
    LogIn("guess");
  }
  const auto waits = LogIn(Password);
  ASSERT_TRUE(waits);
  EXPECT_EQ(waits->status, 429);
  EXPECT_EQ(waits->get_header_value("Set-Cookie").find(SessionCookieName), std::string::npos);
  std::this_thread::sleep_for(LoginThrottle::FirstWait);
  const auto afterTheWait = LogIn(Password);
  ASSERT_TRUE(afterTheWait);
  EXPECT_EQ(afterTheWait->status, 303);
}

TEST_F(ConsoleTest, OffBeyondLoopbackAndOpenOnlyUnderThisMachinesName) {
  Start(ConsoleMode::Open);
  const auto rebound = Client().Get("/console/riddles", {{"Host", "riddles.example:80"}});
  ASSERT_TRUE(rebound);
  EXPECT_EQ(rebound->status, 403);
  EXPECT_EQ(rebound->body.find("Q1"), std::string::npos);
  EXPECT_EQ(ChooseConsoleMode("0.0.0.0", std::nullopt), ConsoleMode::Off);
  EXPECT_EQ(ChooseConsoleMode("127.0.0.1", std::nullopt), ConsoleMode::Open);
  EXPECT_EQ(ChooseConsoleMode("127.0.0.1", "x"), ConsoleMode::Password);
}

TEST_F(ConsoleTest, ARiddleWithMarkupIsShownEscapedAndServedToTheModuleUnchanged) {
  Start(ConsoleMode::Open);
  const std::string question = "<script>alert(\"x\")</script><img src=x onerror=y>";
  int id = 0;
  ASSERT_EQ(store_->Add({question, "b&c'", ""}, &id), std::nullopt);
  const auto [cookie, csrf] = OpenSession();
  for (const std::string& path : std::vector<std::string>{
           "/console/riddles?q=script", "/console/riddles/edit?id=" + std::to_string(id),
           "/console/riddles/delete?id=" + std::to_string(id)}) {
    const auto page = Client().Get(path, {{"Cookie", cookie}});
    ASSERT_TRUE(page) << path;
    EXPECT_EQ(page->status, 200) << path;
    EXPECT_EQ(page->body.find("<script"), std::string::npos) << path;
    EXPECT_EQ(page->body.find("<img"), std::string::npos) << path;
    EXPECT_NE(page->body.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&lt;img src=x "
                              "onerror=y&gt;"),
              std::string::npos)
        << path;
    EXPECT_NE(page->body.find("b&amp;c&#39;"), std::string::npos) << path;
  }
  // The module's page keeps the bytes: the game shows what the operator wrote.
  const auto page = Client().Get(RiddlePath(id));
  ASSERT_TRUE(page);
  EXPECT_EQ(std::string(zorvane::CutQuestion(page->body)), *zorvane::Utf8ToGbk(question));
  EXPECT_EQ(std::string(zorvane::CutAnswer(page->body)), "b&c'");
}

}  // namespace
}  // namespace riddle_site
