// Opening, loading and saving the learned exceptions: the saver thread waits
// for a quiet 200 ms after the last change so that a burst of learning costs
// one write, and never runs on a caller's thread.
#include <algorithm>
#include <cerrno>

#include "log/logger.h"
#include "store/config.h"
#include "store/exception_store.h"
#include "store/exceptions_file.h"
#include "store/fs_util.h"

namespace vyx {

namespace {
// Tens of thousands of exceptions take a few MB; a file many times that size
// is not read, and the store never writes one.
constexpr size_t kExceptionsMaxBytes = size_t{64} << 20;
}  // namespace

Result<std::shared_ptr<ExceptionStore>> NewExceptionStore(ExceptionStoreOptions options) {
  Result<std::string> dir = defaultConfigDir();
  if (!dir) return Error::wrap("resolve config dir", dir.error());
  const bool readOnly = options.readOnly;
  if (!readOnly) {
    if (Status s = mkdirAll(*dir, 0700); !s) return Error::wrap("mkdir config", s.error());
  }
  auto store = std::make_shared<ExceptionStore>(
      ExceptionStore::Key{}, joinPath({*dir, "exceptions.json"}), std::move(options));
  const Status loaded = store->load();
  if (!loaded || readOnly) {
    // No saver runs: none may write over a file it could not load, nor a
    // store that only looks.
    std::call_once(store->closeOnce, [] {});
  }
  if (!loaded) return loaded.error();
  if (!readOnly) store->saver = std::thread([raw = store.get()] { raw->persistLoop(); });
  return store;
}

Status ExceptionStore::load() {
  Result<std::string> text = readFile(path, kExceptionsMaxBytes);
  if (!text) {
    if (text.error().sysErrno() != ENOENT) return text.error();
    // A link into a folder that is not there (a volume not mounted) hides
    // the file this store would save over once the folder is back.
    if (Result<std::string> target = saveTarget("open", path); !target) return target.error();
    return {};
  }
  if (text->empty()) return {};
  Result<ExceptionsFile> file = decodeExceptionsFile(*text);
  if (!file) {
    // A store that only looks leaves the file as it is, and says so rather
    // than pass it off as empty.
    if (options.readOnly) return Error::wrap(path + " does not load", file.error());
    // Kept for the user to inspect or repair; the store starts afresh. A
    // file that cannot be moved must not be saved over either.
    if (Result<std::string> kept = keepAside(path); !kept && kept.error().sysErrno() != ENOENT) {
      return Error::wrap(path + " does not load and cannot be moved aside", kept.error());
    }
    return {};
  }
  std::unique_lock lock(mu);
  for (Exception& e : file->Entries) {
    if (e.Word.empty()) continue;
    if (e.App.empty()) e.App.assign(1, '*');  // assign(const char*) trips a GCC 12 false warning
    std::string key = makeKey(e.App, e.Word);
    appendLocked(std::move(e), std::move(key));
  }
  // Room to learn as many again before the index or the slots grow, which
  // moves every entry while word ends wait.
  index.reserve(2 * entries.size());
  saveSlots.reserve(2 * entries.size());
  return {};
}

void ExceptionStore::markDirty() {
  {
    std::lock_guard lock(signalMu);
    dirty = true;
    // The delay counts from the change itself, not from when the saver
    // wakes up to notice it.
    lastChange = options.clock();
  }
  signalCv.notify_all();
}

void ExceptionStore::persistLoop() {
  std::unique_lock lock(signalMu);
  for (;;) {
    signalCv.wait(lock, [this] { return dirty || closing; });
    if (closing) break;
    dirty = false;
    MonoTime deadline = lastChange + options.saveDelay;
    for (;;) {
      if (closing) break;
      if (dirty) {
        dirty = false;
        deadline = lastChange + options.saveDelay;
        continue;
      }
      const MonoTime now = options.clock();
      if (now >= deadline) break;
      signalCv.wait_for(lock,
                        std::min<std::chrono::nanoseconds>(deadline - now, options.recheckEvery));
    }
    if (closing) break;
    lock.unlock();
    flushOnce();
    lock.lock();
  }
  lock.unlock();
  flushOnce();
}

void ExceptionStore::flushOnce() {
  ExceptionsFile file;
  // Made and touched before locking, so that the lock covers one copy of
  // memory and no page faults.
  std::vector<SaveSlot> slots(lastSaveSlots.load(std::memory_order_relaxed) + 256);
  {
    std::unique_lock lock(mu);
    file.Version = 1;
    file.Updated = wallTimeUtc(options.wallClock());
    if (slots.size() < saveSlots.size()) slots.resize(saveSlots.size());
    std::copy(saveSlots.begin(), saveSlots.end(), slots.begin());
    slots.resize(saveSlots.size());
    ++savesReading;
  }
  lastSaveSlots.store(slots.size(), std::memory_order_relaxed);
  // An entry's app, word and time never change, and a removal sets the entry
  // aside while a save reads it, so they are read without the lock.
  file.Entries.reserve(slots.size());
  for (const SaveSlot& slot : slots) {
    if (slot.entry == nullptr) continue;
    file.Entries.push_back({slot.entry->App, slot.entry->Word, slot.entry->Added, slot.hits});
  }
  Entries removed;
  {
    std::unique_lock lock(mu);
    if (--savesReading == 0) removed.swap(setAside);
  }
  removed.clear();  // freed outside the lock
  Status status = [&]() -> Status {
    Result<std::string> text = encodeExceptionsFile(file);
    if (!text) return text.error();
    return writeFileAtomic(path, *text, 0600, kExceptionsMaxBytes);
  }();
  if (!status) logf("ExceptionStore: persist failed: %v", status.error());
  if (options.onSaved) options.onSaved(status);
}

void ExceptionStore::Close() {
  std::call_once(closeOnce, [this] {
    {
      std::lock_guard lock(signalMu);
      closing = true;
    }
    signalCv.notify_all();
    if (saver.joinable()) saver.join();
    flushOnce();
  });
}

}  // namespace vyx
