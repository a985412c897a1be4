// The command line: five options, read the way the program has always read
// them (one or two hyphens alike, "=" values, a text option taking the next
// argument whatever it starts with, reading stopping at the first argument
// that is not an option). Four of them select a one-shot maintenance mode.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vyx {

struct CommandLineOptions {
  bool listExceptions = false;
  std::string forget{};     // a word; counts only when not empty
  std::string forgetApp{};  // a bundle identifier; counts only when not empty
  bool clearExceptions = false;
  bool verbose = false;

  [[nodiscard]] bool maintenanceMode() const {
    return listExceptions || clearExceptions || !forget.empty() || !forgetApp.empty();
  }
};

struct ParsedCommandLine {
  enum class Outcome {
    run,    // options read; go on
    help,   // -h or -help: print the usage text, exit 0
    error,  // print message, then the usage text, exit 2
  };
  Outcome outcome = Outcome::run;
  CommandLineOptions options;
  std::string message;  // the error's line, without its line break
};

// Reads the arguments that follow the program path.
[[nodiscard]] ParsedCommandLine parseCommandLine(std::span<const std::string_view> args);

// "Usage of <program>:" and every option in alphabetical order, each with
// its usage line.
[[nodiscard]] std::string usageText(std::string_view program);

}  // namespace vyx
