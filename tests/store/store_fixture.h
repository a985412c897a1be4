// Real files in a fresh temporary configuration directory per test, reached
// the way the program reaches it: through VYX_CONFIG_DIR.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "store/wall_time.h"

namespace vyx::testing {

// Sets or unsets environment variables for a scope and restores them.
class EnvScope final {
 public:
  EnvScope() = default;
  ~EnvScope() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  EnvScope(const EnvScope&) = delete;
  EnvScope& operator=(const EnvScope&) = delete;

  void set(const std::string& name, const std::string& value) {
    remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void unset(const std::string& name) {
    remember(name);
    ::unsetenv(name.c_str());
  }

 private:
  void remember(const std::string& name) {
    if (saved_.count(name)) return;
    const char* v = std::getenv(name.c_str());
    saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

inline unsigned modeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

// Waits for a condition that another thread makes true, with a deadline far
// beyond any expected delay; false when it never came.
inline bool eventually(const std::function<bool()>& cond,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return cond();
}

// A wall clock that moves only when the test says so; readable from any thread.
class FakeWallClock final {
 public:
  FakeWallClock()
      : ns_(std::make_shared<std::atomic<int64_t>>(1'700'000'000LL * 1'000'000'000LL)) {}
  void advance(std::chrono::nanoseconds d) { ns_->fetch_add(d.count()); }
  [[nodiscard]] SysTime now() const {
    return SysTime(
        std::chrono::duration_cast<SysTime::duration>(std::chrono::nanoseconds(ns_->load())));
  }
  [[nodiscard]] WallClock clock() const {
    auto ns = ns_;
    return [ns] {
      return SysTime(
          std::chrono::duration_cast<SysTime::duration>(std::chrono::nanoseconds(ns->load())));
    };
  }

 private:
  std::shared_ptr<std::atomic<int64_t>> ns_;
};

// A fresh configuration directory (VYX_CONFIG_DIR) for each test, removed after.
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vyx-store-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    dir_ = root_ + "/config";
    env_.set("VYX_CONFIG_DIR", dir_);
    env_.unset("PELORANT_CONFIG_DIR");
  }
  void TearDown() override {
    std::error_code ec;
    // Undo any read-only modes a test left so the tree can go.
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(root_, ec);
  }

  void makeDir() { std::filesystem::create_directories(dir_); }
  [[nodiscard]] std::string file(const std::string& name) const { return dir_ + "/" + name; }

  EnvScope env_;
  std::string root_;
  std::string dir_;
};

// A directory this process cannot write into, or nullopt when there is none
// (root writes anywhere; then /sys usually refuses).
inline std::optional<std::string> unwritableDir(const std::string& scratch) {
  if (::geteuid() != 0) {
    std::filesystem::create_directories(scratch);
    ::chmod(scratch.c_str(), 0500);
    return scratch;
  }
  const std::string probe = "/sys/vyx-probe";
  if (std::ofstream(probe).good()) {
    ::unlink(probe.c_str());
    return std::nullopt;
  }
  return std::string("/sys");
}

}  // namespace vyx::testing
