// The row registry of codec_bench: each library's rows live in their own source file and
// register here; the program runs every row over every file of the corpus it names, SDK row
// beside its anchor, and prints their throughput ratios.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/page_reserve.h"

namespace bench {

// One corpus file, read once and kept for the whole run.
struct CorpusFile {
  std::string name;  // "canada.json"
  std::string text;  // its bytes, followed by the NUL that std::string keeps
};

// The JSON corpus: canada.json, citm_catalog.json and twitter.json.
const std::vector<CorpusFile>& JsonCorpus();

// Times one operation on one file; setup before the state loop is not timed. The row should
// report the file's size per iteration (SetBytesProcessed) so that its throughput shows.
using RowBody = void (*)(benchmark::State& state, const CorpusFile& file);

// A row "<operation>/<file>/<library>". Rows of one operation are compared with each other:
// each whose library is "sdk" or "sdk-<variant>" against every other (its anchors). Returns true,
// so that a row file can register from a namespace-scope initialiser.
bool AddCodecRow(const char* operation, const char* library,
                 const std::vector<CorpusFile>& (*corpus)(), RowBody body);

// The row `Body` with the page source's regions kept mapped: its "sdk-reserved-pages" variant.
template <RowBody Body>
void WithReservedPages(benchmark::State& state, const CorpusFile& file) {
  const PageRegionReserve reserve(kReservedPages);
  Body(state, file);
}

// Marks every iteration as having processed the whole file.
inline void CountBytes(benchmark::State& state, const CorpusFile& file) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.text.size()));
}

}  // namespace bench
