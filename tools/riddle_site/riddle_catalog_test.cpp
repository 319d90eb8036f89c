#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "riddle_catalog.h"
#include "site_routes.h"

namespace riddle_site {
namespace {

// Searches the way the module does: from character to character in GBK,
// so that a match straddling two double-byte characters does not count.
std::size_t FindOnCharacterBoundary(std::string_view haystack, std::string_view needle,
                                    std::size_t from) {
  for (std::size_t i = from; i + needle.size() <= haystack.size();) {
    if (haystack.compare(i, needle.size(), needle) == 0) {
      return i;
    }
    i += static_cast<unsigned char>(haystack[i]) >= 0x80 ? 2 : 1;
  }
  return std::string_view::npos;
}

// The bytes between the first start marker and the next end marker.
std::string Cut(std::string_view page, std::string_view start, std::string_view end) {
  const std::size_t begin = FindOnCharacterBoundary(page, start, 0);
  if (begin == std::string_view::npos) {
    return "";
  }
  const std::size_t from = begin + start.size();
  const std::size_t stop = FindOnCharacterBoundary(page, end, from);
  return stop == std::string_view::npos ? "" : std::string(page.substr(from, stop - from));
}

TEST(RiddleCatalog, RiddlesAreUsableInTheGame) {
  const auto riddles = Riddles();
  ASSERT_GE(riddles.size(), 30u);
  std::set<std::string_view> questions;
  std::set<std::string_view> answers;
  for (std::size_t i = 0; i < riddles.size(); ++i) {
    const Riddle& riddle = riddles[i];
    EXPECT_EQ(riddle.id, FirstRiddleId + static_cast<int>(i));
    EXPECT_FALSE(riddle.answer.empty()) << riddle.id;
    // A start command is recognised before a guess; an answer holding the
    // start word could never be guessed.
    EXPECT_EQ(riddle.answer.find("开始"), std::string_view::npos) << riddle.id;
    EXPECT_EQ(riddle.question.find('<'), std::string_view::npos) << riddle.id;
    EXPECT_EQ(riddle.answer.find('<'), std::string_view::npos) << riddle.id;
    EXPECT_TRUE(questions.insert(riddle.question).second) << "repeated question " << riddle.id;
    EXPECT_TRUE(answers.insert(riddle.answer).second) << "repeated answer " << riddle.id;
  }
}

TEST(RiddleCatalog, ChainVisitsEveryRiddleAndReturnsToTheFirst) {
  const auto riddles = Riddles();
  const Riddle* riddle = FindRiddleByPath("/dmmy/19499.html");
  ASSERT_NE(riddle, nullptr);
  std::set<int> seen;
  for (std::size_t step = 0; step < riddles.size(); ++step) {
    EXPECT_TRUE(seen.insert(riddle->id).second);
    riddle = &NextRiddle(*riddle);
  }
  EXPECT_EQ(seen.size(), riddles.size());
  EXPECT_EQ(riddle->id, FirstRiddleId);
}

TEST(RiddleCatalog, EveryPageYieldsItsQuestionAnswerAndNextPath) {
  for (const Riddle& riddle : Riddles()) {
    const std::string page = BuildRiddlePage(riddle);
    EXPECT_EQ(Cut(page, "<h3>", "</h3>"), riddle.question) << riddle.id;
    EXPECT_EQ(Cut(page, "<h3>谜底：", "</h3>"), riddle.answer) << riddle.id;
    const std::string next = Cut(page, "下一篇：<a href='", "'>");
    EXPECT_EQ(next, RiddlePath(NextRiddle(riddle).id)) << riddle.id;
    EXPECT_EQ(FindRiddleByPath(next), &NextRiddle(riddle)) << riddle.id;
    EXPECT_EQ(FindRiddleByQuestion(riddle.question), &riddle) << riddle.id;
  }
}

TEST(RiddleCatalog, OnlyExactRiddlePathsAreFound) {
  const int lastId = FirstRiddleId + static_cast<int>(Riddles().size()) - 1;
  EXPECT_NE(FindRiddleByPath(RiddlePath(lastId)), nullptr);
  EXPECT_EQ(FindRiddleByPath(RiddlePath(lastId + 1)), nullptr);
  EXPECT_EQ(FindRiddleByPath(RiddlePath(FirstRiddleId - 1)), nullptr);
  EXPECT_EQ(FindRiddleByPath("/dmmy/019499.html"), nullptr);
  EXPECT_EQ(FindRiddleByPath("/dmmy/19499.htm"), nullptr);
  EXPECT_EQ(FindRiddleByPath("/dmmy/19499x.html"), nullptr);
  EXPECT_EQ(FindRiddleByPath("/dmmy/99999999999999.html"), nullptr);
  EXPECT_EQ(FindRiddleByPath(""), nullptr);
  EXPECT_EQ(FindRiddleByQuestion(""), nullptr);
}

TEST(RiddleCatalog, UpdatePageOffersALinkOnlyWhenGiven) {
  const std::string offering = BuildUpdatePage("http://127.0.0.1:1/new.zip");
  EXPECT_EQ(Cut(offering, "[更新连接：]", "。"), "http://127.0.0.1:1/new.zip");
  EXPECT_EQ(Cut(BuildUpdatePage(""), "[更新连接：]", "。"), "");
}

TEST(RiddleCatalog, PagesOtherThanRiddlesHoldNoRiddleMarkers) {
  const std::string notFound = BuildNotFoundPage("/<h3>x</h3>");
  EXPECT_EQ(notFound.find("<h3>"), std::string::npos);
  EXPECT_NE(notFound.find("&lt;h3&gt;"), std::string::npos);
  EXPECT_EQ(BuildIndexPage().find("<h3>"), std::string::npos);
}

class SiteRoutes : public ::testing::Test {
 protected:
  void SetUp() override {
    AddRoutes(server_, "http://127.0.0.1:1/new.zip");
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int tries = 0; tries < 500 && !server_.is_running(); ++tries) {
      usleep(10000);
    }
    ASSERT_TRUE(server_.is_running());
  }
  void TearDown() override {
    server_.stop();
    if (thread_.joinable()) {
      thread_.join();
    }
  }
  httplib::Result Get(const std::string& path) {
    httplib::Client client("127.0.0.1", port_);
    return client.Get(path);
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

TEST_F(SiteRoutes, ServesGbkPages) {
  const auto first = Get("/dmmy/19499.html");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_EQ(first->get_header_value("Content-Type"), "text/html; charset=gbk");
  EXPECT_EQ(first->body, BuildRiddlePage(Riddles()[0]));

  const auto update = Get("/update.html");
  ASSERT_TRUE(update);
  EXPECT_EQ(update->status, 200);
  EXPECT_EQ(update->body, BuildUpdatePage("http://127.0.0.1:1/new.zip"));

  const auto index = Get("/");
  ASSERT_TRUE(index);
  EXPECT_EQ(index->status, 200);
  EXPECT_EQ(index->body, BuildIndexPage());
}

TEST_F(SiteRoutes, UnknownPagesAreNotFound) {
  for (const char* path : {"/dmmy/1.html", "/dmmy/19499.htm", "/nothing"}) {
    const auto response = Get(path);
    ASSERT_TRUE(response) << path;
    EXPECT_EQ(response->status, 404) << path;
    EXPECT_EQ(response->get_header_value("Content-Type"), "text/html; charset=gbk") << path;
    EXPECT_EQ(response->body.find("<h3>"), std::string::npos) << path;
  }
}

}  // namespace
}  // namespace riddle_site
