#include "console/pages/console_html.h"

#include <cctype>

#include "riddles/riddle_encoding.h"

namespace riddle_site {
namespace {

// Everything the pages need, in the page itself: no file to fetch, nothing
// from elsewhere. Tables scroll sideways on a narrow window rather than
// squeeze a column below its heading (Chinese text may break after any
// character); names and paths keep to one line.
constexpr std::string_view Style = R"(
body{font-family:sans-serif;margin:0;color:#222;background:#fafafa}
header{background:#8e2b22;color:#fff;padding:.5em 1em;display:flex;flex-wrap:wrap;gap:.3em 1.2em;align-items:center}
header a,header button{color:#fff;text-decoration:none;font-size:1em}
header a.here{font-weight:bold;border-bottom:2px solid #fff}
header form{margin:0 0 0 auto}
header button{background:none;border:1px solid #fff;border-radius:3px;cursor:pointer}
main{padding:1em;max-width:1200px;margin:auto}
.scroll{overflow-x:auto}
table{border-collapse:collapse;margin:.5em 0;background:#fff}
th,td{border:1px solid #ccc;padding:.3em .5em;text-align:left;vertical-align:top}
th,td.name,td.num{white-space:nowrap}
td.text{min-width:9em}
td.num,th.num{text-align:right}
input[type=text],input[type=password],input[type=search]{padding:.3em;max-width:100%;box-sizing:border-box}
form.inline{display:inline;margin:0}
.problem{background:#fdecea;border:1px solid #c0392b;padding:.5em;white-space:pre-wrap}
.notice{background:#eaf7ea;border:1px solid #2e7d32;padding:.5em}
.counts span{display:inline-block;margin:0 .8em .3em 0}
fieldset{margin:.5em 0;border:1px solid #ccc}
label{display:block;margin:.3em 0}
@media (max-width:600px){main{padding:.5em}th,td{padding:.2em .3em}}
)";

struct NavLink {
  ConsoleSection section;
  std::string_view path;
  std::string_view name;
};
constexpr NavLink NavLinks[] = {
    {ConsoleSection::Home, "/console/", "首页"},
    {ConsoleSection::Riddles, "/console/riddles", "谜语"},
    {ConsoleSection::Groups, "/console/groups", "群"},
    {ConsoleSection::Traffic, "/console/traffic", "访问记录"},
};

}  // namespace

std::string EscapeQuery(std::string_view text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 && byte < 0x80) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += Hex[byte >> 4];
      escaped += Hex[byte & 0xF];
    }
  }
  return escaped;
}

std::string NameCell(std::string_view name, std::string_view link) {
  const std::string shown = EscapeHtml(Shortened(name, ShownNameCharacters));
  std::string cell = "<td class=\"name\" title=\"" + EscapeHtml(name) + "\">";
  cell += link.empty() ? shown : "<a href=\"" + EscapeHtml(link) + "\">" + shown + "</a>";
  return cell + "</td>";
}

std::string Cell(std::string_view text, std::string_view cssClass) {
  std::string cell = cssClass.empty() ? "<td>" : "<td class=\"" + std::string(cssClass) + "\">";
  return cell + EscapeHtml(text) + "</td>";
}

std::string CsrfField(std::string_view csrfToken) {
  return "<input type=\"hidden\" name=\"csrf\" value=\"" + EscapeHtml(csrfToken) + "\">";
}

std::string ProblemBox(std::string_view text) {
  return "<p class=\"problem\" id=\"problem\" role=\"alert\">" + EscapeHtml(text) + "</p>";
}

std::string NoticeBox(std::string_view text) {
  return "<p class=\"notice\" id=\"notice\">" + EscapeHtml(text) + "</p>";
}

std::string ConsolePage(ConsoleSection section, std::string_view title, std::string_view body,
                        std::string_view csrfToken) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  page += EscapeHtml(title);
  page += " - 谜语站控制台</title>\n<style>";
  page += Style;
  page += "</style>\n</head>\n<body>\n<header>";
  if (section != ConsoleSection::Login) {
    page += "<nav id=\"nav\">";
    for (const NavLink& link : NavLinks) {
      page += "<a href=\"" + std::string(link.path) + "\"";
      page += link.section == section ? " class=\"here\">" : ">";
      page += std::string(link.name) + "</a> ";
    }
    page += "</nav>";
    if (!csrfToken.empty()) {
      page += "<form method=\"post\" action=\"/console/logout\" id=\"logout-form\">" +
              CsrfField(csrfToken) + "<button type=\"submit\">退出</button></form>";
    }
  } else {
    page += "<span>谜语站控制台</span>";
  }
  page += "</header>\n<main>\n<h1>";
  page += EscapeHtml(title);
  page += "</h1>\n";
  page += body;
  page += "\n</main>\n</body>\n</html>\n";
  return page;
}

}  // namespace riddle_site
