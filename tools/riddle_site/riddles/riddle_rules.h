// The rules a riddle must keep for the game to play it as written: texts in
// one line, without a NUL byte, in GBK, holding none of the texts that the
// module cuts a page at, with an answer that reads back from the settings
// file where the module keeps it and that does not stand in its question.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace riddle_site {

// Why a riddle or a file is refused (UTF-8): in English for the site's
// terminal, in Chinese for the console's pages.
struct Reason {
  std::string english;
  std::string chinese;

  bool empty() const { return english.empty(); }
};

// One riddle as the game shows it (GBK).
struct RiddleText {
  std::string question;  // with its kind, as shown: "十个哥哥（打一字）"
  std::string answer;
};

// text without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// The riddle that the game would be given for these texts (UTF-8; blanks
// around each are dropped, and the kind may be empty), or nullopt with the
// reason in problem.
std::optional<RiddleText> CheckRiddleTexts(std::string_view question, std::string_view answer,
                                           std::string_view kind, Reason& problem);

}  // namespace riddle_site
