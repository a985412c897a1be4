#include "store/custom_dict.h"

#include <filesystem>
#include <string>
#include <vector>

#include "store_fixture.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

using namespace std::chrono_literals;
using testing::exists;
using testing::modeOf;
using testing::readText;
using testing::StoreTest;
using testing::writeText;

constexpr char kHeader[] =
    "# Свой словарь Vyx. Одно слово в строке, регистр не важен.\n"
    "# Строки, начинающиеся с «#», и пустые строки пропускаются.\n"
    "# Изменения подхватываются сами, перезапускать приложение не нужно.\n";

StringSet set(std::initializer_list<const char*> words) {
  StringSet s;
  for (const char* w : words) s.insert(w);
  return s;
}

TEST(ParseCustomDict, LinesAreTrimmedLowerCasedAndKeptWhole) {
  EXPECT_EQ(parseCustomDict("Привет\nпривет\n  ПРИВЕТ \t\nnew york\n"),
            set({"привет", "new york"}));
  EXPECT_EQ(parseCustomDict("# comment\n   # indented comment\n\n \n\u00a0\nword#1\n"),
            set({"word#1"}));
  EXPECT_EQ(parseCustomDict("one\r\ntwo\r\n"), parseCustomDict("one\ntwo\n"));
  // A carriage return alone does not split lines.
  EXPECT_EQ(parseCustomDict("one\rtwo"), set({"one\rtwo"}));
  EXPECT_EQ(parseCustomDict("last line without break"), set({"last line without break"}));
  EXPECT_TRUE(parseCustomDict("").empty());
  EXPECT_TRUE(parseCustomDict(kHeader).empty());
}

TEST(ParseCustomDict, ALeadingByteOrderMarkIsNotPartOfTheFirstLine) {
  struct Case {
    std::string text;
    StringSet words;
  };
  const std::vector<Case> cases = {
      {"\uFEFFGhbdtn\nvbh\n", set({"ghbdtn", "vbh"})},
      {"\uFEFF# comment\nvbh", set({"vbh"})},
      {"\uFEFF  ghbdtn\r\n", set({"ghbdtn"})},
      // Only at the very start is it a mark; elsewhere it stays text.
      {"vbh\n\uFEFFghbdtn", set({"vbh", "\uFEFFghbdtn"})},
  };
  for (const Case& c : cases) EXPECT_EQ(parseCustomDict(c.text), c.words) << c.text;
}

TEST(ParseCustomDict, BadBytesAndLongLines) {
  // Bytes that are not UTF-8 cannot match a typed word; they do no harm.
  const StringSet bad = parseCustomDict("ok\n\xff\xfe\nMi\xc3x\n");
  EXPECT_TRUE(bad.count("ok"));
  EXPECT_EQ(bad.size(), 3u);
  for (const std::string& w : bad) EXPECT_FALSE(w.empty());
  const std::string longWord(1 << 20, 'A');
  const StringSet longSet = parseCustomDict("x\n" + longWord + "\ny");
  EXPECT_EQ(longSet.size(), 3u);
  EXPECT_TRUE(longSet.count(std::string(1 << 20, 'a')));
}

class CustomDictTest : public StoreTest {
 protected:
  // Records what the poller hands over.
  struct Receiver {
    std::mutex mu;
    std::vector<CustomWordSet> sets;
    size_t count() {
      std::lock_guard l(mu);
      return sets.size();
    }
    CustomWordSet last() {
      std::lock_guard l(mu);
      return sets.empty() ? nullptr : sets.back();
    }
  };
  CustomWordsReceiver receiverFor(const std::shared_ptr<Receiver>& r) {
    return [r](CustomWordSet s) {
      std::lock_guard l(r->mu);
      r->sets.push_back(std::move(s));
    };
  }
  std::string path() { return *customDictPath(); }
  // Moves the file's modification time so a same-size edit is seen.
  void touchLater(const std::string& p, int seconds) {
    const auto t = std::filesystem::last_write_time(p);
    std::filesystem::last_write_time(p, t + std::chrono::seconds(seconds));
  }
};

TEST_F(CustomDictTest, EnsureCreatesTheHeaderPrivately) {
  ASSERT_EQ(path(), dir_ + "/custom_dict.txt");
  ASSERT_TRUE(ensureCustomDictFile(path()).ok());
  const std::string text = readText(path());
  EXPECT_EQ(text, kHeader);
  EXPECT_EQ(text.size(), 331u);
  EXPECT_EQ(modeOf(dir_), 0700u);
  EXPECT_EQ(modeOf(path()), 0600u);
}

TEST_F(CustomDictTest, EnsureKeepsAnExistingFileAndFixesModes) {
  makeDir();
  ::chmod(dir_.c_str(), 0755);
  writeText(path(), "mine\n");
  ::chmod(path().c_str(), 0644);
  ASSERT_TRUE(ensureCustomDictFile(path()).ok());
  EXPECT_EQ(readText(path()), "mine\n");
  EXPECT_EQ(modeOf(path()), 0600u);
  EXPECT_EQ(modeOf(dir_), 0700u);
}

TEST_F(CustomDictTest, EnsureReportsWhatItCannotDo) {
  writeText(root_ + "/plain", "x");
  Status s = ensureCustomDictFile(root_ + "/plain/sub/custom_dict.txt");
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error().message(), "mkdir " + root_ + "/plain: Not a directory");
  std::filesystem::create_directories(root_ + "/d/custom_dict.txt");
  EXPECT_TRUE(ensureCustomDictFile(root_ + "/d/custom_dict.txt").ok())
      << "an existing entry of that name only gets its mode";
  env_.unset("VYX_CONFIG_DIR");
  env_.unset("HOME");
  Result<std::string> p = customDictPath();
  ASSERT_FALSE(p.ok());
  EXPECT_EQ(p.error().message(), "$HOME is not defined");
}

TEST_F(CustomDictTest, PollerFollowsTheFileThroughItsLife) {
  testing::LogCapture log;
  auto got = std::make_shared<Receiver>();
  CustomDictPoller poller(path(), receiverFor(got));

  poller.check();  // no file yet: silence
  EXPECT_EQ(got->count(), 0u);

  ASSERT_TRUE(ensureCustomDictFile(path()).ok());
  poller.check();
  ASSERT_EQ(got->count(), 1u);
  EXPECT_TRUE(got->last()->empty());
  poller.check();  // unchanged: nothing more
  EXPECT_EQ(got->count(), 1u);

  writeText(path(), "Alpha\nbeta\n");
  touchLater(path(), 1);
  poller.check();
  ASSERT_EQ(got->count(), 2u);
  EXPECT_EQ(*got->last(), set({"alpha", "beta"}));
  const CustomWordSet handed = got->last();

  // Same size and same time: not noticed, by design.
  const auto mtime = std::filesystem::last_write_time(path());
  writeText(path(), "Gamma\ndelt\n");
  std::filesystem::last_write_time(path(), mtime);
  poller.check();
  EXPECT_EQ(got->count(), 2u);

  writeText(path(), "");
  poller.check();
  ASSERT_EQ(got->count(), 3u);
  EXPECT_TRUE(got->last()->empty());
  EXPECT_EQ(*handed, set({"alpha", "beta"})) << "a set handed over never changes";

  std::filesystem::remove(path());
  poller.check();
  poller.check();
  ASSERT_EQ(got->count(), 4u);
  EXPECT_TRUE(got->last()->empty());

  // Back again, loaded whatever its size and time.
  writeText(path(), "");
  ::chmod(path().c_str(), 0600);
  poller.check();
  EXPECT_EQ(got->count(), 5u);

  EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                "custom dict: 0 words loaded",
                                "custom dict: 2 words loaded",
                                "custom dict: 0 words loaded",
                                "custom dict: file removed, 0 words",
                                "custom dict: 0 words loaded",
                            }));
}

TEST_F(CustomDictTest, PollerRepairsTheModeWithoutReloading) {
  testing::LogCapture log;
  auto got = std::make_shared<Receiver>();
  ASSERT_TRUE(ensureCustomDictFile(path()).ok());
  CustomDictPoller poller(path(), receiverFor(got));
  poller.check();
  const auto mtime = std::filesystem::last_write_time(path());
  ::chmod(path().c_str(), 0644);
  poller.check();
  EXPECT_EQ(modeOf(path()), 0600u);
  EXPECT_EQ(got->count(), 1u);
  EXPECT_EQ(std::filesystem::last_write_time(path()), mtime);
  EXPECT_EQ(log.messages().size(), 1u);
}

TEST_F(CustomDictTest, UnreadableFileKeepsThePreviousWords) {
  testing::LogCapture log;
  auto got = std::make_shared<Receiver>();
  makeDir();
  writeText(path(), "kept\n");
  ::chmod(path().c_str(), 0600);
  CustomDictPoller poller(path(), receiverFor(got));
  poller.check();
  ASSERT_EQ(got->count(), 1u);
  // Replaced by a directory: it exists, its mode is fixable, but it cannot be read.
  std::filesystem::remove(path());
  std::filesystem::create_directories(path());
  ::chmod(path().c_str(), 0600);
  poller.check();
  poller.check();
  EXPECT_EQ(got->count(), 1u);
  EXPECT_EQ(*got->last(), set({"kept"}));
  // Once readable again, it loads.
  std::filesystem::remove(path());
  writeText(path(), "back\n");
  ::chmod(path().c_str(), 0600);
  poller.check();
  ASSERT_EQ(got->count(), 2u);
  EXPECT_EQ(*got->last(), set({"back"}));
}

TEST_F(CustomDictTest, ChmodFailureIsLoggedAndLoadingGoesOn) {
  testing::LogCapture log;
  auto got = std::make_shared<Receiver>();
  // The mode of a file in /proc cannot be changed, even by root.
  CustomDictPoller poller("/proc/self/status", receiverFor(got));
  poller.check();
  ASSERT_EQ(got->count(), 1u);
  EXPECT_FALSE(got->last()->empty());
  const std::vector<std::string> lines = log.messages();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("custom dict: chmod 0600 failed: chmod /proc/self/status: ", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("custom dict: ", 0), 0u);
}

TEST_F(CustomDictTest, WatcherChecksAtOnceThenEveryTickAndStops) {
  testing::LogCapture log;
  auto got = std::make_shared<Receiver>();
  ASSERT_TRUE(ensureCustomDictFile(path()).ok());
  std::function<void()> stop = startCustomDictWatcher(path(), receiverFor(got), 5ms);
  ASSERT_TRUE(testing::eventually([&] { return got->count() == 1; }));
  writeText(path(), "one\ntwo\nthree\n");
  ASSERT_TRUE(testing::eventually([&] { return got->count() == 2; }));
  EXPECT_EQ(got->last()->size(), 3u);
  ::chmod(path().c_str(), 0640);
  ASSERT_TRUE(testing::eventually([&] { return modeOf(path()) == 0600u; }));
  stop();
  stop();  // returns at once: the poller has ended
  const size_t after = got->count();
  writeText(path(), "changed after stop\n");
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(got->count(), after);
}

TEST_F(CustomDictTest, StopFromSeveralThreadsAndByDroppingTheFunction) {
  testing::LogCapture log;
  auto got = std::make_shared<Receiver>();
  ASSERT_TRUE(ensureCustomDictFile(path()).ok());
  std::function<void()> stop = startCustomDictWatcher(path(), receiverFor(got), 1h);
  ASSERT_TRUE(testing::eventually([&] { return got->count() == 1; }));
  std::vector<std::thread> stoppers;
  for (int i = 0; i < 4; ++i) stoppers.emplace_back([stop] { stop(); });
  for (auto& t : stoppers) t.join();
  {
    // Dropping every copy of the stop function stops and joins the poller too.
    auto dropped = startCustomDictWatcher(path(), receiverFor(got), 1ms);
    ASSERT_TRUE(testing::eventually([&] { return got->count() == 2; }));
  }
  writeText(path(), "after both stopped\n");
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(got->count(), 2u);
}

}  // namespace
}  // namespace vyx
