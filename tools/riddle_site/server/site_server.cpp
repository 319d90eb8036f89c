#include "server/site_server.h"

#include <chrono>
#include <utility>

#include "site/html_escape.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

// What the site tells a person whose request the server refused, in the
// language of the console.
std::string RefusalText(int status, const Request& request) {
  switch (status) {
    case 400:
      return "请求的格式不对，无法读取。";
    case 413:
      return request.path == ImportPath ? "导入的文件太大：最多 4 MiB。没有导入。"
                                        : "请求的内容太大（最多 64 KiB）。";
    case 431:
      return "请求头太大（最多 32 KiB、100 行）。";
    default:
      return "网站内部出错，请稍后再试。";
  }
}

void RefusalPage(const Request& request, Response& response) {
  const std::string text = RefusalText(response.status, request);
  response.SetContent(
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head><meta charset=\"utf-8\"><title>" +
          std::to_string(response.status) + "</title></head>\n<body><p>" + EscapeHtml(text) +
          "</p></body>\n</html>\n",
      "text/html; charset=utf-8");
  SetSitePageHeaders(response);
}

}  // namespace

web_server::Options SiteServerOptions() {
  web_server::Options options;
  options.maxHeadBytes = 32 * 1024;
  options.maxHeaderLines = 100;
  options.maxBodyBytes = 64 * 1024;
  options.requestDeadline = std::chrono::seconds(15);
  options.idleTimeout = std::chrono::seconds(5);
  options.maxConnectionsPerAddress = 128;
  return options;
}

SiteServer::SiteServer(SiteParts parts, web_server::Options options) : parts_(std::move(parts)) {
  AddSiteRoutes(router_, parts_.catalog, parts_.updateLink);
  if (parts_.console != nullptr) {
    AddConsoleRoutes(router_, *parts_.console);
  }
  web_server::Hooks hooks;
  router_.Install(hooks);
  const std::size_t smallBody = options.maxBodyBytes;
  hooks.bodyLimit = [console = parts_.console, smallBody](const Request& head) {
    return console != nullptr && MayUpload(*console, head) ? MaxImportedFile + ImportFormRoom
                                                           : smallBody;
  };
  hooks.errorPage = RefusalPage;
  hooks.log = [this](const Request& request, const Response& response) {
    if (parts_.log) {
      // Each serving thread writes its lines into memory of its own.
      thread_local std::string line;
      line.clear();
      web_server::AppendLogLine(line, request, response);
      parts_.log(line);
    }
    if (parts_.traffic != nullptr) {
      parts_.traffic->Record({std::chrono::system_clock::now(), request.remoteAddress,
                              request.method, request.path, response.status, response.body.size()},
                             request.headers.Find("User-Agent"));
    }
  };
  server_ = std::make_unique<web_server::Server>(options, std::move(hooks));
}

std::optional<int> SiteServer::Listen(const std::string& address, int port) {
  return server_->Listen(address, port);
}

void SiteServer::Run() {
  server_->Run();
}

void SiteServer::Stop() {
  server_->Stop();
}

}  // namespace riddle_site
