// Calendar time as the stored files write it: an instant plus the zone offset
// it was written with, with nanoseconds, reaching back to the year 1 (which
// std::chrono::system_clock's nanosecond range does not).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "log/error.h"

namespace vyx {

struct WallTime {
  // Seconds since 1970-01-01T00:00:00Z; the default is 0001-01-01T00:00:00Z,
  // the time a record gets when its file says nothing.
  int64_t unixSeconds = -62135596800;
  int32_t nanos = 0;          // 0..999'999'999
  int32_t offsetSeconds = 0;  // east of UTC; 0 is written as "Z"

  // Instants compare regardless of the offset they are shown in.
  [[nodiscard]] bool before(const WallTime& other) const {
    return unixSeconds != other.unixSeconds ? unixSeconds < other.unixSeconds : nanos < other.nanos;
  }
  [[nodiscard]] bool sameInstant(const WallTime& other) const {
    return unixSeconds == other.unixSeconds && nanos == other.nanos;
  }
  friend bool operator==(const WallTime&, const WallTime&) = default;
};

using SysTime = std::chrono::system_clock::time_point;
// The wall clock as a parameter, so tests can say what "now" is.
using WallClock = std::function<SysTime()>;

[[nodiscard]] inline WallClock systemWallClock() {
  return [] { return std::chrono::system_clock::now(); };
}

// The instant in UTC.
[[nodiscard]] WallTime wallTimeUtc(SysTime t);
// The instant moved by a (possibly negative) duration, keeping its offset.
[[nodiscard]] WallTime addDuration(const WallTime& t, std::chrono::nanoseconds d);

// RFC 3339: "2006-01-02T15:04:05.999999999Z07:00", the fraction only when not
// zero and without trailing zeros. Fails for a year outside 0..9999.
[[nodiscard]] Result<std::string> formatRfc3339(const WallTime& t);
// "2006-01-02": the calendar date in the time's own offset.
[[nodiscard]] std::string formatDate(const WallTime& t);
// Strict RFC 3339 (upper-case T and Z, ranges and days of the month checked,
// a fraction of any length, digits past the ninth ignored).
[[nodiscard]] std::optional<WallTime> parseRfc3339(std::string_view s);

}  // namespace vyx
