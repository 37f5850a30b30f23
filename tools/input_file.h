// Reading a whole input named on the command line: a file, or standard input for "-".
#pragma once

#include <string>

namespace Vorn::Tools {

// The bytes of `file` ("-" reads standard input, in binary mode where the platform has one);
// false when it cannot be opened.
bool ReadInput(const std::string& file, std::string& out);

}  // namespace Vorn::Tools
