// The learned exceptions: words the program must leave alone, per application
// or for all ("*"), with hit counts; saved in the background to
// exceptions.json in the configuration directory.
//
// Threads: every method may be called from any thread (event tap, replacement
// worker, main thread, signal watcher). mu guards index, entries, singleHits,
// saveSlots, setAside, savesReading and every entry's hit count; all
// operations take it for writing except List. Nothing outside the store is
// called while mu is held, so it is always the innermost lock. An entry's
// app, word and time never change once stored, so the saver copies only the
// counts and where the entries are under mu (saveSlots), reads the rest
// without it (a removal meanwhile sets the entry aside rather than freeing
// it) and writes the file without it; callers never wait for the disk.
// signalMu guards the saver's signals (dirty, closing, lastChange) and is
// never held together with mu.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "detect/dict.h"
#include "log/clock.h"
#include "log/error.h"
#include "store/wall_time.h"

namespace vyx {

struct Exception {
  std::string App;   // bundle identifier as given, or "*" for every application
  std::string Word;  // as typed; never empty in the store
  WallTime Added;    // UTC when learned; as read when loaded from the file
  int64_t HitCount = 0;
};

struct ExceptionStoreOptions {
  WallClock wallClock = systemWallClock();  // Added, the file's "updated", pruning age
  Clock clock = systemClock();              // measures the save delay
  std::chrono::nanoseconds saveDelay = std::chrono::milliseconds(200);
  // The longest the saver sleeps before reading clock again. The system
  // clock needs no polling; a test's fake clock does.
  std::chrono::nanoseconds recheckEvery = std::chrono::hours(24);
  // Called on the saving thread after every save attempt, outside the lock.
  std::function<void(const Status&)> onSaved;
  // Only for looking: the directory is not created, a damaged file stays
  // where it is (and no store opens), and nothing is ever saved.
  bool readOnly = false;
};

class ExceptionStore final {
  struct Key {
    explicit Key() = default;
  };

 public:
  // Only NewExceptionStore can make a Key.
  ExceptionStore(Key key, std::string path, ExceptionStoreOptions options);
  ~ExceptionStore();  // Close()
  ExceptionStore(const ExceptionStore&) = delete;
  ExceptionStore& operator=(const ExceptionStore&) = delete;

  // Whether (app, word) or ("*", word) is an exception, ignoring case; a hit
  // raises that entry's count.
  [[nodiscard]] bool IsException(std::string_view app, std::string_view word);
  // The same for an app already lower-cased, so that a caller asking about
  // many words of one application lower-cases it once.
  [[nodiscard]] bool IsExceptionLowerApp(std::string_view lowerApp, std::string_view word);
  // Learns (app, word), or raises the count of the entry it matches. Fails
  // with "empty word"; an empty app stores nothing and succeeds.
  [[nodiscard]] Status Add(std::string_view app, std::string_view word);
  // Removes every entry whose word (Forget) or app (ForgetApp) equals the
  // argument ignoring case; the number removed.
  size_t Forget(std::string_view word);
  size_t ForgetApp(std::string_view app);
  // Removes the entry that a lookup of (app, word) finds; no fall-back to "*".
  bool Remove(std::string_view app, std::string_view word);
  // Removes the entry holding exactly app and word, case included, even
  // beside another that differs only in case; when lookups found the one
  // removed, they find the latest one left of that key. Whether one was
  // there.
  bool RemoveEntry(std::string_view app, std::string_view word);
  void Clear();
  // Copies of all entries in insertion order.
  [[nodiscard]] std::vector<Exception> List() const;
  // Stops the saver after a final save and saves once more. Later calls do
  // nothing; the store keeps answering in memory but saves no more.
  void Close();

  // The file the store saves to.
  [[nodiscard]] const std::string& filePath() const { return path; }

 private:
  friend Result<std::shared_ptr<ExceptionStore>> NewExceptionStore(ExceptionStoreOptions);

  [[nodiscard]] Status load();
  void markDirty();
  void maybePruneLocked();
  void persistLoop();
  void flushOnce();
  // An entry and where saveSlots holds it.
  struct Stored : Exception {
    size_t slot = 0;
  };
  using Entries = std::list<Stored>;
  // What a save needs under mu: an entry (null once removed) and its count.
  struct SaveSlot {
    const Exception* entry;
    int64_t hits;
  };
  void unindexLocked(const Entries::iterator& it);
  // Appends an entry and indexes it under key.
  void appendLocked(Exception e, std::string key);
  void countHitLocked(const Entries::iterator& it);
  // Takes an entry out of entries; the next one.
  Entries::iterator eraseLocked(Entries::iterator it);
  // Keeps singleHits holding exactly the entries with one hit.
  void trackLocked(const Entries::iterator& it);
  void untrackLocked(const Entries::iterator& it);
  // Renumbers saveSlots without the removed entries' slots.
  void compactSlotsLocked();
  // Removes the entries whose field equals value under case folding.
  size_t forgetWhere(std::string Exception::*field, std::string_view value);

  mutable std::shared_mutex mu;
  const std::string path;
  const ExceptionStoreOptions options;
  StringMap<Entries::iterator> index;
  Entries entries;
  // The entries with one hit, oldest first (ties by address): the only ones
  // pruning may drop, so it finds them without walking the store.
  using AgeKey = std::tuple<int64_t, int32_t, const Exception*>;
  std::map<AgeKey, Entries::iterator> singleHits;
  // Every entry in order with its count, in one block that a save copies
  // under mu at the speed of memory (walking a list of a hundred thousand
  // entries took milliseconds); removed entries leave a null slot until
  // they outnumber the rest.
  std::vector<SaveSlot> saveSlots;
  size_t removedSlots = 0;
  // Entries removed while a save reads them, freed when no save does.
  Entries setAside;
  int savesReading = 0;
  // The slots the last save copied: the next one makes room before locking.
  std::atomic<size_t> lastSaveSlots{0};

  // The saver's signals: a pending change (a queue of one) and the close.
  std::mutex signalMu;
  std::condition_variable signalCv;
  bool dirty = false;
  bool closing = false;
  MonoTime lastChange{};
  std::once_flag closeOnce;
  std::thread saver;
};

// Resolves the configuration directory, creates it (0700), loads
// exceptions.json and starts the saver. A file that is not valid JSON of the
// right shape is moved aside (keepAside) and the store starts empty; a file
// that cannot be read, or a damaged one that cannot be moved aside, is an
// error: no store may write over what it could not load.
[[nodiscard]] Result<std::shared_ptr<ExceptionStore>> NewExceptionStore(
    ExceptionStoreOptions options = {});

// The key the index uses: lower-cased app, NUL, lower-cased word.
[[nodiscard]] std::string makeKey(std::string_view app, std::string_view word);

}  // namespace vyx
