#include <filesystem>

#include "store/exception_store.h"
#include "store/exceptions_file.h"
#include "store_fixture.h"
#include "support/fake_clock.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

using namespace std::chrono_literals;
using testing::eventually;
using testing::exists;
using testing::readText;
using testing::StoreTest;
using testing::writeText;

// A store whose save delay runs on a fake clock, counting its saves.
class SaverTest : public StoreTest {
 protected:
  std::shared_ptr<ExceptionStore> open(std::function<void()> afterSave = {}) {
    ExceptionStoreOptions o;
    o.wallClock = wall_.clock();
    o.clock = mono_.clock();
    o.recheckEvery = 1ms;
    auto saves = saves_;
    o.onSaved = [saves, afterSave](const Status& s) {
      if (afterSave) afterSave();
      saves->fetch_add(1);
      if (!s) saves->fetch_add(1000);  // failures show up in the count
    };
    Result<std::shared_ptr<ExceptionStore>> s = NewExceptionStore(o);
    EXPECT_TRUE(s.ok()) << s.error().message();
    return s.ok() ? *s : nullptr;
  }
  int saves() const { return saves_->load(); }
  // Gives the saver ample real time to act on the fake clock's reading; used
  // only to show that something does not happen.
  static void settle() { std::this_thread::sleep_for(30ms); }
  Result<ExceptionsFile> saved() { return decodeExceptionsFile(readText(file("exceptions.json"))); }

  testing::FakeClock mono_;
  testing::FakeWallClock wall_;
  std::shared_ptr<std::atomic<int>> saves_ = std::make_shared<std::atomic<int>>(0);
};

TEST_F(SaverTest, SavesOnce200msAfterTheLastOfAburst) {
  auto s = open();
  ASSERT_TRUE(s->Add("com.a", "one").ok());
  mono_.advance(100ms);
  ASSERT_TRUE(s->Add("com.a", "two").ok());
  mono_.advance(100ms);
  ASSERT_TRUE(s->Add("com.a", "three").ok());
  mono_.advance(199ms);
  settle();
  EXPECT_EQ(saves(), 0);
  EXPECT_FALSE(exists(file("exceptions.json")));
  mono_.advance(1ms);
  ASSERT_TRUE(eventually([&] { return saves() == 1; }));
  ASSERT_TRUE(saved().ok());
  EXPECT_EQ(saved()->Entries.size(), 3u);
  mono_.advance(1s);
  settle();
  EXPECT_EQ(saves(), 1);
  // A lookup hit changes a count but asks for no save of its own.
  EXPECT_TRUE(s->IsException("com.a", "one"));
  mono_.advance(1s);
  settle();
  EXPECT_EQ(saves(), 1);
}

TEST_F(SaverTest, AChangeDuringASaveIsSavedAfterIt) {
  std::shared_ptr<ExceptionStore> s;
  std::atomic<bool> first{true};
  s = open([&] {
    if (first.exchange(false)) (void)s->Add("com.a", "during");
  });
  ASSERT_TRUE(s->Add("com.a", "before").ok());
  mono_.advance(200ms);
  ASSERT_TRUE(eventually([&] { return saves() == 1; }));
  EXPECT_EQ(saved()->Entries.size(), 1u);
  mono_.advance(200ms);
  ASSERT_TRUE(eventually([&] { return saves() == 2; }));
  EXPECT_EQ(saved()->Entries.size(), 2u);
  s->Close();
  s.reset();
}

TEST_F(SaverTest, CloseSavesEvenWithoutChangesAndActsOnce) {
  auto s = open();
  s->Close();
  // The saver's parting save and the final one.
  EXPECT_EQ(saves(), 2);
  const std::string text = readText(file("exceptions.json"));
  EXPECT_EQ(text,
            "{\n  \"version\": 1,\n  \"updated\": \"2023-11-14T22:13:20Z\",\n"
            "  \"entries\": []\n}");
  wall_.advance(90s);
  s->Close();
  EXPECT_EQ(saves(), 2);
  // After closing the store still answers, but saves no more.
  ASSERT_TRUE(s->Add("com.a", "late").ok());
  EXPECT_TRUE(s->IsException("com.a", "late"));
  mono_.advance(1s);
  settle();
  EXPECT_EQ(saves(), 2);
  EXPECT_EQ(readText(file("exceptions.json")), text);
}

TEST_F(SaverTest, EveryCloseRewritesTheUpdatedTime) {
  auto s = open();
  ASSERT_TRUE(s->Add("com.a", "w").ok());
  s->Close();
  s.reset();
  wall_.advance(1500ms);
  auto again = open();
  again->Close();
  EXPECT_NE(readText(file("exceptions.json")).find("\"updated\": \"2023-11-14T22:13:21.5Z\""),
            std::string::npos);
}

TEST_F(SaverTest, ClearOfAnEmptyStoreStillSaves) {
  auto s = open();
  s->Clear();
  mono_.advance(200ms);
  ASSERT_TRUE(eventually([&] { return saves() == 1; }));
  ASSERT_TRUE(saved().ok());
  EXPECT_TRUE(saved()->Entries.empty());
}

TEST_F(SaverTest, FailedSaveIsLoggedMemoryKeepsAllAndTheNextChangeRetries) {
  testing::LogCapture log;
  auto s = open();
  ASSERT_TRUE(s->Add("com.a", "kept").ok());
  s->Close();
  s.reset();
  const std::string good = readText(file("exceptions.json"));
  saves_->store(0);

  s = open();
  // Nothing can be written beside the file now: the temporary file's name is taken.
  std::filesystem::create_directories(file("exceptions.json.tmp") + "/x");
  ASSERT_TRUE(s->Add("com.a", "second").ok());
  mono_.advance(200ms);
  ASSERT_TRUE(eventually([&] { return saves() == 1001; }));
  EXPECT_TRUE(log.contains("ExceptionStore: persist failed: remove " + file("exceptions.json.tmp") +
                           ": Is a directory"))
      << log.text();
  EXPECT_EQ(readText(file("exceptions.json")), good) << "the old file is untouched";
  EXPECT_EQ(s->List().size(), 2u);

  // A rename that fails leaves the complete temporary file behind.
  std::filesystem::remove_all(file("exceptions.json.tmp"));
  std::filesystem::remove(file("exceptions.json"));
  std::filesystem::create_directories(file("exceptions.json") + "/x");
  ASSERT_TRUE(s->Add("com.a", "third").ok());
  mono_.advance(200ms);
  ASSERT_TRUE(eventually([&] { return saves() == 2002; }));
  EXPECT_TRUE(log.contains("ExceptionStore: persist failed: rename " + file("exceptions.json.tmp") +
                           " " + file("exceptions.json") + ": Is a directory"))
      << log.text();
  Result<ExceptionsFile> left = decodeExceptionsFile(readText(file("exceptions.json.tmp")));
  ASSERT_TRUE(left.ok());
  EXPECT_EQ(left->Entries.size(), 3u);

  // Once the way is clear, the next change saves everything.
  std::filesystem::remove_all(file("exceptions.json"));
  ASSERT_TRUE(s->Add("com.a", "fourth").ok());
  mono_.advance(200ms);
  ASSERT_TRUE(eventually([&] { return saves() == 2003; }));
  ASSERT_TRUE(saved().ok());
  EXPECT_EQ(saved()->Entries.size(), 4u);
  EXPECT_FALSE(exists(file("exceptions.json.tmp")));
  EXPECT_EQ(testing::modeOf(file("exceptions.json")), 0600u);
}

TEST_F(SaverTest, ReadOnlyDirectoryKeepsEverythingInMemory) {
  std::optional<std::string> ro = testing::unwritableDir(root_ + "/ro");
  if (!ro) GTEST_SKIP() << "no unwritable directory here";
  env_.set("VYX_CONFIG_DIR", *ro);
  testing::LogCapture log;
  auto s = open();
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(s->Add("com.a", "w").ok());
  s->Close();
  EXPECT_TRUE(
      log.contains("ExceptionStore: persist failed: open " + *ro + "/exceptions.json.tmp: "))
      << log.text();
  EXPECT_EQ(s->List().size(), 1u);
}

// A real store in a fresh configuration directory that saves as often as it
// can, counting its saves.
struct BusySaver {
  BusySaver() {
    char tmpl[] = "/tmp/vyx-store-XXXXXX";
    dir = ::mkdtemp(tmpl);
    env.set("VYX_CONFIG_DIR", dir);
    ExceptionStoreOptions o;
    o.saveDelay = 0ms;
    o.onSaved = [this](const Status& st) {
      EXPECT_TRUE(st.ok());
      saves.fetch_add(1);
    };
    store = *NewExceptionStore(o);
  }
  ~BusySaver() {
    store.reset();  // its last save first
    std::filesystem::remove_all(dir);
  }
  BusySaver(const BusySaver&) = delete;
  BusySaver& operator=(const BusySaver&) = delete;

  testing::EnvScope env;
  std::string dir;
  std::atomic<int> saves{0};
  std::shared_ptr<ExceptionStore> store;
};

TEST(ExceptionStoreThreads, LookupsAndLearningWhileTheSaverWrites) {
  BusySaver busy;
  const std::string& dir = busy.dir;
  std::atomic<int>& saves = busy.saves;
  auto& store = busy.store;
  constexpr int kThreads = 4, kWords = 300;
  std::atomic<int64_t> hits{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kWords; ++i) {
        const std::string word = "w" + std::to_string(i);
        EXPECT_TRUE(store->Add("app" + std::to_string(t % 2), word).ok());
        if (store->IsException("APP" + std::to_string(t % 2), word)) hits.fetch_add(1);
        if (i % 50 == 0) (void)store->List();
      }
    });
  }
  for (auto& th : threads) th.join();
  store->Close();
  EXPECT_GT(saves.load(), 1);
  Result<ExceptionsFile> f = decodeExceptionsFile(readText(dir + "/exceptions.json"));
  ASSERT_TRUE(f.ok());
  ASSERT_EQ(f->Entries.size(), 2u * kWords);
  int64_t total = 0;
  for (const Exception& e : f->Entries) total += e.HitCount;
  // Every Add and every hit is counted exactly once.
  EXPECT_EQ(hits.load(), kThreads * kWords);
  EXPECT_EQ(total, 2 * kThreads * kWords);
}

// A save reads the entries' words without the lock: removals of every kind
// made meanwhile must neither free what it reads (AddressSanitizer) nor race
// with it (ThreadSanitizer), and the last save holds exactly what remains.
TEST(ExceptionStoreThreads, RemovalsWhileTheSaverReadsKeepEverySaveWhole) {
  BusySaver busy;
  auto& store = busy.store;
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      const std::string app = "app" + std::to_string(t);
      for (int i = 0; i < 400; ++i) {
        const std::string word = "w" + std::to_string(i);
        EXPECT_TRUE(store->Add(app, word).ok());
        EXPECT_TRUE(store->Add(app, "keep" + word).ok());
        if (i % 3 == 0) (void)store->Remove(app, word);
        if (i % 7 == 0) (void)store->Forget(word);
        if (i % 97 == 0) (void)store->ForgetApp(app);
        if (t == 0 && i == 333) store->Clear();
      }
    });
  }
  for (auto& th : threads) th.join();
  store->Close();
  EXPECT_GT(busy.saves.load(), 1);
  Result<ExceptionsFile> f = decodeExceptionsFile(readText(busy.dir + "/exceptions.json"));
  ASSERT_TRUE(f.ok());
  const std::vector<Exception> left = store->List();
  ASSERT_EQ(f->Entries.size(), left.size());
  for (size_t i = 0; i < left.size(); ++i) {
    EXPECT_EQ(f->Entries[i].App + "/" + f->Entries[i].Word, left[i].App + "/" + left[i].Word);
    EXPECT_EQ(f->Entries[i].HitCount, left[i].HitCount);
  }
}

}  // namespace
}  // namespace vyx
