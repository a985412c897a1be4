// The user's own word list, custom_dict.txt in the configuration directory:
// created with a short header when missing, parsed into lower-case words, and
// polled so that edits reach the detector without a restart.
//
// Threads: startCustomDictWatcher starts one poller thread, the only one that
// runs checks; it hands each new set to the receiver and never touches a set
// again after handing it over. The stop function may be called from any
// thread, any number of times; each call returns once the poller has ended.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "detect/detector.h"
#include "log/error.h"

namespace vyx {

// Receives every new version of the user word set (Detector::SetCustomWords).
using CustomWordsReceiver = std::function<void(CustomWordSet)>;

// The configuration directory joined with "custom_dict.txt".
[[nodiscard]] Result<std::string> customDictPath();
// Creates the directory (0700, also enforced when it exists) and, when
// missing, the file (0600) with the three-line comment header; an existing
// file only gets its mode set to 0600.
[[nodiscard]] Status ensureCustomDictFile(const std::string& path);
// One entry per line: trimmed, lower-cased, kept whole; blank lines and lines
// starting with "#" skipped. A leading byte order mark is not part of the text.
[[nodiscard]] StringSet parseCustomDict(std::string_view text);

// The poller's memory and one check of the file; the watcher runs check() at
// every tick. Used by one thread at a time.
class CustomDictPoller final {
 public:
  CustomDictPoller(std::string path, CustomWordsReceiver receiver);
  void check();

 private:
  std::string path;
  CustomWordsReceiver receiver;
  int64_t lastSize = -1;
  struct timespec lastMtime {};
};

// Checks at once, then every interval (positive), on its own thread. Returns
// the stop function; dropping every copy of it stops the poller as well.
[[nodiscard]] std::function<void()> startCustomDictWatcher(std::string path,
                                                           CustomWordsReceiver receiver,
                                                           std::chrono::nanoseconds interval);

}  // namespace vyx
