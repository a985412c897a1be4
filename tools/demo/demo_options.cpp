#include "demo_options.h"

#include <charconv>

namespace vyx::demo {

namespace {

constexpr std::string_view kUsage =
    "usage: scripts/demo [--start-layout us|ru] [--key-delay MS] [--quiet] [TEXT ...]\n"
    "Starts vyx on the simulated desktop and types TEXT (or the lines of standard\n"
    "input, or a built-in passage) as a person who does not look at the input\n"
    "source: every character on the layout of its own script.\n"
    "  --start-layout us|ru  the input source selected before typing (us)\n"
    "  --key-delay MS        pause between two keys (60)\n"
    "  --quiet               print only the text field's final content\n";

ParsedDemoArgs failure(const std::string& what) {
  return ParsedDemoArgs{std::nullopt, what + "\n" + std::string(kUsage), true};
}

}  // namespace

ParsedDemoArgs parseDemoArgs(const std::vector<std::string_view>& args) {
  DemoOptions options;
  std::vector<std::string_view> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "-h" || arg == "--help") {
      return ParsedDemoArgs{std::nullopt, std::string(kUsage), false};
    }
    if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--start-layout") {
      if (!hasValue) return failure("--start-layout needs us or ru");
      const std::string_view value = args[++i];
      if (value != "us" && value != "ru") return failure("--start-layout needs us or ru");
      options.startRussian = value == "ru";
    } else if (arg == "--key-delay") {
      if (!hasValue) return failure("--key-delay needs milliseconds");
      const std::string_view value = args[++i];
      int ms = -1;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
      if (ec != std::errc() || end != value.data() + value.size() || ms < 0 || ms > 10000) {
        return failure("--key-delay needs milliseconds from 0 to 10000");
      }
      options.keyDelay = std::chrono::milliseconds(ms);
    } else if (arg == "--") {
      words.insert(words.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg.front() == '-') {
      return failure("unknown option " + std::string(arg));
    } else {
      words.push_back(arg);
    }
  }
  if (!words.empty()) {
    std::string text;
    for (const std::string_view w : words) {
      if (!text.empty()) text += ' ';
      text += w;
    }
    options.text = std::move(text);
  }
  return ParsedDemoArgs{options, "", false};
}

}  // namespace vyx::demo
