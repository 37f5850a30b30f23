// Plain values read into JSON and built from JSON by the host's own code.
#include "host/plain_json.h"

#include <cstring>

#include "host/base64.h"

namespace Vorn::Host {
namespace {

constexpr const char kBlobKey[] = "$blob";

struct Decoder {
  std::string error;
  // Where the failure happened, built on the way back up: "[2].name".
  std::string where;

  bool Fail(std::string message) {
    error = std::move(message);
    return false;
  }

  bool Decode(const PlainValue& value, Json& out, size_t depth) {
    if (depth > kMaxPlainDepth) return Fail("nested too deeply");
    const PlainRef ref = value.payload.ref;
    switch (static_cast<PlainKind>(value.kind)) {
      case PlainKind::kEmpty:
        out = nullptr;
        return true;
      case PlainKind::kBool:
        out = value.payload.boolean != 0;
        return true;
      case PlainKind::kSigned:
        out = static_cast<int64_t>(value.payload.signed_value);
        return true;
      case PlainKind::kUnsigned:
        out = static_cast<uint64_t>(value.payload.unsigned_value);
        return true;
      case PlainKind::kFloat:
        out = static_cast<double>(value.payload.float_value);
        return true;
      case PlainKind::kStringRef:
      case PlainKind::kString:
        if (ref.data == nullptr) return Fail("null text");
        out = std::string(static_cast<const char*>(ref.data));
        return true;
      case PlainKind::kBlobRef:
      case PlainKind::kBlob: {
        if (ref.data == nullptr && ref.count != 0) return Fail("null blob with bytes");
        if (ref.count > kMaxPlainCount) return Fail("blob too large");
        out = Json::object();
        out[kBlobKey] = EncodeBase64(static_cast<const uint8_t*>(ref.data), ref.count);
        return true;
      }
      case PlainKind::kCollection: {
        if (!CheckArray(ref)) return false;
        out = Json::array();
        const auto* elements = static_cast<const PlainValue*>(ref.data);
        for (uint32_t i = 0; i < ref.count; ++i) {
          Json element;
          if (!Decode(elements[i], element, depth + 1)) {
            where = "[" + std::to_string(i) + "]" + where;
            return false;
          }
          out.push_back(std::move(element));
        }
        return true;
      }
      case PlainKind::kStructure: {
        if (!CheckArray(ref)) return false;
        out = Json::object();
        const auto* members = static_cast<const PlainMember*>(ref.data);
        for (uint32_t i = 0; i < ref.count; ++i) {
          const PlainMember& member = members[i];
          if (member.key == nullptr) {
            where = "[" + std::to_string(i) + "]" + where;
            return Fail("null member key");
          }
          Json element;
          if (!Decode(member.value, element, depth + 1)) {
            where = "." + std::string(member.key) + where;
            return false;
          }
          out[member.key] = std::move(element);
        }
        return true;
      }
    }
    return Fail("unknown kind " + std::to_string(value.kind));
  }

  bool CheckArray(const PlainRef& ref) {
    if (ref.data == nullptr && ref.count != 0) return Fail("null array with elements");
    if (ref.count > kMaxPlainCount) return Fail("too many elements");
    return true;
  }
};

bool IsBlobObject(const Json& value) {
  return value.is_object() && value.size() == 1 && value.begin().key() == kBlobKey &&
         value.begin().value().is_string();
}

}  // namespace

HostResult<Json> DecodePlain(const PlainValue& value) {
  Decoder decoder;
  Json out;
  if (!decoder.Decode(value, out, 1)) {
    return HostResult<Json>::Failure("plain value" +
                                     (decoder.where.empty() ? "" : " at " + decoder.where) + ": " +
                                     decoder.error);
  }
  return out;
}

const char* PlainArena::Keep(std::string text) {
  return texts_.emplace_back(std::move(text)).c_str();
}

HostResult<PlainValue> PlainArena::Encode(const Json& value) {
  PlainValue out{};
  HostStatus status = EncodeInto(value, out, 1);
  if (!status.ok()) return HostResult<PlainValue>::Failure(status.error());
  return out;
}

HostStatus PlainArena::EncodeInto(const Json& value, PlainValue& out, size_t depth) {
  if (depth > kMaxPlainDepth) return HostStatus::Failure("JSON value nested too deeply");
  out = PlainValue{};
  switch (value.type()) {
    case Json::value_t::null:
    case Json::value_t::discarded:
      out.kind = static_cast<uint32_t>(PlainKind::kEmpty);
      return HostStatus::Ok();
    case Json::value_t::boolean:
      out.kind = static_cast<uint32_t>(PlainKind::kBool);
      out.payload.boolean = value.get<bool>() ? 1 : 0;
      return HostStatus::Ok();
    case Json::value_t::number_integer:
      out.kind = static_cast<uint32_t>(PlainKind::kSigned);
      out.payload.signed_value = value.get<int64_t>();
      return HostStatus::Ok();
    case Json::value_t::number_unsigned:
      out.kind = static_cast<uint32_t>(PlainKind::kUnsigned);
      out.payload.unsigned_value = value.get<uint64_t>();
      return HostStatus::Ok();
    case Json::value_t::number_float:
      out.kind = static_cast<uint32_t>(PlainKind::kFloat);
      out.payload.float_value = value.get<double>();
      return HostStatus::Ok();
    case Json::value_t::string: {
      const std::string& text = value.get_ref<const std::string&>();
      out.kind = static_cast<uint32_t>(PlainKind::kStringRef);
      out.payload.ref = PlainRef{Keep(text), static_cast<uint32_t>(text.size())};
      return HostStatus::Ok();
    }
    case Json::value_t::binary: {
      const std::vector<uint8_t>& bytes = blobs_.emplace_back(value.get_binary());
      out.kind = static_cast<uint32_t>(PlainKind::kBlobRef);
      out.payload.ref = PlainRef{bytes.data(), static_cast<uint32_t>(bytes.size())};
      return HostStatus::Ok();
    }
    case Json::value_t::array: {
      auto* elements = KeepArray<PlainValue>(value.size());
      for (size_t i = 0; i < value.size(); ++i) {
        HostStatus status = EncodeInto(value[i], elements[i], depth + 1);
        if (!status.ok()) return status;
      }
      out.kind = static_cast<uint32_t>(PlainKind::kCollection);
      out.payload.ref = PlainRef{elements, static_cast<uint32_t>(value.size())};
      return HostStatus::Ok();
    }
    case Json::value_t::object: {
      if (IsBlobObject(value)) {
        auto bytes = DecodeBase64(value.begin().value().get_ref<const std::string&>());
        if (!bytes) return HostStatus::Failure("\"$blob\" is not Base64");
        const std::vector<uint8_t>& kept = blobs_.emplace_back(std::move(*bytes));
        out.kind = static_cast<uint32_t>(PlainKind::kBlobRef);
        out.payload.ref = PlainRef{kept.data(), static_cast<uint32_t>(kept.size())};
        return HostStatus::Ok();
      }
      auto* members = KeepArray<PlainMember>(value.size());
      size_t i = 0;
      for (const auto& [key, member] : value.items()) {
        members[i].key = Keep(key);
        HostStatus status = EncodeInto(member, members[i].value, depth + 1);
        if (!status.ok()) return status;
        ++i;
      }
      out.kind = static_cast<uint32_t>(PlainKind::kStructure);
      out.payload.ref = PlainRef{members, static_cast<uint32_t>(value.size())};
      return HostStatus::Ok();
    }
  }
  return HostStatus::Failure("unsupported JSON value");
}

}  // namespace Vorn::Host
