#include "tools/input_file.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace Vorn::Tools {

bool ReadInput(const std::string& file, std::string& out) {
  if (file == "-") {
#if defined(_WIN32)
    // MessagePack bytes must not go through newline translation.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    out.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  out = bytes.str();
  return true;
}

}  // namespace Vorn::Tools
