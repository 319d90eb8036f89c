#include "site/site_pages.h"

#include "game/contract.h"
#include "runtime/gbk_utf8.h"
#include "site/html_escape.h"

namespace riddle_site {
namespace {

using zorvane::FirstRiddleId;

// The pages' own texts, in the GBK of the pages, converted once.
struct PageTexts {
  static std::string Gbk(std::string_view utf8) { return zorvane::Utf8ToGbkLenient(utf8); }

  std::string riddleTitle = Gbk("谜语大全 - 第");
  std::string riddleTitleEnd = Gbk("条");
  std::string thinkFirst = Gbk("<p>想一想再看答案哦。</p>\r\n");
  std::string nextRiddle = Gbk("第");
  std::string nextRiddleEnd = Gbk("条谜语</a></p>\r\n");
  std::string updateTitle = Gbk("Zorvane 版本信息");
  std::string latestVersion = Gbk("<p>Zorvane 最新版本：1.1</p>\r\n");
  std::string noUpdate = Gbk("<p>当前没有新版本。</p>\r\n");
  std::string indexTitle = Gbk("谜语大全");
  std::string startHere = Gbk("<p>从第一条谜语开始：<a href='");
  std::string notFoundTitle = Gbk("找不到页面");
  std::string notFound = Gbk("<p>找不到页面：");
};

const PageTexts& Texts() {
  static const PageTexts texts;
  return texts;
}

constexpr std::string_view PageHeadStart =
    "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\r\n<title>";
constexpr std::string_view PageHeadEnd = "</title>\r\n</head>\r\n<body>\r\n";

std::string PageHead(std::string_view title) {
  std::string head(PageHeadStart);
  head += title;
  head += PageHeadEnd;
  return head;
}

constexpr std::string_view PageTail = "</body>\r\n</html>\r\n";

}  // namespace

std::string RiddlePage(const RiddleCatalog& catalog, const Riddle& riddle) {
  const PageTexts& texts = Texts();
  const Riddle& next = catalog.Next(riddle);
  const std::string id = std::to_string(riddle.id);
  const std::string nextId = std::to_string(next.id);
  const std::string nextPath = RiddlePath(next.id);
  std::string page;
  page.reserve(512 + riddle.question.size() + riddle.answer.size());
  // The question must be the page's first heading: nothing above it may
  // use one. Appended piece by piece: a page is made for every request.
  for (const std::string_view piece : {std::string_view(PageHeadStart),
                                       std::string_view(texts.riddleTitle),
                                       std::string_view(id),
                                       std::string_view(texts.riddleTitleEnd),
                                       std::string_view(PageHeadEnd),
                                       std::string_view("<div class=\"riddle\">\r\n"),
                                       zorvane::QuestionStart,
                                       std::string_view(riddle.question),
                                       zorvane::QuestionEnd,
                                       std::string_view("\r\n"),
                                       std::string_view(texts.thinkFirst),
                                       zorvane::AnswerStart,
                                       std::string_view(riddle.answer),
                                       zorvane::AnswerEnd,
                                       std::string_view("\r\n</div>\r\n<p>"),
                                       zorvane::NextPathStart,
                                       std::string_view(nextPath),
                                       zorvane::NextPathEnd,
                                       std::string_view(texts.nextRiddle),
                                       std::string_view(nextId),
                                       std::string_view(texts.nextRiddleEnd),
                                       PageTail}) {
    page += piece;
  }
  return page;
}

std::string UpdatePage(std::string_view updateLink) {
  const PageTexts& texts = Texts();
  std::string page = PageHead(texts.updateTitle) + texts.latestVersion;
  if (updateLink.empty()) {
    page += texts.noUpdate;
  } else {
    page += "<p>";
    page += zorvane::UpdateLinkStart;
    page += updateLink;
    page += zorvane::UpdateLinkEnd;
    page += "</p>\r\n";
  }
  page += PageTail;
  return page;
}

std::string IndexPage() {
  const PageTexts& texts = Texts();
  std::string page = PageHead(texts.indexTitle) + texts.startHere + RiddlePath(FirstRiddleId) +
                     "'>" + texts.nextRiddle + std::to_string(FirstRiddleId) + texts.nextRiddleEnd;
  page += PageTail;
  return page;
}

std::string NotFoundPage(std::string_view path) {
  const PageTexts& texts = Texts();
  std::string page = PageHead(texts.notFoundTitle) + texts.notFound + EscapeHtml(path) + "</p>\r\n";
  page += PageTail;
  return page;
}

}  // namespace riddle_site
