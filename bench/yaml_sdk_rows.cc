// The SDK's YAML rows of codec_bench: ParseYaml against libyaml's bare event loop. The
// "sdk-reserved-pages" row repeats ParseYaml with the page source's regions kept mapped.
#include "bench/page_reserve.h"
#include "bench/yaml_corpus.h"
#include "sdk/encoding/yaml_reader.h"

namespace bench {
namespace {

void Parse(benchmark::State& state, const CorpusFile& file) {
  for (auto _ : state) {
    Vorn::BindingResult result = Vorn::ParseYaml(file.text);
    benchmark::DoNotOptimize(result);
    if (!result.Ok()) state.SkipWithError(result.Error());
  }
  CountBytes(state, file);
}

void ParseWithReservedPages(benchmark::State& state, const CorpusFile& file) {
  const PageRegionReserve reserve(kReservedPages);
  Parse(state, file);
}

const bool kRegistered =
    AddCodecRow("YamlParse", "sdk", YamlCorpus, Parse) &&
    AddCodecRow("YamlParse", "sdk-reserved-pages", YamlCorpus, ParseWithReservedPages);

}  // namespace
}  // namespace bench
