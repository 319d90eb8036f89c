#include "riddles/riddle_rules.h"

#include <utility>

#include "game/contract.h"
#include "runtime/gbk_utf8.h"
#include "runtime/settings/setting_after_write.h"

namespace riddle_site {
namespace {

// A riddle's text as the reasons name it.
struct TextName {
  std::string_view english;
  std::string_view chinese;
};
constexpr TextName QuestionName{"the question", "谜面"};
constexpr TextName AnswerName{"the answer", "谜底"};
constexpr TextName KindName{"the kind", "类别"};

// The reason "<name><what>", e.g. "the answer holds a NUL byte".
Reason About(const TextName& name, std::string_view english, std::string_view chinese) {
  return {std::string(name.english) + std::string(english),
          std::string(name.chinese) + std::string(chinese)};
}

// Whether GBK text holds needle, searched character by character as the
// module searches, so that a match across two characters does not count.
bool Holds(std::string_view text, std::string_view needle) {
  return zorvane::FindText(text, needle) != -1;
}

// One text of a riddle in GBK, or the reason why it cannot be one.
std::optional<std::string> GbkText(std::string_view utf8, const TextName& name, Reason& problem) {
  if (utf8.find_first_of("\r\n") != utf8.npos) {
    problem = About(name, " holds a line break", "里有换行");
    return std::nullopt;
  }
  // The module reads a page only as far as its first NUL byte: one in a
  // question would cut off the answer and the link to the next page.
  if (utf8.find('\0') != utf8.npos) {
    problem = About(name, " holds a NUL byte", "里有 NUL 字节");
    return std::nullopt;
  }
  std::optional<std::string> gbk = zorvane::Utf8ToGbk(utf8);
  if (!gbk) {
    problem = About(name, " is not valid UTF-8 or holds a character that GBK lacks",
                    "不是有效的 UTF-8，或者有 GBK 里没有的字符");
  }
  return gbk;
}

// A text that the module cuts a riddle's page at, in the question or the
// answer, or nullopt. Such a text would end the question or the answer
// early, or the next page's link would be taken from the riddle. The
// answer's heading starts with the question's, so the question's marks
// both.
std::optional<Reason> MarkerIn(const RiddleText& riddle) {
  for (const std::string_view marker : {zorvane::QuestionStart, zorvane::QuestionEnd,
                                        zorvane::NextPathStart, zorvane::NextPathEnd}) {
    for (const auto& [text, name] :
         {std::pair{&riddle.question, QuestionName}, std::pair{&riddle.answer, AnswerName}}) {
      if (Holds(*text, marker)) {
        const std::string shown = zorvane::GbkToUtf8Lenient(marker);
        return Reason{std::string(name.english) + " holds \"" + shown +
                          "\", at which the module cuts the riddle's page",
                      std::string(name.chinese) + "里有“" + shown + "”，模块在这里截断谜语页面"};
      }
    }
  }
  // The module takes the page's first answer heading for the answer's, and
  // the question's heading comes first.
  if (Holds(riddle.question, zorvane::AnswerLabel)) {
    const std::string shown = zorvane::GbkToUtf8Lenient(zorvane::AnswerLabel);
    return Reason{
        "the question holds \"" + shown + "\", where the module takes the answer to start",
        "谜面里有“" + shown + "”，模块从这里开始取谜底"};
  }
  return std::nullopt;
}

// Why the answer could not be won from the state file, or nullopt: the
// module keeps a riddle's answer there and judges every guess against what
// it reads back, so an answer that reads back otherwise (quotes taken off,
// blanks trimmed) can never be won.
std::optional<Reason> AnswerReadBackProblem(std::string_view gbkAnswer) {
  const std::optional<zorvane::Text> readBack =
      zorvane::SettingAfterWrite(zorvane::StateSection, zorvane::AnswerKey, gbkAnswer);
  if (readBack && *readBack == gbkAnswer) {
    return std::nullopt;
  }
  return Reason{
      "the answer does not read back as written from a settings file, where the module "
      "keeps it: no guess could win",
      "谜底写进设置文件（模块存谜底的地方）后读回来就变了：谁也猜不中"};
}

// The brackets around a kind that follows a question, in GBK.
struct KindBrackets {
  std::string open = zorvane::Utf8ToGbkLenient("（");
  std::string close = zorvane::Utf8ToGbkLenient("）");
};

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view Blanks = " \t";
  const std::size_t first = text.find_first_not_of(Blanks);
  if (first == text.npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::optional<RiddleText> CheckRiddleTexts(std::string_view question, std::string_view answer,
                                           std::string_view kind, Reason& problem) {
  question = TrimBlanks(question);
  answer = TrimBlanks(answer);
  kind = TrimBlanks(kind);
  if (question.empty()) {
    problem = About(QuestionName, " is empty", "是空的");
    return std::nullopt;
  }
  if (answer.empty()) {
    problem = About(AnswerName, " is empty", "是空的");
    return std::nullopt;
  }
  const std::optional<std::string> gbkQuestion = GbkText(question, QuestionName, problem);
  const std::optional<std::string> gbkAnswer =
      gbkQuestion ? GbkText(answer, AnswerName, problem) : std::nullopt;
  const std::optional<std::string> gbkKind =
      gbkAnswer ? GbkText(kind, KindName, problem) : std::nullopt;
  if (!gbkKind) {
    return std::nullopt;
  }
  RiddleText riddle{*gbkQuestion, *gbkAnswer};
  if (!gbkKind->empty()) {
    static const KindBrackets brackets;
    riddle.question += brackets.open + *gbkKind + brackets.close;
  }
  std::optional<Reason> refused = MarkerIn(riddle);
  if (!refused) {
    refused = AnswerReadBackProblem(riddle.answer);
  }
  if (!refused && Holds(riddle.question, riddle.answer)) {
    refused = Reason{"the answer stands in its own question: copying the question would win",
                     "谜底就在谜面里：照抄谜面就能猜中"};
  }
  if (refused) {
    problem = std::move(*refused);
    return std::nullopt;
  }
  return riddle;
}

}  // namespace riddle_site
