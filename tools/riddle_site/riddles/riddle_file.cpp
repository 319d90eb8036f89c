#include "riddles/riddle_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "game/contract.h"
#include "riddles/riddle_rules.h"

namespace riddle_site {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Blanks = " \t";

struct Record {
  std::vector<std::string> fields;  // UTF-8, untrimmed
  std::optional<Reason> problem;
};

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
        record.problem = Reason{
            "a quoted text runs on past the end of the line (a line break "
            "inside a text)",
            "引号里的文字到行尾还没有结束（文字里有换行）"};
        return record;
      }
      at = std::min(line.find_first_not_of(Blanks, at), line.size());
      if (at < line.size() && line[at] != ',') {
        record.problem = Reason{"text after the closing quote of a quoted text",
                                "引号里的文字结束后还有别的文字"};
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
  const std::string first = LowerAscii(TrimBlanks(record.fields[0]));
  if (first == "id" || first == "编号") {
    return Header::WithIds;
  }
  return first == "question" || first == "谜面" ? Header::Plain : Header::None;
}

constexpr std::string_view DeletedMark = "deleted";

// The id column of a line: "<id>", "<id> deleted", or empty for a riddle
// that gets the next free id.
std::optional<int> ReadIdCell(std::string_view cell, bool& deleted, Reason& problem) {
  cell = TrimBlanks(cell);
  if (cell.empty()) {
    return std::nullopt;
  }
  const std::size_t digitsEnd = std::min(cell.find_first_not_of("0123456789"), cell.size());
  const std::string_view digits = cell.substr(0, digitsEnd);
  const std::string rest = LowerAscii(TrimBlanks(cell.substr(digitsEnd)));
  deleted = rest == DeletedMark;
  // More digits than the largest id has cannot be one, nor fit a number.
  const bool tooLong = digits.size() > std::to_string(MaxRiddleId).size();
  if (digits.empty() || digits.starts_with('0') || tooLong ||
      std::stoi(std::string(digits)) > MaxRiddleId || (!rest.empty() && !deleted)) {
    const std::string largest = std::to_string(MaxRiddleId);
    problem = {"the id \"" + std::string(cell) + "\" is not a page number (1 to " + largest +
                   ", no leading zero), optionally followed by \"deleted\"",
               "编号“" + std::string(cell) + "”不是页码（1 到 " + largest +
                   "，不以 0 开头），后面只能跟“deleted”"};
    return std::nullopt;
  }
  return std::stoi(std::string(digits));
}

// The riddle of a record, or the reason why the game could not play it.
std::optional<RiddleText> CheckRecord(const Record& record, Reason& problem) {
  if (record.fields.size() < 2 || record.fields.size() > 3) {
    const std::string found = std::to_string(record.fields.size());
    problem = {"expected 2 or 3 texts (question, answer, kind), found " + found,
               "应有 2 或 3 项（谜面、谜底、类别），这里有 " + found + " 项"};
    return std::nullopt;
  }
  return CheckRiddleTexts(record.fields[0], record.fields[1],
                          record.fields.size() == 3 ? record.fields[2] : "", problem);
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
    const std::string_view trimmed = TrimBlanks(line);
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
        problem = {"the id " + id + " is given to an earlier riddle too",
                   "编号 " + id + " 前面已经有谜语用了"};
      }
    }
    std::optional<RiddleText> riddle;
    if (problem.empty()) {
      riddle = CheckRecord(record, problem);
    }
    if (!riddle) {
      // Reading goes on, so that an operator sees the bad lines at once.
      if (loaded.problemCount++ < KeptProblems) {
        loaded.problems.push_back({lineNumber, problem});
      }
      continue;
    }
    entry.question = TrimBlanks(record.fields[0]);
    entry.answer = TrimBlanks(record.fields[1]);
    entry.kind = record.fields.size() == 3 ? TrimBlanks(record.fields[2]) : "";
    loaded.riddles.push_back(std::move(*riddle));
    loaded.entries.push_back(std::move(entry));
  }
  return loaded;
}

FreeIds::FreeIds(const std::vector<RiddleEntry>& entries)
    : next_(zorvane::FirstRiddleId), lowest_(zorvane::FirstRiddleId) {
  used_.reserve(entries.size());
  for (const RiddleEntry& entry : entries) {
    if (entry.id) {
      Use(*entry.id);
    }
  }
}

void FreeIds::Use(int id) {
  used_.insert(id);
  if (id >= next_ && id < MaxRiddleId) {
    next_ = id + 1;
  } else if (id >= MaxRiddleId) {
    next_ = MaxRiddleId + 1;  // past the bound: the gaps are left
  }
}

int FreeIds::Take() {
  int id = next_;
  if (id > MaxRiddleId) {
    while (lowest_ <= MaxRiddleId && used_.contains(lowest_)) {
      ++lowest_;
    }
    if (lowest_ > MaxRiddleId) {
      return 0;
    }
    id = lowest_;
  }
  Use(id);
  return id;
}

int NextFreeId(const std::vector<RiddleEntry>& entries) {
  return FreeIds(entries).Take();
}

LoadedRiddles ParseRiddleBytes(std::string_view bytes, RiddleFileFormat format) {
  const DecodedText decoded = DecodeRiddleText(bytes);
  LoadedRiddles loaded = ParseRiddles(decoded.utf8, format);
  loaded.encoding = decoded.encoding;
  return loaded;
}

RiddleCatalog CatalogOf(const std::vector<RiddleEntry>& entries,
                        const std::vector<RiddleText>& texts) {
  std::vector<Riddle> riddles;
  riddles.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size() && i < texts.size(); ++i) {
    const RiddleEntry& entry = entries[i];
    riddles.push_back({entry.id.value_or(0), texts[i].question, texts[i].answer, entry.deleted});
  }
  return RiddleCatalog(std::move(riddles));
}

RiddleCatalog CatalogOf(const LoadedRiddles& loaded) {
  return CatalogOf(loaded.entries, loaded.riddles);
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
  std::string content =
      "# 谜语：编号、谜面、谜底、类别（UTF-8）。编号后写 deleted 的谜语已删除，"
      "只为停在它上面的群保留页面。\n";
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
    unread.problems = {{0, {"cannot be read: " + error, "读不了：" + error}}};
    unread.problemCount = 1;
    return unread;
  }
  std::ostringstream content;
  content << file.rdbuf();
  LoadedRiddles loaded = ParseRiddleBytes(content.str(), FormatOfPath(path));
  if (!loaded.hasIds) {
    // Numbered in file order.
    int id = zorvane::FirstRiddleId;
    for (RiddleEntry& entry : loaded.entries) {
      entry.id = id++;
    }
  }
  FreeIds free(loaded.entries);
  for (RiddleEntry& entry : loaded.entries) {
    if (!entry.id) {
      entry.id = free.Take();
    }
  }
  if (loaded.problems.empty() && loaded.riddles.empty()) {
    loaded.problems = {{0, {"holds no riddles", "没有谜语"}}};
    loaded.problemCount = 1;
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
