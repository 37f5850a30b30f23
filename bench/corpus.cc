// Reads the benchmark corpus from the shared data folder (QEV_BENCH_DATA_DIR) once.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bench/codec_rows.h"

namespace bench {
namespace {

CorpusFile ReadCorpusFile(const char* name) {
  const std::string path = std::string(QEV_BENCH_DATA_DIR) + "/" + name;
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    std::fprintf(stderr, "codec_bench: cannot read %s\n", path.c_str());
    std::exit(1);
  }
  std::ostringstream bytes;
  bytes << stream.rdbuf();
  return CorpusFile{name, bytes.str()};
}

}  // namespace

const std::vector<CorpusFile>& JsonCorpus() {
  static const std::vector<CorpusFile> corpus = {
      ReadCorpusFile("canada.json"),
      ReadCorpusFile("citm_catalog.json"),
      ReadCorpusFile("twitter.json"),
  };
  return corpus;
}

}  // namespace bench
