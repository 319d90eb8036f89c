// The bytes of a settings file in the Windows private-profile format, read
// and edited in memory: lookup of one key, replacement, addition and deletion.
//
// The format as read here, as the Windows API reads it:
// - CR, LF and CRLF each end a line. Files written by Windows (CRLF, often
//   without a final line break), LF files and CR files read alike.
// - A line whose first non-blank byte is "[" and that holds a "]" is a section
//   header; the name is what lies between the "[" and the line's last "]",
//   blanks trimmed. A "[" line without "]" is no header.
// - Every other line that is not blank is a key line: the name is the text
//   before the first "=", the value the text after it, both with their
//   surrounding blanks trimmed. A line without "=" is a key without a value,
//   which reads as missing. Lines starting with ";" are keys like any other.
// - Lines before the first section header belong to no section.
// - Names match without regard to ASCII letter case. In GBK text a byte from
//   0x81 to 0xFE starts a two-byte character: its bytes are compared exactly, and
//   its second byte (which may be "]" or a letter) is never taken for a
//   character itself. In UTF-8 text no byte from 0x80 up is ever ASCII.
// - Of duplicate sections, only the first is seen; of duplicate keys in it,
//   only the first. Reads and edits agree on that.
// - Names given by callers are matched with their surrounding blanks trimmed;
//   an empty name matches nothing and is never written.
//
// Edits change only the lines they are about; every other byte of the file
// stays as it was. Written lines are "name=value" without blanks around "=",
// ended like the file's first line (CRLF when the file has no line break yet).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "runtime/text.h"

namespace zorvane::ini {

// How the bytes from 0x80 up of a file and of the names group into characters.
enum class Encoding { Gbk, Utf8 };

// True for 0x81 to 0xFE, the first bytes of two-byte characters in GBK as
// Windows reads and writes settings files (its code page 936). The bytes 0x80
// (the euro sign) and 0xFF are characters of their own.
inline bool IsGbkLeadByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value >= 0x81 && value <= 0xFE;
}

// Space, tab, CR, LF, vertical tab and form feed.
bool IsBlank(char byte);

// t without the blanks around it.
TextView TrimBlanks(TextView t);

// Position of the first single-byte character c in t, walking two-byte GBK
// characters as units; npos when there is none. c must be below 0x80.
std::size_t FindByteCharacter(TextView t, char c);

// Equal names: ASCII letters without regard to case, two-byte characters exactly.
bool NamesEqual(TextView a, TextView b, Encoding encoding = Encoding::Gbk);

// A key line's value as reading returns it: one pair of enclosing quotes
// (both single or both double) removed. value is already trimmed.
TextView Unquote(TextView value);

// The value of the first key named key in the first section named section,
// trimmed and unquoted; nullopt when there is no such key or it has no "=".
std::optional<TextView> FindValue(TextView content, TextView section, TextView key,
                                  Encoding encoding = Encoding::Gbk);

// The names of the sections in file order, each listed once (the first
// spelling of a name that repeats in another letter case).
std::vector<TextView> SectionNames(TextView content, Encoding encoding = Encoding::Gbk);

// A change to a file: the bytes [begin, end) give way to replacement.
struct Edit {
  std::size_t begin = 0;
  std::size_t end = 0;
  Text replacement;
};

// content with the edit applied.
Text Applied(TextView content, const Edit& edit);

// Sets key to value in section: the key's line is replaced (its name keeps
// the file's spelling), or a new key line goes after the last non-blank line
// of the section, or a new section goes at the end of the file. nullopt when
// the key already holds value, blanks around it aside.
std::optional<Edit> SetValue(TextView content, TextView section, TextView key, TextView value,
                             Encoding encoding = Encoding::Gbk);

// Removes the key's line; nullopt when there is no such key.
std::optional<Edit> DeleteKey(TextView content, TextView section, TextView key,
                              Encoding encoding = Encoding::Gbk);

// Removes the section: its header and every line up to the next header.
// nullopt when there is no such section.
std::optional<Edit> DeleteSection(TextView content, TextView section,
                                  Encoding encoding = Encoding::Gbk);

}  // namespace zorvane::ini
