// One Vyx per configuration directory: while it runs, a second start, or a
// maintenance mode that would change the learned exceptions under it (its
// next save would undo the change), is refused and changes nothing; a
// listing still works.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

// A vyx.lock that Vyx may not open guards nothing: one left by a run under
// sudo (root's, 0600), or made read-only. Neither a start nor a change goes
// ahead; the message names the file and how to mend it. Root opens every
// file, so there the person is nobody, running a copy of vyx it may run.
TEST(ProgramSingleInstance, ALockFileVyxMayNotOpenIsRefused) {
  const bool root = ::geteuid() == 0;
  const char* const setpriv = "/usr/bin/setpriv";
  if (root && ::access(setpriv, X_OK) != 0) {
    GTEST_SKIP() << "running as root, and without setpriv no run can be made as another user";
  }
  const uid_t person = root ? 65534 : ::geteuid();
  const gid_t group = root ? 65534 : ::getegid();
  const TempDir dir;
  const std::string config = dir.file("config");
  const std::string lock = config + "/vyx.lock";
  const std::string exceptions =
      R"({"entries":[{"app":"*","word":"ghbdtn","added":"2025-01-02T00:00:00Z","hit_count":1}]})";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(config.c_str(), 0700), 0);
  std::ofstream(config + "/exceptions.json") << exceptions;
  for (const std::string& path : {config, config + "/exceptions.json"}) {
    ASSERT_EQ(::chown(path.c_str(), person, group), 0);
  }
  VyxLaunch launch{.driven = false, .configDir = config};
  std::vector<std::string> asPerson;
  if (root) {
    const std::string copy = dir.file("vyx");
    std::filesystem::copy_file(launch.binary, copy);
    ASSERT_EQ(::chmod(copy.c_str(), 0755), 0);
    asPerson = {"--reuid=65534", "--regid=65534", "--clear-groups", copy};
    launch.binary = setpriv;
  }

  struct Case {
    const char* what;
    uid_t owner;
    mode_t mode;
  };
  bool skipped = false;
  for (const Case& c :
       {Case{"left by a run under sudo", 0, 0600}, Case{"read-only", person, 0400}}) {
    if (c.owner != person && !root) {
      skipped = true;
      continue;
    }
    SCOPED_TRACE(c.what);
    std::ofstream(lock) << "";
    ASSERT_EQ(::chown(lock.c_str(), c.owner, group), 0);
    ASSERT_EQ(::chmod(lock.c_str(), c.mode), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"--clear-exceptions"},
          std::vector<std::string>{"--forget", "ghbdtn"},
          std::vector<std::string>{"--forget-app=*"}}) {
      SCOPED_TRACE(args.empty() ? "a start" : args.front());
      launch.args = asPerson;
      launch.args.insert(launch.args.end(), args.begin(), args.end());
      const VyxRun run = runVyx(launch, std::chrono::seconds(5));
      EXPECT_EQ(run.status, 1) << run.err;
      EXPECT_EQ(run.out, "");
      const Lines log = VyxProcess::messagesOf(run.err);
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(log.back(), "instance lock: open " + lock +
                                ": Permission denied: remove it (a run under sudo may have "
                                "left it) and try again");
      EXPECT_EQ(readFile(config + "/exceptions.json"), exceptions);
    }
    std::filesystem::remove(lock);
  }
  if (skipped) GTEST_SKIP() << "only root can make a lock file of another owner; the rest passed";
}

}  // namespace
}  // namespace vyx::testing
