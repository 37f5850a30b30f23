// The registry's tables, lookups and snapshots, and the type and event builders.
#include "sdk/binding/binding_registry.h"

#include "sdk/binding/builtin_types.h"
#include "sdk/binding/fnv1a.h"
#include "sdk/binding/static_type_hash.h"

namespace Vorn {

bool BindingTypeRecord::DefinesValue(int32_t value) const {
  for (const auto& [name, record] : values) {
    if (record.value == value) return true;
  }
  return false;
}

BindingTypeBuilder& BindingTypeBuilder::AddField(
    std::string_view name, std::string_view description, uint32_t offset,
    const StaticTypeIdentity& identity, const BindingTypeDescriptor& type,
    const BindingTypeDescriptor& extra_type, uint32_t flags,
    std::unique_ptr<BindingConverter> converter, bool optional) {
  if (already_registered_) return *this;
  BindingFieldRecord& field = record_->fields.emplace_back();
  field.name = name;
  field.name_hash = Fnv1a32(name);
  field.description = description;
  field.identity = &identity;
  field.offset = offset;
  field.type = type;
  if (extra_type.code != BindingTypeCode::None) field.extra_type = extra_type;
  field.flags = flags;
  field.converter = std::move(converter);
  field.owner = record_;
  field.optional = optional;
  last_offset_ = offset;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::SetLastFieldFlags(uint32_t flags) {
  if (!already_registered_ && !record_->fields.empty()) record_->fields.back().flags = flags;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::SetLastFieldExtraType(const BindingTypeDescriptor& type) {
  if (!already_registered_ && !record_->fields.empty() && type.code != BindingTypeCode::None) {
    record_->fields.back().extra_type = type;
  }
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::SetLastFieldOptional(bool optional) {
  if (!already_registered_ && !record_->fields.empty()) record_->fields.back().optional = optional;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddEnumValue(std::string_view name, int32_t value,
                                                     std::string_view description) {
  if (already_registered_) return *this;
  auto it = record_->values.find(name);
  if (it == record_->values.end()) {
    it = record_->values.emplace(std::string(name), BindingEnumValueRecord{}).first;
  }
  BindingEnumValueRecord& entry = it->second;
  entry.value = value;
  entry.name = name;
  entry.description = description;
  entry.owner = record_;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::SetDescription(std::string_view text) {
  if (!already_registered_) record_->description = text;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::SetNameSpace(std::string_view text) {
  if (!already_registered_) record_->name_space = text;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddTag(std::string_view text) {
  if (!already_registered_ && !text.empty()) record_->tags.emplace_back(text);
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddTags(const std::vector<std::string>& tags) {
  for (const std::string& tag : tags)
    AddTag(tag);
  return *this;
}

BindingEventBuilder& BindingEventBuilder::SetDescription(std::string_view text) {
  if (!already_registered_) record_->description = text;
  return *this;
}

BindingEventBuilder& BindingEventBuilder::SetNameSpace(std::string_view text) {
  if (!already_registered_) record_->name_space = text;
  return *this;
}

BindingEventBuilder& BindingEventBuilder::AddTag(std::string_view text) {
  if (!already_registered_ && !text.empty()) record_->tags.emplace_back(text);
  return *this;
}

BindingEventBuilder& BindingEventBuilder::AddTags(const std::vector<std::string>& tags) {
  for (const std::string& tag : tags)
    AddTag(tag);
  return *this;
}

BindingRegistry::BindingRegistry() {
  RegisterBuiltins();
}

BindingRegistry::~BindingRegistry() = default;

void BindingRegistry::RegisterBuiltins() {
  // Qualified: the member's own name hides the free function.
  Vorn::RegisterBuiltins(*this);
}

BindingTypeBuilder BindingRegistry::BeginType(uint32_t size, std::string_view name,
                                              const StaticTypeIdentity& identity, bool is_enum) {
  std::lock_guard<std::mutex> guard(lock_);
  if (auto it = types_.find(name); it != types_.end()) {
    return BindingTypeBuilder(this, it->second.get(), true);
  }
  auto record = std::make_unique<BindingTypeRecord>();
  record->size = size;
  record->is_enum = is_enum;
  record->name = name;
  record->hash = identity.hash;
  record->identity = &identity;
  record->registry = this;
  BindingTypeRecord* entered = record.get();
  types_.emplace(std::string(name), std::move(record));
  if (identity.hash != StaticType::HashCode<void>().hash) {
    types_by_identity_[identity.hash] = entered;
  }
  return BindingTypeBuilder(this, entered, false);
}

BindingEventBuilder BindingRegistry::BeginEvent(std::string_view name,
                                                const BindingTypeRecord* payload_type) {
  std::lock_guard<std::mutex> guard(lock_);
  if (auto it = events_.find(name); it != events_.end()) {
    return BindingEventBuilder(it->second.get(), true);
  }
  auto record = std::make_unique<BindingEventRecord>();
  record->name = name;
  record->payload_type = payload_type;
  BindingEventRecord* entered = record.get();
  events_.emplace(std::string(name), std::move(record));
  return BindingEventBuilder(entered, false);
}

std::pair<BindingFunctionRecord*, bool> BindingRegistry::InsertFunction(std::string_view name) {
  std::lock_guard<std::mutex> guard(lock_);
  if (auto it = functions_.find(name); it != functions_.end()) return {it->second.get(), false};
  auto record = std::make_unique<BindingFunctionRecord>();
  record->name = name;
  BindingFunctionRecord* entered = record.get();
  functions_.emplace(std::string(name), std::move(record));
  return {entered, true};
}

namespace {

template <typename Map>
auto FindIn(const Map& map, std::string_view name) -> decltype(map.begin()->second.get()) {
  auto it = map.find(name);
  return it == map.end() ? nullptr : it->second.get();
}

template <typename Record, typename Map>
std::vector<const Record*> SnapshotOf(const Map& map) {
  std::vector<const Record*> copy;
  copy.reserve(map.size());
  for (const auto& [name, record] : map)
    copy.push_back(record.get());
  return copy;
}

}  // namespace

const BindingTypeRecord* BindingRegistry::FindTypeByName(std::string_view name) const {
  std::lock_guard<std::mutex> guard(lock_);
  return FindIn(types_, name);
}

const BindingTypeRecord* BindingRegistry::FindTypeByIdentity(
    const StaticTypeIdentity& identity) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = types_by_identity_.find(identity.hash);
  return it == types_by_identity_.end() ? nullptr : it->second;
}

const BindingFunctionRecord* BindingRegistry::FindFunction(std::string_view name) const {
  std::lock_guard<std::mutex> guard(lock_);
  return FindIn(functions_, name);
}

const BindingEventRecord* BindingRegistry::FindEvent(std::string_view name) const {
  std::lock_guard<std::mutex> guard(lock_);
  return FindIn(events_, name);
}

std::vector<const BindingFunctionRecord*> BindingRegistry::FunctionSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return SnapshotOf<BindingFunctionRecord>(functions_);
}

std::vector<const BindingEventRecord*> BindingRegistry::EventSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return SnapshotOf<BindingEventRecord>(events_);
}

std::vector<const BindingTypeRecord*> BindingRegistry::TypeSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return SnapshotOf<BindingTypeRecord>(types_);
}

const char* BindingRegistry::FindEnumeratorName(const StaticTypeIdentity& identity,
                                                int32_t value) const {
  const BindingTypeRecord* record = FindTypeByIdentity(identity);
  if (record == nullptr || !record->is_enum) return nullptr;
  for (const auto& [name, entry] : record->values) {
    if (entry.value == value) return entry.name.c_str();
  }
  return nullptr;
}

}  // namespace Vorn
