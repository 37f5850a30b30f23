// Methods, content types, the outcome's text form, and the response record: filling, the
// shared empty content type, stream hand-over and release through the record's own function.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "sdk/remoting/content_type.h"
#include "sdk/remoting/remoting_method.h"
#include "sdk/remoting/remoting_response.h"
#include "sdk/remoting/remoting_result.h"
#include "sdk/runtime/allocation.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {
namespace {

TEST(RemotingMethodTest, NamesAndHostCodes) {
  struct Row {
    uint32_t code;
    const char* name;
    uint32_t from_host;
  };
  constexpr Row kRows[] = {
      {0, "", 0},        {1, "DELETE", 1}, {2, "GET", 2},       {3, "HEAD", 3},
      {4, "OPTIONS", 4}, {5, "PATCH", 5},  {6, "POST", 6},      {7, "PUT", 7},
      {8, "", 8},        {9, "", 0},       {0xFFFFFFFF, "", 0},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.code);
    EXPECT_STREQ(MethodName(row.code), row.name);
    EXPECT_EQ(static_cast<uint32_t>(MethodFromHost(row.code)), row.from_host);
  }
}

TEST(ContentTypeTest, BodyAndArgumentClassification) {
  struct Row {
    const char* text;
    RemotingBodyFormat body;
    ArgumentValueFormat argument;
  };
  constexpr Row kRows[] = {
      {"application/json", RemotingBodyFormat::Json, ArgumentValueFormat::Json},
      {"APPLICATION/JSON", RemotingBodyFormat::Json, ArgumentValueFormat::Json},
      {"application/json; charset=utf-8", RemotingBodyFormat::Json, ArgumentValueFormat::Json},
      {"application/vnd.api+json", RemotingBodyFormat::Json, ArgumentValueFormat::Json},
      {"application/x-msgpack", RemotingBodyFormat::MessagePack, ArgumentValueFormat::MessagePack},
      {"application/x-msgpack-ext", RemotingBodyFormat::MessagePack,
       ArgumentValueFormat::MessagePack},
      {"application/x-yaml", RemotingBodyFormat::Yaml, ArgumentValueFormat::Yaml},
      {"text/x-yaml", RemotingBodyFormat::Unknown, ArgumentValueFormat::Yaml},
      {"application/octet-stream", RemotingBodyFormat::Unknown, ArgumentValueFormat::Raw},
      {"application/jso", RemotingBodyFormat::Unknown, ArgumentValueFormat::Text},
      {"text/plain", RemotingBodyFormat::Unknown, ArgumentValueFormat::Text},
      {"", RemotingBodyFormat::Unknown, ArgumentValueFormat::Text},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ClassifyContentType(row.text), row.body);
    EXPECT_EQ(ClassifyArgumentContentType(row.text), row.argument);
  }
}

TEST(RemotingResultTest, TextForm) {
  EXPECT_EQ(FormatText("%1", RemotingResult::Success()), "Success");
  EXPECT_EQ(FormatText("%1", RemotingResult::Failure(503, "busy")), "busy (503)");
  EXPECT_EQ(FormatTextForm(RemotingResult{-2, "x", true}), "x (-2)");
}

class CountingStream : public RemotingStream {
 public:
  explicit CountingStream(int* destroyed) : destroyed_(destroyed) {}
  ~CountingStream() override { ++*destroyed_; }
  int32_t Read(uint32_t a, uint32_t b, uint32_t c) override {
    return static_cast<int32_t>(a + 10 * b + 100 * c);
  }
  uint32_t Length() const override { return 0xFFFFFFF0u; }

 private:
  int* destroyed_;
};

uint64_t LiveBlocks() {
  const AllocationStats stats = ReadAllocationStats();
  return stats.allocations - stats.frees;
}

TEST(ResponseRecordTest, FillCopiesEverythingAndReleaseFreesIt) {
  const uint64_t live_before = LiveBlocks();
  int destroyed = 0;
  HostResponseRecord record;
  ResetResponseRecord(record);
  {
    RemotingResponse response;
    response.result.Value().MakeStructure();
    response.result.Value().MemberAt("id").SetSigned(int64_t{7});
    response.flag = 9;
    response.body_format = 3;
    response.status = 201;
    response.content_type = "application/json";
    response.headers = {{"x-a", "1"}, {"x-b", "2"}};
    response.stream = std::make_unique<CountingStream>(&destroyed);
    FillResponseRecord(record, response, nullptr);
    EXPECT_EQ(response.stream, nullptr);
  }
  EXPECT_EQ(destroyed, 0);
  const uint8_t flag = record.flag;
  const uint32_t body_format = record.body_format;
  const int32_t status = record.status;
  const uint64_t length = record.stream_length;
  const uint32_t header_count = record.header_count;
  const HostTextPair* headers = record.headers;
  EXPECT_EQ(flag, 9);
  EXPECT_EQ(body_format, 3u);
  EXPECT_EQ(status, 201);
  EXPECT_EQ(length, 0xFFFFFFF0u);
  EXPECT_STREQ(record.content_type, "application/json");
  ASSERT_EQ(header_count, 2u);
  EXPECT_STREQ(headers[1].name, "x-b");
  EXPECT_STREQ(headers[1].value, "2");
  const uint32_t kind = record.result.value.kind;
  EXPECT_EQ(kind, static_cast<uint32_t>(kBindingPlainStructure));
  EXPECT_EQ(record.stream_read(record.stream, 1, 2, 3), 321);

  void* stream = record.stream;
  HostStreamReleaseFn release_stream = record.stream_release;
  record.release(&record);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t i = 0; i < sizeof(record); ++i)
    ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(destroyed, 0) << "the record's release leaves the stream to the host";
  release_stream(stream);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(LiveBlocks(), live_before);
}

TEST(ResponseRecordTest, ErrorsAndDefaults) {
  struct Row {
    const char* error;  // null: a successful Empty result
    uint32_t body_format;
    uint32_t expected_format;
  };
  constexpr Row kRows[] = {{nullptr, 0, 0}, {nullptr, 4, 0}, {"boom", 1, 1}, {"", 2, 2}};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.error == nullptr ? "ok" : row.error);
    const uint64_t live_before = LiveBlocks();
    int destroyed = 0;
    HostResponseRecord record;
    ResetResponseRecord(record);
    {
      RemotingResponse response;
      response.body_format = row.body_format;
      response.stream = std::make_unique<CountingStream>(&destroyed);
      if (row.error != nullptr) response.SetError(row.error);
      EXPECT_EQ(destroyed, row.error != nullptr ? 1 : 0) << "SetError destroys the stream";
      response.stream.reset();
      FillResponseRecord(record, response, nullptr);
    }
    const uint8_t failed = record.result.failed;
    const uint32_t body_format = record.body_format;
    EXPECT_EQ(failed, row.error != nullptr ? 1 : 0);
    if (row.error != nullptr) {
      EXPECT_STREQ(record.result.error, row.error);
    }
    EXPECT_EQ(body_format, row.expected_format);
    // Packed fields are copied before gtest binds references to them.
    const char* content_type = record.content_type;
    void* stream = record.stream;
    const HostResponseReleaseFn release = record.release;
    ASSERT_NE(content_type, nullptr);
    EXPECT_EQ(content_type, EmptyResponseText()) << "shared, never freed";
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(release, &ReleaseResponseRecord);
    record.release(&record);
    EXPECT_EQ(LiveBlocks(), live_before);
  }
}

}  // namespace
}  // namespace Vorn
