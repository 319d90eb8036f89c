#include "riddles/riddle_catalog.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "site/html_escape.h"

namespace riddle_site {
namespace {

constexpr std::string_view PathPrefix = "/dmmy/";
constexpr std::string_view PathSuffix = ".html";

// The id in "/dmmy/<id>.html", or -1 when path has another shape.
int IdFromPath(std::string_view path) {
  if (!path.starts_with(PathPrefix) || !path.ends_with(PathSuffix)) {
    return -1;
  }
  const std::string_view digits =
      path.substr(PathPrefix.size(), path.size() - PathPrefix.size() - PathSuffix.size());
  int id = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.starts_with("0")) {
    return -1;
  }
  return id;
}

std::string PageHead(std::string_view title) {
  std::string head =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\r\n<title>";
  head += title;
  head += "</title>\r\n</head>\r\n<body>\r\n";
  return head;
}

constexpr std::string_view PageTail = "</body>\r\n</html>\r\n";

}  // namespace

RiddleCatalog::RiddleCatalog(std::vector<RiddleText> texts) {
  int id = FirstRiddleId;
  for (RiddleText& text : texts) {
    riddles_.push_back({id++, std::move(text.question), std::move(text.answer)});
  }
  for (std::size_t i = 0; i < riddles_.size(); ++i) {
    indexById_.emplace(riddles_[i].id, i);
  }
}

RiddleCatalog::RiddleCatalog(std::vector<Riddle> riddles) : riddles_(std::move(riddles)) {
  for (std::size_t i = 0; i < riddles_.size(); ++i) {
    indexById_.emplace(riddles_[i].id, i);
  }
}

std::string RiddlePath(int id) {
  return std::string(PathPrefix) + std::to_string(id) + std::string(PathSuffix);
}

const Riddle* RiddleCatalog::FindByPath(std::string_view path) const {
  const auto found = indexById_.find(IdFromPath(path));
  return found == indexById_.end() ? nullptr : &riddles_[found->second];
}

const Riddle* RiddleCatalog::FindByQuestion(std::string_view question) const {
  const auto found = std::find_if(riddles_.begin(), riddles_.end(),
                                  [&](const Riddle& r) { return r.question == question; });
  return found == riddles_.end() ? nullptr : &*found;
}

const Riddle& RiddleCatalog::Next(const Riddle& riddle) const {
  const std::size_t index = indexById_.at(riddle.id);
  for (std::size_t step = 1; step < riddles_.size(); ++step) {
    const Riddle& next = riddles_[(index + step) % riddles_.size()];
    if (!next.deleted) {
      return next;
    }
  }
  return riddle;  // the only riddle left links to itself
}

std::string RiddleCatalog::Page(const Riddle& riddle) const {
  const Riddle& next = Next(riddle);
  // The question must be the page's first h3 heading: nothing above it
  // may use one.
  std::string page = PageHead("谜语大全 - 第" + std::to_string(riddle.id) + "条");
  page += "<div class=\"riddle\">\r\n<h3>";
  page += riddle.question;
  page += "</h3>\r\n<p>想一想再看答案哦。</p>\r\n<h3>谜底：";
  page += riddle.answer;
  page += "</h3>\r\n</div>\r\n<p>下一篇：<a href='";
  page += RiddlePath(next.id);
  page += "'>第" + std::to_string(next.id) + "条谜语</a></p>\r\n";
  page += PageTail;
  return page;
}

std::string BuildUpdatePage(std::string_view updateLink) {
  std::string page = PageHead("Zorvane 版本信息");
  page += "<p>Zorvane 最新版本：1.1</p>\r\n";
  if (updateLink.empty()) {
    page += "<p>当前没有新版本。</p>\r\n";
  } else {
    page += "<p>[更新连接：]";
    page += updateLink;
    page += "。</p>\r\n";
  }
  page += PageTail;
  return page;
}

std::string BuildIndexPage() {
  std::string page = PageHead("谜语大全");
  page += "<p>从第一条谜语开始：<a href='" + RiddlePath(FirstRiddleId) + "'>第" +
          std::to_string(FirstRiddleId) + "条谜语</a></p>\r\n";
  page += PageTail;
  return page;
}

std::string BuildNotFoundPage(std::string_view path) {
  std::string page = PageHead("找不到页面");
  page += "<p>找不到页面：" + EscapeHtml(path) + "</p>\r\n";
  page += PageTail;
  return page;
}

}  // namespace riddle_site
