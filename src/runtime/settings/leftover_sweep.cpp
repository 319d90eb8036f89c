#include "runtime/settings/leftover_sweep.h"

#include <atomic>
#include <cstddef>

#include "runtime/tick_count.h"

namespace zorvane {
namespace {

// Leftovers only arise when a writing process dies, which is rare: a look
// through a folder once a minute keeps it clear without costing every
// write a listing of the folder (about 0.35 ms for the files of 500 groups
// on a virtual disk, a third of a small ledger's whole write).
constexpr std::uint32_t SweepIntervalMs = 60 * 1000;

// The folders swept lately; a module writes to two or three.
struct SweptFolder {
  Text folder;
  std::uint32_t tick = 0;
};
constexpr std::size_t RememberedFolders = 8;
SweptFolder sweptFolders[RememberedFolders];
std::atomic_flag sweptFoldersLock = ATOMIC_FLAG_INIT;

class SpinLock {
 public:
  SpinLock() {
    while (sweptFoldersLock.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~SpinLock() { sweptFoldersLock.clear(std::memory_order_release); }
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;
};

}  // namespace

bool TakeSweepTurn(TextView folder) {
  const std::uint32_t now = GetTickCount();
  const SpinLock lock;
  SweptFolder* slot = &sweptFolders[0];
  for (SweptFolder& swept : sweptFolders) {
    if (!swept.folder.empty() && swept.folder == folder) {
      // Differences of the wrapping count stay right across the wrap.
      if (now - swept.tick < SweepIntervalMs) {
        return false;
      }
      slot = &swept;
      break;
    }
    // Otherwise a free slot, or else the one swept longest ago, takes it.
    if (!slot->folder.empty() && (swept.folder.empty() || now - swept.tick > now - slot->tick)) {
      slot = &swept;
    }
  }
  slot->folder = Text(folder);
  slot->tick = now;
  return true;
}

}  // namespace zorvane
