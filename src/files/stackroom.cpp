#include "files/stackroom.h"

#include <pthread.h>

#include <cstdint>

namespace {

// The lowest usable address of this thread's stack, or 0 when it cannot be told.
std::uintptr_t stackFloor() {
  thread_local std::uintptr_t floor = [] {
    std::uintptr_t low = 0;
#ifdef __linux__
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* address = nullptr;
      std::size_t size = 0;
      std::size_t guard = 0;
      if (pthread_attr_getstack(&attr, &address, &size) == 0) {
        pthread_attr_getguardsize(&attr, &guard);
        low = reinterpret_cast<std::uintptr_t>(address) + guard;
      }
      pthread_attr_destroy(&attr);
    }
#endif
    return low;
  }();
  return floor;
}

}  // namespace

bool stackRoomLeft(std::size_t bytes) {
  const std::uintptr_t floor = stackFloor();
  if (floor == 0) return true;
  char here;
  const auto at = reinterpret_cast<std::uintptr_t>(&here);
  return at > floor && at - floor >= bytes;
}
