// What the reader tests share: long repeated inputs and a small stack to read them on.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace Vorn::Testing {

// `part` written `times` times.
std::string Repeat(std::string_view part, size_t times);

// Runs `work` to its end on a thread whose whole stack is 1 MiB, so that a reader recursing per
// nesting level would overflow it. Where threads cannot be given a stack size, `work` runs on
// the calling thread (the main thread of a Windows program has 1 MiB).
void RunOnSmallStack(const std::function<void()>& work);

}  // namespace Vorn::Testing
