// One Vyx per configuration directory: while it runs, a second start, or a
// maintenance mode that would change the learned exceptions under it (its
// next save would undo the change), is refused and changes nothing; a
// listing still works.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/vyx_process.h"

namespace vyx::testing {
namespace {

using Lines = std::vector<std::string>;

VyxRun runBeside(const TempDir& dir, std::vector<std::string> args) {
  return runVyx({.args = std::move(args), .driven = false, .configDir = dir.path()},
                std::chrono::seconds(10));
}

TEST(ProgramSingleInstance, WhileVyxRunsOnlyListingWorksBesideIt) {
  const TempDir dir;
  std::ofstream(dir.file("exceptions.json"))
      << R"({"entries":[{"app":"*","word":"ghbdtn","added":"2025-01-02T00:00:00Z","hit_count":1}]})";
  VyxProcess running({.configDir = dir.path()});
  ASSERT_TRUE(running.waitForLog("Vyx waiting for Accessibility permission"))
      << running.stderrText();
  const std::string exceptions = readFile(dir.file("exceptions.json"));
  const std::string refused = "Vyx is running: quit it first, then run this again";

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    Lines log;
  };
  const std::vector<Case> cases = {
      {{"--forget", "ghbdtn"}, 1, "", {refused}},
      {{"--forget-app=*"}, 1, "", {refused}},
      {{"--clear-exceptions"}, 1, "", {refused}},
      {{}, 1, "", {"Vyx starting...", "Vyx is already running: quit it first"}},
      {{"--list-exceptions"},
       0,
       "*                                         ghbdtn                          1 hits  "
       "added=2025-01-02\n",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "a second start" : c.args.front());
    const VyxRun run = runBeside(dir, c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(VyxProcess::messagesOf(run.err), c.log);
    EXPECT_EQ(readFile(dir.file("exceptions.json")), exceptions);
  }

  // Once it has quit, the change goes through.
  ASSERT_TRUE(running.waitForSignalWatcher());
  running.sendSignal(SIGTERM);
  ASSERT_EQ(running.waitExit(), 0);
  const VyxRun forget = runBeside(dir, {"--forget", "ghbdtn"});
  EXPECT_EQ(forget.status, 0);
  EXPECT_EQ(forget.out, "forgot 1 entries for word \"ghbdtn\"\n");
}

}  // namespace
}  // namespace vyx::testing
