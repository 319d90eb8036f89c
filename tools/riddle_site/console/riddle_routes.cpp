// The console's riddles: the list with its search, adding, editing and
// deleting one, importing a file and downloading the collection.
#include "console/console_router.h"
#include "console/pages/console_pages.h"
#include "console/pages/riddle_pages.h"
#include "form_fields.h"

namespace riddle_site {
namespace {

using web_server::Request;
using web_server::Response;

// The riddle that a page's "id" names, unless it is missing or deleted.
std::optional<RiddleEntry> LiveEntry(const RiddleStore& store, const std::string& idText) {
  const std::optional<int> id = NumberField(idText);
  std::optional<RiddleEntry> entry = id ? store.Find(*id) : std::nullopt;
  return entry && !entry->deleted ? entry : std::nullopt;
}

RiddleDraft DraftOf(const Request& request) {
  return {Field(request, "question"), Field(request, "answer"), Field(request, "kind")};
}

void SendList(RiddleStore& riddles, Response& response, const ConsoleSession& session,
              const RiddleListQuery& query, const std::optional<Message>& message,
              int status = 200) {
  SendPage(response, RiddleListPage(*riddles.entries(), query, message, session.csrf), status);
}

void List(RiddleStore& riddles, const Request& request, Response& response,
          const ConsoleSession& session) {
  RiddleListQuery query;
  query.search = Query(request, "q");
  if (std::optional<std::string> kind = web_server::QueryValue(request, "kind")) {
    // A kind of "" (riddles without one) is told apart from no choice.
    if (!kind->empty() || web_server::QueryValue(request, "nokind")) {
      query.kind = std::move(kind);
    }
  }
  query.page = NumberField(Query(request, "page")).value_or(1);
  query.showDeleted = Query(request, "deleted") == "1";
  std::optional<Message> message;
  if (const auto saved = NumberField(Query(request, "saved"))) {
    message = Message{"已保存第 " + std::to_string(*saved) + " 条，网站已在使用新内容。"};
  } else if (const auto deleted = NumberField(Query(request, "removed"))) {
    message = Message{"已删除第 " + std::to_string(*deleted) + " 条。"};
  } else if (const std::optional<std::string> read = web_server::QueryValue(request, "imported")) {
    // Only the names of the encodings a file is read in are shown.
    const bool known = *read == "GBK" || *read == "GB18030" || *read == "UTF-8";
    message = Message{"已导入" + (known ? "（文件按 " + *read + " 编码读取）" : std::string()) +
                      "，网站已在使用新内容。"};
  }
  SendList(riddles, response, session, query, message);
}

void AddForm(RiddleStore&, const Request& request, Response& response,
             const ConsoleSession& session) {
  SendPage(response, RiddleFormPage({.after = NumberField(Query(request, "after"))}, session.csrf));
}

void EditForm(RiddleStore& riddles, const Request& request, Response& response,
              const ConsoleSession& session) {
  const std::optional<RiddleEntry> entry = LiveEntry(riddles, Query(request, "id"));
  if (!entry) {
    SendNotFound(response, session);
    return;
  }
  SendPage(response,
           RiddleFormPage(
               {entry->id, RiddleVersion(*entry), {entry->question, entry->answer, entry->kind}},
               session.csrf));
}

void SaveNew(RiddleStore& riddles, const Request& request, Response& response,
             const ConsoleSession& session) {
  RiddleForm form{.draft = DraftOf(request)};
  const std::string afterText = Field(request, "after");
  form.after = NumberField(afterText);
  if (!afterText.empty() && !form.after) {
    form.problem = "“放在第几条之后”要填谜语的编号，或者不填。";
    SendPage(response, RiddleFormPage(form, session.csrf), 422);
    return;
  }
  int newId = 0;
  form.problem = riddles.Add(form.draft, &newId, form.after);
  if (form.problem) {
    SendPage(response, RiddleFormPage(form, session.csrf), 422);
    return;
  }
  Redirect(response, "/console/riddles?saved=" + std::to_string(newId));
}

void SaveEdit(RiddleStore& riddles, const Request& request, Response& response,
              const ConsoleSession& session) {
  RiddleForm form{NumberField(Field(request, "id")), Field(request, "version"), DraftOf(request)};
  if (!form.id) {
    SendNotFound(response, session);
    return;
  }
  const std::optional<Refusal> refused = riddles.Edit(*form.id, form.draft, form.version);
  if (!refused) {
    Redirect(response, "/console/riddles?saved=" + std::to_string(*form.id));
    return;
  }
  form.problem = refused->reason;
  if (refused->stale) {
    // The operator has now seen what the riddle holds: saving again
    // replaces that, and nothing that came since.
    const std::optional<RiddleEntry> now = riddles.Find(*form.id);
    if (!now || now->deleted) {
      SendPage(response,
               RiddleListPage(*riddles.entries(), {}, Message{refused->reason, true}, session.csrf),
               409);
      return;
    }
    form.version = RiddleVersion(*now);
  }
  SendPage(response, RiddleFormPage(form, session.csrf), refused->stale ? 409 : 422);
}

void DeleteForm(RiddleStore& riddles, const Request& request, Response& response,
                const ConsoleSession& session) {
  const std::optional<RiddleEntry> entry = LiveEntry(riddles, Query(request, "id"));
  if (!entry) {
    SendNotFound(response, session);
    return;
  }
  SendPage(response, DeleteConfirmPage(*entry, std::nullopt, session.csrf));
}

void Delete(RiddleStore& riddles, const Request& request, Response& response,
            const ConsoleSession& session) {
  const std::optional<int> id = NumberField(Field(request, "id"));
  const std::optional<RiddleEntry> entry = id ? riddles.Find(*id) : std::nullopt;
  if (!entry) {
    SendNotFound(response, session);
    return;
  }
  if (const std::optional<Refusal> refused = riddles.Delete(*id, Field(request, "version"))) {
    // A stale deletion shows the riddle as it is now, to be confirmed again.
    const std::optional<RiddleEntry> now = riddles.Find(*id);
    if (!now || now->deleted) {
      SendList(riddles, response, session, {}, Message{refused->reason, true}, 409);
      return;
    }
    SendPage(response, DeleteConfirmPage(*now, refused->reason, session.csrf),
             refused->stale ? 409 : 422);
    return;
  }
  Redirect(response, "/console/riddles?removed=" + std::to_string(*id));
}

void Import(RiddleStore& riddles, const Request& request, Response& response,
            const ConsoleSession& session) {
  const std::optional<web_server::FormPart> file = web_server::FormFile(request, "file");
  if (!file || file->filename->empty()) {
    SendList(riddles, response, session, {}, Message{"请选择要导入的文件。", true}, 422);
    return;
  }
  if (file->content.size() > MaxImportedFile) {
    SendList(riddles, response, session, {},
             Message{*file->filename + "：文件太大，没有导入。导入的文件最多 4 MiB。", true}, 413);
    return;
  }
  const DecodedText decoded = DecodeRiddleText(file->content);
  const std::string readAs = EncodingName(decoded.encoding);
  // The uploaded file's name only tells its format; it is never opened.
  if (const std::optional<std::string> refused =
          riddles.Import(decoded.utf8, FormatOfPath(*file->filename))) {
    SendList(riddles, response, session, {},
             Message{*file->filename + "（按 " + readAs + " 编码读取）：" + *refused, true}, 422);
    return;
  }
  Redirect(response, "/console/riddles?imported=" + readAs);
}

void Download(RiddleStore& riddles, const Request&, Response& response, const ConsoleSession&) {
  const bool csv = FormatOfPath(riddles.path()) == RiddleFileFormat::Csv;
  response.SetContent(riddles.Download(),
                      csv ? "text/csv; charset=utf-8" : "text/tab-separated-values; charset=utf-8");
  response.SetHeader("Content-Disposition", csv ? "attachment; filename=\"riddles.csv\""
                                                : "attachment; filename=\"riddles.tsv\"");
  response.SetHeader("Cache-Control", "no-store");
  response.SetHeader("X-Content-Type-Options", "nosniff");
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
  router.Change(ImportPath, On(riddles, Import));
  router.Show("/console/riddles/download", On(riddles, Download));
}

}  // namespace riddle_site
