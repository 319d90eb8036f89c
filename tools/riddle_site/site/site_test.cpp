// The pages the module reads, as the site serves them.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "game/contract.h"
#include "game/riddle_page.h"
#include "riddles/riddle_file.h"
#include "server/site_on_a_thread.h"
#include "site/site_export.h"
#include "site/site_pages.h"
#include "support/temp_dir.h"

namespace riddle_site {
namespace {

using zorvane::FirstRiddleId;

const std::shared_ptr<const RiddleCatalog>& Bundled() {
  static const std::shared_ptr<const RiddleCatalog> catalog = [] {
    const LoadedRiddles loaded = LoadRiddleFile(ZORVANE_BUNDLED_RIDDLES);
    EXPECT_TRUE(loaded.problems.empty())
        << DescribeProblem(ZORVANE_BUNDLED_RIDDLES, loaded.problems.front());
    return std::make_shared<const RiddleCatalog>(CatalogOf(loaded));
  }();
  return catalog;
}

// The module's cuts give its own text type.
std::string Str(const zorvane::Text& text) {
  return std::string(text);
}

TEST(BundledRiddles, EveryPageIsCutByTheModuleIntoItsRiddleAndTheNextPath) {
  const RiddleCatalog& catalog = *Bundled();
  ASSERT_GE(catalog.riddles().size(), 300u);
  std::set<std::string_view> questions;
  for (const Riddle& riddle : catalog.riddles()) {
    // The demo and the tests find a riddle by its question.
    EXPECT_TRUE(questions.insert(riddle.question).second) << "repeated question " << riddle.id;
    const std::string page = RiddlePage(catalog, riddle);
    EXPECT_EQ(Str(zorvane::CutQuestion(page)), riddle.question) << riddle.id;
    EXPECT_EQ(Str(zorvane::CutAnswer(page)), riddle.answer) << riddle.id;
    const std::string next = Str(zorvane::CutNextPath(page));
    EXPECT_EQ(next, RiddlePath(catalog.Next(riddle).id)) << riddle.id;
    EXPECT_EQ(catalog.FindByPath(next), &catalog.Next(riddle)) << riddle.id;
  }
}

TEST(BundledRiddles, TheChainVisitsEveryPageOncePerCycleFromTheFirstPage) {
  const RiddleCatalog& catalog = *Bundled();
  const Riddle* riddle = catalog.FindByPath(zorvane::InitialRiddlePath);
  ASSERT_NE(riddle, nullptr);
  std::set<int> seen;
  for (std::size_t step = 0; step < catalog.riddles().size(); ++step) {
    EXPECT_TRUE(seen.insert(riddle->id).second) << riddle->id;
    // Followed the way the module follows it: the next path cut from the page.
    riddle = catalog.FindByPath(Str(zorvane::CutNextPath(RiddlePage(catalog, *riddle))));
    ASSERT_NE(riddle, nullptr);
  }
  EXPECT_EQ(seen.size(), catalog.riddles().size());
  EXPECT_EQ(riddle->id, FirstRiddleId);
}

TEST(SitePages, TheUpdatePageOffersALinkOnlyWhenGiven) {
  const std::string link = "http://127.0.0.1:1/new.zip";
  const std::string offered =
      std::string(zorvane::UpdateLinkStart) + link + std::string(zorvane::UpdateLinkEnd);
  EXPECT_NE(UpdatePage(link).find(offered), std::string::npos);
  EXPECT_EQ(UpdatePage("").find(zorvane::UpdateLinkStart), std::string::npos);
}

TEST(SitePages, PagesOtherThanRiddlesHoldNoRiddleMarkers) {
  std::string path = "/";
  path += zorvane::QuestionStart;
  path += "x";
  const std::string notFound = NotFoundPage(path);
  EXPECT_EQ(notFound.find(zorvane::QuestionStart), std::string::npos);
  EXPECT_NE(notFound.find("/&lt;h3&gt;x"), std::string::npos);
  EXPECT_EQ(IndexPage().find(zorvane::QuestionStart), std::string::npos);
  EXPECT_NE(IndexPage().find(RiddlePath(FirstRiddleId)), std::string::npos);
}

class SiteRoutes : public ::testing::Test {
 protected:
  static constexpr char UpdateLink[] = "http://127.0.0.1:1/new.zip";

  httplib::Result Get(const std::string& path) {
    httplib::Client client("127.0.0.1", site_.port());
    return client.Get(path);
  }

  // The pages hold what operators wrote as it is: a browser must run none
  // of it on the site's origin.
  static void ExpectSandboxed(const httplib::Result& page, const std::string& path) {
    EXPECT_EQ(page->get_header_value("Content-Security-Policy"), "sandbox") << path;
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff") << path;
  }

  SiteOnAThread site_{{.catalog = [] { return Bundled(); }, .updateLink = UpdateLink}};
};

TEST_F(SiteRoutes, ServeEveryPageAsGbkSandboxedAndByteForByteAsExported) {
  const zorvane::testing::TempDir exported;
  ASSERT_EQ(ExportSite(*Bundled(), UpdateLink, exported.str()), std::nullopt);
  std::vector<std::pair<std::string, std::string>> pages;  // path, served bytes
  for (const Riddle& riddle : Bundled()->riddles()) {
    pages.emplace_back(RiddlePath(riddle.id), RiddlePage(*Bundled(), riddle));
  }
  pages.emplace_back("/update.html", UpdatePage(UpdateLink));
  pages.emplace_back("/", IndexPage());
  for (const auto& [path, body] : pages) {
    const auto page = Get(path);
    ASSERT_TRUE(page) << path;
    EXPECT_EQ(page->status, 200) << path;
    EXPECT_EQ(page->get_header_value("Content-Type"), GbkHtml) << path;
    EXPECT_EQ(page->body, body) << path;
    ExpectSandboxed(page, path);
    const std::string file = path == "/" ? "/index.html" : path;
    EXPECT_EQ(zorvane::testing::ReadFileBytes(exported.path() / file.substr(1)), page->body)
        << path;
  }
}

TEST_F(SiteRoutes, UnknownPagesAreNotFound) {
  const std::string first = RiddlePath(FirstRiddleId);
  for (const std::string& path :
       {RiddlePath(1), first.substr(0, first.size() - 1), std::string("/nothing")}) {
    const auto response = Get(path);
    ASSERT_TRUE(response) << path;
    EXPECT_EQ(response->status, 404) << path;
    EXPECT_EQ(response->get_header_value("Content-Type"), GbkHtml) << path;
    EXPECT_EQ(response->body, NotFoundPage(path)) << path;
    ExpectSandboxed(response, path);
  }
}

}  // namespace
}  // namespace riddle_site
