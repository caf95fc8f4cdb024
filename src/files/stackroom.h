#pragma once

#include <cstddef>

// Whether the calling thread's stack has at least `bytes` left below the caller.
// Deep recursion (one level per folder of a tree) asks before going further.
bool stackRoomLeft(std::size_t bytes);
