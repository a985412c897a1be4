#include "store/wall_time.h"

#include <array>
#include <string>

namespace vyx {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kNanosPerSecond = 1'000'000'000;

int64_t floorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = floorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Civil {
  int64_t year, month, day;
};

Civil civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = floorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  return {yoe + era * 400 + (m <= 2), m, d};
}

bool leapYear(int64_t y) {
  return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

int64_t daysInMonth(int64_t y, int64_t m) {
  static constexpr std::array<int64_t, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : kDays[static_cast<size_t>(m - 1)];
}

void appendDigits(std::string& out, int64_t v, int width) {
  std::string digits(static_cast<size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, v /= 10) digits[static_cast<size_t>(i)] = char('0' + v % 10);
  out += digits;
}

// Reads exactly n digits at pos; -1 when they are not all digits.
int64_t digitsAt(std::string_view s, size_t pos, size_t n) {
  if (pos + n > s.size()) return -1;
  int64_t v = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

}  // namespace

WallTime wallTimeUtc(SysTime t) {
  const int64_t ns =
      std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
  WallTime w;
  w.unixSeconds = floorDiv(ns, kNanosPerSecond);
  w.nanos = static_cast<int32_t>(ns - w.unixSeconds * kNanosPerSecond);
  w.offsetSeconds = 0;
  return w;
}

WallTime addDuration(const WallTime& t, std::chrono::nanoseconds d) {
  const int64_t count = d.count();
  WallTime out = t;
  int64_t nanos = t.nanos + count % kNanosPerSecond;
  out.unixSeconds += count / kNanosPerSecond + floorDiv(nanos, kNanosPerSecond);
  nanos -= floorDiv(nanos, kNanosPerSecond) * kNanosPerSecond;
  out.nanos = static_cast<int32_t>(nanos);
  return out;
}

Result<std::string> formatRfc3339(const WallTime& t) {
  const int64_t local = t.unixSeconds + t.offsetSeconds;
  const int64_t days = floorDiv(local, kSecondsPerDay);
  const int64_t secs = local - days * kSecondsPerDay;
  const Civil c = civilFromDays(days);
  if (c.year < 0 || c.year > 9999) return Error("year outside of range [0,9999]");
  std::string out;
  out.reserve(35);
  appendDigits(out, c.year, 4);
  out += '-';
  appendDigits(out, c.month, 2);
  out += '-';
  appendDigits(out, c.day, 2);
  out += 'T';
  appendDigits(out, secs / 3600, 2);
  out += ':';
  appendDigits(out, secs / 60 % 60, 2);
  out += ':';
  appendDigits(out, secs % 60, 2);
  if (t.nanos != 0) {
    std::string frac;
    appendDigits(frac, t.nanos, 9);
    frac.erase(frac.find_last_not_of('0') + 1);
    out += '.';
    out += frac;
  }
  if (t.offsetSeconds == 0) {
    out += 'Z';
  } else {
    const int64_t minutes = (t.offsetSeconds < 0 ? -t.offsetSeconds : t.offsetSeconds) / 60;
    out += t.offsetSeconds < 0 ? '-' : '+';
    appendDigits(out, minutes / 60, 2);
    out += ':';
    appendDigits(out, minutes % 60, 2);
  }
  return out;
}

std::string formatDate(const WallTime& t) {
  const Civil c = civilFromDays(floorDiv(t.unixSeconds + t.offsetSeconds, kSecondsPerDay));
  std::string out;
  if (c.year >= 0 && c.year <= 9999) {
    appendDigits(out, c.year, 4);
  } else {
    out = std::to_string(c.year);
  }
  out += '-';
  appendDigits(out, c.month, 2);
  out += '-';
  appendDigits(out, c.day, 2);
  return out;
}

std::optional<WallTime> parseRfc3339(std::string_view s) {
  // 2006-01-02T15:04:05[.fraction](Z|+07:00)
  if (s.size() < 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':') {
    return std::nullopt;
  }
  const int64_t year = digitsAt(s, 0, 4), month = digitsAt(s, 5, 2), day = digitsAt(s, 8, 2);
  const int64_t hour = digitsAt(s, 11, 2), minute = digitsAt(s, 14, 2), second = digitsAt(s, 17, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  size_t pos = 19;
  int64_t nanos = 0;
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    size_t digits = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
      if (digits < 9) nanos = nanos * 10 + (s[pos] - '0');
      ++digits;
      ++pos;
    }
    if (digits == 0) return std::nullopt;
    for (size_t i = digits; i < 9; ++i) nanos *= 10;
  }
  int64_t offset = 0;
  if (pos < s.size() && s[pos] == 'Z') {
    ++pos;
  } else if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    const int64_t oh = digitsAt(s, pos + 1, 2), om = digitsAt(s, pos + 4, 2);
    if (oh < 0 || om < 0 || pos + 3 >= s.size() || s[pos + 3] != ':' || oh > 23 || om > 59) {
      return std::nullopt;
    }
    offset = (oh * 60 + om) * 60 * (s[pos] == '-' ? -1 : 1);
    pos += 6;
  } else {
    return std::nullopt;
  }
  if (pos != s.size()) return std::nullopt;
  WallTime t;
  t.unixSeconds = daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 +
                  second - offset;
  t.nanos = static_cast<int32_t>(nanos);
  t.offsetSeconds = static_cast<int32_t>(offset);
  return t;
}

}  // namespace vyx
