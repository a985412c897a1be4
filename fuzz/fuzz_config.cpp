// Any bytes as config.yaml: loading must not crash, and whatever settings it
// produced must save and load back, from the file on disk, to the very same
// settings with no error (a hand-edited file, then the menu's save, then the
// next start); a file that did not load is kept aside, byte for byte.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "log/logger.h"
#include "store/config.h"

namespace {
std::string configDir;
std::string configFile;

void removeConfigDir() {
  std::error_code ignored;
  std::filesystem::remove_all(configDir, ignored);
}

std::string readBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // In memory where there is such a file system: rewriting a file on a disk
  // file system costs a flush each time.
  char shm[] = "/dev/shm/vyx-fuzz-config-XXXXXX";
  char tmp[] = "/tmp/vyx-fuzz-config-XXXXXX";
  const char* dir = ::mkdtemp(shm);
  if (dir == nullptr) dir = ::mkdtemp(tmp);
  if (dir == nullptr) std::abort();
  // Before any input runs, on the only thread there is.
  ::setenv("VYX_CONFIG_DIR", dir, 1);  // NOLINT(concurrency-mt-unsafe)
  ::unsetenv("PELORANT_CONFIG_DIR");   // NOLINT(concurrency-mt-unsafe)
  // Every damaged input is kept aside with a line in the log; no need to see it.
  vyx::setLogFd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  configDir = dir;
  configFile = configDir + "/config.yaml";
  std::atexit(removeConfigDir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(configFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::string kept = configFile + ".corrupt.bak";
  std::remove(kept.c_str());
  const vyx::LoadedConfig first = vyx::LoadConfig();
  // Nobody edits the file meanwhile: no need to wait for it to hold still.
  if (!vyx::SaveConfig(*first.config, {.pause = [](auto) {}})) __builtin_trap();
  if (first.error && readBack(kept) != std::string(reinterpret_cast<const char*>(data), size)) {
    __builtin_trap();
  }
  const vyx::LoadedConfig back = vyx::LoadConfig();
  const vyx::Config& a = *first.config;
  const vyx::Config& b = *back.config;
  if (back.error || b.Enabled != a.Enabled || b.PrimaryLanguage != a.PrimaryLanguage ||
      b.MinWordLength != a.MinWordLength || b.ExcludedApps != a.ExcludedApps) {
    __builtin_trap();
  }
  return 0;
}
