#include "store/wall_time.h"

#include <string>

namespace vyx {

namespace {

using std::chrono::days;
using std::chrono::floor;
using std::chrono::nanoseconds;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;
using std::chrono::year_month_day;

// The calendar date and clock time an instant shows in its own offset.
struct LocalTime {
  int64_t year;
  unsigned month, day;
  std::chrono::hh_mm_ss<seconds> time;
};

LocalTime localTime(const WallTime& t) {
  const sys_seconds local{seconds(t.unixSeconds + t.offsetSeconds)};
  const sys_days day = floor<days>(local);
  // chrono's year stops at +-32767; the calendar repeats every 400 years
  // (146097 days), so a day further out is read that many cycles nearer.
  constexpr int64_t kCycleDays = 146097;
  const int64_t cycles = day.time_since_epoch().count() / kCycleDays;
  const year_month_day date{day - days(cycles * kCycleDays)};
  return {static_cast<int>(date.year()) + cycles * 400, static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day()), std::chrono::hh_mm_ss<seconds>(local - day)};
}

void appendDigits(std::string& out, int64_t v, int width) {
  std::string digits(static_cast<size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, v /= 10) digits[static_cast<size_t>(i)] = char('0' + v % 10);
  out += digits;
}

void appendDate(std::string& out, const LocalTime& l) {
  if (l.year >= 0 && l.year <= 9999) {
    appendDigits(out, l.year, 4);
  } else {
    out += std::to_string(l.year);
  }
  out += '-';
  appendDigits(out, l.month, 2);
  out += '-';
  appendDigits(out, l.day, 2);
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
  const auto whole = floor<seconds>(t);
  WallTime w;
  w.unixSeconds = whole.time_since_epoch().count();
  w.nanos = static_cast<int32_t>(std::chrono::duration_cast<nanoseconds>(t - whole).count());
  w.offsetSeconds = 0;
  return w;
}

WallTime addDuration(const WallTime& t, nanoseconds d) {
  // Whole seconds apart from the rest, so no sum leaves nanoseconds' range.
  const auto wholeSeconds = std::chrono::duration_cast<seconds>(d);
  const nanoseconds rest = nanoseconds(t.nanos) + (d - wholeSeconds);
  const auto carry = floor<seconds>(rest);
  WallTime out = t;
  out.unixSeconds += (wholeSeconds + carry).count();
  out.nanos = static_cast<int32_t>((rest - carry).count());
  return out;
}

Result<std::string> formatRfc3339(const WallTime& t) {
  const LocalTime l = localTime(t);
  if (l.year < 0 || l.year > 9999) return Error("year outside of range [0,9999]");
  std::string out;
  out.reserve(35);
  appendDate(out, l);
  out += 'T';
  appendDigits(out, l.time.hours().count(), 2);
  out += ':';
  appendDigits(out, l.time.minutes().count(), 2);
  out += ':';
  appendDigits(out, l.time.seconds().count(), 2);
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
  std::string out;
  appendDate(out, localTime(t));
  return out;
}

std::optional<WallTime> parseRfc3339(std::string_view s) {
  // 2006-01-02T15:04:05[.fraction](Z|+07:00)
  if (s.size() < 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':') {
    return std::nullopt;
  }
  const int64_t year = digitsAt(s, 0, 4), month = digitsAt(s, 5, 2), day = digitsAt(s, 8, 2);
  const int64_t hour = digitsAt(s, 11, 2), minute = digitsAt(s, 14, 2), second = digitsAt(s, 17, 2);
  if (year < 0 || month < 0 || day < 0) return std::nullopt;
  const year_month_day date{std::chrono::year(static_cast<int>(year)),
                            std::chrono::month(static_cast<unsigned>(month)),
                            std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 59) {
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
  const sys_seconds instant = sys_days(date) + std::chrono::hours(hour) +
                              std::chrono::minutes(minute) + seconds(second - offset);
  WallTime t;
  t.unixSeconds = instant.time_since_epoch().count();
  t.nanos = static_cast<int32_t>(nanos);
  t.offsetSeconds = static_cast<int32_t>(offset);
  return t;
}

}  // namespace vyx
