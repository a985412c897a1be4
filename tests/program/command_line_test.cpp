// The command line as a shell user meets it: exact bytes and exit statuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/vyx_process.h"

namespace vyx::testing {
namespace {

std::string usage(const std::string& program) {
  return "Usage of " + program +
         ":\n"
         "  -clear-exceptions\n"
         "    \tremove all exceptions and exit\n"
         "  -forget string\n"
         "    \tremove exceptions for a word and exit\n"
         "  -forget-app string\n"
         "    \tremove all exceptions for an app bundle id and exit\n"
         "  -list-exceptions\n"
         "    \tprint learned exceptions and exit\n"
         "  -verbose\n"
         "    \tenable verbose per-keystroke logging\n";
}

TEST(ProgramCommandLine, HelpAndMalformedLinesPrintTheUsageText) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;  // before the usage text; empty for help
  };
  const std::vector<Case> cases = {
      {{"-h"}, 0, ""},
      {{"--help"}, 0, ""},
      {{"-verbose", "-help"}, 0, ""},
      {{"--nope"}, 2, "flag provided but not defined: -nope\n"},
      {{"-forget"}, 2, "flag needs an argument: -forget\n"},
      {{"-verbose=да"}, 2, "invalid boolean value \"да\" for -verbose: parse error\n"},
      {{"---verbose"}, 2, "bad flag syntax: ---verbose\n"},
  };
  const std::string program = VyxLaunch{}.binary;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const VyxRun run = runVyx({.args = c.args, .driven = false});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.message + usage(program));
  }
}

}  // namespace
}  // namespace vyx::testing
