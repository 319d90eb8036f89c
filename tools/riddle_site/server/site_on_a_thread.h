// A SiteServer on a free port of 127.0.0.1, served on a thread of its own
// for the life of the object: for the tests that play on the live site.
#pragma once

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "server/site_server.h"

namespace riddle_site {

class SiteOnAThread {
 public:
  explicit SiteOnAThread(SiteParts parts, web_server::Options options = SiteServerOptions())
      : site_(std::move(parts), options) {
    const std::optional<int> port = site_.Listen("127.0.0.1", 0);
    if (!port) {
      throw std::runtime_error("the site cannot listen on 127.0.0.1");
    }
    port_ = *port;
    thread_ = std::thread([this] { site_.Run(); });
  }
  ~SiteOnAThread() {
    site_.Stop();
    thread_.join();
  }
  SiteOnAThread(const SiteOnAThread&) = delete;
  SiteOnAThread& operator=(const SiteOnAThread&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>"
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  SiteServer site_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace riddle_site
