#include "support/riddle_site_fixture.h"

#include <cstdio>

namespace zorvane::testing {

std::string RiddlePageHtml(const Riddle& riddle) {
  return "<html><head><title>谜语</title></head><body>\r\n"
         "<h3>" +
         riddle.question +
         "</h3>\r\n"
         "<p>想一想再看答案。</p>\r\n"
         "<h3>谜底：" +
         riddle.answer +
         "</h3>\r\n"
         "<p>上一篇：<a href='/dmmy/1.html'>旧谜语</a></p>\r\n"
         "<p>下一篇：<a href='" +
         riddle.nextPath + "'>新谜语</a></p>\r\n</body></html>\r\n";
}

std::vector<RiddleChainLink> MakeRiddleChain(const std::string& firstPath, int count) {
  std::vector<RiddleChainLink> chain;
  std::string path = firstPath;
  for (int i = 1; i <= count; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", i);
    const std::string nextPath = "/dmmy/r" + std::string(number) + ".html";
    chain.push_back(
        {path,
         {"第" + std::string(number) + "个谜语是什么？", "谜底" + std::string(number), nextPath}});
    path = nextPath;
  }
  return chain;
}

RiddleSite::RiddleSite() {
  server_.server().Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard lock(mutex_);
    targets_.push_back(request.target);
    const auto page = pages_.find(request.path);
    if (page == pages_.end()) {
      response.status = 404;
      response.set_content("<html><body>没有这一页</body></html>", "text/html");
      return;
    }
    response.set_content(page->second, "text/html");
  });
  server_.Start();
}

void RiddleSite::SetPage(const std::string& path, const std::string& body) {
  std::lock_guard lock(mutex_);
  pages_[path] = body;
}

void RiddleSite::SetRiddle(const std::string& path, const Riddle& riddle) {
  SetPage(path, RiddlePageHtml(riddle));
}

void RiddleSite::SetChain(const std::vector<RiddleChainLink>& chain) {
  for (const RiddleChainLink& link : chain) {
    SetRiddle(link.path, link.riddle);
  }
}

std::vector<std::string> RiddleSite::RequestedTargets() const {
  std::lock_guard lock(mutex_);
  return targets_;
}

void RiddleSite::ClearRequests() {
  std::lock_guard lock(mutex_);
  targets_.clear();
}

std::string UnreachableSiteBase() {
  // A port that was free a moment ago and that nothing listens on now.
  LocalHttpServer closed;
  closed.Start();
  return closed.base();
}

}  // namespace zorvane::testing
