// The catch-alls of the callbacks from the platform into the pipeline.
//
// Threads: any; each call writes one log line.
#pragma once

namespace vyx {

// Call inside a catch block only. Logs "PANIC in <place>: <failure>", then,
// with withStack, a line break and the calling thread's stack, one frame a
// line. The failure is what() of a standard exception, else "exception of
// type <name>". Never throws: a failure to log is dropped.
void logPanic(const char* place, bool withStack) noexcept;

}  // namespace vyx
