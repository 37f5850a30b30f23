// The process-wide table of three-letter group names and the masks they stand for.
#include <atomic>
#include <cstring>

#include "sdk/diagnostics/internal/log_text.h"
#include "sdk/runtime/platform.h"

namespace Vorn::detail {
namespace {

constexpr uint32_t kGroupCount = 64;
constexpr uint32_t kFirstFreeEntry = 8;

// Each entry is three characters and a NUL packed into one atomic word, so that readers need
// no lock while a new name is being registered.
uint32_t Pack(const char* name) {
  char entry[4] = {};
  for (int i = 0; i < 3 && name[i] != '\0'; ++i)
    entry[i] = name[i];
  uint32_t packed;
  std::memcpy(&packed, entry, sizeof packed);
  return packed;
}

struct GroupTable {
  std::atomic<uint32_t> entries[kGroupCount];
  // Index of the last used entry.
  std::atomic<uint32_t> last_used{kFirstFreeEntry - 1};

  GroupTable() {
    static constexpr const char* kNames[kFirstFreeEntry] = {"DBG", "GEN", "XTR", "PRF",
                                                            "MEM", "DSK", "NET", "TST"};
    for (uint32_t i = 0; i < kGroupCount; ++i) {
      entries[i].store(Pack(i < kFirstFreeEntry ? kNames[i] : "???"), std::memory_order_relaxed);
    }
  }
};

GroupTable& Table() {
  static GroupTable table;
  return table;
}

// Serialises registrations only; lookups stay lock-free. Never destroyed, so that logging from
// late static destructors still finds it.
Platform::CriticalSection& RegistrationLock() {
  static auto* lock = new Platform::CriticalSection;
  return *lock;
}

int32_t Find(GroupTable& table, uint32_t packed) {
  uint32_t last = table.last_used.load(std::memory_order_acquire);
  if (last >= kGroupCount) last = kGroupCount - 1;
  for (uint32_t i = 0; i <= last; ++i) {
    if (table.entries[i].load(std::memory_order_acquire) == packed) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace

uint64_t GroupMask(const char* name) {
  if (name == nullptr) return 0;
  GroupTable& table = Table();
  const uint32_t packed = Pack(name);
  int32_t index = Find(table, packed);
  if (index < 0) {
    Platform::CriticalSectionLock lock(RegistrationLock());
    // Another thread may have registered the same name meanwhile.
    index = Find(table, packed);
    if (index < 0) {
      uint32_t last = table.last_used.load(std::memory_order_relaxed);
      // The counter stops at the table's end, so a full table keeps answering 0.
      if (last + 1 >= kGroupCount) {
        table.last_used.store(kGroupCount, std::memory_order_relaxed);
        return 0;
      }
      table.entries[last + 1].store(packed, std::memory_order_release);
      table.last_used.store(last + 1, std::memory_order_release);
      index = static_cast<int32_t>(last + 1);
    }
  }
  return uint64_t{1} << index;
}

uint32_t GroupNames(uint64_t groups, char* out_text, uint32_t size) {
  if (out_text == nullptr || size == 0) return 0;
  GroupTable& table = Table();
  TextWriter writer(out_text, size - 1);
  bool first = true;
  for (uint32_t i = 0; i < kGroupCount; ++i) {
    if ((groups & (uint64_t{1} << i)) == 0) continue;
    if (!first) writer.Append(';');
    first = false;
    const uint32_t packed = table.entries[i].load(std::memory_order_acquire);
    char name[4];
    std::memcpy(name, &packed, sizeof name);
    writer.Append(name);
  }
  return writer.Finish();
}

}  // namespace Vorn::detail
