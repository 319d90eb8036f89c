#include "console/pages/riddle_pages.h"

#include <algorithm>
#include <map>

#include "console/pages/console_html.h"

namespace riddle_site {
namespace {

std::string MessageBox(const std::optional<Message>& message) {
  if (!message) {
    return "";
  }
  return message->problem ? ProblemBox(message->text) : NoticeBox(message->text);
}

bool Matches(const RiddleEntry& entry, const RiddleListQuery& query) {
  if (entry.deleted && !query.showDeleted) {
    return false;
  }
  if (query.kind && entry.kind != *query.kind) {
    return false;
  }
  const std::string& s = query.search;
  return s.empty() || entry.question.find(s) != std::string::npos ||
         entry.answer.find(s) != std::string::npos || entry.kind.find(s) != std::string::npos;
}

std::string KindName(std::string_view kind) {
  return kind.empty() ? "（无类别）" : std::string(kind);
}

// A link to the list with query changed as given.
std::string ListLink(RiddleListQuery query, int page, std::optional<std::string> kind) {
  std::string link = "/console/riddles?page=" + std::to_string(page);
  if (!query.search.empty()) {
    link += "&q=" + EscapeQuery(query.search);
  }
  if (kind) {
    link += "&kind=" + EscapeQuery(*kind) + (kind->empty() ? "&nokind=1" : "");
  }
  if (query.showDeleted) {
    link += "&deleted=1";
  }
  return link;
}

std::string KindCounts(const std::vector<RiddleEntry>& entries, const RiddleListQuery& query) {
  std::map<std::string, int> counts;
  int live = 0;
  for (const RiddleEntry& entry : entries) {
    if (!entry.deleted) {
      ++counts[entry.kind];
      ++live;
    }
  }
  std::string html = "<p class=\"counts\" id=\"kind-counts\"><span><a href=\"" +
                     EscapeHtml(ListLink(query, 1, std::nullopt)) + "\">全部</a>：" +
                     std::to_string(live) + "</span>";
  for (const auto& [kind, count] : counts) {
    html += "<span><a href=\"" + EscapeHtml(ListLink(query, 1, kind)) + "\">" +
            EscapeHtml(KindName(kind)) + "</a>：" + std::to_string(count) + "</span>";
  }
  return html + "</p>";
}

std::string SearchForm(const RiddleListQuery& query) {
  std::string html =
      "<form method=\"get\" action=\"/console/riddles\" id=\"search-form\">"
      "<input type=\"search\" name=\"q\" id=\"search\" placeholder=\"搜索谜面、谜底、类别\" "
      "value=\"" +
      EscapeHtml(query.search) + "\"> ";
  if (query.kind) {
    html += "<input type=\"hidden\" name=\"kind\" value=\"" + EscapeHtml(*query.kind) + "\">";
    if (query.kind->empty()) {
      html += "<input type=\"hidden\" name=\"nokind\" value=\"1\">";
    }
  }
  html += std::string(
              "<label style=\"display:inline\"><input type=\"checkbox\" name=\"deleted\" "
              "value=\"1\"") +
          (query.showDeleted ? " checked" : "") +
          "> 显示已删除的</label> <button type=\"submit\">搜索</button></form>";
  return html;
}

std::string RiddleRows(const std::vector<const RiddleEntry*>& shown) {
  std::string html =
      "<div class=\"scroll\"><table id=\"riddles\"><thead><tr><th class=\"num\">编号</th>"
      "<th>谜面</th><th>谜底</th><th>类别</th><th>操作</th></tr></thead><tbody>";
  for (const RiddleEntry* entry : shown) {
    const std::string id = std::to_string(entry->id.value_or(0));
    html += "<tr id=\"riddle-" + id + "\"><td class=\"num\"><a href=\"" + RiddlePath(*entry->id) +
            "\">" + id + "</a></td>" + Cell(entry->question) + Cell(entry->answer) +
            Cell(entry->kind);
    if (entry->deleted) {
      html += "<td>已删除</td>";
    } else {
      html += "<td><a href=\"/console/riddles/edit?id=" + id + "\" id=\"edit-" + id +
              "\">修改</a> <a href=\"/console/riddles/delete?id=" + id + "\" id=\"delete-" + id +
              "\">删除</a></td>";
    }
    html += "</tr>";
  }
  return html + "</tbody></table></div>";
}

std::string Paging(const RiddleListQuery& query, int pages) {
  if (pages <= 1) {
    return "";
  }
  std::string html =
      "<p id=\"paging\">第 " + std::to_string(query.page) + " / " + std::to_string(pages) + " 页 ";
  if (query.page > 1) {
    html += "<a id=\"previous-page\" href=\"" +
            EscapeHtml(ListLink(query, query.page - 1, query.kind)) + "\">上一页</a> ";
  }
  if (query.page < pages) {
    html += "<a id=\"next-page\" href=\"" +
            EscapeHtml(ListLink(query, query.page + 1, query.kind)) + "\">下一页</a>";
  }
  return html + "</p>";
}

std::string ImportForm(std::string_view csrf) {
  return "<fieldset><legend>导入与下载</legend>"
         "<form method=\"post\" action=\"/console/riddles/import\" enctype=\"multipart/form-data\" "
         "id=\"import-form\">" +
         CsrfField(csrf) +
         "<label>从 TSV 或 CSV 文件（UTF-8）导入谜语：<input type=\"file\" name=\"file\" "
         "id=\"import-file\" accept=\".tsv,.csv,.txt\"></label>"
         "<button type=\"submit\">导入</button></form>"
         "<p>文件每行一条：谜面、谜底、类别（可省）；有编号列的文件按编号更新已有的谜语。"
         "有一行不合规则，整个文件都不导入。</p>"
         "<p><a href=\"/console/riddles/download\" id=\"download\">下载全部谜语</a></p></fieldset>";
}

}  // namespace

std::string RiddleListPage(const std::vector<RiddleEntry>& entries, const RiddleListQuery& query,
                           const std::optional<Message>& message, std::string_view csrf) {
  std::vector<const RiddleEntry*> found;
  for (const RiddleEntry& entry : entries) {
    if (Matches(entry, query)) {
      found.push_back(&entry);
    }
  }
  const int pages =
      std::max<int>(1, (static_cast<int>(found.size()) + RiddlesPerPage - 1) / RiddlesPerPage);
  RiddleListQuery shownQuery = query;
  shownQuery.page = std::clamp(query.page, 1, pages);
  const std::size_t first = static_cast<std::size_t>(shownQuery.page - 1) * RiddlesPerPage;
  const std::vector<const RiddleEntry*> shown(
      found.begin() + static_cast<std::ptrdiff_t>(std::min(first, found.size())),
      found.begin() + static_cast<std::ptrdiff_t>(std::min(first + RiddlesPerPage, found.size())));

  std::string body = MessageBox(message);
  body += KindCounts(entries, shownQuery);
  body += SearchForm(shownQuery);
  body += "<p><a href=\"/console/riddles/new\" id=\"add-riddle\">添加谜语</a> · 找到 " +
          std::to_string(found.size()) + " 条" +
          (query.kind ? "（类别：" + EscapeHtml(KindName(*query.kind)) + "）" : "") + "</p>";
  body += RiddleRows(shown);
  body += Paging(shownQuery, pages);
  body += ImportForm(csrf);
  return ConsolePage(ConsoleSection::Riddles, "谜语", body, csrf);
}

std::string RiddleFormPage(const RiddleForm& form, std::string_view csrf) {
  const std::optional<int>& id = form.id;
  std::string body = form.problem ? ProblemBox("没有保存：" + *form.problem) : "";
  body += "<form method=\"post\" action=\"/console/riddles/" + std::string(id ? "edit" : "new") +
          "\" id=\"riddle-form\">" + CsrfField(csrf);
  if (id) {
    body += "<input type=\"hidden\" name=\"id\" value=\"" + std::to_string(*id) + "\">";
    body += "<input type=\"hidden\" name=\"version\" value=\"" + EscapeHtml(form.version) + "\">";
    body += "<p>第 " + std::to_string(*id) + " 条，页面 <a href=\"" + RiddlePath(*id) + "\">" +
            RiddlePath(*id) + "</a></p>";
  }
  auto field = [&](std::string_view name, std::string_view label, const std::string& value) {
    return "<label>" + std::string(label) + "<br><input type=\"text\" name=\"" + std::string(name) +
           "\" id=\"" + std::string(name) + "\" size=\"60\" value=\"" + EscapeHtml(value) +
           "\"></label>";
  };
  body += field("question", "谜面", form.draft.question);
  body += field("answer", "谜底", form.draft.answer);
  body += field("kind", "类别（可省，例如“打一字”）", form.draft.kind);
  if (!id) {
    body +=
        "<label>放在第几条之后（可省：放在最后；停在那一条上的群答对后就轮到它）<br>"
        "<input type=\"text\" name=\"after\" id=\"after\" size=\"12\" inputmode=\"numeric\" "
        "value=\"" +
        (form.after ? std::to_string(*form.after) : std::string()) + "\"></label>";
  }
  body +=
      "<p><button type=\"submit\" id=\"save\">保存</button> "
      "<a href=\"/console/riddles\">返回</a></p></form>";
  body += "<p>保存后立即生效，原文件留作 .bak 备份。</p>";
  return ConsolePage(ConsoleSection::Riddles, id ? "修改谜语" : "添加谜语", body, csrf);
}

std::string DeleteConfirmPage(const RiddleEntry& entry, const std::optional<std::string>& problem,
                              std::string_view csrf) {
  const std::string id = std::to_string(entry.id.value_or(0));
  std::string body = problem ? ProblemBox("没有删除：" + *problem) : "";
  body += "<p>删除第 " + id + " 条：" + EscapeHtml(entry.question) + "（谜底：" +
          EscapeHtml(entry.answer) + "）？</p>";
  body += "<p>删除后没有谜语再链接到它；正停在这一条上的群仍可答完，然后进入下一条。</p>";
  body += "<form method=\"post\" action=\"/console/riddles/delete\" id=\"delete-form\">" +
          CsrfField(csrf) + "<input type=\"hidden\" name=\"id\" value=\"" + id +
          "\"><input type=\"hidden\" name=\"version\" value=\"" + RiddleVersion(entry) +
          "\"><button type=\"submit\" id=\"confirm-delete\">确认删除</button> "
          "<a href=\"/console/riddles\">取消</a></form>";
  return ConsolePage(ConsoleSection::Riddles, "删除谜语", body, csrf);
}

}  // namespace riddle_site
