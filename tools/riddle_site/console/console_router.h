// How the console's routes are made, area by area (console_routes.cpp puts
// them together): every page passes the same checks first (who may use the
// console, under which name, and for a change where its form came from and
// the session's token), and then its handler gets the request's session.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "console/console_routes.h"
#include "http_message.h"

namespace riddle_site {

using PageHandler =
    std::function<void(const web_server::Request&, web_server::Response&, const ConsoleSession&)>;

struct ConsoleRouter {
  web_server::Router& router;
  Console& console;

  // A page shown on GET.
  void Show(const std::string& path, PageHandler handler) const;
  // Every page shown on GET below prefix that no other route takes.
  void ShowBelow(const std::string& prefix, PageHandler handler) const;
  // A change posted by a form from the console's own pages, which must carry
  // the session's token; it runs on the server's workers, for it writes the
  // riddle file.
  void Change(const std::string& path, PageHandler handler) const;
};

// The routes of each area.
void AddLoginRoutes(const ConsoleRouter& router);
void AddRiddleRoutes(const ConsoleRouter& router);
void AddGroupRoutes(const ConsoleRouter& router);
void AddHomeRoutes(const ConsoleRouter& router);

// A console page (UTF-8 HTML) with the headers that keep it to itself.
void SendPage(web_server::Response& response, const std::string& page, int status = 200);
void Redirect(web_server::Response& response, const std::string& to);
// The page for a path, riddle or group that the console does not have.
void SendNotFound(web_server::Response& response, const ConsoleSession& session);
// The page for a form that did not come from the console's own pages.
void SendForeignForm(web_server::Response& response);
// The login page, with the problem that brought it back, and its form's
// token (given to a browser that has none).
void SendLoginPage(const web_server::Request& request, web_server::Response& response,
                   const std::optional<std::string>& problem, int status = 200);

// A field of the posted form's body, urlencoded or multipart ("" when
// missing). A value in the URL's query never counts as a form's.
std::string Field(const web_server::Request& request, std::string_view name);
// A value of the URL's query ("" when missing).
std::string Query(const web_server::Request& request, std::string_view name);
// A whole decimal number, or nullopt.
std::optional<int> NumberField(const std::string& text);

}  // namespace riddle_site
