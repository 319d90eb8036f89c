// Texts between GBK, which the module speaks, and UTF-8, which Linux file
// names, terminals, riddle files and web pages speak. One converter each way
// for the module and every program around it, in two modes:
//   strict: nothing is given when any part cannot be converted;
//   lenient: each part that cannot be converted becomes "?", the rest as it
//   is, so that a text can always be shown or passed on.
// A NUL byte is converted like any other; callers that read texts up to
// their first NUL cut them first.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// gbk as UTF-8; nullopt when it is not GBK (a cut-off character included).
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// gbk as UTF-8, each byte that starts no GBK character (a character cut off
// at the end included) as "?". Should the system know no GBK at all, ASCII
// passes through and every other byte shows as "?".
std::string GbkToUtf8Lenient(std::string_view gbk);

// gb18030 as UTF-8; nullopt when it is not GB18030. GB18030 is GBK with
// four-byte sequences for the characters that GBK lacks (only a lone 0x80,
// GBK's euro sign, is no GB18030), so that a text saved as either reads
// alike; only the module's GBK limits what it may hold. Windows reads it
// through its code page 54936; a system without that code page (Wine)
// refuses every GB18030 text.
std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030);

// utf8 as GBK; nullopt when it is not UTF-8 or holds a character that GBK
// lacks. No character turns into a look-alike.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// utf8 as GBK, each character that GBK lacks as "?", and each byte that is
// not UTF-8 as "?" with the bytes that its lead byte promised, as Windows
// writes what the ANSI code page cannot hold.
std::string Utf8ToGbkLenient(std::string_view utf8);

}  // namespace zorvane
