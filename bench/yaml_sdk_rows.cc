// The SDK's YAML rows of codec_bench: ParseYaml against libyaml's bare event loop. The
// "sdk-reserved-pages" row repeats ParseYaml with the page source's regions kept mapped.
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

const bool kRegistered =
    AddCodecRow("YamlParse", "sdk", YamlCorpus, Parse) &&
    AddCodecRow("YamlParse", "sdk-reserved-pages", YamlCorpus, WithReservedPages<Parse>);

}  // namespace
}  // namespace bench
