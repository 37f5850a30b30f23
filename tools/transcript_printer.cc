// Transcript lines on a stream, flushed per line so a crash still leaves what came before.
#include "tools/transcript_printer.h"

namespace Vorn::Tools {
namespace {

void PutLine(const std::string& line, std::FILE* out) {
  std::fputs(line.c_str(), out);
  std::fputc('\n', out);
  std::fflush(out);
}

}  // namespace

void TranscriptPrinter::Print(const Host::TranscriptEntry& entry) const {
  const std::string line = style_ == TranscriptStyle::kJsonLines ? Host::FormatJsonLine(entry)
                                                                 : Host::FormatReadable(entry);
  PutLine(line, out_);
}

void TranscriptPrinter::PrintNote(const std::string& note) const {
  PutLine(style_ == TranscriptStyle::kJsonLines ? Host::DumpJson(Host::Json{{"note", note}})
                                                : "-- " + note,
          out_);
}

}  // namespace Vorn::Tools
