// The program's one log: standard error, each line prefixed with the local
// date and time ("2026/12/07 08:33:49 "), no levels, no file.
//
// Threads: every thread logs. A line is built whole first and written with
// one write(2) under the logger's lock, so lines of different threads never
// interleave or split.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "log/format.h"

namespace vyx {

// 1 while per-keystroke logging is on; stored once at start-up.
extern std::atomic<int32_t> verboseLogging;

[[nodiscard]] inline bool verboseOn() {
  return verboseLogging.load(std::memory_order_relaxed) == 1;
}

// Whether the platform's log may show a line to whoever reads it there.
// Every per-keystroke line is personal, as if it quoted what the person
// typed (most do); the others are shown.
enum class LogPrivacy : uint8_t { shown, personal };

// Writes one line; a message that already ends with a line break gets no second one.
void logLine(std::string_view message, LogPrivacy privacy = LogPrivacy::shown);

// Writes the line and ends the process at once with status 1; nothing
// registered for exit runs.
[[noreturn]] void logFatalLine(std::string_view message);

template <class... A>
void logf(std::string_view fmt, const A&... args) {
  logLine(sformat(fmt, args...));
}

template <class... A>
[[noreturn]] void logFatalf(std::string_view fmt, const A&... args) {
  logFatalLine(sformat(fmt, args...));
}

// Per-keystroke lines: one atomic load and nothing else while verbose logging
// is off. Callers with costly arguments test verboseOn() first, and still
// write through vlog: the platform's log keeps its lines private.
template <class... A>
void vlog(std::string_view fmt, const A&... args) {
  if (verboseOn()) logLine(sformat(fmt, args...), LogPrivacy::personal);
}

// Where lines go (standard error unless a test redirects them); returns the
// previous descriptor.
int setLogFd(int fd);

// A second place every line goes as well, such as the platform's own log, for
// a program whose standard error nobody reads; it gets the message without
// the date and the line break, and its privacy, in the order of the lines,
// under the logger's lock. Set once at start-up, before other threads log;
// null: none.
using LogMirror = void (*)(std::string_view message, LogPrivacy privacy);
void setLogMirror(LogMirror mirror);

}  // namespace vyx
