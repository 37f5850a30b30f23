// Transcript lines on a stream, flushed per line so a crash still leaves what came before.
#include "tools/transcript_printer.h"

#include <string>

namespace Vorn::Tools {

void TranscriptPrinter::Print(const Host::TranscriptEntry& entry) const {
  const std::string line = style_ == TranscriptStyle::kJsonLines ? Host::FormatJsonLine(entry)
                                                                 : Host::FormatReadable(entry);
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace Vorn::Tools
