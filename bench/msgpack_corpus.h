// The MessagePack form of the benchmark corpus, shared by the MessagePack rows of codec_bench.
#pragma once

#include <string>
#include <vector>

#include "bench/codec_rows.h"

namespace bench {

// canada.msgpack, citm_catalog.msgpack and twitter.msgpack: the JSON corpus encoded once, at
// first use (in the anchor's file, so the SDK rows stay free of the encoder).
const std::vector<CorpusFile>& MessagePackCorpus();

// The JSON text that a MessagePack corpus file was made from.
const CorpusFile& JsonSourceOf(const CorpusFile& file);

}  // namespace bench
