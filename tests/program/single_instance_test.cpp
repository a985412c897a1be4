// One Vyx per configuration directory: while it runs, a second start, or a
// maintenance mode that would change the learned exceptions under it (its
// next save would undo the change), is refused and changes nothing; a
// listing still works.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
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

// Something else standing at vyx.lock cannot hold the lock, so two Vyx
// could run on one directory: neither a start nor a change goes ahead, and
// the message names the file to remove.
TEST(ProgramSingleInstance, AnythingButAFileAtTheLockIsRefused) {
  const TempDir dir;
  const std::string lock = dir.file("vyx.lock");
  const std::string exceptions =
      R"({"entries":[{"app":"*","word":"ghbdtn","added":"2025-01-02T00:00:00Z","hit_count":1}]})";
  std::ofstream(dir.file("exceptions.json")) << exceptions;
  std::ofstream(dir.file("elsewhere")) << "";
  const std::vector<std::pair<std::string, std::function<void()>>> occupants = {
      {"a symbolic link", [&] { std::filesystem::create_symlink(dir.file("elsewhere"), lock); }},
      {"a directory", [&] { std::filesystem::create_directory(lock); }},
      {"a named pipe", [&] { ::mkfifo(lock.c_str(), 0600); }},
  };
  for (const auto& [what, make] : occupants) {
    SCOPED_TRACE(what);
    make();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"--clear-exceptions"}}) {
      const VyxRun run =
          runVyx({.args = args, .driven = false, .configDir = dir.path()}, std::chrono::seconds(5));
      EXPECT_EQ(run.status, 1);
      const Lines log = VyxProcess::messagesOf(run.err);
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(log.back(),
                "instance lock: " + lock + " is not a regular file: remove it and try again");
      EXPECT_EQ(readFile(dir.file("exceptions.json")), exceptions);
    }
    std::filesystem::remove(lock);
  }
}

}  // namespace
}  // namespace vyx::testing
