// msgpack-c's anchor row for MessagePack parsing (`msgpack::unpack` into its object tree), and
// the MessagePack form of the JSON corpus, encoded once with nlohmann::json.
#include <msgpack.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>

#include "bench/msgpack_corpus.h"

namespace bench {
namespace {

std::string StemOf(const std::string& name) {
  return name.substr(0, name.rfind('.'));
}

void Unpack(benchmark::State& state, const CorpusFile& file) {
  for (auto _ : state) {
    msgpack::object_handle handle = msgpack::unpack(file.text.data(), file.text.size());
    benchmark::DoNotOptimize(handle.get());
  }
  CountBytes(state, file);
}

const bool kRegistered = AddCodecRow("MsgpackParse", "msgpack-c", MessagePackCorpus, Unpack);

}  // namespace

const std::vector<CorpusFile>& MessagePackCorpus() {
  static const std::vector<CorpusFile> corpus = [] {
    std::vector<CorpusFile> files;
    for (const CorpusFile& json : JsonCorpus()) {
      const std::vector<std::uint8_t> bytes =
          nlohmann::json::to_msgpack(nlohmann::json::parse(json.text));
      files.push_back(
          CorpusFile{StemOf(json.name) + ".msgpack", std::string(bytes.begin(), bytes.end())});
    }
    return files;
  }();
  return corpus;
}

const CorpusFile& JsonSourceOf(const CorpusFile& file) {
  for (const CorpusFile& json : JsonCorpus()) {
    if (StemOf(json.name) == StemOf(file.name)) return json;
  }
  std::fprintf(stderr, "codec_bench: no JSON source for %s\n", file.name.c_str());
  std::exit(1);
}

}  // namespace bench
