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

}  // namespace

std::string makeKey(std::string_view app, std::string_view word) {
  std::string key = toLower(app);
  key += '\0';
  key += toLower(word);
  return key;
}

ExceptionStore::ExceptionStore(Key /*key*/, std::string filePath, ExceptionStoreOptions opts)
    : path(std::move(filePath)), options(std::move(opts)) {}

ExceptionStore::~ExceptionStore() {
  Close();
}

bool ExceptionStore::IsException(std::string_view app, std::string_view word) {
  if (word.empty()) return false;
  std::unique_lock lock(mu);
  if (!app.empty()) {
    if (const auto it = index.find(makeKey(app, word)); it != index.end()) {
      bumpHitCount(it->second->HitCount);
      return true;
    }
  }
  if (const auto it = index.find(makeKey("*", word)); it != index.end()) {
    bumpHitCount(it->second->HitCount);
    return true;
  }
  return false;
}

Status ExceptionStore::Add(std::string_view app, std::string_view word) {
  if (word.empty()) return Error("empty word");
  // Without an application there is nothing to learn.
  if (app.empty()) return {};
  {
    std::unique_lock lock(mu);
    std::string key = makeKey(app, word);
    if (const auto it = index.find(key); it != index.end()) {
      bumpHitCount(it->second->HitCount);
    } else {
      entries.push_back(
          Exception{std::string(app), std::string(word), wallTimeUtc(options.wallClock()), 1});
      index.insert_or_assign(std::move(key), std::prev(entries.end()));
    }
    maybePruneLocked();
  }
  markDirty();
  return {};
}

void ExceptionStore::unindexLocked(const std::list<Exception>::iterator& it) {
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
      it = entries.erase(it);
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
    entries.erase(found->second);
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
    entries.erase(it);
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
    entries.clear();
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
  for (auto it = entries.begin(); it != entries.end();) {
    if (it->HitCount == 1 && it->Added.before(cutoff)) {
      unindexLocked(it);
      it = entries.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace vyx
