#include "support/riddle_site_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "game/contract.h"

namespace zorvane::testing {

std::string RiddlePageHtml(const Riddle& riddle) {
  // A link to an earlier page comes first, as on the site: only the next
  // page's link may be taken.
  return "<html><head><title>谜语</title></head><body>\r\n" + std::string(QuestionStart) +
         riddle.question + std::string(QuestionEnd) + "\r\n<p>想一想再看。</p>\r\n" +
         std::string(AnswerStart) + riddle.answer + std::string(AnswerEnd) +
         "\r\n<p>上一篇：<a href='/1.html'>旧谜语</a></p>\r\n<p>" + std::string(NextPathStart) +
         riddle.nextPath + std::string(NextPathEnd) + "新谜语</a></p>\r\n</body></html>\r\n";
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

RiddleSite::RiddleSite(int port) {
  Listen(port);
  port_ = server_->port();
}

void RiddleSite::Listen(int port) {
  server_ = std::make_unique<LocalHttpServer>();
  server_->server().Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard lock(mutex_);
    targets_.push_back(request.target);
    if (requestsBeforeFailure_ >= 0 && requestsBeforeFailure_-- == 0) {
      response.status = 503;
      return;
    }
    const auto page = pages_.find(request.path);
    if (page == pages_.end()) {
      response.status = 404;
      response.set_content("<html><body>没有这一页</body></html>", "text/html");
      return;
    }
    response.set_content(page->second, "text/html");
  });
  server_->Start(port);
}

void RiddleSite::Close() {
  server_.reset();
}

void RiddleSite::Reopen() {
  if (!server_) {
    Listen(port_);
  }
}

void RiddleSite::SetPage(const std::string& path, const std::string& body) {
  std::lock_guard lock(mutex_);
  pages_[path] = body;
}

void RiddleSite::FailRequestAfter(int skipped) {
  std::lock_guard lock(mutex_);
  requestsBeforeFailure_ = skipped;
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
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) {
    throw std::runtime_error("no socket");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  close(probe);
  if (!bound) {
    throw std::runtime_error("no free loopback port");
  }
  return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

}  // namespace zorvane::testing
