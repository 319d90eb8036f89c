#include "riddles/riddle_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "riddles/settings_round_trip.h"
#include "runtime/gbk_utf8.h"

namespace riddle_site {
namespace {

// Literals in this file are GBK; the reasons are UTF-8, for an operator.
std::string Utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

Reason Because(const char8_t* english, const char8_t* chinese) {
  return {Utf8(english), Utf8(chinese)};
}

// A riddle's text as the reasons name it.
struct TextName {
  const char8_t* english;
  const char8_t* chinese;
};
constexpr TextName QuestionName{u8"the question", u8"谜面"};
constexpr TextName AnswerName{u8"the answer", u8"谜底"};
constexpr TextName KindName{u8"the kind", u8"类别"};

// The reason "<name><what>", e.g. "the answer holds a NUL byte".
Reason About(const TextName& name, const char8_t* english, const char8_t* chinese) {
  return {Utf8(name.english) + Utf8(english), Utf8(name.chinese) + Utf8(chinese)};
}

// The texts that the module cuts a page at. A riddle holding one would
// break the cut of its own page: the question or answer would end early,
// or the next page's link be taken from the riddle.
struct PageMarker {
  std::string_view gbk;
  const char8_t* shown;
};
constexpr PageMarker PageMarkers[] = {
    {"<h3>", u8"<h3>"},
    {"</h3>", u8"</h3>"},
    {"下一篇：<a href='", u8"下一篇：<a href='"},
    {"'>", u8"'>"},
};

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Blanks = " \t";

struct Record {
  std::vector<std::string> fields;  // UTF-8, untrimmed
  std::optional<Reason> problem;
};

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(Blanks);
  if (first == text.npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

Record SplitTsv(std::string_view line) {
  Record record;
  std::size_t begin = 0;
  while (true) {
    const std::size_t tab = line.find('\t', begin);
    record.fields.emplace_back(line.substr(begin, tab == line.npos ? line.npos : tab - begin));
    if (tab == line.npos) {
      return record;
    }
    begin = tab + 1;
  }
}

// A quoted CSV text, from its opening quote at line[at]; at ends after the
// closing quote. False when the line ends first: the text would go on into
// the next line.
bool ReadQuoted(std::string_view line, std::size_t& at, std::string& text) {
  for (++at; at < line.size(); ++at) {
    if (line[at] != '"') {
      text += line[at];
    } else if (at + 1 < line.size() && line[at + 1] == '"') {
      text += '"';
      ++at;
    } else {
      ++at;
      return true;
    }
  }
  return false;
}

Record SplitCsv(std::string_view line) {
  Record record;
  std::size_t at = 0;
  while (true) {
    std::string field;
    const std::size_t start = std::min(line.find_first_not_of(Blanks, at), line.size());
    if (start < line.size() && line[start] == '"') {
      at = start;
      if (!ReadQuoted(line, at, field)) {
        record.problem = Because(
            u8"a quoted text runs on past the end of the line (a line break "
            u8"inside a text)",
            u8"引号里的文字到行尾还没有结束（文字里有换行）");
        return record;
      }
      at = std::min(line.find_first_not_of(Blanks, at), line.size());
      if (at < line.size() && line[at] != ',') {
        record.problem = Because(u8"text after the closing quote of a quoted text",
                                 u8"引号里的文字结束后还有别的文字");
        return record;
      }
    } else {
      const std::size_t comma = std::min(line.find(',', at), line.size());
      field = line.substr(at, comma - at);
      at = comma;
    }
    record.fields.push_back(std::move(field));
    if (at >= line.size()) {
      return record;
    }
    ++at;  // past the comma
  }
}

// Whether GBK text holds needle, searched character by character as the
// module searches, so that a match across two characters does not count.
bool ContainsGbk(std::string_view text, std::string_view needle) {
  for (std::size_t i = 0; i + needle.size() <= text.size();) {
    if (text.compare(i, needle.size(), needle) == 0) {
      return true;
    }
    i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
  }
  return false;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

enum class Header { None, Plain, WithIds };

Header HeaderOf(const Record& record) {
  if (record.fields.empty()) {
    return Header::None;
  }
  const std::string first = LowerAscii(Trim(record.fields[0]));
  if (first == "id" || first == Utf8(u8"编号")) {
    return Header::WithIds;
  }
  return first == "question" || first == Utf8(u8"谜面") ? Header::Plain : Header::None;
}

constexpr std::string_view DeletedMark = "deleted";

// The id column of a line: "<id>", "<id> deleted", or empty for a riddle
// that gets the next free id.
std::optional<int> ReadIdCell(std::string_view cell, bool& deleted, Reason& problem) {
  cell = Trim(cell);
  if (cell.empty()) {
    return std::nullopt;
  }
  const std::size_t digitsEnd = std::min(cell.find_first_not_of("0123456789"), cell.size());
  const std::string_view digits = cell.substr(0, digitsEnd);
  const std::string rest = LowerAscii(Trim(cell.substr(digitsEnd)));
  deleted = rest == DeletedMark;
  if (digits.empty() || digits.starts_with('0') || digits.size() > 9 ||
      (!rest.empty() && !deleted)) {
    problem = {Utf8(u8"the id \"") + std::string(cell) +
                   Utf8(u8"\" is not a page number (1 to 999999999, no leading zero), "
                        u8"optionally followed by \"deleted\""),
               Utf8(u8"编号“") + std::string(cell) +
                   Utf8(u8"”不是页码（1 到 999999999，不以 0 开头），后面只能跟“deleted”")};
    return std::nullopt;
  }
  return std::stoi(std::string(digits));
}

// One text of a riddle in GBK, or the reason why it cannot be one.
std::optional<std::string> GbkText(std::string_view utf8, const TextName& name, Reason& problem) {
  if (utf8.find_first_of("\r\n") != utf8.npos) {
    problem = About(name, u8" holds a line break", u8"里有换行");
    return std::nullopt;
  }
  // The module reads a page only as far as its first NUL byte: one in a
  // question would cut off the answer and the link to the next page.
  if (utf8.find('\0') != utf8.npos) {
    problem = About(name, u8" holds a NUL byte", u8"里有 NUL 字节");
    return std::nullopt;
  }
  std::optional<std::string> gbk = zorvane::Utf8ToGbk(utf8);
  if (!gbk) {
    problem = About(name, u8" is not valid UTF-8 or holds a character that GBK lacks",
                    u8"不是有效的 UTF-8，或者有 GBK 里没有的字符");
  }
  return gbk;
}

// The riddle of a record, or the reason why the game could not play it.
std::optional<RiddleText> CheckRiddle(const Record& record, Reason& problem) {
  if (record.fields.size() < 2 || record.fields.size() > 3) {
    const std::string found = std::to_string(record.fields.size());
    problem = {Utf8(u8"expected 2 or 3 texts (question, answer, kind), found ") + found,
               Utf8(u8"应有 2 或 3 项（谜面、谜底、类别），这里有 ") + found + Utf8(u8" 项")};
    return std::nullopt;
  }
  const std::string_view question = Trim(record.fields[0]);
  const std::string_view answer = Trim(record.fields[1]);
  const std::string_view kind = record.fields.size() == 3 ? Trim(record.fields[2]) : "";
  if (question.empty()) {
    problem = About(QuestionName, u8" is empty", u8"是空的");
    return std::nullopt;
  }
  if (answer.empty()) {
    problem = About(AnswerName, u8" is empty", u8"是空的");
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
    riddle.question += "（" + *gbkKind + "）";
  }
  for (const PageMarker& marker : PageMarkers) {
    for (const auto& [text, name] :
         {std::pair{&riddle.question, QuestionName}, std::pair{&riddle.answer, AnswerName}}) {
      if (ContainsGbk(*text, marker.gbk)) {
        problem = {Utf8(name.english) + Utf8(u8" holds \"") + Utf8(marker.shown) +
                       Utf8(u8"\", at which the module cuts the riddle's page"),
                   Utf8(name.chinese) + Utf8(u8"里有“") + Utf8(marker.shown) +
                       Utf8(u8"”，模块在这里截断谜语页面")};
        return std::nullopt;
      }
    }
  }
  // The module takes the page's first "<h3>谜底：" for the answer's heading,
  // and the question's heading comes first.
  if (ContainsGbk(riddle.question, "谜底：")) {
    problem = Because(u8"the question holds \"谜底：\", where the module takes the answer to start",
                      u8"谜面里有“谜底：”，模块从这里开始取谜底");
    return std::nullopt;
  }
  switch (SettingsRoundTrip(riddle.answer)) {
    case RoundTrip::Same:
      break;
    case RoundTrip::Changed:
      problem = Because(
          u8"the answer does not read back as written from a settings file, where the module "
          u8"keeps it: no guess could win",
          u8"谜底写进设置文件（模块存谜底的地方）后读回来就变了：谁也猜不中");
      return std::nullopt;
    case RoundTrip::Unchecked:
      problem = Because(
          u8"the answer could not be checked: no settings file could be written in "
          u8"the temporary folder",
          u8"无法检查谜底：临时文件夹里写不了设置文件");
      return std::nullopt;
  }
  if (ContainsGbk(riddle.question, riddle.answer)) {
    problem = Because(u8"the answer stands in its own question: copying the question would win",
                      u8"谜底就在谜面里：照抄谜面就能猜中");
    return std::nullopt;
  }
  return riddle;
}

}  // namespace

LoadedRiddles ParseRiddles(std::string_view content, RiddleFileFormat format) {
  LoadedRiddles loaded;
  if (content.starts_with(Utf8Bom)) {
    content.remove_prefix(Utf8Bom.size());
  }
  bool firstRecord = true;
  std::set<int> seenIds;
  int lineNumber = 0;
  for (std::size_t begin = 0; begin < content.size();) {
    const std::size_t end = std::min(content.find('\n', begin), content.size());
    std::string_view line = content.substr(begin, end - begin);
    begin = end + 1;
    ++lineNumber;
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.starts_with('#')) {
      continue;
    }
    Record record = format == RiddleFileFormat::Csv ? SplitCsv(line) : SplitTsv(line);
    if (std::exchange(firstRecord, false) && !record.problem) {
      const Header header = HeaderOf(record);
      loaded.hasIds = header == Header::WithIds;
      if (header != Header::None) {
        continue;
      }
    }
    Reason problem = record.problem.value_or(Reason());
    RiddleEntry entry;
    if (problem.empty() && loaded.hasIds) {
      entry.id = ReadIdCell(record.fields[0], entry.deleted, problem);
      record.fields.erase(record.fields.begin());
      if (entry.id && !seenIds.insert(*entry.id).second) {
        const std::string id = std::to_string(*entry.id);
        problem = {Utf8(u8"the id ") + id + Utf8(u8" is given to an earlier riddle too"),
                   Utf8(u8"编号 ") + id + Utf8(u8" 前面已经有谜语用了")};
      }
    }
    std::optional<RiddleText> riddle;
    if (problem.empty()) {
      riddle = CheckRiddle(record, problem);
    }
    if (!riddle) {
      // Reading goes on, so that an operator sees every bad line at once.
      loaded.problems.push_back({lineNumber, problem});
      if (!loaded.problem) {
        loaded.problem = loaded.problems.front();
      }
      continue;
    }
    entry.question = Trim(record.fields[0]);
    entry.answer = Trim(record.fields[1]);
    entry.kind = record.fields.size() == 3 ? Trim(record.fields[2]) : "";
    loaded.riddles.push_back(std::move(*riddle));
    loaded.entries.push_back(std::move(entry));
  }
  return loaded;
}

std::optional<RiddleText> CheckRiddleTexts(std::string_view question, std::string_view answer,
                                           std::string_view kind, Reason& problem) {
  Record record;
  record.fields = {std::string(question), std::string(answer), std::string(kind)};
  return CheckRiddle(record, problem);
}

int NextFreeId(const std::vector<RiddleEntry>& entries) {
  int largest = FirstRiddleId - 1;
  for (const RiddleEntry& entry : entries) {
    largest = std::max(largest, entry.id.value_or(0));
  }
  return largest + 1;
}

RiddleCatalog CatalogOf(const LoadedRiddles& loaded) {
  std::vector<Riddle> riddles;
  for (std::size_t i = 0; i < loaded.entries.size() && i < loaded.riddles.size(); ++i) {
    const RiddleEntry& entry = loaded.entries[i];
    riddles.push_back({entry.id.value_or(0), loaded.riddles[i].question, loaded.riddles[i].answer,
                       entry.deleted});
  }
  return RiddleCatalog(std::move(riddles));
}

RiddleFileFormat FormatOfPath(std::string_view path) {
  return LowerAscii(path).ends_with(".csv") ? RiddleFileFormat::Csv : RiddleFileFormat::Tsv;
}

std::string WriteRiddleFile(const std::vector<RiddleEntry>& entries, RiddleFileFormat format) {
  const char separator = format == RiddleFileFormat::Csv ? ',' : '\t';
  // Every text is one the loader accepted, so none holds a line break or,
  // in TSV, a tab; in CSV a text with a comma or a quote is quoted.
  auto cell = [&](std::string_view text) {
    if (format == RiddleFileFormat::Tsv || text.find_first_of(",\"") == text.npos) {
      return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
      quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
  };
  std::string content = Utf8(
      u8"# 谜语：编号、谜面、谜底、类别（UTF-8）。编号后写 deleted 的谜语已删除，"
      u8"只为停在它上面的群保留页面。\n");
  for (const std::string_view name : {"id", "question", "answer", "kind"}) {
    content += name;
    content += name == "kind" ? '\n' : separator;
  }
  for (const RiddleEntry& entry : entries) {
    content += std::to_string(entry.id.value_or(0));
    if (entry.deleted) {
      content += ' ';
      content += DeletedMark;
    }
    for (const std::string* text : {&entry.question, &entry.answer, &entry.kind}) {
      content += separator + cell(*text);
    }
    content += '\n';
  }
  return content;
}

LoadedRiddles LoadRiddleFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    LoadedRiddles unread;
    const std::string error = std::strerror(errno);
    unread.problem =
        RiddleFileProblem{0, {Utf8(u8"cannot be read: ") + error, Utf8(u8"读不了：") + error}};
    unread.problems = {*unread.problem};
    return unread;
  }
  std::ostringstream content;
  content << file.rdbuf();
  LoadedRiddles loaded = ParseRiddles(content.str(), FormatOfPath(path));
  int nextId = loaded.hasIds ? NextFreeId(loaded.entries) : FirstRiddleId;
  for (RiddleEntry& entry : loaded.entries) {
    if (!entry.id) {
      entry.id = nextId++;
    }
  }
  if (!loaded.problem && loaded.riddles.empty()) {
    loaded.problem = RiddleFileProblem{0, Because(u8"holds no riddles", u8"没有谜语")};
    loaded.problems = {*loaded.problem};
  }
  return loaded;
}

std::string DescribeProblem(const std::string& path, const RiddleFileProblem& problem) {
  if (problem.line == 0) {
    return path + ": " + problem.reason.english;
  }
  return path + ":" + std::to_string(problem.line) + ": " + problem.reason.english;
}

}  // namespace riddle_site
