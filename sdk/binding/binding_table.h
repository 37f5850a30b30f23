// The flat description of a registry that the host receives: function, type and event entries
// with their argument, field, enumerator and tag arrays, owned by the holder.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sdk/binding/binding_event_record.h"
#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_type_record.h"
#include "sdk/plugin/abi/binding_table.h"

namespace Vorn {

struct BindingTableWords {
  const BindingFunctionEntry* functions = nullptr;
  uint32_t function_count = 0;
  const BindingTypeEntry* types = nullptr;
  uint32_t type_count = 0;
  const BindingEventEntry* events = nullptr;
  uint32_t event_count = 0;
};

// Texts point into the registry's records, which must outlive the holder; arrays are the
// holder's and stay unchanged until it is destroyed or rebuilt.
class BindingTableHolder {
 public:
  BindingTableHolder() = default;
  BindingTableHolder(const BindingTableHolder&) = delete;
  BindingTableHolder& operator=(const BindingTableHolder&) = delete;

  // Takes the three snapshots (in name order) and builds every entry.
  BindingTableWords Build(const std::vector<const BindingFunctionRecord*>& functions,
                          const std::vector<const BindingTypeRecord*>& types,
                          const std::vector<const BindingEventRecord*>& events);

  const BindingTableWords& words() const { return words_; }

 private:
  const char* const* TagArray(const std::vector<std::string>& tags);

  std::vector<BindingFunctionEntry> functions_;
  std::vector<BindingTypeEntry> types_;
  std::vector<BindingEventEntry> events_;
  // Per-item arrays; each inner array is complete before its address is handed out, and moving
  // the outer vector never moves an inner array's storage.
  std::vector<std::vector<BindingArgumentEntry>> arguments_;
  std::vector<std::vector<BindingFieldEntry>> fields_;
  std::vector<std::vector<BindingEnumeratorEntry>> enumerators_;
  std::vector<std::vector<const char*>> tags_;
  BindingTableWords words_;
};

// The code written into an entry (1 to 19, else 0) and the type name it shows.
uint32_t BindingEntryTypeCode(BindingTypeCode code);
const char* BindingEntryTypeName(const BindingTypeDescriptor& type);
// The extra descriptor when its code is set, else the ordinary one.
const BindingTypeDescriptor& BindingEntryDescriptor(const BindingTypeDescriptor& type,
                                                    const BindingTypeDescriptor& extra);

}  // namespace Vorn
