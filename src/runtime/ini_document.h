// The bytes of a settings file in the Windows private-profile format, read
// and edited in memory: lookup of one key, replacement, addition and deletion.
//
// The format as read here:
// - Lines end at LF; a CR right before the LF belongs to the line ending.
//   Files written by Windows (CRLF, often without a final line break) and
//   LF files read alike.
// - A line whose first non-blank byte is "[" and that holds a "]" is a section
//   header; the name is what lies between them, blanks trimmed, and anything
//   after the "]" is ignored. A "[" line without "]" is neither header nor key.
// - A line whose first non-blank byte is ";" is a comment.
// - Any other line with an "=" is a key line: the name is the text before the
//   first "=", the value the text after it, both with their surrounding blanks
//   trimmed. Lines without "=" are kept but never match a key.
// - Lines before the first section header belong to no section.
// - Names match without regard to ASCII letter case. A byte from 0x80 up starts
//   a two-byte GBK character: its bytes are compared exactly, and its second
//   byte (which may be "]" or a letter) is never taken for a character itself.
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

#include "runtime/text.h"

namespace zorvane::ini {

// Space, tab, CR, LF, vertical tab and form feed.
bool IsBlank(char byte);

// t without the blanks around it.
TextView TrimBlanks(TextView t);

// Position of the first single-byte character c in t, walking two-byte GBK
// characters as units; npos when there is none. c must be below 0x80.
std::size_t FindByteCharacter(TextView t, char c);

// Equal names: ASCII letters without regard to case, two-byte characters exactly.
bool NamesEqual(TextView a, TextView b);

// A key line's value as reading returns it: one pair of enclosing quotes
// (both single or both double) removed. value is already trimmed.
TextView Unquote(TextView value);

// The value of the first key named key in the first section named section,
// trimmed and unquoted; nullopt when there is no such key.
std::optional<TextView> FindValue(TextView content, TextView section, TextView key);

// The file after setting key to value in section: the key's line is replaced
// (its name keeps the file's spelling), or a new key line goes after the last
// non-blank line of the section, or a new section goes at the end of the file.
// nullopt when the file would not change.
std::optional<Text> SetValue(TextView content, TextView section, TextView key, TextView value);

// The file without the key's line; nullopt when there is no such key.
std::optional<Text> DeleteKey(TextView content, TextView section, TextView key);

// The file without the section: its header and every line up to the next
// header. nullopt when there is no such section.
std::optional<Text> DeleteSection(TextView content, TextView section);

}  // namespace zorvane::ini
