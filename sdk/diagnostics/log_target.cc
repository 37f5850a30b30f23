// The target base class and the thunks that turn its record's entries into virtual calls.
#include "sdk/diagnostics/log_target.h"

#include <type_traits>

#include "sdk/diagnostics/internal/log_text.h"

namespace Vorn {
namespace {

static_assert(std::is_standard_layout_v<detail::LogTargetBinding>);

LogTarget& Self(LogTargetRecord* record) {
  return *reinterpret_cast<detail::LogTargetBinding*>(record)->self;
}

int32_t VORN_CDECL InterfaceVersionThunk(LogTargetRecord*) {
  return 1;
}
void VORN_CDECL SetMinLevelThunk(LogTargetRecord* record, int32_t level) {
  Self(record).SetMinLevel(level);
}
int32_t VORN_CDECL GetMinLevelThunk(LogTargetRecord* record) {
  return Self(record).MinLevel();
}
void VORN_CDECL SetGroupsThunk(LogTargetRecord* record, uint64_t included, uint64_t excluded) {
  Self(record).SetGroups(included, excluded);
}
uint64_t VORN_CDECL GetIncludedGroupsThunk(LogTargetRecord* record) {
  return Self(record).IncludedGroups();
}
uint64_t VORN_CDECL GetExcludedGroupsThunk(LogTargetRecord* record) {
  return Self(record).ExcludedGroups();
}
// The virtual operations are a subclass's C++ code of any kind: nothing they throw may leave
// through the record.
template <typename Result, typename Operation>
Result Guarded(Result fallback, Operation operation) {
  try {
    return operation();
  } catch (...) {
    return fallback;
  }
}

const char* VORN_CDECL NameThunk(LogTargetRecord* record) {
  return Guarded("", [record] { return Self(record).Name(); });
}
const char* VORN_CDECL LineFormatThunk(LogTargetRecord* record, const LogMessage* message) {
  static const LogMessage kNoMessage{};
  return Guarded("", [record, message] {
    return Self(record).LineFormat(message == nullptr ? kNoMessage : *message);
  });
}
void VORN_CDECL RegisterThunk(LogTargetRecord* record) {
  Self(record).Register();
}
void VORN_CDECL UnregisterThunk(LogTargetRecord* record) {
  Guarded(false, [record] {
    Self(record).Unregister();
    return true;
  });
}
uint8_t VORN_CDECL IsRegisteredThunk(LogTargetRecord* record) {
  return Self(record).IsRegistered() ? 1 : 0;
}
bool VORN_CDECL WriteThunk(LogTargetRecord* record, const LogMessage* message) {
  if (message == nullptr) return false;
  return Guarded(false, [record, message] { return Self(record).Write(*message); });
}

}  // namespace

LogTarget::LogTarget() : LogTarget("#D| #L| #G| #M", kLogLevelWarn, 0, 0) {}

LogTarget::LogTarget(const char* line_format, int32_t min_level, uint64_t included,
                     uint64_t excluded)
    : binding_{{InterfaceVersionThunk, SetMinLevelThunk, GetMinLevelThunk, SetGroupsThunk,
                GetIncludedGroupsThunk, GetExcludedGroupsThunk, NameThunk, LineFormatThunk,
                RegisterThunk, UnregisterThunk, IsRegisteredThunk, WriteThunk},
               this},
      min_level_(min_level),
      included_(included & ~excluded),
      excluded_(excluded),
      line_format_(line_format) {}

LogTarget::~LogTarget() {
  // Unconditional: the record must never stay listed once the object is gone.
  registered_.store(false, std::memory_order_release);
  GetLogApi()->RemoveTarget(Record());
}

void LogTarget::SetMinLevel(int32_t level) {
  Platform::CriticalSectionLock lock(lock_);
  min_level_ = level;
}

int32_t LogTarget::MinLevel() const {
  Platform::CriticalSectionLock lock(lock_);
  return min_level_;
}

void LogTarget::SetGroups(uint64_t included, uint64_t excluded) {
  Platform::CriticalSectionLock lock(lock_);
  included_ = included & ~excluded;
  excluded_ = excluded;
}

uint64_t LogTarget::IncludedGroups() const {
  Platform::CriticalSectionLock lock(lock_);
  return included_;
}

uint64_t LogTarget::ExcludedGroups() const {
  Platform::CriticalSectionLock lock(lock_);
  return excluded_;
}

void LogTarget::SetLineFormat(const char* format) {
  Platform::CriticalSectionLock lock(lock_);
  line_format_ = format == nullptr ? "" : format;
}

const char* LogTarget::LineFormat(const LogMessage&) const {
  Platform::CriticalSectionLock lock(lock_);
  return line_format_.c_str();
}

// The target's lock is not held while the logger's is taken: dispatch takes them the other way
// round.
void LogTarget::Register() {
  if (registered_.exchange(true, std::memory_order_acq_rel)) return;
  if (!GetLogApi()->AddTarget(Record())) registered_.store(false, std::memory_order_release);
}

void LogTarget::Unregister() {
  if (registered_.exchange(false, std::memory_order_acq_rel)) GetLogApi()->RemoveTarget(Record());
}

uint32_t LogTarget::FormatLine(const LogMessage& message, char* out_line, uint32_t size) const {
  Platform::CriticalSectionLock lock(lock_);
  return detail::FormatLine(LineFormat(message), message, out_line, size);
}

}  // namespace Vorn
