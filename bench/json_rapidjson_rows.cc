// RapidJSON's anchor rows for the JSON rows of codec_bench: Document::Parse with the default
// flags, and Writer / PrettyWriter writing a Document into a StringBuffer.
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "bench/codec_rows.h"

namespace bench {
namespace {

void Parse(benchmark::State& state, const CorpusFile& file) {
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(file.text.c_str());
    benchmark::DoNotOptimize(document);
    if (document.HasParseError()) state.SkipWithError("parse error");
  }
  CountBytes(state, file);
}

template <typename Writer>
void Write(benchmark::State& state, const CorpusFile& file) {
  rapidjson::Document document;
  document.Parse(file.text.c_str());
  for (auto _ : state) {
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    document.Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  }
  CountBytes(state, file);
}

const bool kRegistered = AddCodecRow("JsonParse", "rapidjson", JsonCorpus, Parse) &&
                         AddCodecRow("JsonWriteCompact", "rapidjson", JsonCorpus,
                                     Write<rapidjson::Writer<rapidjson::StringBuffer>>) &&
                         AddCodecRow("JsonWritePretty", "rapidjson", JsonCorpus,
                                     Write<rapidjson::PrettyWriter<rapidjson::StringBuffer>>);

}  // namespace
}  // namespace bench
