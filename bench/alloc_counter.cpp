// Preloaded into netstep by the benchmark: counts every heap allocation in a
// counter the benchmark reads from a shared file while netstep runs.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace {

std::atomic<unsigned long>* counter = nullptr;

void Count() {
  if (counter != nullptr) counter->fetch_add(1, std::memory_order_relaxed);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void OpenCounter() {
  const char* path = getenv("NETSTEP_ALLOC_COUNTER");
  if (path == nullptr) return;
  const int fd = open(path, O_RDWR);
  if (fd < 0) return;
  void* shared = mmap(nullptr, sizeof(unsigned long), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (shared != MAP_FAILED) counter = static_cast<std::atomic<unsigned long>*>(shared);
}

}  // namespace

extern "C" {

void* malloc(size_t size) {
  static auto next = Next<void* (*)(size_t)>("malloc");
  Count();
  return next(size);
}

void* calloc(size_t count, size_t size) {
  // dlsym itself may ask for zeroed memory before the real calloc is known.
  static char early[256];
  static bool resolving = false;
  static void* (*next)(size_t, size_t) = nullptr;
  if (next == nullptr) {
    if (resolving) return early;
    resolving = true;
    next = Next<void* (*)(size_t, size_t)>("calloc");
  }
  Count();
  return next(count, size);
}

void* realloc(void* pointer, size_t size) {
  static auto next = Next<void* (*)(void*, size_t)>("realloc");
  Count();
  return next(pointer, size);
}
}
