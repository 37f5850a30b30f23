// Text form of a request outcome.
#include "sdk/remoting/remoting_result.h"

#include "sdk/runtime/format_text.h"

namespace Vorn {

std::string FormatTextForm(const RemotingResult& result) {
  if (!result.failed) return "Success";
  if (result.message.empty()) return {};
  return FormatText("%1 (%2)", result.message, result.code);
}

}  // namespace Vorn
