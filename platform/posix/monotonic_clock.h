// The clock the key decoder's timeouts and the start-up queries' deadline run
// on: milliseconds that only go forward.
#pragma once

#include <time.h>

#include <cstdint>

namespace platform::posix {

inline uint64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000;
}

}  // namespace platform::posix
