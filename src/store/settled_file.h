// Reading a file that a person may be saving at that very moment. An editor
// that writes in place truncates the file and then writes it, so one read can
// catch a part of it that reads as a file all the same; an editor that saves
// by rename puts a new file there at any moment. A read counts once the file
// held still between two looks a moment apart.
//
// Threads: plain functions on values; any thread.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "log/error.h"

namespace vyx {

// One look at a path, following a symbolic link.
struct FileLook {
  bool exists = false;                       // false: nothing there (ENOENT)
  struct stat st {};                         // the file's status, when it exists
  Result<std::string> text = std::string();  // its contents, or why they could not be read
};

[[nodiscard]] FileLook lookAt(const std::string& path, size_t maxBytes);
// Whether two looks saw the same file holding the same bytes: the same
// device and inode, size, modification time and contents (or the same
// failure to read them).
[[nodiscard]] bool sameLook(const FileLook& a, const FileLook& b);

// Waits for the given time; tests pass their own.
using Pause = std::function<void(std::chrono::milliseconds)>;
[[nodiscard]] Pause systemPause();

// Long enough for an editor to finish a write it has begun, short enough
// not to be felt in a menu action.
inline constexpr std::chrono::milliseconds kSettleInterval{5};

// Looks at path until two looks kSettleInterval apart agree, and gives the
// last one; fails after maxLooks looks without two that agree.
[[nodiscard]] Result<FileLook> readSettled(const std::string& path, size_t maxBytes,
                                           const Pause& pause, int maxLooks);

// Puts the file at tmp in the place of target in one step, if target is
// still what expected saw (nothing, or the same file with the same bytes): a
// swap, after which the file taken out is looked at and, when an edit landed
// in the moment before the swap, swapped back. False when target had changed:
// it is then as the edit left it, and tmp holds the new file. Where the file
// system cannot swap, a plain rename.
[[nodiscard]] Result<bool> replaceIfStill(const std::string& tmp, const std::string& target,
                                          const FileLook& expected, size_t maxBytes);

}  // namespace vyx
