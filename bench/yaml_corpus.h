// The YAML form of the benchmark corpus, shared by the YAML rows of codec_bench.
#pragma once

#include <vector>

#include "bench/codec_rows.h"

namespace bench {

// canada.yaml, citm_catalog.yaml and twitter.yaml: the JSON corpus written once, at first use,
// as block-style YAML (mappings and sequences in block style, texts double-quoted, empty
// containers as "[]" and "{}"). Written in the anchor's file, so the SDK rows stay free of the
// JSON library.
const std::vector<CorpusFile>& YamlCorpus();

}  // namespace bench
