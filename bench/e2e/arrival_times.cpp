#include "arrival_times.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

#include "os/events.h"

namespace vyx::bench {

namespace {

using os::sim::Arrival;

constexpr int64_t kMs = 1'000'000;
// The erase-and-retype presses follow each other 5 to 15 ms apart; a replay
// comes only after the closing 30 ms pause.
constexpr int64_t kRunGapNs = 25 * kMs;
// A held key is replayed within a correction or two.
constexpr int64_t kReplayWindowNs = 2000 * kMs;
constexpr uint16_t kBackspace = 51;

bool isKeyDown(const Arrival& a) {
  return a.type == os::kEventKeyDown;
}
bool fromProgram(const Arrival& a) {
  return a.userData != 0;
}

std::vector<size_t> programKeyDowns(const std::vector<Arrival>& arrivals) {
  std::vector<size_t> out;
  for (size_t i = 0; i < arrivals.size(); ++i) {
    if (isKeyDown(arrivals[i]) && fromProgram(arrivals[i])) out.push_back(i);
  }
  return out;
}

}  // namespace

KeyLatencies keyLatencies(const std::vector<Arrival>& person,
                          const std::vector<Arrival>& arrivals) {
  std::unordered_map<int64_t, const Arrival*> direct;
  for (const Arrival& a : arrivals) {
    if (isKeyDown(a) && !fromProgram(a)) direct.emplace(a.postedNs, &a);
  }
  const std::vector<size_t> posted = programKeyDowns(arrivals);
  KeyLatencies out;
  size_t cursor = 0;
  for (const Arrival& p : person) {
    if (!isKeyDown(p)) continue;
    if (auto it = direct.find(p.postedNs); it != direct.end()) {
      out.directNs.push_back(static_cast<double>(it->second->arrivedNs - p.postedNs));
      continue;
    }
    bool found = false;
    for (size_t k = cursor; k < posted.size(); ++k) {
      const Arrival& a = arrivals[posted[k]];
      if (a.postedNs - p.postedNs > kReplayWindowNs) break;
      if (a.postedNs < p.postedNs || a.keycode != p.keycode || a.text != p.text) continue;
      out.heldNs.push_back(static_cast<double>(a.arrivedNs - p.postedNs));
      cursor = k + 1;
      found = true;
      break;
    }
    if (!found) ++out.unmatched;
  }
  return out;
}

std::vector<Correction> corrections(const std::vector<Arrival>& person,
                                    const std::vector<Arrival>& arrivals) {
  const std::vector<size_t> posted = programKeyDowns(arrivals);
  std::vector<Correction> out;
  size_t k = 0;
  while (k < posted.size()) {
    if (arrivals[posted[k]].keycode != kBackspace) {
      ++k;
      continue;
    }
    const Arrival& firstErase = arrivals[posted[k]];
    Correction c;
    int64_t previous = firstErase.postedNs;
    while (k < posted.size() && arrivals[posted[k]].keycode == kBackspace &&
           arrivals[posted[k]].postedNs - previous < kRunGapNs) {
      previous = arrivals[posted[k]].postedNs;
      ++c.erased;
      ++k;
    }
    const Arrival* last = nullptr;
    while (k < posted.size() && arrivals[posted[k]].keycode != kBackspace &&
           arrivals[posted[k]].postedNs - previous < kRunGapNs) {
      last = &arrivals[posted[k]];
      previous = last->postedNs;
      ++c.typed;
      ++k;
    }
    // The key that ended the word: the person's last press before the erasing.
    const Arrival* boundary = nullptr;
    auto after = std::lower_bound(person.begin(), person.end(), firstErase.postedNs,
                                  [](const Arrival& p, int64_t t) { return p.postedNs < t; });
    while (after != person.begin()) {
      --after;
      if (isKeyDown(*after)) {
        boundary = &*after;
        break;
      }
    }
    if (last == nullptr || boundary == nullptr) continue;
    c.queued = std::any_of(posted.begin(), posted.end(), [&](size_t i) {
      return arrivals[i].postedNs > boundary->postedNs &&
             arrivals[i].postedNs < firstErase.postedNs;
    });
    c.startNs = static_cast<double>(firstErase.postedNs - boundary->postedNs);
    c.totalNs = static_cast<double>(last->arrivedNs - boundary->postedNs);
    const int64_t pausesMs = 5 * c.erased + 10 + 5 * (c.typed - 1);
    c.beyondPausesNs = c.totalNs - static_cast<double>(pausesMs * kMs);
    out.push_back(c);
  }
  return out;
}

double quantile(std::vector<double>& values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1))];
}

}  // namespace vyx::bench
