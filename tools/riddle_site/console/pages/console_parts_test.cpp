// Literals in this file are UTF-8, as the console's pages are.
#include <gtest/gtest.h>

#include <cmath>

#include "console/pages/console_pages.h"
#include "console/pages/riddle_pages.h"
#include "console/pages/svg_chart.h"
#include "console/traffic_log.h"
#include "net/http_get.h"
#include "riddles/riddle_catalog.h"

namespace riddle_site {
namespace {

RequestSeen Request(const std::string& path, std::string_view method = "GET") {
  return {std::chrono::system_clock::now(), "127.0.0.1", method, path, 200, 10};
}

TEST(TrafficLog, TellsTheModulesFetchesAndStaysBoundedWhateverIsAsked) {
  TrafficLog log;
  EXPECT_FALSE(log.LastModuleFetches().riddlePage);
  log.Record(Request(RiddlePath(19499)), "Mozilla/5.0 (X11) a browser");
  log.Record(Request("/update.html", "HEAD"), zorvane::UserAgent);
  EXPECT_FALSE(log.LastModuleFetches().riddlePage) << "a browser is not the module";
  EXPECT_FALSE(log.LastModuleFetches().updatePage) << "the module only sends GET";
  log.Record(Request(RiddlePath(19500)), zorvane::UserAgent);
  log.Record(Request("/update.html"), zorvane::UserAgent);
  log.Record(Request("/console/"), zorvane::UserAgent);
  ASSERT_TRUE(log.LastModuleFetches().riddlePage);
  EXPECT_EQ(log.LastModuleFetches().riddlePage->path, RiddlePath(19500));
  ASSERT_TRUE(log.LastModuleFetches().updatePage);

  // A client asking for endless new paths.
  for (int i = 0; i < 2000; ++i) {
    log.Record(Request("/x" + std::to_string(i)), "");
  }
  EXPECT_EQ(log.Recent().size(), TrafficLog::KeptRequests);
  EXPECT_EQ(log.Recent().front().path, "/x1999");
  EXPECT_EQ(log.Recent().back().path, "/x1700");
  const std::vector<PathCount> counts = log.Counts();
  EXPECT_LE(counts.size(), TrafficLog::CountedPaths + 1);
  EXPECT_EQ(counts.front().path, TrafficLog::OtherPaths);
  std::size_t total = 0;
  for (const PathCount& count : counts) {
    total += count.count;
  }
  EXPECT_EQ(total, 2005u);
}

// The widths of the chart's bars, in order.
std::vector<std::string> BarWidths(const std::string& svg) {
  std::vector<std::string> widths;
  for (std::size_t at = svg.find("<rect"); at != std::string::npos;
       at = svg.find("<rect", at + 1)) {
    const std::size_t width = svg.find("width=\"", at) + 7;
    widths.push_back(svg.substr(width, svg.find('"', width) - width));
  }
  return widths;
}

TEST(SvgChart, BarsScaleToTheLargestAndLabelsAreEscaped) {
  const std::string svg = HorizontalBarChart(
      {{"<a>", 200}, {"b", 100}, {"c", 0}, {"d", -50}, {"e", std::nan("")}}, "余额 & 名次");
  EXPECT_EQ(svg.find("<a>"), std::string::npos);
  EXPECT_NE(svg.find("&lt;a&gt;"), std::string::npos);
  EXPECT_NE(svg.find("余额 &amp; 名次"), std::string::npos);
  // Only the positive values get a bar, the largest the whole bar space.
  EXPECT_EQ(BarWidths(svg), (std::vector<std::string>{"164", "82"}));
  EXPECT_EQ(svg.find("bar cut"), std::string::npos);
}

TEST(SvgChart, AnOutlierIsCutAndLongLabelsShortenedWithTheWholeLabelOnHover) {
  const std::string name = "一个名字很长很长很长的群成员";
  const std::string svg =
      HorizontalBarChart({{name, 1e9}, {"10002", 140}, {"10003", 115}, {"10004", 12}}, "余额");
  // The others keep the bar space, scaled to the largest of them.
  EXPECT_EQ(BarWidths(svg), (std::vector<std::string>{"164", "164", "135", "14"}));
  EXPECT_EQ(svg.find("<rect class=\"bar cut\""), svg.find("<rect"));
  EXPECT_NE(svg.find("<title>" + name + "：1000000000</title>"), std::string::npos);
  EXPECT_NE(svg.find(">一个名字很长很…</text>"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">10002</text>"), std::string::npos);
}

TEST(RiddleListPage, SearchesKindsAndPages) {
  std::vector<RiddleEntry> entries;
  for (int i = 0; i < 120; ++i) {
    entries.push_back({19499 + i, false, "问" + std::to_string(i), "答" + std::to_string(i),
                       i % 2 == 0 ? "打一字" : ""});
  }
  entries.push_back({19700, true, "删掉的", "答", "打一字"});
  auto rows = [&](const RiddleListQuery& query) {
    const std::string page = RiddleListPage(entries, query, std::nullopt, "t");
    std::vector<std::string> ids;
    for (std::size_t at = page.find("<tr id=\"riddle-"); at != std::string::npos;
         at = page.find("<tr id=\"riddle-", at + 1)) {
      ids.push_back(page.substr(at + 15, 5));
    }
    return ids;
  };
  struct Case {
    const char* what;
    RiddleListQuery query;
    std::size_t count;
    const char* first;
  };
  const Case cases[] = {
      {"first page", {}, RiddlesPerPage, "19499"},
      {"last page", {.page = 3}, 20, "19599"},
      {"past the end", {.page = 9}, 20, "19599"},
      {"an answer", {.search = "答11"}, 11, "19510"},  // 答11, 答110 ... 答119
      {"a kind", {.search = "打一"}, RiddlesPerPage, "19499"},
      {"one kind", {.kind = "打一字", .page = 2}, 10, "19599"},
      {"no kind", {.kind = ""}, RiddlesPerPage, "19500"},
      {"deleted hidden", {.search = "删掉"}, 0, ""},
      {"deleted shown", {.search = "删掉", .showDeleted = true}, 1, "19700"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> ids = rows(c.query);
    EXPECT_EQ(ids.size(), c.count) << c.what;
    EXPECT_EQ(ids.empty() ? "" : ids.front(), c.first) << c.what;
  }
}

}  // namespace
}  // namespace riddle_site
