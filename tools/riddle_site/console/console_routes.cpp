// Literals in this file are UTF-8, as the console's pages are.
#include "console/console_routes.h"

#include <charconv>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "console/pages/console_html.h"
#include "console/pages/console_pages.h"
#include "runtime/gbk_utf8.h"

namespace riddle_site {
namespace {

using httplib::Request;
using httplib::Response;

constexpr char Utf8Html[] = "text/html; charset=utf-8";

// A page handler, given the session of the request.
using Handler = std::function<void(const Request&, Response&, const ConsoleSession&)>;

void SendPage(Response& response, const std::string& page, int status = 200) {
  response.status = status;
  // Nothing on a console page may come from elsewhere, run a script or be
  // framed by another site.
  response.set_header("Content-Security-Policy",
                      "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'; "
                      "form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Referrer-Policy", "no-referrer");
  response.set_header("Cache-Control", "no-store");
  response.set_content(page, Utf8Html);
}

void Redirect(Response& response, const std::string& to) {
  response.status = 303;
  response.set_header("Location", to);
}

// A form field of a urlencoded or a multipart body.
std::string Field(const Request& request, const std::string& name) {
  if (request.has_param(name.c_str())) {
    return request.get_param_value(name.c_str());
  }
  if (request.has_file(name)) {
    return request.get_file_value(name).content;
  }
  return "";
}

std::optional<int> NumberField(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<RiddleEntry> FindEntry(const RiddleStore& store, int id) {
  for (RiddleEntry& entry : store.entries()) {
    if (entry.id == id) {
      return entry;
    }
  }
  return std::nullopt;
}

RiddleDraft DraftOf(const Request& request) {
  return {Field(request, "question"), Field(request, "answer"), Field(request, "kind")};
}

// Whether the Host header names this machine: an open console answers no
// page that a web site could reach under a name of its own.
bool HostIsLoopback(const Request& request) {
  std::string host = request.get_header_value("Host");
  if (host.starts_with('[')) {
    host = host.substr(1, host.find(']') - 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  return IsLoopbackAddress(host);
}

class Routes {
 public:
  explicit Routes(Console& console) : console_(console) {}

  // Wraps a page handler with the checks that every console request passes.
  httplib::Server::Handler Guarded(Handler handler, bool changes) {
    return
        [this, handler = std::move(handler), changes](const Request& request, Response& response) {
          if (request.body.size() > ConsoleBodyLimit) {
            SendPage(response,
                     ConsolePage(ConsoleSection::Login, "请求太大",
                                 ProblemBox("上传的内容超过 4 MiB。"), ""),
                     413);
            return;
          }
          std::optional<ConsoleSession> session = Admit(request, response);
          if (!session) {
            return;
          }
          if (changes && !SameSecret(Field(request, "csrf"), session->csrf)) {
            SendPage(response,
                     ConsolePage(ConsoleSection::Login, "表单已失效",
                                 ProblemBox("表单已失效或不是本控制台发出的，没有做任何改动。请回到"
                                            "控制台重新操作。"),
                                 ""),
                     403);
            return;
          }
          handler(request, response, *session);
        };
  }

  // The session of the request, or nullopt once the response says why not.
  std::optional<ConsoleSession> Admit(const Request& request, Response& response) {
    switch (console_.auth.mode()) {
      case ConsoleMode::Off:
        SendPage(response, ConsoleOffPage(), 403);
        return std::nullopt;
      case ConsoleMode::Open: {
        if (!HostIsLoopback(request)) {
          SendPage(response,
                   ConsolePage(ConsoleSection::Login, "控制台未开启",
                               ProblemBox("没有密码的控制台只在本机地址下开放，"
                                          "请用 http://127.0.0.1 或 http://localhost 打开。"),
                               ""),
                   403);
          return std::nullopt;
        }
        // Open, but forms still need a session's token, so that another
        // site cannot post to the console through the operator's browser.
        if (auto session = console_.auth.SessionOf(request.get_header_value("Cookie"))) {
          return session;
        }
        ConsoleSession session = console_.auth.StartSession();
        response.set_header("Set-Cookie", ConsoleAuth::CookieFor(session));
        return session;
      }
      case ConsoleMode::Password:
        if (auto session = console_.auth.SessionOf(request.get_header_value("Cookie"))) {
          return session;
        }
        if (request.method == "GET") {
          Redirect(response, "/console/login");
        } else {
          SendPage(response, LoginPage("请先登录。"), 403);
        }
        return std::nullopt;
    }
    return std::nullopt;
  }

  void LoginForm(const Request&, Response& response) {
    if (console_.auth.mode() == ConsoleMode::Off) {
      SendPage(response, ConsoleOffPage(), 403);
    } else if (console_.auth.mode() == ConsoleMode::Open) {
      Redirect(response, "/console/");
    } else {
      SendPage(response, LoginPage(std::nullopt));
    }
  }

  void Login(const Request& request, Response& response) {
    if (request.body.size() > ConsoleBodyLimit) {
      SendPage(response, LoginPage("请求太大。"), 413);
      return;
    }
    if (console_.auth.mode() != ConsoleMode::Password) {
      Redirect(response, "/console/");
      return;
    }
    switch (console_.auth.TryLogin(request.remote_addr, Field(request, "password"))) {
      case LoginResult::Accepted:
        response.set_header("Set-Cookie", ConsoleAuth::CookieFor(console_.auth.StartSession()));
        Redirect(response, "/console/");
        return;
      case LoginResult::Refused:
        SendPage(response, LoginPage("密码不对。"), 403);
        return;
      case LoginResult::TooManyTries:
        SendPage(response, LoginPage("失败次数太多，请过十分钟再试。"), 429);
        return;
    }
  }

  void Logout(const Request&, Response& response, const ConsoleSession& session) {
    console_.auth.EndSession(session.id);
    response.set_header("Set-Cookie", ConsoleAuth::ExpiredCookie());
    Redirect(response,
             console_.auth.mode() == ConsoleMode::Password ? "/console/login" : "/console/");
  }

  void AddForm(const Request& request, Response& response, const ConsoleSession& session) {
    SendPage(response, RiddleFormPage(std::nullopt, {}, std::nullopt, session.csrf,
                                      NumberField(request.get_param_value("after"))));
  }

  void SaveNew(const Request& request, Response& response, const ConsoleSession& session) {
    Save(request, response, session, true);
  }

  void SaveEdit(const Request& request, Response& response, const ConsoleSession& session) {
    Save(request, response, session, false);
  }

  void RiddleList(const Request& request, Response& response, const ConsoleSession& session) {
    RiddleListQuery query;
    query.search = request.get_param_value("q");
    if (request.has_param("kind")) {
      query.kind = request.get_param_value("kind");
      // A kind of "" (riddles without one) is told apart from no choice.
      if (query.kind->empty() && !request.has_param("nokind")) {
        query.kind.reset();
      }
    }
    query.page = NumberField(request.get_param_value("page")).value_or(1);
    query.showDeleted = request.get_param_value("deleted") == "1";
    std::optional<Message> message;
    if (const auto saved = NumberField(request.get_param_value("saved"))) {
      message = Message{"已保存第 " + std::to_string(*saved) + " 条，网站已在使用新内容。"};
    } else if (const auto deleted = NumberField(request.get_param_value("removed"))) {
      message = Message{"已删除第 " + std::to_string(*deleted) + " 条。"};
    } else if (request.has_param("imported")) {
      message = Message{"已导入。"};
    }
    SendPage(response, RiddleListPage(console_.riddles.entries(), query, message, session.csrf));
  }

  void EditForm(const Request& request, Response& response, const ConsoleSession& session) {
    const std::optional<int> id = NumberField(request.get_param_value("id"));
    const std::optional<RiddleEntry> entry = id ? FindEntry(console_.riddles, *id) : std::nullopt;
    if (!entry || entry->deleted) {
      NotFound(response, session);
      return;
    }
    SendPage(response, RiddleFormPage(id, {entry->question, entry->answer, entry->kind},
                                      std::nullopt, session.csrf));
  }

  void Save(const Request& request, Response& response, const ConsoleSession& session,
            bool adding) {
    const RiddleDraft draft = DraftOf(request);
    std::optional<int> id = adding ? std::nullopt : NumberField(Field(request, "id"));
    if (!adding && !id) {
      NotFound(response, session);
      return;
    }
    const std::string afterText = Field(request, "after");
    const std::optional<int> after = NumberField(afterText);
    if (adding && !afterText.empty() && !after) {
      SendPage(
          response,
          RiddleFormPage(id, draft, "“放在第几条之后”要填谜语的编号，或者不填。", session.csrf),
          422);
      return;
    }
    int newId = 0;
    const std::optional<std::string> refused =
        adding ? console_.riddles.Add(draft, &newId, after) : console_.riddles.Edit(*id, draft);
    if (refused) {
      SendPage(response, RiddleFormPage(id, draft, refused, session.csrf, after), 422);
      return;
    }
    Redirect(response, "/console/riddles?saved=" + std::to_string(adding ? newId : *id));
  }

  void DeleteForm(const Request& request, Response& response, const ConsoleSession& session) {
    const std::optional<int> id = NumberField(request.get_param_value("id"));
    const std::optional<RiddleEntry> entry = id ? FindEntry(console_.riddles, *id) : std::nullopt;
    if (!entry || entry->deleted) {
      NotFound(response, session);
      return;
    }
    SendPage(response, DeleteConfirmPage(*entry, std::nullopt, session.csrf));
  }

  void Delete(const Request& request, Response& response, const ConsoleSession& session) {
    const std::optional<int> id = NumberField(Field(request, "id"));
    const std::optional<RiddleEntry> entry = id ? FindEntry(console_.riddles, *id) : std::nullopt;
    if (!entry) {
      NotFound(response, session);
      return;
    }
    if (const std::optional<std::string> refused = console_.riddles.Delete(*id)) {
      SendPage(response, DeleteConfirmPage(*entry, refused, session.csrf), 422);
      return;
    }
    Redirect(response, "/console/riddles?removed=" + std::to_string(*id));
  }

  void Import(const Request& request, Response& response, const ConsoleSession& session) {
    if (!request.has_file("file") || request.get_file_value("file").filename.empty()) {
      SendPage(response,
               RiddleListPage(console_.riddles.entries(), {}, Message{"请选择要导入的文件。", true},
                              session.csrf),
               422);
      return;
    }
    const httplib::MultipartFormData file = request.get_file_value("file");
    // The uploaded file's name only tells its format; it is never opened.
    if (const std::optional<std::string> refused =
            console_.riddles.Import(file.content, FormatOfPath(file.filename))) {
      SendPage(response,
               RiddleListPage(console_.riddles.entries(), {},
                              Message{file.filename + "：" + *refused, true}, session.csrf),
               422);
      return;
    }
    Redirect(response, "/console/riddles?imported=1");
  }

  void Download(const Request&, Response& response, const ConsoleSession&) {
    const bool csv = FormatOfPath(console_.riddles.path()) == RiddleFileFormat::Csv;
    response.set_header("Content-Disposition", csv ? "attachment; filename=\"riddles.csv\""
                                                   : "attachment; filename=\"riddles.tsv\"");
    response.set_header("Cache-Control", "no-store");
    response.set_content(
        console_.riddles.Download(),
        csv ? "text/csv; charset=utf-8" : "text/tab-separated-values; charset=utf-8");
  }

  void Home(const Request&, Response& response, const ConsoleSession& session) {
    HomeFacts facts;
    for (const RiddleEntry& entry : console_.riddles.entries()) {
      facts.riddles += entry.deleted ? 0 : 1;
    }
    facts.riddleFile = console_.riddles.path();
    if (console_.hostFolder != nullptr) {
      facts.groups = console_.hostFolder->Groups().size();
    }
    facts.moduleFetches = console_.traffic.LastModuleFetches();
    SendPage(response, HomePage(facts, session.csrf));
  }

  void Groups(const Request&, Response& response, const ConsoleSession& session) {
    std::optional<std::vector<GroupState>> groups;
    if (console_.hostFolder != nullptr) {
      groups = console_.hostFolder->Groups();
    }
    SendPage(response,
             GroupsPage(groups ? &*groups : nullptr, *console_.riddles.catalog(), session.csrf));
  }

  void Group(const Request& request, Response& response, const ConsoleSession& session) {
    // The name comes back as the page showed it (UTF-8); the group must be
    // one that the host folder lists.
    const std::optional<std::string> name = zorvane::Utf8ToGbk(request.get_param_value("group"));
    const std::vector<GroupState> found = console_.hostFolder && name
                                              ? console_.hostFolder->FindGroup(*name)
                                              : std::vector<GroupState>();
    if (found.empty()) {
      NotFound(response, session);
      return;
    }
    SendPage(response, GroupPage(found.front(), console_.hostFolder->Members(*name),
                                 *console_.riddles.catalog(), session.csrf));
  }

  void Traffic(const Request&, Response& response, const ConsoleSession& session) {
    SendPage(response, TrafficPage(console_.traffic.Recent(), console_.traffic.Counts(),
                                   console_.traffic.LastModuleFetches(), session.csrf));
  }

  void NotFound(Response& response, const ConsoleSession& session) {
    SendPage(response,
             ConsolePage(ConsoleSection::Home, "找不到",
                         ProblemBox("控制台没有这个页面，或要找的谜语、群不存在。"), session.csrf),
             404);
  }

  Console& console_;
};

}  // namespace

void AddConsoleRoutes(httplib::Server& server, Console& console) {
  // Every handler holds the routes; they live as long as the server.
  const auto routes = std::make_shared<Routes>(console);
  using Member = void (Routes::*)(const Request&, Response&, const ConsoleSession&);
  auto page = [&](Member member, bool changes) {
    return routes->Guarded(
        [routes, member](const Request& q, Response& r, const ConsoleSession& s) {
          ((*routes).*member)(q, r, s);
        },
        changes);
  };
  server.Get("/console", [](const Request&, Response& r) { Redirect(r, "/console/"); });
  server.Get("/console/", page(&Routes::Home, false));
  server.Get("/console/login",
             [routes](const Request& q, Response& r) { routes->LoginForm(q, r); });
  server.Post("/console/login", [routes](const Request& q, Response& r) { routes->Login(q, r); });
  server.Post("/console/logout", page(&Routes::Logout, true));
  server.Get("/console/riddles", page(&Routes::RiddleList, false));
  server.Get("/console/riddles/new", page(&Routes::AddForm, false));
  server.Post("/console/riddles/new", page(&Routes::SaveNew, true));
  server.Get("/console/riddles/edit", page(&Routes::EditForm, false));
  server.Post("/console/riddles/edit", page(&Routes::SaveEdit, true));
  server.Get("/console/riddles/delete", page(&Routes::DeleteForm, false));
  server.Post("/console/riddles/delete", page(&Routes::Delete, true));
  server.Post("/console/riddles/import", page(&Routes::Import, true));
  server.Get("/console/riddles/download", page(&Routes::Download, false));
  server.Get("/console/groups", page(&Routes::Groups, false));
  server.Get("/console/groups/view", page(&Routes::Group, false));
  server.Get("/console/traffic", page(&Routes::Traffic, false));
}

}  // namespace riddle_site
