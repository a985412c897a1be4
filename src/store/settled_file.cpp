#include "store/settled_file.h"

#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

#include "store/fs_util.h"

namespace vyx {

FileLook lookAt(const std::string& path, size_t maxBytes) {
  FileLook look;
  look.text = readFile(path, maxBytes, &look.st);
  if (look.text) {
    look.exists = true;
    return look;
  }
  if (look.text.error().sysErrno() == ENOENT) {
    look.st = {};
    return look;
  }
  // A file that could not be opened (no permission, say) is there all the
  // same; its status tells whether it changes.
  if (look.st.st_ino == 0 && ::stat(path.c_str(), &look.st) != 0) look.st = {};
  look.exists = look.st.st_ino != 0;
  return look;
}

bool sameLook(const FileLook& a, const FileLook& b) {
  if (a.exists != b.exists) return false;
  if (!a.exists) return true;
  const timespec ma = modificationTime(a.st);
  const timespec mb = modificationTime(b.st);
  if (a.st.st_dev != b.st.st_dev || a.st.st_ino != b.st.st_ino || a.st.st_size != b.st.st_size ||
      ma.tv_sec != mb.tv_sec || ma.tv_nsec != mb.tv_nsec || a.text.ok() != b.text.ok()) {
    return false;
  }
  return a.text ? *a.text == *b.text : a.text.error().message() == b.text.error().message();
}

Pause systemPause() {
  return [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); };
}

Result<FileLook> readSettled(const std::string& path, size_t maxBytes, const Pause& pause,
                             int maxLooks) {
  FileLook last = lookAt(path, maxBytes);
  for (int looks = 1; looks < maxLooks; ++looks) {
    pause(kSettleInterval);
    FileLook next = lookAt(path, maxBytes);
    if (sameLook(last, next)) return next;
    last = std::move(next);
  }
  return Error("read " + path + ": it kept changing while it was read");
}

namespace {

bool sameInode(const std::string& path, const struct stat& st) {
  struct stat now {};
  return ::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

}  // namespace

Result<bool> replaceIfStill(const std::string& tmp, const std::string& target,
                            const FileLook& expected, size_t maxBytes) {
  if (!expected.exists) {
    const Status moved = renameNoReplace(tmp, target);
    if (moved) return true;
    if (moved.error().sysErrno() == EEXIST) return false;
    if (!cannotSwap(moved.error().sysErrno())) return moved.error();
    if (Status s = renamePath(tmp, target); !s) return s.error();
    return true;
  }
  struct stat ours {};
  if (::lstat(tmp.c_str(), &ours) != 0) return Error::fromErrno("stat " + tmp, errno);
  if (const Status swapped = swapPaths(tmp, target); !swapped) {
    const int err = swapped.error().sysErrno();
    if (err == ENOENT) return false;  // gone since the caller's look
    if (!cannotSwap(err)) return swapped.error();
    if (Status s = renamePath(tmp, target); !s) return s.error();
    return true;
  }
  if (sameLook(expected, lookAt(tmp, maxBytes))) {
    // The old file; a leftover would go at the next save anyway.
    (void)::unlink(tmp.c_str());
    return true;
  }
  if (Status s = swapPaths(tmp, target); !s) {
    // It just swapped; should it fail now, the person's file goes back all
    // the same, over the new one.
    if (Status back = renamePath(tmp, target); !back) return back.error();
    return false;
  }
  // Should yet another file have come in between the two swaps, the newest
  // goes back in its place.
  if (!sameInode(tmp, ours)) (void)swapPaths(tmp, target);
  return false;
}

}  // namespace vyx
