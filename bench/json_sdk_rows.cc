// The SDK's JSON rows of codec_bench: ParseJson, and WriteJson compact and pretty. The
// "sdk-reserved-pages" parse row repeats ParseJson with the page source's regions kept mapped.
#include "bench/codec_rows.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/encoding/json_writer.h"

namespace bench {
namespace {

void Parse(benchmark::State& state, const CorpusFile& file) {
  for (auto _ : state) {
    Vorn::BindingResult result = Vorn::ParseJson(file.text.c_str());
    benchmark::DoNotOptimize(result);
    if (!result.Ok()) state.SkipWithError(result.Error());
  }
  CountBytes(state, file);
}

void Write(benchmark::State& state, const CorpusFile& file, const char* newline) {
  const Vorn::BindingResult parsed = Vorn::ParseJson(file.text.c_str());
  for (auto _ : state) {
    std::string text = Vorn::WriteJson(parsed.Value(), nullptr, newline);
    benchmark::DoNotOptimize(text);
  }
  CountBytes(state, file);
}

void WriteCompact(benchmark::State& state, const CorpusFile& file) {
  Write(state, file, nullptr);
}

void WritePretty(benchmark::State& state, const CorpusFile& file) {
  Write(state, file, "\n");
}

const bool kRegistered =
    AddCodecRow("JsonParse", "sdk", JsonCorpus, Parse) &&
    AddCodecRow("JsonParse", "sdk-reserved-pages", JsonCorpus, WithReservedPages<Parse>) &&
    AddCodecRow("JsonWriteCompact", "sdk", JsonCorpus, WriteCompact) &&
    AddCodecRow("JsonWritePretty", "sdk", JsonCorpus, WritePretty);

}  // namespace
}  // namespace bench
