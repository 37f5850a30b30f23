// Argument binding from every location, with its index rules, empty-text rules, decoding and
// sniffing of argument texts, and the body per content type, each with its exact message.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sdk/binding/type_builder.h"
#include "sdk/encoding/json_writer.h"
#include "sdk/remoting/argument_binder.h"
#include "sdk/remoting/function_registration.h"
#include "tests/remoting/request_builder.h"

namespace Vorn {
namespace {

using Testing::RequestBuilder;

struct Item {
  int32_t id = 0;
  std::string name;
};

// One function with a parameter of every kind; binding alone is tested, nothing is called.
class ArgumentBinderTest : public ::testing::Test {
 protected:
  ArgumentBinderTest() {
    registry_.BeginType<Item>("Item").AddField("id", &Item::id).AddField("name", &Item::name);
    function_ = RegisterFunction(registry_, "F",
                                 [](std::string, bool, std::vector<int32_t>, BindingProperty,
                                    std::optional<int32_t>, Item, std::string, std::string,
                                    std::string, BindingProperty) {})
                    .SetArgument(0, "name")
                    .SetArgument(1, "verbose")
                    .SetArgument(2, "ids")
                    .SetArgument(3, "filter")
                    .SetArgument(4, "limit")
                    .SetArgument(5, "item")
                    .SetArgument(6, "token", ArgumentLocation::Header)
                    .SetArgument(7, "q", ArgumentLocation::Query)
                    .SetArgument(8, "p", ArgumentLocation::Path)
                    .SetArgument(9, "body", ArgumentLocation::Body)
                    .Record();
  }

  // The bound values as one JSON array (an unbound parameter is null), or the error message.
  std::string Bind(RequestBuilder& request, const std::map<std::string, std::string>& variables,
                   const std::string& path) {
    std::vector<BindingProperty> arguments;
    BindingResult result = BindArguments(*function_, request.Record(), path, variables, arguments);
    if (!result.Ok()) return std::string("error: ") + result.Error();
    BindingProperty all;
    all.MakeCollection();
    for (const BindingProperty& argument : arguments)
      all.Append() = argument;
    return WriteJson(all);
  }
  std::string BindPath(const std::string& path) {
    RequestBuilder request(RemotingMethod::Get, path);
    return Bind(request, {}, path);
  }

  BindingRegistry registry_;
  const BindingFunctionRecord* function_ = nullptr;
};

constexpr const char* kNothing = "[null,null,null,null,null,null,null,null,null,null]";

TEST_F(ArgumentBinderTest, QueryArgumentsAndDottedNames) {
  struct Row {
    const char* path;
    const char* expected;
  };
  const Row kRows[] = {
      {"/f", kNothing},
      {"/f?", kNothing},
      {"/f?name=bob&verbose=&&", R"(["bob",true,null,null,null,null,null,null,null,null])"},
      {"/f?verbose", R"([null,true,null,null,null,null,null,null,null,null])"},
      {"/f?na%6De=a+b%21", R"(["a b!",null,null,null,null,null,null,null,null,null])"},
      {"/f?ids.2=7", R"([null,null,[null,null,"7"],null,null,null,null,null,null,null])"},
      {"/f?ids.0x3=5", R"([null,null,[null,null,null,"5"],null,null,null,null,null,null,null])"},
      {"/f?ids.010=1&ids.0=2", R"([null,null,["2",null,null,null,null,null,null,null,"1"],null,)"
                               R"(null,null,null,null,null,null])"},
      {"/f?filter.name=x", R"([null,null,null,{"name":"x"},null,null,null,null,null,null])"},
      {"/f?filter.a.1.b=y",
       R"([null,null,null,{"a":[null,{"b":"y"}]},null,null,null,null,null,null])"},
      {"/f?item.id=5", R"([null,null,null,null,null,{"id":"5"},null,null,null,null])"},
      {"/f?q=1", R"([null,null,null,null,null,null,null,"1",null,null])"},
      {"/f?filter=&ids=", R"([null,null,[],{},null,null,null,null,null,null])"},
      {"/f?item=", R"([null,null,null,null,null,{},null,null,null,null])"},
      // Sniffed for whole object, vector and struct parameters only.
      {"/f?filter=%7B%22a%22%3A1%7D", R"([null,null,null,{"a":1},null,null,null,null,null,null])"},
      {"/f?ids=++%5B1%2C2%5D", R"([null,null,[1,2],null,null,null,null,null,null,null])"},
      {"/f?filter=---+%7Ba%3A+1%7D", R"([null,null,null,{"a":1},null,null,null,null,null,null])"},
      {"/f?filter=%81%A1a%01", R"([null,null,null,{"a":1},null,null,null,null,null,null])"},
      {"/f?filter=%91%01%02", R"([null,null,null,[1],null,null,null,null,null,null])"},
      {"/f?name=%7B%7D", R"(["{}",null,null,null,null,null,null,null,null,null])"},
      {"/f?filter.x=%7B%7D", R"([null,null,null,{"x":"{}"},null,null,null,null,null,null])"},
      {"/f?filter=plain", R"([null,null,null,"plain",null,null,null,null,null,null])"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(BindPath(row.path), row.expected);
  }
}

TEST_F(ArgumentBinderTest, QueryFailures) {
  struct Row {
    const char* path;
    const char* message;
  };
  const Row kRows[] = {
      {"/f?nope=1", "Unknown argument 'nope' for 'F'."},
      {"/f?nope.x=1", "Unknown argument 'nope.x' for 'F'."},
      {"/f?name=a&nope=1", "Unknown argument 'nope' for 'F'."},
      {"/f?p=1", "Argument 'p' for 'F' was specified in an invalid location."},
      {"/f?token=1", "Argument 'token' for 'F' was specified in an invalid location."},
      {"/f?body=1", "Argument 'body' for 'F' was specified in an invalid location."},
      {"/f?name=", "Expected value for argument 'name'."},
      {"/f?limit=", "Expected value for argument 'limit'."},
      {"/f?ids.08=1", "Index 08 is in an incorrect format"},
      {"/f?ids.1x=1", "Index 1x is in an incorrect format"},
      {"/f?ids.0x=1", "Index 0x is in an incorrect format"},
      {"/f?ids.2147483648=1", "Index 2147483648 is out of range"},
      {"/f?ids.0x80000000=1", "Index 0x80000000 is out of range"},
      {"/f?ids.99999999999999999999=1", "Index 99999999999999999999 is out of range"},
      {"/f?ids.65536=1", "Index 65536 is out of range"},
      {"/f?filter.a.70000=1", "Index 70000 is out of range"},
      {"/f?filter=%5B1",
       "Couldn't deserialize JSON value for parameter 'filter' of 'F': Error: Missing a comma or "
       "']' after an array element. at offset 2."},
      {"/f?filter=%81",
       "Couldn't deserialize MessagePack value for parameter 'filter' of 'F': Invalid MessagePack "
       "data. Array or map at position 0 is truncated."},
      {"/f?filter=---+%5B",
       "Couldn't deserialize YAML value for parameter 'filter' of 'F': YAML parser error: did not "
       "find expected node content. At line: 1 col: 0"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(BindPath(row.path), std::string("error: ") + row.message);
  }
}

TEST_F(ArgumentBinderTest, LargestGrowthIsAllowed) {
  std::vector<BindingProperty> arguments;
  RequestBuilder request(RemotingMethod::Get, "/f?ids.65535=1");
  BindingResult result =
      BindArguments(*function_, request.Record(), "/f?ids.65535=1", {}, arguments);
  ASSERT_TRUE(result.Ok()) << result.Error();
  EXPECT_EQ(arguments[2].Size(), 65536u);
}

// `segment` written `times` times after the name `filter`.
std::string DottedFilter(const char* segment, int times) {
  std::string name = "filter";
  for (int i = 0; i < times; ++i)
    name += segment;
  return name;
}

TEST_F(ArgumentBinderTest, DottedNamesAreBoundedPerRequest) {
  std::string thousand_pieces;
  for (int i = 0; i < 1000; ++i)
    thousand_pieces += (i == 0 ? "" : "&") + std::string("filter.") + std::to_string(i) + ".65535=";
  struct Row {
    std::string query;
    const char* message;  // null: binds
  };
  const Row kRows[] = {
      // The elements that dotted indexes create count over the whole request.
      {"ids.32767=&filter.32767=&filter.a=", nullptr},
      {"ids.32767=&filter.32768=", "Index 32768 is out of range"},
      {"filter.0.65534=", nullptr},
      {"filter.0.65535=", "Index 65535 is out of range"},
      {"filter.0.40000=&filter.1.40000=", "Index 40000 is out of range"},
      {thousand_pieces, "Index 65535 is out of range"},
      // Elements that exist already are not created again.
      {"ids.40000=&ids.40000=&ids.0=&ids.39999=", nullptr},
      // The parameter's value is level 1; each segment makes one more level a container.
      {DottedFilter(".a", 512) + "=x", nullptr},
      {DottedFilter(".0", 512) + "=x", nullptr},
      {DottedFilter(".a", 513) + "=x",
       "Couldn't assign value to 'filter' because the input is nested too deeply."},
      {DottedFilter(".0", 513) + "=x",
       "Couldn't assign value to 'filter' because the input is nested too deeply."},
      {DottedFilter(".a", 200000) + "=x",
       "Couldn't assign value to 'filter' because the input is nested too deeply."},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.query.substr(0, 64));
    const std::string path = "/f?" + row.query;
    RequestBuilder request(RemotingMethod::Get, path);
    std::vector<BindingProperty> arguments;
    BindingResult result = BindArguments(*function_, request.Record(), path, {}, arguments);
    if (row.message == nullptr) {
      EXPECT_TRUE(result.Ok()) << result.Error();
    } else {
      EXPECT_STREQ(result.Error(), row.message);
    }
  }
}

TEST_F(ArgumentBinderTest, HeadersVariablesAndNamedArguments) {
  BindingProperty five;
  five.SetSigned(int64_t{5});
  BindingProperty text;
  text.SetString("positional");
  struct Row {
    const char* label;
    std::vector<std::pair<std::string, std::string>> headers;
    std::map<std::string, std::string> variables;
    std::vector<std::pair<const char*, const BindingProperty*>> arguments;
    const char* path;
    const char* expected;
  };
  const Row kRows[] = {
      {"header by lower-case name",
       {{"token", "t1"}, {"name", "h"}},
       {},
       {},
       "/f",
       R"(["h",null,null,null,null,null,"t1",null,null,null])"},
      {"header names are not folded", {{"Token", "t1"}}, {}, {}, "/f", kNothing},
      {"repeated header keeps the last",
       {{"token", "a"}, {"token", "b"}},
       {},
       {},
       "/f",
       R"([null,null,null,null,null,null,"b",null,null,null])"},
      {"path variable",
       {},
       {{"p", "3"}, {"name", "v"}},
       {},
       "/f",
       R"(["v",null,null,null,null,null,null,null,"3",null])"},
      {"query after path",
       {},
       {{"name", "v"}},
       {},
       "/f?name=w",
       R"(["w",null,null,null,null,null,null,null,null,null])"},
      {"named argument",
       {},
       {},
       {{"limit", &five}},
       "/f",
       R"([null,null,null,null,5,null,null,null,null,null])"},
      {"positional after one path variable",
       {},
       {{"p", "3"}},
       {{nullptr, &text}},
       "/f",
       R"([null,"positional",null,null,null,null,null,null,"3",null])"},
      {"unknown named",
       {},
       {},
       {{"Limit", &five}},
       "/f",
       "error: Unknown argument 'Limit' for 'F'."},
      {"position beyond the last",
       {},
       {{"p", "3"}},
       {{nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text},
        {nullptr, &text}},
       "/f",
       "error: Unknown argument '10' for 'F'."},
      {"path variable for a query-only parameter",
       {},
       {{"q", "1"}},
       {},
       "/f",
       "error: Argument 'q' for 'F' was specified in an invalid location."},
      {"unknown path variable",
       {},
       {{"zz", "1"}},
       {},
       "/f",
       "error: Unknown argument 'zz' for 'F'."},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.label);
    RequestBuilder request(RemotingMethod::Get, row.path);
    for (const auto& [name, value] : row.headers)
      request.Header(name, value);
    for (const auto& [name, value] : row.arguments)
      request.Argument(name, *value);
    EXPECT_EQ(Bind(request, row.variables, row.path), row.expected);
  }
}

TEST_F(ArgumentBinderTest, BodyByContentType) {
  struct Row {
    const char* content_type;
    std::string body;
    const char* query;
    const char* expected;
  };
  const Row kRows[] = {
      {"application/json", R"({"a":[1,2]})", "", R"({"a":[1,2]})"},
      {"application/json; charset=utf-8", std::string("[1]\0[2", 6), "", "[1]"},
      {"application/vnd.api+json", "", "", "null"},
      {"application/x-yaml", "a: 1\n", "", R"({"a":1})"},
      {"APPLICATION/X-YAML", std::string("a: 1\n\0\xff\xfe", 8), "", R"({"a":1})"},
      {"application/x-msgpack", "\x92\x01\x02", "", "[1,2]"},
      {"application/x-msgpack-ext", "\x92\x01\x02\x03", "",
       "error: Extra MessgePack data found in body"},
      {"text/x-yaml", "a: 1", "", "error: Unsupported body content type"},
      {"", "{}", "", "error: Unsupported body content type"},
      {"application/json", "[1", "",
       "error: Error: Missing a comma or ']' after an array element. at offset 2."},
      {"application/x-msgpack", "\x92\x01", "",
       "error: Invalid MessagePack data. Array or map at position 0 is truncated."},
      // The body step runs after an earlier failure, and only its own failure replaces it.
      {"application/json", "{}", "?nope=1", "error: Unknown argument 'nope' for 'F'."},
      {"text/plain", "{}", "?nope=1", "error: Unsupported body content type"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.content_type) + " " + row.query);
    const std::string path = std::string("/f") + row.query;
    RequestBuilder request(RemotingMethod::Post, path);
    request.Body(row.content_type, row.body);
    std::string bound = Bind(request, {}, path);
    if (bound.rfind("error: ", 0) != 0) {
      // Only the body parameter, the last one, is bound.
      ASSERT_EQ(bound.rfind("[null,null,null,null,null,null,null,null,null,", 0), 0u) << bound;
      bound = bound.substr(46, bound.size() - 47);
    }
    EXPECT_EQ(bound, row.expected);
  }
}

TEST_F(ArgumentBinderTest, BodyIsIgnoredWithoutBodyParameter) {
  BindingRegistry registry;
  const BindingFunctionRecord* plain =
      RegisterFunction(registry, "G", [](std::string) {}).SetArgument(0, "s").Record();
  RequestBuilder request(RemotingMethod::Post, "/g");
  request.Body("text/plain", "whatever");
  std::vector<BindingProperty> arguments;
  BindingResult result = BindArguments(*plain, request.Record(), "/g", {}, arguments);
  EXPECT_TRUE(result.Ok()) << result.Error();
}

TEST(ArgumentTextTest, ContentTypesDecodeSingleValues) {
  BindingArgumentRecord parameter;
  parameter.name = "v";
  parameter.type.code = BindingTypeCode::String;
  struct Row {
    const char* content_type;
    std::string text;
    const char* expected;
  };
  const Row kRows[] = {
      {"application/json", R"({"a":1})", R"({"a":1})"},
      {"text/x-yaml", "[1, x]", R"([1,"x"])"},
      {"application/x-msgpack", "\x91\xc3", "[true]"},
      {"application/octet-stream", std::string("\0\xff", 2), R"("AP8=")"},
      {"text/plain", "{}", R"("{}")"},
      {"application/json", "{",
       "error: Couldn't deserialize JSON value for parameter 'v' of 'H': "
       "Error: Missing a name for object member. at offset 1."},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.content_type);
    BindingResult result;
    BindingProperty value;
    AssignArgumentText(result, value, row.text, row.content_type, true, parameter, "H");
    EXPECT_EQ(result.Ok() ? WriteJson(value) : std::string("error: ") + result.Error(),
              row.expected);
  }
}

}  // namespace
}  // namespace Vorn
