// Texts: owned GBK byte strings and the operations the module is written in.
//
// A text's length is the number of bytes before its first NUL; positions are
// 1-based byte positions. A byte from 0x80 up starts a two-byte character,
// which only FindText respects. An empty result stands for both "null" and
// "empty": the two read alike everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/fatal_stop.h"

namespace zorvane {

// Takes text storage from the heap; a refused request ends the process
// through FatalStop with the byte count that was refused.
template <class T>
struct TextAllocator {
  using value_type = T;

  TextAllocator() = default;
  template <class U>
  TextAllocator(const TextAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
    if (void* p = std::malloc(bytes)) {
      return static_cast<T*>(p);
    }
    StopOnRefusedAllocation(bytes);
  }
  void deallocate(T* p, std::size_t) noexcept { std::free(p); }

  template <class U>
  bool operator==(const TextAllocator<U>&) const noexcept {
    return true;
  }
};

// An owned text. Never null: the empty text is the empty value.
using Text = std::basic_string<char, std::char_traits<char>, TextAllocator<char>>;

// A borrowed text. Operations read it only up to its first NUL byte.
using TextView = std::string_view;

// True for a byte from 0x80 up: the first of a two-byte GBK character.
inline bool StartsDoubleByteCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0x80) != 0;
}

// True when every byte from 0x80 up starts a two-byte GBK character: a
// first byte 0x81 to 0xFE, then a second byte 0x40 to 0xFE but 0x7F. What
// fails this cannot be spelled as a Linux file name, and reads back as
// other bytes through the Windows API. Reads the whole view, NULs included.
bool IsValidGbk(TextView text);

// A to Z as a to z; every other byte as it is.
inline char FoldAsciiLetter(char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// t as far as its first NUL: how every operation reads a view.
TextView UpToNul(TextView t);

// A copy of a C string from outside the module; null gives the empty text.
Text CopyText(const char* t);

// All parts joined in order.
Text ConcatTexts(std::initializer_list<TextView> parts);

// -1, 0 or +1, comparing unsigned bytes; null and empty are equal.
int CompareText(TextView a, TextView b);

// Bytes before the first NUL.
std::int32_t TextLength(TextView t);

// The first n bytes; n <= 0 gives the empty text.
Text LeftText(TextView t, std::int32_t n);

// count bytes from the 1-based start; out-of-range positions give the empty text.
Text MidText(TextView t, std::int32_t start, std::int32_t count);

// 1-based position of the first match found on a character boundary, or -1.
std::int32_t FindText(TextView haystack, TextView needle,
                      std::optional<std::int32_t> startPos = std::nullopt, bool ignoreCase = false);

}  // namespace zorvane
