// BindingRegistry: the run-time catalogue of bound types, enumerators, functions and events, and
// the builders through which the plugin registers them while it loads.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/binding/binding_event_record.h"
#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_type_record.h"
#include "sdk/binding/enum_name_lookup.h"
#include "sdk/binding/static_type.h"

namespace Vorn {

class BindingRegistry;
template <typename T>
class BindingRecordBuilder;
template <typename E>
class BindingEnumBuilder;

// The handle returned when a type registration begins. When the name was already registered
// every operation does nothing, so the first registration wins. Operations that change the
// record take no lock: registration happens on one thread before any lookup.
class BindingTypeBuilder {
 public:
  BindingTypeBuilder(BindingRegistry* registry, BindingTypeRecord* record, bool already_registered)
      : registry_(registry), record_(record), already_registered_(already_registered) {}

  // Appends a field (its name hash computed here); the field owns `converter` from now on.
  BindingTypeBuilder& AddField(std::string_view name, std::string_view description, uint32_t offset,
                               const StaticTypeIdentity& identity,
                               const BindingTypeDescriptor& type,
                               const BindingTypeDescriptor& extra_type, uint32_t flags,
                               std::unique_ptr<BindingConverter> converter, bool optional);
  // Change the field added last (nothing when there is none).
  BindingTypeBuilder& SetLastFieldFlags(uint32_t flags);
  BindingTypeBuilder& SetLastFieldExtraType(const BindingTypeDescriptor& type);
  BindingTypeBuilder& SetLastFieldOptional(bool optional);
  // Inserts or replaces the enumerator `name`.
  BindingTypeBuilder& AddEnumValue(std::string_view name, int32_t value,
                                   std::string_view description = {});
  BindingTypeBuilder& SetDescription(std::string_view text);
  BindingTypeBuilder& SetNameSpace(std::string_view text);
  // Appends a tag; an empty text is ignored.
  BindingTypeBuilder& AddTag(std::string_view text);
  BindingTypeBuilder& AddTags(const std::vector<std::string>& tags);

  BindingRegistry* Registry() const { return registry_; }
  // The record (the earlier one when already registered).
  const BindingTypeRecord* Record() const { return record_; }
  uint32_t LastOffset() const { return last_offset_; }
  bool AlreadyRegistered() const { return already_registered_; }

 private:
  BindingRegistry* registry_;
  BindingTypeRecord* record_;
  uint32_t last_offset_ = 0;
  bool already_registered_;
};

// The same pattern for events: ignored when the name was already registered.
class BindingEventBuilder {
 public:
  BindingEventBuilder(BindingEventRecord* record, bool already_registered)
      : record_(record), already_registered_(already_registered) {}

  BindingEventBuilder& SetDescription(std::string_view text);
  BindingEventBuilder& SetNameSpace(std::string_view text);
  BindingEventBuilder& AddTag(std::string_view text);  // "" is ignored
  BindingEventBuilder& AddTags(const std::vector<std::string>& tags);

  const BindingEventRecord* Record() const { return record_; }
  bool AlreadyRegistered() const { return already_registered_; }

 private:
  BindingEventRecord* record_;
  bool already_registered_;
};

// Four tables under one mutex: functions, events and types by name, types by identity hash.
// Every lookup and insertion takes the mutex. Records are never removed one by one and keep
// their addresses until the registry is destroyed.
class BindingRegistry : public BindingEnumNameLookup {
 public:
  BindingRegistry();
  virtual ~BindingRegistry();
  BindingRegistry(const BindingRegistry&) = delete;
  BindingRegistry& operator=(const BindingRegistry&) = delete;

  // Begins registering a type. A known name gives a builder of the existing record that ignores
  // every operation. A new record is entered by name and, unless `identity` is that of void, by
  // identity hash (replacing an entry of the same hash).
  BindingTypeBuilder BeginType(uint32_t size, std::string_view name,
                               const StaticTypeIdentity& identity, bool is_enum);
  // The typed forms (defined in type_builder.h): native size and identity from T, and field
  // helpers that derive code, descriptor and converter from the member's type.
  template <typename T>
  BindingRecordBuilder<T> BeginType(std::string_view name);
  template <typename E>
  BindingEnumBuilder<E> BeginEnum(std::string_view name);

  BindingEventBuilder BeginEvent(std::string_view name, const BindingTypeRecord* payload_type);
  template <typename T>
  BindingEventBuilder BeginEvent(std::string_view name);  // type_builder.h

  // The function record named `name`, created when missing; `second` is true when it was
  // created. Filled by the remoting layer during registration.
  std::pair<BindingFunctionRecord*, bool> InsertFunction(std::string_view name);

  // Lookups: the record or null.
  const BindingTypeRecord* FindTypeByName(std::string_view name) const;
  const BindingTypeRecord* FindTypeByIdentity(const StaticTypeIdentity& identity) const;
  const BindingFunctionRecord* FindFunction(std::string_view name) const;
  const BindingEventRecord* FindEvent(std::string_view name) const;

  // Copies of the tables taken under the lock, in name order.
  std::vector<const BindingFunctionRecord*> FunctionSnapshot() const;
  std::vector<const BindingEventRecord*> EventSnapshot() const;
  std::vector<const BindingTypeRecord*> TypeSnapshot() const;

  // The first enumerator, in name order, of the registered enumeration `identity` with this
  // value; null when there is none. The text lives as long as the registry.
  const char* FindEnumeratorName(const StaticTypeIdentity& identity, int32_t value) const override;

 private:
  // The built-in vocabulary every plugin exposes (the help records first, then the
  // asynchronous-operation types and events) is registered here when the registry is made.
  void RegisterBuiltins();

  mutable std::mutex lock_;
  std::map<std::string, std::unique_ptr<BindingFunctionRecord>, std::less<>> functions_;
  std::map<std::string, std::unique_ptr<BindingEventRecord>, std::less<>> events_;
  std::map<std::string, std::unique_ptr<BindingTypeRecord>, std::less<>> types_;
  std::unordered_map<uint32_t, BindingTypeRecord*> types_by_identity_;
};

}  // namespace Vorn
