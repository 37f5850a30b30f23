// Prints transcript entries as they happen: readable lines, or JSON Lines.
#pragma once

#include <cstdio>
#include <string>

#include "host/transcript.h"

namespace Vorn::Tools {

enum class TranscriptStyle { kReadable, kJsonLines };

class TranscriptPrinter {
 public:
  TranscriptPrinter(TranscriptStyle style, std::FILE* out) : style_(style), out_(out) {}
  void Print(const Host::TranscriptEntry& entry) const;
  // A scenario's note: "-- text", or {"note":"text"} as a JSON line.
  void PrintNote(const std::string& note) const;

 private:
  TranscriptStyle style_;
  std::FILE* out_;
};

}  // namespace Vorn::Tools
