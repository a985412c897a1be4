// The few file-system operations the stored files need, with errors that name
// the operation and the path ("open /x/y: Permission denied").
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "log/error.h"

namespace vyx {

// Joins with "/" and cleans the result lexically (no "." or "..", no double
// or trailing slashes); empty elements are ignored.
[[nodiscard]] std::string joinPath(std::initializer_list<std::string_view> parts);
[[nodiscard]] std::string cleanPath(std::string_view path);
// Everything before the last element ("." when there is none).
[[nodiscard]] std::string parentDir(std::string_view path);

// Creates the directory and any missing parents with mode (before umask);
// an existing directory is left as it is.
[[nodiscard]] Status mkdirAll(const std::string& path, mode_t mode);
// Refuses, with a message naming op and path, what the stored files must
// never be: anything but a regular file (a named pipe would block its reader
// or writer forever, a device may never end) or a file over maxBytes.
[[nodiscard]] Status checkStoredFile(std::string_view op, const std::string& path,
                                     const struct stat& st, size_t maxBytes);
// The whole file, when checkStoredFile lets it through. Opening never blocks.
// The error keeps errno, so ENOENT can be told apart. When st is given and
// the file could be opened, it receives the file's status as opened.
[[nodiscard]] Result<std::string> readFile(const std::string& path, size_t maxBytes,
                                           struct stat* st = nullptr);
// The file's modification time (the field has another name on macOS).
[[nodiscard]] timespec modificationTime(const struct stat& st);
// Writes path.tmp (made afresh, exclusively, never through a symbolic link,
// with exactly mode whatever the umask), flushes it to disk, renames it over
// path and flushes the directory, so a crash or a full disk leaves the old
// file or the new one, never a torn one. A temporary file that could not be
// written whole is removed. Data over maxBytes is not written. A symbolic
// link at path stays: the file it leads to is the one replaced, or made
// (saveTarget). replace, when given, puts the complete temporary file in
// the place of the file it replaces instead of the rename; when it fails,
// the temporary file is removed if it is still there, and its error
// returned.
using ReplaceFile = std::function<Status(const std::string& tmp, const std::string& target)>;
[[nodiscard]] Status writeFileAtomic(const std::string& path, std::string_view data, mode_t mode,
                                     size_t maxBytes, const ReplaceFile& replace = {});
// Keeps a file that could not be loaded for the user, under the first free
// name of path.corrupt.bak, path.corrupt.1.bak, ...: an earlier kept file is
// never replaced. A plain file moves there; a symbolic link stays, and a
// copy of the file it leads to is made there. Returns the kept name; on
// failure the file is still at path (an error with ENOENT: nothing was
// there).
[[nodiscard]] Result<std::string> keepAside(const std::string& path);
// The file a save of path replaces: path itself, or the file a symbolic
// link there leads to, resolved. A link made before its file leads to where
// the file will be, when that folder exists. A link into a folder that does
// not exist (a volume not mounted) or round in circles is an error naming op
// and path: nothing may be saved in the link's place.
[[nodiscard]] Result<std::string> saveTarget(std::string_view op, const std::string& path);
[[nodiscard]] Status renamePath(const std::string& from, const std::string& to);
// Swaps the files at two names in one step; both must exist. Fails with
// cannotSwap(errno) true where the file system has no such step.
[[nodiscard]] Status swapPaths(const std::string& a, const std::string& b);
// Renames unless something is at to already (EEXIST); fails with
// cannotSwap(errno) true where the file system cannot tell in the same step.
[[nodiscard]] Status renameNoReplace(const std::string& from, const std::string& to);
[[nodiscard]] bool cannotSwap(int err);
[[nodiscard]] Status chmodPath(const std::string& path, mode_t mode);
// The names in a directory, sorted.
[[nodiscard]] Result<std::vector<std::string>> listDir(const std::string& path);
// Whether stat(2) succeeds (follows symbolic links).
[[nodiscard]] bool pathExists(const std::string& path);

}  // namespace vyx
