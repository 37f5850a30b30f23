// Builds the assertion report's text and logs it.
#include "sdk/diagnostics/assertion.h"

#include <cstdio>

#include "sdk/diagnostics/internal/log_text.h"
#include "sdk/diagnostics/log_api.h"

namespace Vorn {
namespace {

bool HasText(const char* text) {
  return text != nullptr && text[0] != '\0';
}

}  // namespace

void ReportAssertion(const char* expression, const char* description, const char* file,
                     uint32_t line, const char* function) {
  // The logger cuts its texts at this size anyway.
  char text[kLogBufferSize];
  detail::TextWriter writer(text, sizeof text - 1);
  writer.Append("Assertion failed!\n\n");
  if (HasText(file)) {
    writer.Append("File: ");
    writer.Append(file);
    writer.Append("\n");
  }
  if (line != 0) {
    char number[16];
    std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(line));
    writer.Append("Line: ");
    writer.Append(number);
    writer.Append("\n\n");
  }
  if (HasText(function)) {
    writer.Append("Function: ");
    writer.Append(function);
    writer.Append("\n\n");
  }
  if (HasText(expression)) {
    writer.Append("Expression: ");
    writer.Append(expression);
  }
  if (HasText(description)) {
    writer.Append("\n\n");
    writer.Append("Description: ");
    writer.Append(description);
  }
  writer.Finish();
  Log(kLogLevelError, kLogGroupDbg, "%s", text);
}

}  // namespace Vorn
