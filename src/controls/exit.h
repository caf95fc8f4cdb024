#pragma once

// Ends the process at once with `status`: no handler, destructor or event runs after it,
// also when called from inside a nested event loop. Its windows leave the screen first,
// also when the kernel keeps the process from ending (a thread stuck on a drive).
[[noreturn]] void exitNow(int status = 0);
