// The console's riddles: the list with its search, adding, editing and
// deleting one, importing a file and downloading the collection.
#include "console/console_router.h"
#include "console/pages/console_pages.h"
#include "console/pages/riddle_pages.h"

namespace riddle_site {
namespace {

using httplib::Request;
using httplib::Response;

std::optional<RiddleEntry> FindEntry(const RiddleStore& store, int id) {
  for (RiddleEntry& entry : store.entries()) {
    if (entry.id == id) {
      return entry;
    }
  }
  return std::nullopt;
}

// The riddle that a page's "id" names, unless it is missing or deleted.
std::optional<RiddleEntry> LiveEntry(const RiddleStore& store, const std::string& idText) {
  const std::optional<int> id = NumberField(idText);
  std::optional<RiddleEntry> entry = id ? FindEntry(store, *id) : std::nullopt;
  return entry && !entry->deleted ? entry : std::nullopt;
}

RiddleDraft DraftOf(const Request& request) {
  return {Field(request, "question"), Field(request, "answer"), Field(request, "kind")};
}

void List(RiddleStore& riddles, const Request& request, Response& response,
          const ConsoleSession& session) {
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
  SendPage(response, RiddleListPage(riddles.entries(), query, message, session.csrf));
}

void AddForm(RiddleStore&, const Request& request, Response& response,
             const ConsoleSession& session) {
  SendPage(response, RiddleFormPage(std::nullopt, {}, std::nullopt, session.csrf,
                                    NumberField(request.get_param_value("after"))));
}

void EditForm(RiddleStore& riddles, const Request& request, Response& response,
              const ConsoleSession& session) {
  const std::optional<RiddleEntry> entry = LiveEntry(riddles, request.get_param_value("id"));
  if (!entry) {
    SendNotFound(response, session);
    return;
  }
  SendPage(response, RiddleFormPage(entry->id, {entry->question, entry->answer, entry->kind},
                                    std::nullopt, session.csrf));
}

// A new riddle (adding) or an edited one, saved or shown again with why not.
void Save(RiddleStore& riddles, const Request& request, Response& response,
          const ConsoleSession& session, bool adding) {
  const RiddleDraft draft = DraftOf(request);
  std::optional<int> id = adding ? std::nullopt : NumberField(Field(request, "id"));
  if (!adding && !id) {
    SendNotFound(response, session);
    return;
  }
  const std::string afterText = Field(request, "after");
  const std::optional<int> after = NumberField(afterText);
  if (adding && !afterText.empty() && !after) {
    SendPage(response,
             RiddleFormPage(id, draft, "“放在第几条之后”要填谜语的编号，或者不填。", session.csrf),
             422);
    return;
  }
  int newId = 0;
  const std::optional<std::string> refused =
      adding ? riddles.Add(draft, &newId, after) : riddles.Edit(*id, draft);
  if (refused) {
    SendPage(response, RiddleFormPage(id, draft, refused, session.csrf, after), 422);
    return;
  }
  Redirect(response, "/console/riddles?saved=" + std::to_string(adding ? newId : *id));
}

void SaveNew(RiddleStore& riddles, const Request& request, Response& response,
             const ConsoleSession& session) {
  Save(riddles, request, response, session, true);
}

void SaveEdit(RiddleStore& riddles, const Request& request, Response& response,
              const ConsoleSession& session) {
  Save(riddles, request, response, session, false);
}

void DeleteForm(RiddleStore& riddles, const Request& request, Response& response,
                const ConsoleSession& session) {
  const std::optional<RiddleEntry> entry = LiveEntry(riddles, request.get_param_value("id"));
  if (!entry) {
    SendNotFound(response, session);
    return;
  }
  SendPage(response, DeleteConfirmPage(*entry, std::nullopt, session.csrf));
}

void Delete(RiddleStore& riddles, const Request& request, Response& response,
            const ConsoleSession& session) {
  const std::optional<int> id = NumberField(Field(request, "id"));
  const std::optional<RiddleEntry> entry = id ? FindEntry(riddles, *id) : std::nullopt;
  if (!entry) {
    SendNotFound(response, session);
    return;
  }
  if (const std::optional<std::string> refused = riddles.Delete(*id)) {
    SendPage(response, DeleteConfirmPage(*entry, refused, session.csrf), 422);
    return;
  }
  Redirect(response, "/console/riddles?removed=" + std::to_string(*id));
}

void Import(RiddleStore& riddles, const Request& request, Response& response,
            const ConsoleSession& session) {
  if (!request.has_file("file") || request.get_file_value("file").filename.empty()) {
    SendPage(
        response,
        RiddleListPage(riddles.entries(), {}, Message{"请选择要导入的文件。", true}, session.csrf),
        422);
    return;
  }
  const httplib::MultipartFormData file = request.get_file_value("file");
  // The uploaded file's name only tells its format; it is never opened.
  if (const std::optional<std::string> refused =
          riddles.Import(file.content, FormatOfPath(file.filename))) {
    SendPage(response,
             RiddleListPage(riddles.entries(), {}, Message{file.filename + "：" + *refused, true},
                            session.csrf),
             422);
    return;
  }
  Redirect(response, "/console/riddles?imported=1");
}

void Download(RiddleStore& riddles, const Request&, Response& response, const ConsoleSession&) {
  const bool csv = FormatOfPath(riddles.path()) == RiddleFileFormat::Csv;
  response.set_header("Content-Disposition", csv ? "attachment; filename=\"riddles.csv\""
                                                 : "attachment; filename=\"riddles.tsv\"");
  response.set_header("Cache-Control", "no-store");
  response.set_content(riddles.Download(), csv ? "text/csv; charset=utf-8"
                                               : "text/tab-separated-values; charset=utf-8");
}

using RiddlePage = void (*)(RiddleStore&, const Request&, Response&, const ConsoleSession&);

PageHandler On(RiddleStore& riddles, RiddlePage page) {
  return
      [&riddles, page](const Request& request, Response& response, const ConsoleSession& session) {
        page(riddles, request, response, session);
      };
}

}  // namespace

void AddRiddleRoutes(const ConsoleRouter& router) {
  RiddleStore& riddles = router.console.riddles;
  router.Show("/console/riddles", On(riddles, List));
  router.Show("/console/riddles/new", On(riddles, AddForm));
  router.Change("/console/riddles/new", On(riddles, SaveNew));
  router.Show("/console/riddles/edit", On(riddles, EditForm));
  router.Change("/console/riddles/edit", On(riddles, SaveEdit));
  router.Show("/console/riddles/delete", On(riddles, DeleteForm));
  router.Change("/console/riddles/delete", On(riddles, Delete));
  router.Change("/console/riddles/import", On(riddles, Import));
  router.Show("/console/riddles/download", On(riddles, Download));
}

}  // namespace riddle_site
