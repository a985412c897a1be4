// Redirects the program's log into a temporary file for the life of the
// object, so a test can read back exactly what was written.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "log/logger.h"

namespace vyx::testing {

class LogCapture final {
 public:
  LogCapture() {
    char path[] = "/tmp/vyx-log-XXXXXX";
    fd_ = ::mkstemp(path);
    path_ = path;
    previous_ = setLogFd(fd_);
  }
  ~LogCapture() {
    setLogFd(previous_);
    ::close(fd_);
    ::unlink(path_.c_str());
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  [[nodiscard]] std::string text() const {
    std::ifstream in(path_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // The lines with their date prefix removed.
  [[nodiscard]] std::vector<std::string> messages() const {
    std::vector<std::string> out;
    std::istringstream in(text());
    for (std::string line; std::getline(in, line);) {
      out.push_back(line.size() >= 20 ? line.substr(20) : line);
    }
    return out;
  }
  [[nodiscard]] bool contains(const std::string& needle) const {
    return text().find(needle) != std::string::npos;
  }

 private:
  int fd_ = -1;
  int previous_ = 2;
  std::string path_;
};

// Turns verbose logging on for a scope.
class VerboseScope final {
 public:
  explicit VerboseScope(bool on = true) : previous_(verboseLogging.exchange(on ? 1 : 0)) {}
  ~VerboseScope() { verboseLogging.store(previous_); }
  VerboseScope(const VerboseScope&) = delete;
  VerboseScope& operator=(const VerboseScope&) = delete;

 private:
  int32_t previous_;
};

}  // namespace vyx::testing
