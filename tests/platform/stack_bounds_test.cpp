// The main thread's stack as the POSIX platform measures it without reading
// /proc/self/maps, against what glibc reports after reading it.
#include <gtest/gtest.h>
#include <pthread.h>

#include "platform/platform.h"

namespace {

TEST(StackBounds, AgreeWithTheThreadAttributesOfTheMainThread) {
  const platform::StackRange measured = platform::StackBounds();
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_getattr_np(pthread_self(), &attributes), 0);
  void* base = nullptr;
  size_t size = 0;
  ASSERT_EQ(pthread_attr_getstack(&attributes, &base, &size), 0);
  pthread_attr_destroy(&attributes);
  EXPECT_EQ(measured.low, reinterpret_cast<uintptr_t>(base));
  EXPECT_EQ(measured.high, reinterpret_cast<uintptr_t>(base) + size);
  const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  EXPECT_TRUE(here >= measured.low && here < measured.high);
}

}  // namespace
