// The maintenance modes on a real configuration directory, one run of vyx
// after another, as a person cleaning up learned exceptions would.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/exception_store.h"
#include "store/exceptions_file.h"
#include "store/fs_util.h"
#include "support/vyx_process.h"

namespace vyx::testing {
namespace {

VyxRun maintain(const TempDir& dir, std::vector<std::string> args) {
  return runVyx({.args = std::move(args), .driven = false, .configDir = dir.path()});
}

// Written on one line, so that a save (two-space indentation) shows.
constexpr const char* kExceptions =
    R"({"version":1,"updated":"2025-01-02T03:04:05Z","entries":[)"
    R"({"app":"*","word":"привет","added":"2024-03-05T10:00:00Z","hit_count":3},)"
    R"({"app":"com.apple.TextEdit","word":"ghbdtn","added":"2024-12-31T23:30:00-05:00","hit_count":0},)"
    R"({"app":"com.example.a.bundle.identifier.longer.than.forty","word":"a-word-that-is-longer-than-thirty-letters","added":"2025-01-01T01:00:00+03:00","hit_count":12},)"
    R"({"app":"com.apple.Notes","word":"Привет","hit_count":1}]})";

TEST(ProgramMaintenance, ListForgetAndClearWorkOnTheConfigurationDirectory) {
  const TempDir dir;
  std::ofstream(dir.file("exceptions.json")) << kExceptions;
  const std::string listing =
      "*                                         привет                          3 hits  "
      "added=2024-03-05\n"
      "com.apple.TextEdit                        ghbdtn                          0 hits  "
      "added=2024-12-31\n"
      "com.example.a.bundle.identifier.longer.than.forty  "
      "a-word-that-is-longer-than-thirty-letters  12 hits  added=2025-01-01\n"
      "com.apple.Notes                           Привет                          1 hits  "
      "added=0001-01-01\n";
  struct Step {
    std::vector<std::string> args;
    std::string out;
    bool saves;
  };
  const std::vector<Step> steps = {
      {{"--list-exceptions"}, listing, false},
      // Only the first action asked for runs.
      {{"-verbose", "-clear-exceptions", "-forget-app", "*", "-forget=ghbdtn", "-list-exceptions"},
       listing,
       false},
      {{"-forget", "ПРИВЕТ"}, "forgot 2 entries for word \"ПРИВЕТ\"\n", true},
      {{"-forget", "say \"hi\""}, "forgot 0 entries for word \"say \\\"hi\\\"\"\n", true},
      {{"--forget-app=COM.APPLE.TEXTEDIT"},
       "forgot 1 entries for app \"COM.APPLE.TEXTEDIT\"\n",
       true},
      {{"-list-exceptions"},
       "com.example.a.bundle.identifier.longer.than.forty  "
       "a-word-that-is-longer-than-thirty-letters  12 hits  added=2025-01-01\n",
       false},
      {{"-clear-exceptions"}, "exceptions cleared\n", true},
      {{"-list-exceptions"}, "(no exceptions)\n", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.args.front());
    const std::string before = readFile(dir.file("exceptions.json"));
    const VyxRun run = maintain(dir, step.args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, step.out);
    EXPECT_EQ(run.err, "");
    // A change is saved when the store closes, in its own layout (with a new
    // "updated"); a listing only looks.
    EXPECT_EQ(readFile(dir.file("exceptions.json")) != before, step.saves);
  }
  EXPECT_NE(readFile(dir.file("exceptions.json")).find("\"entries\": []"), std::string::npos);
  // Nothing but the store was touched.
  EXPECT_FALSE(std::filesystem::exists(dir.file("config.yaml")));
}

// A change that could not be saved was not made: nothing is printed as done,
// the reason goes to standard error, and the file keeps every entry. What
// stops the save here is a folder at exceptions.json.tmp, where every save
// writes its new file first; a read-only folder would not stop root.
TEST(ProgramMaintenance, AChangeThatCannotBeSavedIsNotReportedAsDone) {
  const TempDir dir;
  std::ofstream(dir.file("exceptions.json")) << kExceptions;
  std::filesystem::create_directories(dir.file("exceptions.json.tmp/in the way"));
  const Status blocked = writeFileAtomic(dir.file("exceptions.json"), "{}", 0600, 1024);
  ASSERT_FALSE(blocked.ok());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--forget", "привет"},
        std::vector<std::string>{"--forget-app=com.apple.TextEdit"},
        std::vector<std::string>{"--clear-exceptions"}}) {
    SCOPED_TRACE(args.front());
    const VyxRun run = maintain(dir, args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::vector<std::string> log = VyxProcess::messagesOf(run.err);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(),
              "exceptions store: not saved, nothing changed: " + blocked.error().message());
    EXPECT_EQ(readFile(dir.file("exceptions.json")), kExceptions);
  }
}

TEST(ProgramMaintenance, ControlCharactersAreListedEscapedOnTheEntrysOneLine) {
  const TempDir dir;
  std::ofstream(dir.file("exceptions.json"))
      << R"({"entries":[)"
         R"({"app":"com.apple.TextEdit","word":"ghbdtn\nvbh","added":"2024-03-05T10:00:00Z"},)"
         R"({"app":"\u001b]0;owned\u0007","word":"a\tb\u007f","added":"2024-03-05T10:00:00Z"},)"
         R"({"app":"*","word":"\u009b2J\\n","added":"2024-03-05T10:00:00Z"},)"
         // Marks that turn the text around, and line and paragraph separators:
         // shown raw, the line would read as another word.
         R"({"app":"\u2066\u2067\u2068\u2069\u200e\u200f",)"
         R"("word":"\u202a\u202b\u202c\u202d\u202e","added":"2024-03-05T10:00:00Z"},)"
         R"({"app":"*","word":"\u061cx\u2028y\u2029","added":"2024-03-05T10:00:00Z"}]})";
  const VyxRun run = maintain(dir, {"--list-exceptions"});
  EXPECT_EQ(run.status, 0);
  // Padded by what is printed; a backslash already in the word stays as it is.
  EXPECT_EQ(run.out,
            "com.apple.TextEdit                        ghbdtn\\nvbh                     0 hits  "
            "added=2024-03-05\n"
            "\\x1b]0;owned\\a                            a\\tb\\x7f                        0 hits  "
            "added=2024-03-05\n"
            "*                                         \\u009b2J\\n                      0 hits  "
            "added=2024-03-05\n"
            "\\u2066\\u2067\\u2068\\u2069\\u200e\\u200f      "
            "\\u202a\\u202b\\u202c\\u202d\\u202e  0 hits  added=2024-03-05\n"
            "*                                         \\u061cx\\u2028y\\u2029            0 hits  "
            "added=2024-03-05\n");
}

// A listing never writes, not even over a file it cannot read as exceptions,
// and it never passes such a file off as an empty list: it fails, saying why.
TEST(ProgramMaintenance, ListingADamagedFileLeavesItWhereItIs) {
  const TempDir dir;
  const std::string damaged = R"({"entries": [{"word": "ghbdtn", "added": "yesterday"}]})";
  std::ofstream(dir.file("exceptions.json")) << damaged;
  const VyxRun run = maintain(dir, {"--list-exceptions"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(VyxProcess::messagesOf(run.err),
            std::vector<std::string>{
                "exceptions store: " + dir.file("exceptions.json") +
                " does not load: " + decodeExceptionsFile(damaged).error().message()});
  EXPECT_EQ(readFile(dir.file("exceptions.json")), damaged);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"exceptions.json"});
}

TEST(ProgramMaintenance, AStoreThatCannotBeOpenedIsFatal) {
  const TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("exceptions.json").c_str(), 0700), 0);
  // The same failure, seen from this process, gives the expected text.
  ::setenv("VYX_CONFIG_DIR", dir.path().c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
  const auto opened = NewExceptionStore();
  ::unsetenv("VYX_CONFIG_DIR");  // NOLINT(concurrency-mt-unsafe)
  ASSERT_FALSE(opened.ok());

  const VyxRun run = maintain(dir, {"--list-exceptions"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(VyxProcess::messagesOf(run.err),
            std::vector<std::string>{"exceptions store: " + opened.error().message()});
}

}  // namespace
}  // namespace vyx::testing
