#include "runtime/settings/ini_document.h"

#include <algorithm>

#include "runtime/settings/settings_search.h"

namespace zorvane::ini {
namespace {

TextView TrimLeadingBlanks(TextView t) {
  std::size_t i = 0;
  while (i < t.size() && IsBlank(t[i])) {
    ++i;
  }
  return t.substr(i);
}

bool StartsTwoByteCharacter(char byte, Encoding encoding) {
  return encoding == Encoding::Gbk && IsGbkLeadByte(byte);
}

bool IsLineBreak(char byte) {
  return byte == '\r' || byte == '\n';
}

// One line of the file as byte offsets: [begin, textEnd) is its text,
// [textEnd, end) its line break ("\r\n", "\n", "\r" or nothing on the last line).
struct Line {
  std::size_t begin = 0;
  std::size_t textEnd = 0;
  std::size_t end = 0;

  bool HasLineBreak() const { return end != textEnd; }
};

Line LineAt(TextView content, std::size_t begin) {
  std::size_t at = begin;
  while (at < content.size() && !IsLineBreak(content[at])) {
    ++at;
  }
  if (at == content.size()) {
    return {begin, at, at};
  }
  const bool crlf = content[at] == '\r' && at + 1 < content.size() && content[at + 1] == '\n';
  return {begin, at, at + (crlf ? 2 : 1)};
}

// The first byte of the line that holds position at.
std::size_t LineBeginOf(TextView content, std::size_t at) {
  while (at > 0 && !IsLineBreak(content[at - 1])) {
    --at;
  }
  return at;
}

TextView TextOf(TextView content, const Line& line) {
  return content.substr(line.begin, line.textEnd - line.begin);
}

// The section name of a header line: the bytes between its "[" and its last
// "]" character, blanks trimmed; nullopt for any other line.
std::optional<TextView> HeaderName(TextView text, Encoding encoding) {
  text = TrimLeadingBlanks(text);
  if (text.empty() || text[0] != '[') {
    return std::nullopt;
  }
  std::size_t close = TextView::npos;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (StartsTwoByteCharacter(text[i], encoding)) {
      ++i;
    } else if (text[i] == ']') {
      close = i;
    }
  }
  if (close == TextView::npos) {
    return std::nullopt;
  }
  return TrimBlanks(text.substr(1, close - 1));
}

struct KeyLine {
  TextView name;
  std::optional<TextView> value;  // none when the line has no "="
};

// The name and trimmed value of a line that is neither a header nor blank.
// "=" (0x3D) is never the second byte of a GBK character, so a byte search
// finds the real one.
KeyLine ParseKeyLine(TextView text) {
  const std::size_t equals = text.find('=');
  if (equals == TextView::npos) {
    return KeyLine{TrimBlanks(text), std::nullopt};
  }
  return KeyLine{TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1))};
}

bool IsAllBlank(TextView text) {
  return TrimLeadingBlanks(text).empty();
}

bool HasAsciiLetter(TextView name, Encoding encoding) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (StartsTwoByteCharacter(name[i], encoding)) {
      ++i;
    } else if ((name[i] >= 'A' && name[i] <= 'Z') || (name[i] >= 'a' && name[i] <= 'z')) {
      return true;
    }
  }
  return false;
}

// The header line of the first section named section. The name's bytes
// must appear in the header as they are, its ASCII letters in either case:
// only the lines holding them need parsing, and a skipping search passes
// over all others quickly. Matches come in file order, so the first header
// found is the first one in the file.
std::optional<Line> FindHeader(TextView content, TextView section, Encoding encoding) {
  const bool hasLetters = HasAsciiLetter(section, encoding);
  for (std::size_t pos = 0; pos < content.size();) {
    // A second byte of a two-byte character may be a letter too: a search
    // that ignores case finds more candidates than needed, never fewer.
    const std::size_t at = hasLetters ? FindBytesIgnoringCase(content, section, pos)
                                      : FindBytes(content, section, pos);
    if (at == TextView::npos) {
      return std::nullopt;
    }
    const Line line = LineAt(content, LineBeginOf(content, at));
    const std::optional<TextView> name = HeaderName(TextOf(content, line), encoding);
    if (name && NamesEqual(*name, section, encoding)) {
      return line;
    }
    pos = line.end;  // a line holds one header name at most
  }
  return std::nullopt;
}

// Where a section and a key of it lie in the file.
struct Location {
  bool sectionFound = false;
  std::size_t sectionBegin = 0;  // the header line's first byte
  std::size_t sectionEnd = 0;    // the next header's first byte or the file's end;
                                 // only known when no key was looked for or found
  Line lastFilled;               // the section's last line with a non-blank byte
  std::optional<Line> keyLine;
  KeyLine key;
};

// Finds the first section named section and, when key is not empty, the
// first key line named key in it. The scan stops as soon as the key is found.
Location Locate(TextView content, TextView section, TextView key, Encoding encoding) {
  Location found;
  const std::optional<Line> header = FindHeader(content, section, encoding);
  if (!header) {
    return found;
  }
  found.sectionFound = true;
  found.sectionBegin = header->begin;
  found.lastFilled = *header;
  for (std::size_t pos = header->end; pos < content.size();) {
    const Line line = LineAt(content, pos);
    const TextView text = TextOf(content, line);
    pos = line.end;
    if (IsAllBlank(text)) {
      continue;
    }
    if (HeaderName(text, encoding)) {
      found.sectionEnd = line.begin;
      return found;
    }
    if (!key.empty()) {
      const KeyLine keyLine = ParseKeyLine(text);
      if (NamesEqual(keyLine.name, key, encoding)) {
        found.keyLine = line;
        found.key = keyLine;
        return found;
      }
    }
    found.lastFilled = line;
  }
  found.sectionEnd = content.size();
  return found;
}

// The line break of the file's first line; CRLF, as Windows writes, when
// the file has none yet.
TextView LineBreakOf(TextView content) {
  const Line first = LineAt(content, 0);
  if (!first.HasLineBreak()) {
    return "\r\n";
  }
  return content.substr(first.textEnd, first.end - first.textEnd);
}

// Where the key's line is, the names taken without the blanks around them;
// nullopt when either name is empty or the key is not in the section.
std::optional<Location> LocateKeyLine(TextView content, TextView section, TextView key,
                                      Encoding encoding) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty()) {
    return std::nullopt;
  }
  Location found = Locate(content, section, key, encoding);
  if (!found.keyLine) {
    return std::nullopt;
  }
  return found;
}

}  // namespace

bool IsBlank(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '\v' ||
         byte == '\f';
}

TextView TrimBlanks(TextView t) {
  t = TrimLeadingBlanks(t);
  std::size_t end = t.size();
  while (end > 0 && IsBlank(t[end - 1])) {
    --end;
  }
  return t.substr(0, end);
}

std::size_t FindByteCharacter(TextView t, char c) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (IsGbkLeadByte(t[i])) {
      ++i;
    } else if (t[i] == c) {
      return i;
    }
  }
  return TextView::npos;
}

bool NamesEqual(TextView a, TextView b, Encoding encoding) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (StartsTwoByteCharacter(a[i], encoding)) {
      // Both texts agree up to here, so b has a character starting at i too;
      // its second byte may look like a letter but must match exactly.
      if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) {
        return false;
      }
      ++i;
    } else if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i])) {
      return false;
    }
  }
  return true;
}

TextView Unquote(TextView value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::vector<TextView> SectionNames(TextView content, Encoding encoding) {
  std::vector<TextView> names;
  for (std::size_t pos = 0; pos < content.size();) {
    const Line line = LineAt(content, pos);
    const std::optional<TextView> name = HeaderName(TextOf(content, line), encoding);
    const auto sameName = [&](TextView seen) { return NamesEqual(seen, *name, encoding); };
    if (name && !name->empty() && std::none_of(names.begin(), names.end(), sameName)) {
      names.push_back(*name);
    }
    pos = line.end;
  }
  return names;
}

std::optional<TextView> FindValue(TextView content, TextView section, TextView key,
                                  Encoding encoding) {
  const std::optional<Location> found = LocateKeyLine(content, section, key, encoding);
  if (!found || !found->key.value) {
    return std::nullopt;
  }
  return Unquote(*found->key.value);
}

Text Applied(TextView content, const Edit& edit) {
  Text result;
  result.reserve(content.size() - (edit.end - edit.begin) + edit.replacement.size());
  result.append(content.substr(0, edit.begin));
  result.append(edit.replacement);
  result.append(content.substr(edit.end));
  return result;
}

std::optional<Edit> SetValue(TextView content, TextView section, TextView key, TextView value,
                             Encoding encoding) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty()) {
    return std::nullopt;
  }
  const Location found = Locate(content, section, key, encoding);
  const TextView lineBreak = LineBreakOf(content);
  if (found.keyLine) {
    // The line keeps its own line break and the file's spelling of the name.
    if (found.key.value == TrimBlanks(value)) {
      return std::nullopt;
    }
    const Line& line = *found.keyLine;
    return Edit{line.begin, line.textEnd, ConcatTexts({found.key.name, "=", value})};
  }
  if (found.sectionFound) {
    // After the section's last non-blank line, so that blank lines that
    // separate it from the next section stay where they are.
    const Line& after = found.lastFilled;
    const TextView breakBefore = after.HasLineBreak() ? TextView() : lineBreak;
    return Edit{after.end, after.end, ConcatTexts({breakBefore, key, "=", value, lineBreak})};
  }
  const bool lastLineOpen = !content.empty() && !IsLineBreak(content.back());
  const TextView breakBefore = lastLineOpen ? lineBreak : TextView();
  return Edit{content.size(), content.size(),
              ConcatTexts({breakBefore, "[", section, "]", lineBreak, key, "=", value, lineBreak})};
}

std::optional<Edit> DeleteKey(TextView content, TextView section, TextView key, Encoding encoding) {
  const std::optional<Location> found = LocateKeyLine(content, section, key, encoding);
  if (!found) {
    return std::nullopt;
  }
  return Edit{found->keyLine->begin, found->keyLine->end, Text()};
}

std::optional<Edit> DeleteSection(TextView content, TextView section, Encoding encoding) {
  section = TrimBlanks(section);
  if (section.empty()) {
    return std::nullopt;
  }
  const Location found = Locate(content, section, {}, encoding);
  if (!found.sectionFound) {
    return std::nullopt;
  }
  return Edit{found.sectionBegin, found.sectionEnd, Text()};
}

}  // namespace zorvane::ini
