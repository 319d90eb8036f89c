// The converter on Windows: code pages 936 (GBK) and 54936 (GB18030) and
// UTF-8, through UTF-16.
#include <windows.h>

#include <algorithm>

#include "runtime/gbk_utf8.h"
#include "runtime/utf8_sequence.h"

namespace zorvane {
namespace {

constexpr UINT GbkCodePage = 936;
constexpr UINT Gb18030CodePage = 54936;

// in as UTF-16; nullopt when any of it is not in the code page's encoding.
std::optional<std::wstring> Widen(UINT codePage, std::string_view in) {
  if (in.empty()) {
    return std::wstring();
  }
  const int inSize = static_cast<int>(in.size());
  const int size =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inSize, nullptr, 0);
  if (size <= 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inSize, wide.data(), size);
  return wide;
}

// wide in the code page; nullopt when any of it has no place there. No
// best-fit mapping: a character that GBK lacks must fail, not turn into a
// look-alike.
std::optional<std::string> Narrow(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) {
    return std::string();
  }
  const int wideSize = static_cast<int>(wide.size());
  const bool toUtf8 = codePage == CP_UTF8;
  // UTF-8 takes neither a default character nor its report.
  const DWORD flags = toUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* reportDefault = toUtf8 ? nullptr : &usedDefault;
  const int size = WideCharToMultiByte(codePage, flags, wide.data(), wideSize, nullptr, 0, nullptr,
                                       reportDefault);
  if (size <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), wideSize, narrow.data(), size, nullptr,
                      reportDefault);
  if (usedDefault) {
    return std::nullopt;
  }
  return narrow;
}

std::optional<std::string> Convert(UINT from, UINT to, std::string_view in) {
  const std::optional<std::wstring> wide = Widen(from, in);
  return wide ? Narrow(to, *wide) : std::nullopt;
}

// in converted piece by piece, each piece that cannot be as "?". lengthAt
// tells how long the piece at a position is; a piece that cannot be
// converted is passed over whole, or only its first byte.
std::string PieceByPiece(std::string_view in,
                         std::optional<std::string> (*convert)(std::string_view),
                         std::size_t (*lengthAt)(std::string_view, std::size_t),
                         bool skipWholePiece) {
  std::string out;
  for (std::size_t at = 0; at < in.size();) {
    const std::size_t length = std::min(lengthAt(in, at), in.size() - at);
    if (const std::optional<std::string> piece = convert(in.substr(at, length))) {
      out += *piece;
      at += length;
    } else {
      out += '?';
      at += skipWholePiece ? length : 1;
    }
  }
  return out;
}

// A lead byte and the byte after it, or one byte.
std::size_t GbkCharacterLength(std::string_view gbk, std::size_t at) {
  return IsDBCSLeadByteEx(GbkCodePage, static_cast<BYTE>(gbk[at])) ? 2 : 1;
}

std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at) {
  return Utf8SequenceLength(utf8[at]);
}

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  return Convert(GbkCodePage, CP_UTF8, gbk);
}

std::string GbkToUtf8Lenient(std::string_view gbk) {
  if (std::optional<std::string> whole = GbkToUtf8(gbk)) {
    return *whole;
  }
  // A lead byte that starts no character is marked alone, and the byte after
  // it read on its own.
  return PieceByPiece(gbk, GbkToUtf8, GbkCharacterLength, false);
}

std::optional<std::string> Gb18030ToUtf8(std::string_view gb18030) {
  return Convert(Gb18030CodePage, CP_UTF8, gb18030);
}

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return Convert(CP_UTF8, GbkCodePage, utf8);
}

std::string Utf8ToGbkLenient(std::string_view utf8) {
  if (std::optional<std::string> whole = Utf8ToGbk(utf8)) {
    return *whole;
  }
  // A byte that is not UTF-8 is marked with the bytes it promised to lead.
  return PieceByPiece(utf8, Utf8ToGbk, Utf8CharacterLength, true);
}

}  // namespace zorvane
