// Typed registration: record and enumeration builders that derive each field's code,
// descriptor, identity, offset and converter from the native member, so that registering code
// names only the member:
//   registry.BeginType<LoyaltyRewards>("LCDSLoyaltyRewards")
//       .AddField("champions", &LoyaltyRewards::champions)
//       .AddField("ipBoost", &LoyaltyRewards::ipBoost);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "sdk/binding/binding_native_type.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/static_type_hash.h"

namespace Vorn {

namespace detail {

// The byte offset of a data member, measured on uninitialised storage (no object is made).
template <typename T, typename M>
uint32_t MemberOffset(M T::*member) {
  alignas(T) unsigned char storage[sizeof(T)];
  const T* object = reinterpret_cast<const T*>(storage);
  return static_cast<uint32_t>(reinterpret_cast<const unsigned char*>(&(object->*member)) -
                               storage);
}

}  // namespace detail

// Registers record T. Every operation does nothing when the name was already registered. A
// field's record or enumeration (or that of its elements) is looked up when the field is added,
// so nested types are registered first.
template <typename T>
class BindingRecordBuilder {
 public:
  explicit BindingRecordBuilder(BindingTypeBuilder builder) : builder_(builder) {}

  // A field with everything derived from the member's type; a std::optional member is an
  // optional field converted through the wrapped type.
  template <typename M>
  BindingRecordBuilder& AddField(std::string_view name, M T::*member,
                                 std::string_view description = {}) {
    static_assert(!std::is_function_v<M>, "AddField takes a data member");
    if (builder_.AlreadyRegistered()) return *this;
    builder_.AddField(name, description, detail::MemberOffset(member), StaticType::HashCode<M>(),
                      DescribeBindingType<M>(builder_.Registry()), {}, 0, MakeBindingConverter<M>(),
                      detail::BindingOptional<M>);
    return *this;
  }
  // Setters of the field added last.
  BindingRecordBuilder& SetFieldFlags(uint32_t flags) {  // BindingFieldFlags
    builder_.SetLastFieldFlags(flags);
    return *this;
  }
  // Shown by the host's binding table in place of the derived descriptor.
  BindingRecordBuilder& SetFieldExtraType(const BindingTypeDescriptor& type) {
    builder_.SetLastFieldExtraType(type);
    return *this;
  }
  // What help shows as "optional"; derived from a std::optional member unless set here.
  BindingRecordBuilder& SetFieldOptional(bool optional) {
    builder_.SetLastFieldOptional(optional);
    return *this;
  }
  BindingRecordBuilder& SetDescription(std::string_view text) {
    builder_.SetDescription(text);
    return *this;
  }
  BindingRecordBuilder& SetNameSpace(std::string_view text) {
    builder_.SetNameSpace(text);
    return *this;
  }
  BindingRecordBuilder& AddTag(std::string_view text) {
    builder_.AddTag(text);
    return *this;
  }
  BindingRecordBuilder& AddTags(const std::vector<std::string>& tags) {
    builder_.AddTags(tags);
    return *this;
  }

  BindingTypeBuilder& Untyped() { return builder_; }
  const BindingTypeRecord* Record() const { return builder_.Record(); }
  bool AlreadyRegistered() const { return builder_.AlreadyRegistered(); }

 private:
  BindingTypeBuilder builder_;
};

// Registers enumeration E, whose width (1, 2, 4 or 8 bytes) is the record's size. Enumerator
// values are stored as conversion reads them: 1- and 2-byte ones sign-extended, 8-byte ones by
// their low 32 bits.
template <typename E>
class BindingEnumBuilder {
 public:
  explicit BindingEnumBuilder(BindingTypeBuilder builder) : builder_(builder) {}

  // Inserts or replaces the enumerator `name`.
  BindingEnumBuilder& AddEnumValue(std::string_view name, E value,
                                   std::string_view description = {}) {
    builder_.AddEnumValue(name, detail::EnumeratorValue(value), description);
    return *this;
  }
  BindingEnumBuilder& SetDescription(std::string_view text) {
    builder_.SetDescription(text);
    return *this;
  }
  BindingEnumBuilder& SetNameSpace(std::string_view text) {
    builder_.SetNameSpace(text);
    return *this;
  }
  BindingEnumBuilder& AddTag(std::string_view text) {
    builder_.AddTag(text);
    return *this;
  }
  BindingEnumBuilder& AddTags(const std::vector<std::string>& tags) {
    builder_.AddTags(tags);
    return *this;
  }

  BindingTypeBuilder& Untyped() { return builder_; }
  const BindingTypeRecord* Record() const { return builder_.Record(); }
  bool AlreadyRegistered() const { return builder_.AlreadyRegistered(); }

 private:
  BindingTypeBuilder builder_;
};

template <typename T>
BindingRecordBuilder<T> BindingRegistry::BeginType(std::string_view name) {
  static_assert(detail::BindingRecord<T>, "BeginType<T> registers records; use BeginEnum");
  return BindingRecordBuilder<T>(
      BeginType(static_cast<uint32_t>(sizeof(T)), name, StaticType::HashCode<T>(), false));
}

template <typename E>
BindingEnumBuilder<E> BindingRegistry::BeginEnum(std::string_view name) {
  static_assert(detail::BindingEnumeration<E>, "BeginEnum<E> registers enumerations");
  return BindingEnumBuilder<E>(
      BeginType(static_cast<uint32_t>(sizeof(E)), name, StaticType::HashCode<E>(), true));
}

template <typename T>
BindingEventBuilder BindingRegistry::BeginEvent(std::string_view name) {
  return BeginEvent(name, FindTypeByIdentity(StaticType::HashCode<T>()));
}

}  // namespace Vorn
