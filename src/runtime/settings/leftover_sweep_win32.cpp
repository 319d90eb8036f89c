// Leftovers of writes on Windows: "zv<hex>.tmp", the names GetTempFileNameA
// gives the copies that writes edit (the prefix "zv" is the settings
// layer's). The system keeps 65,535 such names per prefix and folder.
#include <windows.h>

#include <cstdint>

#include "runtime/settings/ini_document.h"
#include "runtime/settings/leftover_sweep.h"
#include "runtime/settings/settings_arguments.h"

namespace zorvane {
namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// "zv", one to four hexadecimal digits and ".tmp", in any letter case.
bool IsTemporaryName(TextView name) {
  if (name.size() < 7 || name.size() > 10) {
    return false;
  }
  const std::size_t digits = name.size() - 6;
  if (FoldAsciiLetter(name[0]) != 'z' || FoldAsciiLetter(name[1]) != 'v' ||
      !ini::NamesEqual(name.substr(2 + digits), ".tmp")) {
    return false;
  }
  for (std::size_t i = 2; i < 2 + digits; ++i) {
    if (!IsHexDigit(FoldAsciiLetter(name[i]))) {
      return false;
    }
  }
  return true;
}

std::int64_t Seconds(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) /
                                   10'000'000u);
}

// Both times count: a copy of the settings file carries the original's
// write time until the write changes it, while its creation time is the
// moment the write began.
bool IsStale(const WIN32_FIND_DATAA& found) {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return Seconds(now) - Seconds(found.ftCreationTime) > LeftoverAgeSeconds &&
         Seconds(now) - Seconds(found.ftLastWriteTime) > LeftoverAgeSeconds;
}

}  // namespace

void SweepLeftoverTemporaries(TextView file) {
  const Text folder = WindowsFolderOf(UpToNul(file));
  if (!TakeSweepTurn(folder.empty() ? TextView(".") : TextView(folder))) {
    return;
  }
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((folder + "zv*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((found.dwFileAttributes & skipped) == 0 && IsTemporaryName(found.cFileName) &&
        IsStale(found)) {
      ::DeleteFileA((folder + found.cFileName).c_str());
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
}

}  // namespace zorvane
