#pragma once

// Ends the process at once with `status`: no handler, destructor or event runs after it,
// also when called from inside a nested event loop.
[[noreturn]] void exitNow(int status = 0);
