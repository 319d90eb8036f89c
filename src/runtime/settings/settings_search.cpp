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

std::size_t PlainFind(TextView haystack, TextView needle, std::size_t pos) {
#if defined(__GLIBC__)
  const void* hit =
      ::memmem(haystack.data() + pos, haystack.size() - pos, needle.data(), needle.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - haystack.data())
             : TextView::npos;
#else
  return haystack.find(needle, pos);
#endif
}

#if defined(__x86_64__)

// The offset b of a second needle byte that, together with the first, says
// "maybe here" least often in a sample of the haystack. In a ledger every
// header starts alike ("[1...--group]"), so the last byte, the usual choice,
// would stop at every section.
std::size_t QuietestSecondByte(TextView sample, TextView needle) {
  const std::size_t limit = std::min<std::size_t>(needle.size() - 1, 15);
  std::size_t counts[16] = {};
  for (std::size_t i = 0; i + limit < sample.size(); ++i) {
    if (sample[i] != needle[0]) {
      continue;
    }
    for (std::size_t b = 1; b <= limit; ++b) {
      counts[b] += sample[i + b] == needle[b] ? 1 : 0;
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
std::size_t CheckCandidates(TextView haystack, TextView needle, std::size_t i, unsigned mask) {
  while (mask != 0) {
    const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
    if (std::memcmp(haystack.data() + at, needle.data(), needle.size()) == 0) {
      return at;
    }
    mask &= mask - 1;
  }
  return TextView::npos;
}

// 32 positions at a time: where the first needle byte and the one at
// offset b both match, the whole needle is compared. Returns npos with i at
// the first position left unsearched.
__attribute__((target("avx2"))) std::size_t FilteredFindAvx2(TextView haystack, TextView needle,
                                                             std::size_t b, std::size_t& i) {
  const __m256i first = _mm256_set1_epi8(needle[0]);
  const __m256i second = _mm256_set1_epi8(needle[b]);
  const char* const data = haystack.data();
  for (; i + 32 + needle.size() <= haystack.size(); i += 32) {
    const __m256i atFirst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    const __m256i atSecond = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + b));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(atFirst, first), _mm256_cmpeq_epi8(atSecond, second))));
    if (mask != 0) {
      const std::size_t at = CheckCandidates(haystack, needle, i, mask);
      if (at != TextView::npos) {
        return at;
      }
    }
  }
  return TextView::npos;
}

std::size_t FilteredFind(TextView haystack, TextView needle, std::size_t pos) {
  const std::size_t b = QuietestSecondByte(haystack.substr(pos, SampleSize), needle);
  std::size_t i = pos;
  const std::size_t at = FilteredFindAvx2(haystack, needle, b, i);
  return at != TextView::npos ? at : PlainFind(haystack, needle, i);
}

#endif

}  // namespace

std::size_t FindBytes(TextView haystack, TextView needle, std::size_t pos) {
  if (pos >= haystack.size() || needle.size() > haystack.size() - pos) {
    return TextView::npos;
  }
#if defined(__x86_64__)
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  if (hasAvx2 && haystack.size() - pos >= MinFilteredSize && needle.size() >= 2) {
    return FilteredFind(haystack, needle, pos);
  }
#endif
  return PlainFind(haystack, needle, pos);
}

}  // namespace zorvane
