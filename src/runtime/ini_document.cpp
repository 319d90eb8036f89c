#include "runtime/ini_document.h"

#include <cstring>

namespace zorvane::ini {
namespace {

TextView TrimLeadingBlanks(TextView t) {
  std::size_t i = 0;
  while (i < t.size() && IsBlank(t[i])) {
    ++i;
  }
  return t.substr(i);
}

// One line of the file as byte offsets: [begin, textEnd) is its text,
// [textEnd, end) its line break ("\r\n", "\n" or nothing on the last line).
struct Line {
  std::size_t begin = 0;
  std::size_t textEnd = 0;
  std::size_t end = 0;

  bool HasLineBreak() const { return end != textEnd; }
};

Line LineAt(TextView content, std::size_t begin) {
  const void* lf = std::memchr(content.data() + begin, '\n', content.size() - begin);
  if (lf == nullptr) {
    return {begin, content.size(), content.size()};
  }
  const std::size_t at = static_cast<const char*>(lf) - content.data();
  const std::size_t textEnd = (at > begin && content[at - 1] == '\r') ? at - 1 : at;
  return {begin, textEnd, at + 1};
}

TextView TextOf(TextView content, const Line& line) {
  return content.substr(line.begin, line.textEnd - line.begin);
}

// The name of a header whose "[" is at position open of text: the bytes up
// to the first "]" character on that line, blanks trimmed; nullopt when the
// line has no "]". A two-byte character's second byte is never the "]".
std::optional<TextView> HeaderNameFrom(TextView text, std::size_t open) {
  for (std::size_t i = open + 1; i < text.size() && text[i] != '\n'; ++i) {
    if (StartsDoubleByteCharacter(text[i])) {
      ++i;  // A first byte right before the line's end takes nothing with it.
      if (i < text.size() && text[i] == '\n') {
        return std::nullopt;
      }
    } else if (text[i] == ']') {
      return TrimBlanks(text.substr(open + 1, i - open - 1));
    }
  }
  return std::nullopt;
}

// The section name of a header line; nullopt for any other line.
std::optional<TextView> HeaderName(TextView text) {
  text = TrimLeadingBlanks(text);
  if (text.empty() || text[0] != '[') {
    return std::nullopt;
  }
  return HeaderNameFrom(text, 0);
}

struct KeyLine {
  TextView name;
  TextView value;
};

// The name and trimmed value of a key line; nullopt for any other line.
// "=" (0x3D) is never the second byte of a GBK character, so a byte search
// finds the real one.
std::optional<KeyLine> ParseKeyLine(TextView text) {
  text = TrimLeadingBlanks(text);
  if (text.empty() || text[0] == '[' || text[0] == ';') {
    return std::nullopt;
  }
  const std::size_t equals = text.find('=');
  if (equals == TextView::npos) {
    return std::nullopt;
  }
  return KeyLine{TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1))};
}

// The first byte of the line holding position at when only blanks precede
// at on that line. A "[" that is the second byte of a GBK character follows
// its first byte, which is no blank, so it is never taken for a header's.
std::optional<std::size_t> LineBeginBeforeBlanks(TextView content, std::size_t at) {
  for (std::size_t i = at; i > 0; --i) {
    if (content[i - 1] == '\n') {
      return i;
    }
    if (!IsBlank(content[i - 1])) {
      return std::nullopt;
    }
  }
  return 0;
}

bool IsAllBlank(TextView text) {
  return TrimLeadingBlanks(text).empty();
}

// Where a section and a key of it lie in the file, found in one scan.
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
Location Locate(TextView content, TextView section, TextView key) {
  Location found;
  std::size_t pos = 0;
  // Headers are found by their "[" rather than line by line: most lines of a
  // large file hold none, and memchr passes over them quickly.
  while (!found.sectionFound) {
    const void* bracket = std::memchr(content.data() + pos, '[', content.size() - pos);
    if (bracket == nullptr) {
      return found;
    }
    const std::size_t at = static_cast<const char*>(bracket) - content.data();
    pos = at + 1;
    const std::optional<std::size_t> lineBegin = LineBeginBeforeBlanks(content, at);
    if (!lineBegin) {
      continue;
    }
    const std::optional<TextView> name = HeaderNameFrom(content, at);
    if (name && NamesEqual(*name, section)) {
      const Line line = LineAt(content, *lineBegin);
      found.sectionFound = true;
      found.sectionBegin = line.begin;
      found.lastFilled = line;
      pos = line.end;
    }
  }
  while (pos < content.size()) {
    const Line line = LineAt(content, pos);
    const TextView text = TextOf(content, line);
    if (HeaderName(text)) {
      found.sectionEnd = line.begin;
      return found;
    }
    if (!key.empty()) {
      const std::optional<KeyLine> keyLine = ParseKeyLine(text);
      if (keyLine && NamesEqual(keyLine->name, key)) {
        found.keyLine = line;
        found.key = *keyLine;
        return found;
      }
    }
    if (!IsAllBlank(text)) {
      found.lastFilled = line;
    }
    pos = line.end;
  }
  found.sectionEnd = content.size();
  return found;
}

// The line break of the file's first line; CRLF, as Windows writes, when
// the file has none yet.
TextView LineBreakOf(TextView content) {
  const std::size_t lf = content.find('\n');
  if (lf != TextView::npos && (lf == 0 || content[lf - 1] != '\r')) {
    return "\n";
  }
  return "\r\n";
}

// content with [begin, end) replaced by the pieces.
Text Splice(TextView content, std::size_t begin, std::size_t end,
            std::initializer_list<TextView> pieces) {
  std::size_t size = content.size() - (end - begin);
  for (TextView piece : pieces) {
    size += piece.size();
  }
  Text result;
  result.reserve(size);
  result.append(content.substr(0, begin));
  for (TextView piece : pieces) {
    result.append(piece);
  }
  result.append(content.substr(end));
  return result;
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
    if (StartsDoubleByteCharacter(t[i])) {
      ++i;
    } else if (t[i] == c) {
      return i;
    }
  }
  return TextView::npos;
}

bool NamesEqual(TextView a, TextView b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (StartsDoubleByteCharacter(a[i])) {
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

namespace {

// Where the key's line is, the names taken without the blanks around them;
// nullopt when either name is empty or the key is not in the section.
std::optional<Location> LocateKeyLine(TextView content, TextView section, TextView key) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty()) {
    return std::nullopt;
  }
  Location found = Locate(content, section, key);
  if (!found.keyLine) {
    return std::nullopt;
  }
  return found;
}

}  // namespace

std::optional<TextView> FindValue(TextView content, TextView section, TextView key) {
  const std::optional<Location> found = LocateKeyLine(content, section, key);
  if (!found) {
    return std::nullopt;
  }
  return Unquote(found->key.value);
}

std::optional<Text> SetValue(TextView content, TextView section, TextView key, TextView value) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty()) {
    return std::nullopt;
  }
  const Location found = Locate(content, section, key);
  const TextView lineBreak = LineBreakOf(content);
  if (found.keyLine) {
    // The line keeps its own line break and the file's spelling of the name.
    const Line& line = *found.keyLine;
    const TextView old = TextOf(content, line);
    const TextView name = found.key.name;
    if (old.size() == name.size() + 1 + value.size() && old.starts_with(name) &&
        old[name.size()] == '=' && old.ends_with(value)) {
      return std::nullopt;
    }
    return Splice(content, line.begin, line.textEnd, {name, "=", value});
  }
  if (found.sectionFound) {
    // After the section's last non-blank line, so that blank lines that
    // separate it from the next section stay where they are.
    const Line& after = found.lastFilled;
    const TextView breakBefore = after.HasLineBreak() ? TextView() : lineBreak;
    return Splice(content, after.end, after.end, {breakBefore, key, "=", value, lineBreak});
  }
  const bool lastLineOpen = !content.empty() && content.back() != '\n';
  const TextView breakBefore = lastLineOpen ? lineBreak : TextView();
  return Splice(content, content.size(), content.size(),
                {breakBefore, "[", section, "]", lineBreak, key, "=", value, lineBreak});
}

std::optional<Text> DeleteKey(TextView content, TextView section, TextView key) {
  const std::optional<Location> found = LocateKeyLine(content, section, key);
  if (!found) {
    return std::nullopt;
  }
  return Splice(content, found->keyLine->begin, found->keyLine->end, {});
}

std::optional<Text> DeleteSection(TextView content, TextView section) {
  section = TrimBlanks(section);
  if (section.empty()) {
    return std::nullopt;
  }
  const Location found = Locate(content, section, {});
  if (!found.sectionFound) {
    return std::nullopt;
  }
  return Splice(content, found.sectionBegin, found.sectionEnd, {});
}

}  // namespace zorvane::ini
