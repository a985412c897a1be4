#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace vyx {
namespace {

using Outcome = ParsedCommandLine::Outcome;

struct Row {
  std::vector<std::string_view> args;
  Outcome outcome;
  CommandLineOptions options;  // when run
  std::string message;         // when error
};

TEST(CommandLine, ReadsOptionsAsThePersonWroteThem) {
  const std::vector<Row> rows = {
      {{}, Outcome::run, {}, ""},
      {{"-verbose"}, Outcome::run, {.verbose = true}, ""},
      {{"--list-exceptions"}, Outcome::run, {.listExceptions = true}, ""},
      {{"-forget", "ghbdtn"}, Outcome::run, {.forget = "ghbdtn"}, ""},
      {{"--forget=привет"}, Outcome::run, {.forget = "привет"}, ""},
      // A text option takes the next argument whatever it starts with.
      {{"-forget", "-verbose"}, Outcome::run, {.forget = "-verbose"}, ""},
      {{"-forget-app", "--"}, Outcome::run, {.forgetApp = "--"}, ""},
      {{"-forget="}, Outcome::run, {}, ""},
      {{"-forget=a=b"}, Outcome::run, {.forget = "a=b"}, ""},
      // The last value wins.
      {{"-forget=a", "--forget", "b"}, Outcome::run, {.forget = "b"}, ""},
      {{"-verbose", "-verbose=false"}, Outcome::run, {}, ""},
      // Reading stops at the first non-option, at "-" and after "--".
      {{"-verbose", "word", "-list-exceptions"}, Outcome::run, {.verbose = true}, ""},
      {{"-", "-verbose"}, Outcome::run, {}, ""},
      {{"--", "-verbose"}, Outcome::run, {}, ""},
      {{"-clear-exceptions", "--", "--nope"}, Outcome::run, {.clearExceptions = true}, ""},
      // A boolean takes its value only after "=".
      {{"-verbose", "false"}, Outcome::run, {.verbose = true}, ""},
      {{"-h"}, Outcome::help, {}, ""},
      {{"--help"}, Outcome::help, {}, ""},
      {{"-help=1", "-nope"}, Outcome::help, {}, ""},
      {{"-verbose", "-h", "-nope"}, Outcome::help, {}, ""},
      {{"-nope"}, Outcome::error, {}, "flag provided but not defined: -nope"},
      {{"--Verbose"}, Outcome::error, {}, "flag provided but not defined: -Verbose"},
      {{"-nope=1"}, Outcome::error, {}, "flag provided but not defined: -nope"},
      {{"-forget"}, Outcome::error, {}, "flag needs an argument: -forget"},
      {{"--forget-app"}, Outcome::error, {}, "flag needs an argument: -forget-app"},
      {{"-verbose=yes"},
       Outcome::error,
       {},
       "invalid boolean value \"yes\" for -verbose: parse error"},
      {{"-list-exceptions="},
       Outcome::error,
       {},
       "invalid boolean value \"\" for -list-exceptions: parse error"},
      {{"-verbose=да\t"},
       Outcome::error,
       {},
       "invalid boolean value \"да\\t\" for -verbose: parse error"},
      {{"---verbose"}, Outcome::error, {}, "bad flag syntax: ---verbose"},
      {{"-=x"}, Outcome::error, {}, "bad flag syntax: -=x"},
      {{"--=x"}, Outcome::error, {}, "bad flag syntax: --=x"},
  };
  for (const Row& row : rows) {
    std::string shown;
    for (const std::string_view a : row.args) shown += "[" + std::string(a) + "]";
    SCOPED_TRACE(shown);
    const ParsedCommandLine parsed = parseCommandLine(row.args);
    EXPECT_EQ(parsed.outcome, row.outcome);
    EXPECT_EQ(parsed.message, row.message);
    if (row.outcome != Outcome::run) continue;
    const CommandLineOptions& got = parsed.options;
    EXPECT_EQ(got.listExceptions, row.options.listExceptions);
    EXPECT_EQ(got.forget, row.options.forget);
    EXPECT_EQ(got.forgetApp, row.options.forgetApp);
    EXPECT_EQ(got.clearExceptions, row.options.clearExceptions);
    EXPECT_EQ(got.verbose, row.options.verbose);
  }
}

TEST(CommandLine, AcceptsEveryBooleanSpelling) {
  for (const std::string_view on : {"1", "t", "T", "true", "TRUE", "True"}) {
    const std::string arg = "--verbose=" + std::string(on);
    EXPECT_TRUE(parseCommandLine(std::vector<std::string_view>{arg}).options.verbose) << arg;
  }
  for (const std::string_view off : {"0", "f", "F", "false", "FALSE", "False"}) {
    const std::string arg = "-verbose=" + std::string(off);
    const ParsedCommandLine parsed =
        parseCommandLine(std::vector<std::string_view>{"-verbose", arg});
    EXPECT_EQ(parsed.outcome, Outcome::run) << arg;
    EXPECT_FALSE(parsed.options.verbose) << arg;
  }
  for (const std::string_view bad : {"yes", "on", "tRUE", "2", "true "}) {
    const std::string arg = "-verbose=" + std::string(bad);
    EXPECT_EQ(parseCommandLine(std::vector<std::string_view>{arg}).outcome, Outcome::error) << arg;
  }
}

}  // namespace
}  // namespace vyx
