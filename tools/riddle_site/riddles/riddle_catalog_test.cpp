#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "game/riddle_page.h"
#include "riddles/riddle_catalog.h"
#include "riddles/riddle_file.h"
#include "site/site_routes.h"
#include "support/local_http_server.h"

namespace riddle_site {
namespace {

const RiddleCatalog& Bundled() {
  static const RiddleCatalog catalog = [] {
    LoadedRiddles loaded = LoadRiddleFile(ZORVANE_BUNDLED_RIDDLES);
    EXPECT_FALSE(loaded.problem) << DescribeProblem(ZORVANE_BUNDLED_RIDDLES, *loaded.problem);
    return RiddleCatalog(std::move(loaded.riddles));
  }();
  return catalog;
}

RiddleCatalog SmallCatalog() {
  return RiddleCatalog(std::vector<RiddleText>{{"一", "甲"}, {"二", "乙"}, {"三", "丙"}});
}

// The module's cuts give its own text type.
std::string Str(const zorvane::Text& text) {
  return std::string(text);
}

TEST(BundledRiddles, EveryPageIsCutByTheModuleIntoItsRiddleAndTheNextPath) {
  const RiddleCatalog& catalog = Bundled();
  ASSERT_GE(catalog.riddles().size(), 300u);
  std::set<std::string_view> questions;
  for (const Riddle& riddle : catalog.riddles()) {
    EXPECT_FALSE(riddle.question.empty()) << riddle.id;
    EXPECT_FALSE(riddle.answer.empty()) << riddle.id;
    for (const std::string* text : {&riddle.question, &riddle.answer}) {
      EXPECT_EQ(text->find_first_of("\r\n"), std::string::npos) << riddle.id;
    }
    // The demo and the tests find a riddle by its question.
    EXPECT_TRUE(questions.insert(riddle.question).second) << "repeated question " << riddle.id;

    const std::string page = catalog.Page(riddle);
    EXPECT_EQ(Str(zorvane::CutQuestion(page)), riddle.question) << riddle.id;
    EXPECT_EQ(Str(zorvane::CutAnswer(page)), riddle.answer) << riddle.id;
    const std::string next = Str(zorvane::CutNextPath(page));
    EXPECT_EQ(next, RiddlePath(catalog.Next(riddle).id)) << riddle.id;
    EXPECT_EQ(catalog.FindByPath(next), &catalog.Next(riddle)) << riddle.id;
  }
}

TEST(BundledRiddles, TheChainVisitsEveryPageOncePerCycleAndWrapsAround) {
  const RiddleCatalog& catalog = Bundled();
  const Riddle* riddle = catalog.FindByPath("/dmmy/19499.html");
  ASSERT_NE(riddle, nullptr);
  std::set<int> seen;
  for (std::size_t step = 0; step < catalog.riddles().size(); ++step) {
    EXPECT_TRUE(seen.insert(riddle->id).second) << riddle->id;
    // Followed the way the module follows it: the next path cut from the page.
    riddle = catalog.FindByPath(zorvane::CutNextPath(catalog.Page(*riddle)));
    ASSERT_NE(riddle, nullptr);
  }
  EXPECT_EQ(seen.size(), catalog.riddles().size());
  EXPECT_EQ(riddle->id, FirstRiddleId);
}

TEST(RiddleCatalog, OnlyExactRiddlePathsAreFound) {
  const RiddleCatalog catalog = SmallCatalog();
  EXPECT_EQ(catalog.FindByPath("/dmmy/19501.html"), &catalog.riddles()[2]);
  EXPECT_EQ(catalog.FindByPath("/dmmy/19502.html"), nullptr);
  EXPECT_EQ(catalog.FindByPath("/dmmy/19498.html"), nullptr);
  EXPECT_EQ(catalog.FindByPath("/dmmy/019499.html"), nullptr);
  EXPECT_EQ(catalog.FindByPath("/dmmy/19499.htm"), nullptr);
  EXPECT_EQ(catalog.FindByPath("/dmmy/19499x.html"), nullptr);
  EXPECT_EQ(catalog.FindByPath("/dmmy/99999999999999.html"), nullptr);
  EXPECT_EQ(catalog.FindByPath(""), nullptr);
  EXPECT_EQ(catalog.FindByQuestion(""), nullptr);
  EXPECT_EQ(catalog.FindByQuestion("二"), &catalog.riddles()[1]);
  // A collection of one riddle links its page to itself.
  const RiddleCatalog single(std::vector<RiddleText>{{"一", "甲"}});
  EXPECT_EQ(Str(zorvane::CutNextPath(single.Page(single.riddles()[0]))), "/dmmy/19499.html");
}

TEST(RiddleCatalog, UpdatePageOffersALinkOnlyWhenGiven) {
  const std::string offering = BuildUpdatePage("http://127.0.0.1:1/new.zip");
  EXPECT_NE(offering.find("[更新连接：]http://127.0.0.1:1/new.zip。"), std::string::npos);
  EXPECT_EQ(BuildUpdatePage("").find("[更新连接：]"), std::string::npos);
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
    AddRoutes(site_.server(), Bundled(), "http://127.0.0.1:1/new.zip");
    site_.Start();
  }
  httplib::Result Get(const std::string& path) {
    httplib::Client client("127.0.0.1", site_.port());
    return client.Get(path);
  }

  zorvane::testing::LocalHttpServer site_;
};

TEST_F(SiteRoutes, ServesEveryRiddlePageAndTheUpdatePageAsGbk) {
  for (const Riddle& riddle : Bundled().riddles()) {
    const auto page = Get(RiddlePath(riddle.id));
    ASSERT_TRUE(page) << riddle.id;
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=gbk");
    EXPECT_EQ(page->body, Bundled().Page(riddle));
  }
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
