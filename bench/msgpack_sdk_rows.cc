// The SDK's MessagePack rows of codec_bench: ParseMessagePack against msgpack-c, and beside it
// ParseJson on the JSON text of the same document (the MessagePack reader should beat it). The
// "sdk-reserved-pages" row repeats ParseMessagePack with the page source's regions kept mapped.
#include "bench/msgpack_corpus.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/encoding/msgpack_reader.h"

namespace bench {
namespace {

void Parse(benchmark::State& state, const CorpusFile& file) {
  const uint32_t size = static_cast<uint32_t>(file.text.size());
  for (auto _ : state) {
    uint32_t consumed = 0;
    Vorn::BindingResult result = Vorn::ParseMessagePack(file.text.data(), size, consumed);
    benchmark::DoNotOptimize(result);
    if (!result.Ok() || consumed != size) state.SkipWithError("ParseMessagePack failed");
  }
  CountBytes(state, file);
}

// Timed per document, like the rows beside it; the bytes counted are the JSON text's.
void ParseSameDocumentAsJson(benchmark::State& state, const CorpusFile& file) {
  const CorpusFile& json = JsonSourceOf(file);
  for (auto _ : state) {
    Vorn::BindingResult result = Vorn::ParseJson(json.text.c_str());
    benchmark::DoNotOptimize(result);
    if (!result.Ok()) state.SkipWithError(result.Error());
  }
  CountBytes(state, json);
}

const bool kRegistered =
    AddCodecRow("MsgpackParse", "sdk", MessagePackCorpus, Parse) &&
    AddCodecRow("MsgpackParse", "sdk-reserved-pages", MessagePackCorpus,
                WithReservedPages<Parse>) &&
    AddCodecRow("MsgpackParse", "sdk-json", MessagePackCorpus, ParseSameDocumentAsJson);

}  // namespace
}  // namespace bench
