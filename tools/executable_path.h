// Where the running executable lives, to find the plugin built beside it.
#pragma once

#include <string>

namespace Vorn::Tools {

// Directory of the running executable, without a trailing separator; empty when unknown.
std::string ExecutableDirectory();

// The loyalty plugin built beside the tool (<build>/lib next to <build>/bin).
std::string DefaultPluginPath();

}  // namespace Vorn::Tools
