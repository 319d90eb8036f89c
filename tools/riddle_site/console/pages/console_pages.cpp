// Literals in this file are UTF-8, as the console's pages are.
#include "console/pages/console_pages.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "console/pages/console_html.h"
#include "console/pages/local_time.h"
#include "console/pages/svg_chart.h"
#include "runtime/gbk_utf8.h"

namespace riddle_site {
namespace {

std::string Cell(std::string_view text, std::string_view cssClass = "") {
  std::string cell = cssClass.empty() ? "<td>" : "<td class=\"" + std::string(cssClass) + "\">";
  return cell + EscapeHtml(text) + "</td>";
}

std::string When(const std::chrono::system_clock::time_point& time) {
  return LocalTimeText(std::chrono::system_clock::to_time_t(time));
}

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

std::string FetchText(const std::optional<TrafficEntry>& fetch) {
  if (!fetch) {
    return "从未";
  }
  return When(fetch->time) + "（" + fetch->path + "，来自 " + fetch->client + "，状态 " +
         std::to_string(fetch->status) + "）";
}

std::string ModuleFetchLine(const ModuleFetches& fetches) {
  return "<p id=\"module-fetches\">模块最近一次取谜语页：" +
         EscapeHtml(FetchText(fetches.riddlePage)) + "；最近一次取更新页：" +
         EscapeHtml(FetchText(fetches.updatePage)) + "。</p>";
}

std::string Shown(std::string_view gbk) {
  return zorvane::GbkToUtf8Lenient(gbk);
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

std::string RiddleFormPage(std::optional<int> id, const RiddleDraft& draft,
                           const std::optional<std::string>& problem, std::string_view csrf,
                           std::optional<int> after) {
  std::string body = problem ? ProblemBox("没有保存：" + *problem) : "";
  body += "<form method=\"post\" action=\"/console/riddles/" + std::string(id ? "edit" : "new") +
          "\" id=\"riddle-form\">" + CsrfField(csrf);
  if (id) {
    body += "<input type=\"hidden\" name=\"id\" value=\"" + std::to_string(*id) + "\">";
    body += "<p>第 " + std::to_string(*id) + " 条，页面 <a href=\"" + RiddlePath(*id) + "\">" +
            RiddlePath(*id) + "</a></p>";
  }
  auto field = [&](std::string_view name, std::string_view label, const std::string& value) {
    return "<label>" + std::string(label) + "<br><input type=\"text\" name=\"" + std::string(name) +
           "\" id=\"" + std::string(name) + "\" size=\"60\" value=\"" + EscapeHtml(value) +
           "\"></label>";
  };
  body += field("question", "谜面", draft.question);
  body += field("answer", "谜底", draft.answer);
  body += field("kind", "类别（可省，例如“打一字”）", draft.kind);
  if (!id) {
    body +=
        "<label>放在第几条之后（可省：放在最后；停在那一条上的群答对后就轮到它）<br>"
        "<input type=\"text\" name=\"after\" id=\"after\" size=\"12\" inputmode=\"numeric\" "
        "value=\"" +
        (after ? std::to_string(*after) : std::string()) + "\"></label>";
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
          "\"><button type=\"submit\" id=\"confirm-delete\">确认删除</button> "
          "<a href=\"/console/riddles\">取消</a></form>";
  return ConsolePage(ConsoleSection::Riddles, "删除谜语", body, csrf);
}

std::string HomePage(const HomeFacts& facts, std::string_view csrf) {
  std::string body = ModuleFetchLine(facts.moduleFetches);
  body += "<ul><li><a href=\"/console/riddles\">谜语</a>：" + std::to_string(facts.riddles) +
          " 条，文件 " + EscapeHtml(facts.riddleFile) + "</li>";
  body += "<li><a href=\"/console/groups\">群</a>：" +
          (facts.groups ? std::to_string(*facts.groups) + " 个"
                        : std::string("没有指定主程序目录（--host-folder）")) +
          "</li>";
  body += "<li><a href=\"/console/traffic\">访问记录</a></li></ul>";
  body += "<p>模块取不到谜语时，先看上面一行：从未取过，说明模块的请求没有到达本站。</p>";
  return ConsolePage(ConsoleSection::Home, "首页", body, csrf);
}

std::string PlaceInChain(const RiddleCatalog& catalog, std::string_view path) {
  const Riddle* riddle = catalog.FindByPath(path);
  if (riddle == nullptr) {
    return path.empty() ? "没有页面" : "不是本站的谜语页";
  }
  if (riddle->deleted) {
    return "已删除的谜语（答对后进入下一条）";
  }
  int place = 0;
  int live = 0;
  for (const Riddle& r : catalog.riddles()) {
    if (!r.deleted) {
      ++live;
      place = &r == riddle ? live : place;
    }
  }
  return "第 " + std::to_string(place) + " 条，共 " + std::to_string(live) + " 条";
}

std::string GroupsPage(const std::vector<GroupState>* groups, const RiddleCatalog& catalog,
                       std::string_view csrf) {
  if (groups == nullptr) {
    return ConsolePage(
        ConsoleSection::Groups, "群",
        "<p id=\"no-host-folder\">启动时用 --host-folder 指定机器人主程序所在的目录，"
        "这里就会列出每个群的进度和成员余额。</p>",
        csrf);
  }
  std::string body = "<p>共 " + std::to_string(groups->size()) + " 个群有进度文件。</p>";
  body +=
      "<div class=\"scroll\"><table id=\"groups\"><thead><tr><th>群</th><th>当前页面</th>"
      "<th>谜面</th><th>状态</th><th>在谜语链中的位置</th><th>操作</th></tr></thead><tbody>";
  for (const GroupState& group : *groups) {
    const std::string name = Shown(group.group);
    const Riddle* riddle = catalog.FindByPath(group.path);
    body += "<tr><td><a href=\"/console/groups/view?group=" + EscapeHtml(EscapeQuery(name)) +
            "\">" + EscapeHtml(name) + "</a></td>" + Cell(Shown(group.path)) +
            Cell(riddle ? Shown(riddle->question) : "") +
            Cell(group.riddleOpen ? "谜语未答" : "没有进行中的谜语") +
            Cell(PlaceInChain(catalog, group.path)) + "<td>" +
            (riddle ? "<a href=\"/console/riddles/new?after=" + std::to_string(riddle->id) +
                          "\">在它后面添加谜语</a>"
                    : std::string()) +
            "</td></tr>";
  }
  body += "</tbody></table></div>";
  return ConsolePage(ConsoleSection::Groups, "群", body, csrf);
}

std::string GroupPage(const GroupState& group, const std::vector<MemberBalance>& members,
                      const RiddleCatalog& catalog, std::string_view csrf) {
  const std::string name = Shown(group.group);
  std::string body = "<p>当前页面：" + EscapeHtml(Shown(group.path)) + "，" +
                     EscapeHtml(PlaceInChain(catalog, group.path)) + "，" +
                     (group.riddleOpen ? "谜语未答" : "没有进行中的谜语") + "。</p>";
  if (members.empty()) {
    body += "<p id=\"no-members\">签到数据里还没有这个群的成员余额。</p>";
  } else {
    std::vector<Bar> bars;
    for (std::size_t i = 0; i < members.size() && i < ChartedMembers; ++i) {
      bars.push_back({Shown(members[i].member), members[i].value});
    }
    body += "<div class=\"scroll\">" +
            HorizontalBarChart(bars, "余额前 " + std::to_string(bars.size()) + " 名") + "</div>";
    body +=
        "<div class=\"scroll\"><table id=\"members\"><thead><tr><th class=\"num\">名次</th>"
        "<th>成员</th><th class=\"num\">余额（人民币）</th></tr></thead><tbody>";
    int rank = 0;
    for (const MemberBalance& member : members) {
      body += "<tr><td class=\"num\">" + std::to_string(++rank) + "</td>" +
              Cell(Shown(member.member)) + Cell(Shown(member.text), "num") + "</tr>";
    }
    body += "</tbody></table></div>";
  }
  body += "<p><a href=\"/console/groups\">返回群列表</a></p>";
  return ConsolePage(ConsoleSection::Groups, "群 " + name, body, csrf);
}

std::string TrafficPage(const std::vector<TrafficEntry>& recent,
                        const std::vector<PathCount>& counts, const ModuleFetches& fetches,
                        std::string_view csrf) {
  std::string body = ModuleFetchLine(fetches);
  body +=
      "<h2>各路径的请求次数（自启动以来）</h2><div class=\"scroll\"><table id=\"path-counts\">"
      "<thead><tr><th>路径</th><th class=\"num\">次数</th></tr></thead><tbody>";
  for (const PathCount& count : counts) {
    body += "<tr>" + Cell(count.path) + Cell(std::to_string(count.count), "num") + "</tr>";
  }
  body += "</tbody></table></div>";
  body += "<h2>最近 " + std::to_string(recent.size()) +
          " 个请求</h2><div class=\"scroll\"><table id=\"requests\"><thead><tr><th>时间</th>"
          "<th>客户端</th><th>方法</th><th>路径</th><th class=\"num\">状态</th>"
          "<th class=\"num\">字节</th></tr></thead><tbody>";
  for (const TrafficEntry& entry : recent) {
    body += "<tr>" + Cell(When(entry.time)) + Cell(entry.client) + Cell(entry.method) +
            Cell(entry.path) + Cell(std::to_string(entry.status), "num") +
            Cell(std::to_string(entry.bytes), "num") + "</tr>";
  }
  body += "</tbody></table></div>";
  return ConsolePage(ConsoleSection::Traffic, "访问记录", body, csrf);
}

std::string LoginPage(const std::optional<std::string>& problem) {
  std::string body = problem ? ProblemBox(*problem) : "";
  body +=
      "<form method=\"post\" action=\"/console/login\" id=\"login-form\">"
      "<label>控制台密码<br><input type=\"password\" name=\"password\" id=\"password\" "
      "autocomplete=\"current-password\" autofocus></label>"
      "<p><button type=\"submit\" id=\"login\">登录</button></p></form>";
  return ConsolePage(ConsoleSection::Login, "登录", body, "");
}

std::string ConsoleOffPage() {
  return ConsolePage(
      ConsoleSection::Login, "控制台未开启",
      "<p>本站在本机以外的地址上提供服务，而启动时没有设置控制台密码，所以控制台关闭。"
      "用 --console-password 或 --console-password-file 启动即可开启。</p>",
      "");
}

}  // namespace riddle_site
