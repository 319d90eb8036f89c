// How the console's routes are made, area by area (console_routes.cpp puts
// them together): every page passes the same checks first (the size of the
// request, who may use the console, and for a change the session's token),
// and then its handler gets the request's session.
#pragma once

#include <httplib.h>

#include <functional>
#include <optional>
#include <string>

#include "console/console_routes.h"

namespace riddle_site {

using PageHandler =
    std::function<void(const httplib::Request&, httplib::Response&, const ConsoleSession&)>;

struct ConsoleRouter {
  httplib::Server& server;
  Console& console;

  // A page shown on GET.
  void Show(const std::string& path, PageHandler handler) const;
  // A change posted by a form, which must carry the session's token.
  void Change(const std::string& path, PageHandler handler) const;
};

// The routes of each area.
void AddLoginRoutes(const ConsoleRouter& router);
void AddRiddleRoutes(const ConsoleRouter& router);
void AddGroupRoutes(const ConsoleRouter& router);
void AddHomeRoutes(const ConsoleRouter& router);

// A console page (UTF-8 HTML) with the headers that keep it to itself.
void SendPage(httplib::Response& response, const std::string& page, int status = 200);
void Redirect(httplib::Response& response, const std::string& to);
// The page for a path, riddle or group that the console does not have.
void SendNotFound(httplib::Response& response, const ConsoleSession& session);

// A form field of a urlencoded or a multipart body ("" when missing).
std::string Field(const httplib::Request& request, const std::string& name);
// A whole decimal number, or nullopt.
std::optional<int> NumberField(const std::string& text);

}  // namespace riddle_site
