// The in-memory side of the learned exceptions: lookups, learning, removal.
#include "store/exception_store.h"

#include <algorithm>
#include <limits>

#include "store/fold.h"
#include "text/unicode.h"

namespace vyx {

namespace {

constexpr size_t kPruneAt = 10000;
constexpr std::chrono::hours kPruneAge{720};

// Counts a hit; a count read from the file may already be at the largest
// value, where it stays.
void bumpHitCount(int64_t& count) {
  if (count < std::numeric_limits<int64_t>::max()) ++count;
}

std::string joinKey(std::string_view lowerApp, std::string_view lowerWord) {
  std::string key;
  key.reserve(lowerApp.size() + 1 + lowerWord.size());
  key.append(lowerApp);
  key += '\0';
  key.append(lowerWord);
  return key;
}

}  // namespace

std::string makeKey(std::string_view app, std::string_view word) {
  return joinKey(toLower(app), toLower(word));
}

ExceptionStore::ExceptionStore(Key /*key*/, std::string filePath, ExceptionStoreOptions opts)
    : path(std::move(filePath)), options(std::move(opts)) {}

ExceptionStore::~ExceptionStore() {
  Close();
}

bool ExceptionStore::IsException(std::string_view app, std::string_view word) {
  return IsExceptionLowerApp(toLower(app), word);
}

bool ExceptionStore::IsExceptionLowerApp(std::string_view lowerApp, std::string_view word) {
  if (word.empty()) return false;
  // The keys are built before locking, so the lock covers the lookups alone.
  const std::string lowerWord = toLower(word);
  const std::string appKey = lowerApp.empty() ? std::string() : joinKey(lowerApp, lowerWord);
  const std::string anyKey = joinKey("*", lowerWord);
  std::unique_lock lock(mu);
  if (!appKey.empty()) {
    if (const auto it = index.find(appKey); it != index.end()) {
      countHitLocked(it->second);
      return true;
    }
  }
  if (const auto it = index.find(anyKey); it != index.end()) {
    countHitLocked(it->second);
    return true;
  }
  return false;
}

Status ExceptionStore::Add(std::string_view app, std::string_view word) {
  if (word.empty()) return Error("empty word");
  // Without an application there is nothing to learn.
  if (app.empty()) return {};
  std::string key = makeKey(app, word);
  {
    std::unique_lock lock(mu);
    if (const auto it = index.find(key); it != index.end()) {
      countHitLocked(it->second);
    } else {
      appendLocked(
          Exception{std::string(app), std::string(word), wallTimeUtc(options.wallClock()), 1},
          std::move(key));
    }
    maybePruneLocked();
  }
  markDirty();
  return {};
}

void ExceptionStore::appendLocked(Exception e, std::string key) {
  Stored& stored = entries.emplace_back();
  static_cast<Exception&>(stored) = std::move(e);
  stored.slot = saveSlots.size();
  saveSlots.push_back({&stored, stored.HitCount});
  const auto it = std::prev(entries.end());
  index.insert_or_assign(std::move(key), it);
  trackLocked(it);
}

void ExceptionStore::countHitLocked(const Entries::iterator& it) {
  untrackLocked(it);
  bumpHitCount(it->HitCount);
  saveSlots[it->slot].hits = it->HitCount;
  trackLocked(it);
}

void ExceptionStore::compactSlotsLocked() {
  saveSlots.clear();
  for (Stored& e : entries) {
    e.slot = saveSlots.size();
    saveSlots.push_back({&e, e.HitCount});
  }
  removedSlots = 0;
}

void ExceptionStore::trackLocked(const Entries::iterator& it) {
  if (it->HitCount == 1)
    singleHits.emplace(AgeKey{it->Added.unixSeconds, it->Added.nanos, &*it}, it);
}

void ExceptionStore::untrackLocked(const Entries::iterator& it) {
  if (it->HitCount == 1) singleHits.erase(AgeKey{it->Added.unixSeconds, it->Added.nanos, &*it});
}

ExceptionStore::Entries::iterator ExceptionStore::eraseLocked(Entries::iterator it) {
  untrackLocked(it);
  saveSlots[it->slot].entry = nullptr;
  ++removedSlots;
  Entries::iterator next = std::next(it);
  if (savesReading == 0) {
    entries.erase(it);
  } else {
    setAside.splice(setAside.end(), entries, it);
  }
  // Renumbering costs a walk of the store, so it waits until the removed
  // slots are as many as the entries.
  if (removedSlots > entries.size() + 64) compactSlotsLocked();
  return next;
}

void ExceptionStore::unindexLocked(const Entries::iterator& it) {
  // An earlier entry with the same key stays listed but is not the indexed
  // one; removing it must not unhook the later one.
  const auto found = index.find(makeKey(it->App, it->Word));
  if (found != index.end() && found->second == it) index.erase(found);
}

size_t ExceptionStore::forgetWhere(std::string Exception::*field, std::string_view value) {
  size_t removed = 0;
  {
    std::unique_lock lock(mu);
    for (auto it = entries.begin(); it != entries.end();) {
      if (!equalFold((*it).*field, value)) {
        ++it;
        continue;
      }
      unindexLocked(it);
      it = eraseLocked(it);
      ++removed;
    }
  }
  if (removed > 0) markDirty();
  return removed;
}

size_t ExceptionStore::Forget(std::string_view word) {
  return forgetWhere(&Exception::Word, word);
}

size_t ExceptionStore::ForgetApp(std::string_view app) {
  return forgetWhere(&Exception::App, app);
}

bool ExceptionStore::Remove(std::string_view app, std::string_view word) {
  const std::string key = makeKey(app, word);
  {
    std::unique_lock lock(mu);
    const auto found = index.find(key);
    if (found == index.end()) return false;
    (void)eraseLocked(found->second);
    index.erase(found);
  }
  markDirty();
  return true;
}

bool ExceptionStore::RemoveEntry(std::string_view app, std::string_view word) {
  {
    std::unique_lock lock(mu);
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const Exception& e) {
      return e.App == app && e.Word == word;
    });
    if (it == entries.end()) return false;
    const std::string key = makeKey(app, word);
    const auto found = index.find(key);
    const bool indexed = found != index.end() && found->second == it;
    (void)eraseLocked(it);
    if (indexed) {
      index.erase(found);
      // The latest entry left with the same key is the one a load would find.
      for (auto r = entries.rbegin(); r != entries.rend(); ++r) {
        if (makeKey(r->App, r->Word) == key) {
          index.emplace(key, std::prev(r.base()));
          break;
        }
      }
    }
  }
  markDirty();
  return true;
}

void ExceptionStore::Clear() {
  {
    std::unique_lock lock(mu);
    singleHits.clear();
    saveSlots.clear();
    removedSlots = 0;
    setAside.splice(setAside.end(), entries);
    if (savesReading == 0) setAside.clear();
    index = {};
  }
  markDirty();
}

std::vector<Exception> ExceptionStore::List() const {
  std::shared_lock lock(mu);
  return {entries.begin(), entries.end()};
}

void ExceptionStore::maybePruneLocked() {
  if (entries.size() < kPruneAt) return;
  const WallTime cutoff = addDuration(wallTimeUtc(options.wallClock()), -kPruneAge);
  // The entries with one hit, oldest first, up to the cut-off: the rest keep
  // their order in entries.
  while (!singleHits.empty() && singleHits.begin()->second->Added.before(cutoff)) {
    const Entries::iterator it = singleHits.begin()->second;
    unindexLocked(it);
    (void)eraseLocked(it);
  }
}

}  // namespace vyx
