// The deepest nesting that values read from outside may have; every reader and the plain-form
// conversion refuse the container that would open the level beyond it.
#pragma once

namespace Vorn {

// The root is level 1; a container that would open level kMaxNestingDepth + 1 fails.
inline constexpr int kMaxNestingDepth = 512;

}  // namespace Vorn
