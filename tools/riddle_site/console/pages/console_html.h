// The pieces that the console's pages are made of (UTF-8 HTML).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "site/html_escape.h"

namespace riddle_site {

// text as a URL query value (percent-encoded UTF-8).
std::string EscapeQuery(std::string_view text);

// Which page of the console a page is, for the navigation bar.
enum class ConsoleSection { Home, Riddles, Groups, Traffic, Login };

// A whole page: head, navigation (without it on the login page), title and
// body. csrfToken, when not empty, goes into the logout form.
std::string ConsolePage(ConsoleSection section, std::string_view title, std::string_view body,
                        std::string_view csrfToken);

// A hidden field carrying the session's token; every form that changes
// something holds one.
std::string CsrfField(std::string_view csrfToken);

// How much of a long name (a group's, a member's) a table shows.
inline constexpr std::size_t ShownNameCharacters = 12;

// A table cell holding a name on one line, shortened when it is long, the
// whole name shown on hover; a link when link is not empty.
std::string NameCell(std::string_view name, std::string_view link = "");

// A table cell holding text, of a class when one is given.
std::string Cell(std::string_view text, std::string_view cssClass = "");

// A message box: a problem (class "problem", id "problem") or a notice.
std::string ProblemBox(std::string_view text);
std::string NoticeBox(std::string_view text);

}  // namespace riddle_site
