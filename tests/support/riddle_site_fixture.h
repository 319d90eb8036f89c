// A riddle site on 127.0.0.1: serves the pages it is given, answers every
// other path with a page that carries no riddle, and records each request
// before it answers, so a test sees every request the module has made.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/local_http_server.h"

namespace zorvane::testing {

struct Riddle {
  std::string question;
  std::string answer;
  std::string nextPath;
};

// A page laid out like the site's (GBK): the question and the answer in
// their headings and the link to nextPath, marked as the contract says.
std::string RiddlePageHtml(const Riddle& riddle);

// The pages of a chain of riddles: the path of each and what it holds.
struct RiddleChainLink {
  std::string path;
  Riddle riddle;
};

// count riddles, the first at firstPath, each linking to the next; answers
// are "谜底NN" with a two-digit number so that none contains another.
std::vector<RiddleChainLink> MakeRiddleChain(const std::string& firstPath, int count);

class RiddleSite {
 public:
  // On a free port, or on the given one (throws when it is taken).
  explicit RiddleSite(int port = 0);
  RiddleSite(const RiddleSite&) = delete;
  RiddleSite& operator=(const RiddleSite&) = delete;

  void SetPage(const std::string& path, const std::string& body);
  void SetRiddle(const std::string& path, const Riddle& riddle);
  void SetChain(const std::vector<RiddleChainLink>& chain);

  // The request that arrives after `skipped` more gets an empty 503 answer,
  // which leaves the module the empty page of a dropped request.
  void FailRequestAfter(int skipped);

  // "http://127.0.0.1:<port>", open or closed.
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Stops listening, so that requests to the site's port are refused, and
  // listens on the same port again; the pages and the requests stay.
  void Close();
  void Reopen();

  // Request targets (path and query) in the order they arrived.
  std::vector<std::string> RequestedTargets() const;
  void ClearRequests();

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> pages_;
  std::vector<std::string> targets_;
  int requestsBeforeFailure_ = -1;
  int port_ = 0;
  std::unique_ptr<LocalHttpServer> server_;

  void Listen(int port);
};

// A loopback address where nothing listens: requests to it are refused.
std::string UnreachableSiteBase();

}  // namespace zorvane::testing
