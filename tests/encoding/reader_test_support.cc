#include "tests/encoding/reader_test_support.h"

#include <gtest/gtest.h>

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#define QEV_TEST_HAS_PTHREAD 1
#endif

namespace Vorn::Testing {

std::string Repeat(std::string_view part, size_t times) {
  std::string text;
  text.reserve(part.size() * times);
  for (size_t i = 0; i < times; ++i)
    text.append(part);
  return text;
}

void RunOnSmallStack(const std::function<void()>& work) {
#if QEV_TEST_HAS_PTHREAD
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 1 << 20), 0);
  pthread_t thread;
  auto entry = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  const int created =
      pthread_create(&thread, &attributes, entry, const_cast<std::function<void()>*>(&work));
  pthread_attr_destroy(&attributes);
  ASSERT_EQ(created, 0);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
#else
  work();
#endif
}

}  // namespace Vorn::Testing
