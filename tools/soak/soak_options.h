// The command line of the soak drivers: --name value pairs and flags.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <string>
#include <string_view>

namespace vyx::soak {

class Options final {
 public:
  // Exits with the usage on anything it does not know.
  Options(int argc, char** argv, std::map<std::string, std::string> defaults, const char* usage)
      : values_(std::move(defaults)) {
    for (int i = 1; i < argc; ++i) {
      const std::string_view arg = argv[i];
      const auto it = arg.size() > 2 ? values_.find(std::string(arg.substr(2))) : values_.end();
      if (arg.substr(0, 2) != "--" || it == values_.end()) fail(usage, arg);
      if (it->second == "off" || it->second == "on") {
        it->second = "on";
      } else if (i + 1 < argc) {
        it->second = argv[++i];
      } else {
        fail(usage, arg);
      }
    }
  }
  [[nodiscard]] std::string text(const std::string& name) const { return values_.at(name); }
  [[nodiscard]] long number(const std::string& name) const {
    return std::strtol(values_.at(name).c_str(), nullptr, 10);
  }
  [[nodiscard]] bool flag(const std::string& name) const { return values_.at(name) == "on"; }

 private:
  [[noreturn]] static void fail(const char* usage, std::string_view arg) {
    std::fprintf(stderr, "unknown or incomplete option %.*s\n%s", static_cast<int>(arg.size()),
                 arg.data(), usage);
    std::exit(2);
  }
  std::map<std::string, std::string> values_;
};

// Runs a driver's body; a failure it throws (the program gone, a refused
// request) is reported like any other.
template <class Run>
int runReporting(Run run, const Options& options) {
  try {
    return run(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "FAIL: %s\n", e.what());
    return 1;
  }
}

}  // namespace vyx::soak
