// The demo's command line:
//
//   vyx_demo [--start-layout us|ru] [--key-delay MS] [--quiet] [TEXT ...]
//
// TEXT words are joined by spaces into the intended text, a newline in it
// being Return. Without TEXT, the lines of standard input when it is not a
// terminal and holds something, else the built-in passage.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyx::demo {

struct DemoOptions {
  bool startRussian = false;
  std::chrono::milliseconds keyDelay{60};
  bool quiet = false;
  // The intended text; none: standard input or the built-in passage.
  std::optional<std::string> text;
};

struct ParsedDemoArgs {
  std::optional<DemoOptions> options;  // none: print message and stop
  std::string message;                 // the usage text or what is wrong
  bool error = false;
};

[[nodiscard]] ParsedDemoArgs parseDemoArgs(const std::vector<std::string_view>& args);

}  // namespace vyx::demo
