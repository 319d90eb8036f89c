#include "runtime/settings/settings_search.h"

#include <string.h>

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zorvane {
namespace {

// Below this size a plain search is fast enough that choosing a filter
// would cost more than it saves. Processors without AVX2 always search plainly.
constexpr std::size_t MinFilteredSize = std::size_t{128} << 10;
constexpr std::size_t SampleSize = 4096;

enum class Case { Exact, Ignored };

bool SameByte(char a, char b, Case letterCase) {
  return letterCase == Case::Exact ? a == b : FoldAsciiLetter(a) == FoldAsciiLetter(b);
}

bool MatchesAt(TextView haystack, TextView needle, std::size_t at, Case letterCase) {
  if (letterCase == Case::Exact) {
    return std::memcmp(haystack.data() + at, needle.data(), needle.size()) == 0;
  }
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (!SameByte(haystack[at + i], needle[i], Case::Ignored)) {
      return false;
    }
  }
  return true;
}

std::size_t PlainFind(TextView haystack, TextView needle, std::size_t pos, Case letterCase) {
  if (letterCase == Case::Exact) {
#if defined(__GLIBC__)
    const void* hit =
        ::memmem(haystack.data() + pos, haystack.size() - pos, needle.data(), needle.size());
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - haystack.data())
               : TextView::npos;
#else
    return haystack.find(needle, pos);
#endif
  }
  for (std::size_t at = pos; at + needle.size() <= haystack.size(); ++at) {
    if (MatchesAt(haystack, needle, at, letterCase)) {
      return at;
    }
  }
  return TextView::npos;
}

#if defined(__x86_64__)

bool IsAsciiLetter(char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// The offset b of a second needle byte that, together with the first, says
// "maybe here" least often in a sample of the haystack. In a ledger every
// header starts alike ("[1...--group]"), so the last byte, the usual choice,
// would stop at every section.
std::size_t QuietestSecondByte(TextView sample, TextView needle, Case letterCase) {
  const std::size_t limit = std::min<std::size_t>(needle.size() - 1, 15);
  std::size_t counts[16] = {};
  for (std::size_t i = 0; i + limit < sample.size(); ++i) {
    if (!SameByte(sample[i], needle[0], letterCase)) {
      continue;
    }
    for (std::size_t b = 1; b <= limit; ++b) {
      counts[b] += SameByte(sample[i + b], needle[b], letterCase) ? 1 : 0;
    }
  }
  std::size_t best = limit;
  for (std::size_t b = limit; b >= 1; --b) {
    if (counts[b] < counts[best]) {
      best = b;
    }
  }
  return best;
}

// Compares the whole needle wherever mask marks a position from i on.
std::size_t CheckCandidates(TextView haystack, TextView needle, std::size_t i, unsigned mask,
                            Case letterCase) {
  while (mask != 0) {
    const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
    if (MatchesAt(haystack, needle, at, letterCase)) {
      return at;
    }
    mask &= mask - 1;
  }
  return TextView::npos;
}

// One needle byte as the filter compares it with 32 bytes at once. With
// letter case ignored, a letter's case bit (0x20) is set on both sides
// first, which makes "A" and "a" alike and no other two bytes.
struct ByteProbe {
  __m256i wanted;
  __m256i caseBit;
};

__attribute__((target("avx2"))) ByteProbe ProbeFor(char byte, Case letterCase) {
  const bool fold = letterCase == Case::Ignored && IsAsciiLetter(byte);
  return {_mm256_set1_epi8(static_cast<char>(fold ? byte | 0x20 : byte)),
          _mm256_set1_epi8(fold ? 0x20 : 0)};
}

__attribute__((target("avx2"))) __m256i Matches(const char* at, const ByteProbe& probe) {
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  return _mm256_cmpeq_epi8(_mm256_or_si256(bytes, probe.caseBit), probe.wanted);
}

// 32 positions at a time: where the first needle byte and the one at
// offset b both match, the whole needle is compared. Returns npos with i at
// the first position left unsearched.
__attribute__((target("avx2"))) std::size_t FilteredFindAvx2(TextView haystack, TextView needle,
                                                             std::size_t b, Case letterCase,
                                                             std::size_t& i) {
  const ByteProbe first = ProbeFor(needle[0], letterCase);
  const ByteProbe second = ProbeFor(needle[b], letterCase);
  const char* const data = haystack.data();
  for (; i + 32 + needle.size() <= haystack.size(); i += 32) {
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(Matches(data + i, first), Matches(data + i + b, second))));
    if (mask != 0) {
      const std::size_t at = CheckCandidates(haystack, needle, i, mask, letterCase);
      if (at != TextView::npos) {
        return at;
      }
    }
  }
  return TextView::npos;
}

std::size_t FilteredFind(TextView haystack, TextView needle, std::size_t pos, Case letterCase) {
  const std::size_t b = QuietestSecondByte(haystack.substr(pos, SampleSize), needle, letterCase);
  std::size_t i = pos;
  const std::size_t at = FilteredFindAvx2(haystack, needle, b, letterCase, i);
  return at != TextView::npos ? at : PlainFind(haystack, needle, i, letterCase);
}

#endif

std::size_t Find(TextView haystack, TextView needle, std::size_t pos, Case letterCase) {
  if (pos >= haystack.size() || needle.size() > haystack.size() - pos) {
    return TextView::npos;
  }
#if defined(__x86_64__)
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  if (hasAvx2 && haystack.size() - pos >= MinFilteredSize && needle.size() >= 2) {
    return FilteredFind(haystack, needle, pos, letterCase);
  }
#endif
  return PlainFind(haystack, needle, pos, letterCase);
}

}  // namespace

std::size_t FindBytes(TextView haystack, TextView needle, std::size_t pos) {
  return Find(haystack, needle, pos, Case::Exact);
}

std::size_t FindBytesIgnoringCase(TextView haystack, TextView needle, std::size_t pos) {
  return Find(haystack, needle, pos, Case::Ignored);
}

}  // namespace zorvane
