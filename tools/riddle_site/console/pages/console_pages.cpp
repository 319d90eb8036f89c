#include "console/pages/console_pages.h"

#include <chrono>

#include "console/pages/console_html.h"
#include "console/pages/local_time.h"
#include "console/pages/svg_chart.h"
#include "riddles/riddle_encoding.h"
#include "runtime/gbk_utf8.h"

namespace riddle_site {
namespace {

std::string When(const std::chrono::system_clock::time_point& time) {
  return LocalTimeText(std::chrono::system_clock::to_time_t(time));
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
    body += "<tr>" + NameCell(name, "/console/groups/view?group=" + EscapeQuery(name)) +
            Cell(Shown(group.path), "name") + Cell(riddle ? Shown(riddle->question) : "", "text") +
            Cell(group.riddleOpen ? "谜语未答" : "没有进行中的谜语", "name") +
            Cell(PlaceInChain(catalog, group.path), "name") + "<td class=\"name\">" +
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
              NameCell(Shown(member.member)) + Cell(Shown(member.text), "num") + "</tr>";
    }
    body += "</tbody></table></div>";
  }
  body += "<p><a href=\"/console/groups\">返回群列表</a></p>";
  return ConsolePage(ConsoleSection::Groups, "群 " + Shortened(name, ShownNameCharacters * 2), body,
                     csrf);
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

std::string LoginPage(const std::optional<std::string>& problem, std::string_view token) {
  std::string body = problem ? ProblemBox(*problem) : "";
  body += "<form method=\"post\" action=\"/console/login\" id=\"login-form\">" + CsrfField(token) +
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
