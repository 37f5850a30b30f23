// Fuzzes request dispatch: builds a host request record from the input (path with query,
// headers, named and positional plain arguments, a body with its content type) and delivers it
// through the route entries' request callback to functions with every parameter kind. The
// response must come back releasable, with the release function installed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_bytes.h"
#include "sdk/binding/type_builder.h"
#include "sdk/plugin/abi/request_records.h"
#include "sdk/remoting/function_registration.h"
#include "sdk/remoting/remoting_response.h"
#include "sdk/remoting/request_handler.h"

namespace {

struct Item {
  int32_t id = 0;
  std::string name;
  std::vector<double> weights;
};

enum class Tier : int32_t { Bronze = 1, Gold = 3 };

class StatusSource {
 public:
  Item Current() const { return Item{1, "status", {0.5}}; }
};

struct Fixture {
  Vorn::BindingRegistry registry;
  Vorn::RemotingHandlerTable handlers;
  StatusSource source;
  std::vector<const Vorn::RemotingHandlerContext*> contexts;

  Fixture() {
    using Vorn::ArgumentLocation;
    using Vorn::BindingProperty;
    using Vorn::RemotingMethod;
    registry.BeginEnum<Tier>("Tier")
        .AddEnumValue("Bronze", Tier::Bronze)
        .AddEnumValue("Gold", Tier::Gold);
    registry.BeginType<Item>("Item")
        .AddField("id", &Item::id)
        .AddField("name", &Item::name)
        .AddField("weights", &Item::weights);
    Vorn::RegisterGetHandler(registry, "/r/status-notification", &source, &StatusSource::Current);
    Vorn::RegisterFunction(
        registry, "Everything",
        [](std::string p, std::string rest, bool b, int32_t i, uint64_t u, double d,
           std::vector<int32_t> v, std::map<std::string, std::string> m, BindingProperty o,
           Item item, Tier tier, std::optional<int8_t> opt, std::vector<uint8_t> blob,
           std::string header, int16_t q, BindingProperty body,
           const Vorn::RemotingRequest& request) {
          BindingProperty out;
          out.MemberAt("p").SetString(p + rest + request.path);
          out.MemberAt("n").SetFloat(d + i + static_cast<double>(u) + q + (b ? 1 : 0));
          out.MemberAt("v").SetUnsigned(uint64_t{v.size() + m.size() + blob.size()});
          out.MemberAt("o").CopyFrom(o);
          out.MemberAt("body").CopyFrom(body);
          out.MemberAt("item").SetString(item.name + header);
          out.MemberAt("tier").SetSigned(static_cast<int32_t>(tier) + opt.value_or(0));
          return out;
        })
        .SetArgument(0, "p", ArgumentLocation::Path)
        .SetArgument(1, "rest")
        .SetArgument(2, "b")
        .SetArgument(3, "i")
        .SetArgument(4, "u")
        .SetArgument(5, "d")
        .SetArgument(6, "v")
        .SetArgument(7, "m")
        .SetArgument(8, "o")
        .SetArgument(9, "item")
        .SetArgument(10, "tier")
        .SetArgument(11, "opt")
        .SetArgument(12, "blob")
        .SetArgument(13, "header", ArgumentLocation::Header)
        .SetArgument(14, "q", ArgumentLocation::Query)
        .SetArgument(15, "body", ArgumentLocation::Body)
        .SetPath("/e/{p}/{+rest}");
    Vorn::RegisterFunction(registry, "Typed",
                           [](int32_t id, Item body) {
                             return Item{id, body.name, body.weights};
                           })
        .SetArgument(0, "id", ArgumentLocation::Path)
        .SetArgument(1, "body", ArgumentLocation::Body)
        .SetPath("/t/{id}{#frag}")
        .SetMethod(RemotingMethod::Post);
    Vorn::RegisterFunction(registry, "Purge", [](std::vector<Tier> tiers) { return tiers; })
        .SetArgument(0, "tiers")
        .SetPath("/c/{tiers}")
        .SetMethodName("PURGE");
    Vorn::RegisterFunction(registry, "ByName", [](std::map<std::string, int64_t> m) { return m; });
    for (const char* name : {"GetRStatusNotification", "Everything", "Typed", "Purge", "ByName"}) {
      contexts.push_back(handlers.ContextFor(registry, *registry.FindFunction(name)));
    }
  }
};

using Reader = Vorn::Fuzzing::FuzzBytes;

// Host-owned plain values: every text and array lives in the builder, as the host's would.
class PlainBuilder {
 public:
  explicit PlainBuilder(Reader& reader) : reader_(reader) {}

  BindingPlainValue Value(int depth) {
    BindingPlainValue value;
    std::memset(&value, 0, sizeof(value));
    const uint8_t kind = reader_.Byte() % 12;
    value.kind = kind;
    switch (kind) {
      case kBindingPlainBool:
        value.payload.boolean = reader_.Byte();
        break;
      case kBindingPlainSigned:
      case kBindingPlainUnsigned:
      case kBindingPlainFloat:
        value.payload.unsigned_value = reader_.Word();
        break;
      case kBindingPlainStringRef:
      case kBindingPlainString:
      case kBindingPlainBlobRef:
      case kBindingPlainBlob:
        texts_.push_back(reader_.Text(24));
        value.payload.ref.data = reader_.Byte() == 0xFF ? nullptr : texts_.back().c_str();
        value.payload.ref.count = static_cast<uint32_t>(texts_.back().size());
        break;
      case kBindingPlainCollection:
      case kBindingPlainStructure: {
        const uint32_t count = depth > 3 ? 0 : reader_.Byte() % 4;
        if (reader_.Byte() == 0xFF) {  // a malformed array: null with a count
          value.payload.ref.data = nullptr;
          value.payload.ref.count = count + 1;
          break;
        }
        if (kind == kBindingPlainCollection) {
          auto& elements = elements_.emplace_back();
          for (uint32_t i = 0; i < count; ++i)
            elements.push_back(Value(depth + 1));
          value.payload.ref.data = elements.data();
        } else {
          auto& members = members_.emplace_back();
          for (uint32_t i = 0; i < count; ++i) {
            texts_.push_back(reader_.Text(8));
            BindingPlainMember member;
            member.key = texts_.back().c_str();
            member.value = Value(depth + 1);
            member.key_owned = 0;
            members.push_back(member);
          }
          value.payload.ref.data = members.data();
        }
        value.payload.ref.count = count;
        break;
      }
      default:  // Empty, or a kind the host should never send
        break;
    }
    return value;
  }

  std::deque<std::string> texts_;

 private:
  Reader& reader_;
  std::deque<std::vector<BindingPlainValue>> elements_;
  std::deque<std::vector<BindingPlainMember>> members_;
};

const char* const kPrefixes[] = {"/r/status-notification", "/e/", "/t/", "/c/", "ByName", ""};
const char* const kContentTypes[] = {"application/json",
                                     "application/x-yaml",
                                     "application/x-msgpack",
                                     "application/x-msgpack-ext",
                                     "application/vnd.api+json",
                                     "text/x-yaml",
                                     "",
                                     nullptr};
const char* const kNames[] = {"p",    "rest", "b",   "i",    "u", "d",    "v",  "m",     "o",
                              "item", "tier", "opt", "blob", "q", "body", "id", "tiers", "o.x.1"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture* fixture = new Fixture();
  Reader reader(data, size);
  const uint8_t target = reader.Byte();
  const uint8_t method = reader.Byte() % 10;
  std::string path = kPrefixes[reader.Byte() % 6];
  // Long enough for dotted names deeper than the nesting limit.
  path += reader.LongText(4096);
  std::string method_name = reader.Byte() % 2 == 0 ? "PURGE" : reader.Text(8);

  std::deque<std::string> header_texts;
  std::vector<HostTextPair> headers;
  for (uint8_t i = 0, count = reader.Byte() % 4; i < count; ++i) {
    header_texts.push_back(reader.Byte() % 2 == 0 ? "header" : reader.Text(8));
    header_texts.push_back(reader.Text(16));
    headers.push_back({header_texts[header_texts.size() - 2].c_str(), header_texts.back().c_str()});
  }

  PlainBuilder plain(reader);
  std::vector<HostRequestArgument> arguments;
  for (uint8_t i = 0, count = reader.Byte() % 4; i < count; ++i) {
    const uint8_t choice = reader.Byte();
    const char* name = nullptr;
    if (choice % 3 == 1) name = kNames[choice % (sizeof(kNames) / sizeof(kNames[0]))];
    if (choice % 3 == 2) {
      plain.texts_.push_back(reader.Text(8));
      name = plain.texts_.back().c_str();
    }
    arguments.push_back(HostRequestArgument{name, plain.Value(1)});
  }

  const char* content_type = kContentTypes[reader.Byte() % 8];
  const bool has_body = reader.Byte() % 4 != 0;
  std::string body = reader.Rest();
  // The body lives in its own exact-size block, so reading past its size is an ASan report.
  std::unique_ptr<char[]> body_block(new char[body.size() + 1]);
  std::memcpy(body_block.get(), body.data(), body.size());

  HostRequestRecord request;
  std::memset(&request, 0, sizeof(request));
  request.method = method == 9 ? 0xFFFFu : method;
  request.path = path.c_str();
  request.arguments = arguments.empty() ? nullptr : arguments.data();
  request.argument_count = static_cast<uint32_t>(arguments.size());
  request.handler_context = target % 7 == 6
                                ? nullptr
                                : const_cast<Vorn::RemotingHandlerContext*>(
                                      fixture->contexts[target % fixture->contexts.size()]);
  request.headers = headers.empty() ? nullptr : headers.data();
  request.header_count = static_cast<uint32_t>(headers.size());
  request.content_type = content_type;
  request.body = has_body ? body_block.get() : nullptr;
  request.body_size = static_cast<uint32_t>(body.size());
  request.request_handle = 5;
  request.method_name = method_name.c_str();

  HostResponseRecord response;
  std::memset(&response, 0, sizeof(response));
  Vorn::RemotingRequestCallback(&response, &request);
  if (response.release != &Vorn::ReleaseResponseRecord) std::abort();
  if (response.result.failed != 0 && response.result.error == nullptr) std::abort();
  if (response.content_type == nullptr) std::abort();
  response.release(&response);
  return 0;
}
