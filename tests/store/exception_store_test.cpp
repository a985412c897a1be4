#include "store/exception_store.h"

#include <filesystem>
#include <limits>

#include "store/exceptions_file.h"
#include "store_fixture.h"

namespace vyx {
namespace {

using testing::exists;
using testing::readText;
using testing::StoreTest;
using testing::writeText;

class ExceptionStoreTest : public StoreTest {
 protected:
  std::shared_ptr<ExceptionStore> open() {
    ExceptionStoreOptions o;
    o.wallClock = wall_.clock();
    Result<std::shared_ptr<ExceptionStore>> s = NewExceptionStore(o);
    EXPECT_TRUE(s.ok()) << s.error().message();
    return s.ok() ? *s : nullptr;
  }
  std::shared_ptr<ExceptionStore> openWith(const std::string& json) {
    makeDir();
    writeText(file("exceptions.json"), json);
    return open();
  }
  static std::vector<std::string> words(const ExceptionStore& s) {
    std::vector<std::string> out;
    for (const Exception& e : s.List()) out.push_back(e.App + "/" + e.Word);
    return out;
  }
  testing::FakeWallClock wall_;
};

using Words = std::vector<std::string>;

TEST_F(ExceptionStoreTest, LookupsIgnoreCaseAndFallBackToEveryApplication) {
  auto s = open();
  ASSERT_TRUE(s->Add("com.Apple.TextEdit", "Ghbdtn").ok());
  ASSERT_TRUE(s->Add("*", "ПРИВЕТ").ok());
  EXPECT_TRUE(s->IsException("COM.APPLE.TEXTEDIT", "gHBDTN"));
  EXPECT_FALSE(s->IsException("com.other", "ghbdtn"));
  EXPECT_TRUE(s->IsException("com.other", "привет"));
  EXPECT_TRUE(s->IsException("", "Привет")) << "no application tests only \"*\"";
  EXPECT_FALSE(s->IsException("", "ghbdtn"));
  EXPECT_FALSE(s->IsException("com.apple.textedit", ""));
  const std::vector<Exception> list = s->List();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].HitCount, 2);
  EXPECT_EQ(list[1].HitCount, 3);
  EXPECT_EQ(list[0].Added, wallTimeUtc(wall_.now()));
}

TEST_F(ExceptionStoreTest, AddRules) {
  auto s = open();
  Status empty = s->Add("com.a", "");
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.error().message(), "empty word");
  EXPECT_TRUE(s->Add("", "word").ok());
  EXPECT_TRUE(s->List().empty()) << "nothing is learned without an application";

  ASSERT_TRUE(s->Add("com.A", "Word").ok());
  wall_.advance(std::chrono::hours(1));
  ASSERT_TRUE(s->Add("COM.a", "WORD").ok());
  const std::vector<Exception> list = s->List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].App, "com.A");
  EXPECT_EQ(list[0].Word, "Word");
  EXPECT_EQ(list[0].HitCount, 2);
  EXPECT_EQ(list[0].Added, wallTimeUtc(wall_.now() - std::chrono::hours(1)));
}

TEST_F(ExceptionStoreTest, ForgetRemoveAndClear) {
  auto s = open();
  for (const auto& [app, word] :
       std::vector<std::pair<std::string, std::string>>{{"*", "Straße"},
                                                        {"com.a", "STRASSE"},
                                                        {"com.a", "straße"},
                                                        {"com.b", "other"},
                                                        {"COM.A", "x"},
                                                        {"*", "x"}}) {
    ASSERT_TRUE(s->Add(app, word).ok());
  }
  EXPECT_EQ(words(*s),
            (Words{"*/Straße", "com.a/STRASSE", "com.a/straße", "com.b/other", "COM.A/x", "*/x"}));

  EXPECT_EQ(s->ForgetApp("*"), 2u);
  EXPECT_EQ(words(*s), (Words{"com.a/STRASSE", "com.a/straße", "com.b/other", "COM.A/x"}));
  EXPECT_FALSE(s->IsException("com.z", "x"));
  // Simple case folding: ß is not "ss".
  EXPECT_EQ(s->Forget("strasse"), 1u);
  EXPECT_EQ(s->Forget("nothing"), 0u);
  EXPECT_FALSE(s->IsException("com.a", "strasse"));
  EXPECT_TRUE(s->IsException("com.a", "STRAßE"));

  // Remove never falls back to "*".
  ASSERT_TRUE(s->Add("*", "other").ok());
  EXPECT_FALSE(s->Remove("com.c", "other"));
  EXPECT_TRUE(s->Remove("Com.B", "OTHER"));
  EXPECT_FALSE(s->Remove("com.b", "other"));
  EXPECT_TRUE(s->IsException("com.b", "other"));
  EXPECT_EQ(words(*s), (Words{"com.a/straße", "COM.A/x", "*/other"}));

  // List hands out copies.
  std::vector<Exception> copy = s->List();
  copy[0].Word = "changed";
  EXPECT_EQ(s->List()[0].Word, "straße");

  s->Clear();
  EXPECT_TRUE(s->List().empty());
  EXPECT_FALSE(s->IsException("com.a", "x"));
}

TEST_F(ExceptionStoreTest, HitCountAtItsLargestValueStaysThere) {
  auto s =
      openWith(R"({"entries": [{"app": "com.a", "word": "w", "hit_count": 9223372036854775807}]})");
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->IsException("com.a", "w"));
  ASSERT_TRUE(s->Add("com.a", "w").ok());
  EXPECT_EQ(s->List()[0].HitCount, std::numeric_limits<int64_t>::max());
  s->Close();
}

TEST_F(ExceptionStoreTest, LoadAppliesTheStoreRulesToEntries) {
  auto s = openWith(R"({"version": 1, "entries": [
      {"app": "", "word": "Nowhere", "hit_count": 4},
      {"app": "com.a", "word": ""},
      {"app": "com.a", "word": "Dup", "hit_count": 1},
      {"app": "COM.A", "word": "dup", "hit_count": 10}]})");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(words(*s), (Words{"*/Nowhere", "com.a/Dup", "COM.A/dup"}));
  EXPECT_TRUE(s->IsException("anything", "nowhere"));
  EXPECT_TRUE(s->IsException("com.a", "DUP"));
  std::vector<Exception> list = s->List();
  EXPECT_EQ(list[0].Added, WallTime{});
  EXPECT_EQ(list[1].HitCount, 1) << "the later duplicate takes the hits";
  EXPECT_EQ(list[2].HitCount, 11);
  // Removing the indexed duplicate leaves the earlier one listed but unfound.
  EXPECT_TRUE(s->Remove("com.a", "dup"));
  EXPECT_EQ(words(*s), (Words{"*/Nowhere", "com.a/Dup"}));
  EXPECT_FALSE(s->IsException("com.a", "dup"));
  s->Close();
  // The entry without a word is gone from the file; the default time is year 1.
  const std::string text = readText(file("exceptions.json"));
  EXPECT_EQ(text.find("\"word\": \"\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"app\": \"*\",\n      \"word\": \"Nowhere\",\n      \"added\": "
                      "\"0001-01-01T00:00:00Z\",\n      \"hit_count\": 5"),
            std::string::npos)
      << text;
  // After the next load the earlier duplicate is found again.
  auto again = open();
  EXPECT_TRUE(again->IsException("com.a", "dup"));
}

TEST_F(ExceptionStoreTest, EmptyOrMissingFileStartsEmptyAndWritesNothingUntilNeeded) {
  auto s = open();
  EXPECT_TRUE(s->List().empty());
  EXPECT_FALSE(exists(file("exceptions.json")));
  s.reset();  // closing saves
  EXPECT_TRUE(exists(file("exceptions.json")));

  for (const char* text : {"", "null", "{}"}) {
    auto t = openWith(text);
    EXPECT_TRUE(t->List().empty()) << text;
    EXPECT_EQ(readText(file("exceptions.json")), text);
    EXPECT_FALSE(exists(file("exceptions.json.corrupt.bak")));
  }
}

TEST_F(ExceptionStoreTest, UndecodableFileIsMovedAsideAndTheStoreStartsEmpty) {
  makeDir();
  writeText(file("exceptions.json.corrupt.bak"), "older");
  int kept = 0;
  for (const std::string& bad :
       {std::string("{\"entries\": [{\"word\": \"x\", \"added\": \"soon\"}]}"),
        std::string("{\"entries\": []} trailing"), std::string("\x00\x01", 2),
        std::string(R"({"entries": [{"word": "w"}]})") + '\0' + "garbage",
        std::string("{\"entries\": [{\"word\": 12}]}")}) {
    auto s = openWith(bad);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->List().empty());
    EXPECT_FALSE(exists(file("exceptions.json")));
    EXPECT_EQ(readText(file("exceptions.json.corrupt." + std::to_string(++kept) + ".bak")), bad);
    EXPECT_EQ(readText(file("exceptions.json.corrupt.bak")), "older");
    ASSERT_TRUE(s->Add("com.a", "fresh").ok());
    s->Close();
    Result<ExceptionsFile> saved = decodeExceptionsFile(readText(file("exceptions.json")));
    ASSERT_TRUE(saved.ok());
    ASSERT_EQ(saved->Entries.size(), 1u);
  }
}

// A damaged file that cannot be moved out of the way is still the user's:
// with no store nothing learns, and so nothing ever saves over it.
TEST_F(ExceptionStoreTest, ADamagedFileThatCannotBeMovedAsideIsNeverWrittenOver) {
  const std::string bad = R"({"entries": [{"word": "x", "added": "soon"}]})";
  const auto occupy = [&](const std::string& name) {
    std::filesystem::remove(file(name));
    std::filesystem::create_directories(file(name) + "/inside");
  };
  occupy("exceptions.json.corrupt.bak");
  auto moved = openWith(bad);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(readText(file("exceptions.json.corrupt.1.bak")), bad) << "the first free number";
  moved.reset();

  for (int n = 1; n < 100; ++n) occupy("exceptions.json.corrupt." + std::to_string(n) + ".bak");
  writeText(file("exceptions.json"), bad);
  Result<std::shared_ptr<ExceptionStore>> stuck = NewExceptionStore();
  ASSERT_FALSE(stuck.ok());
  EXPECT_EQ(stuck.error().message().rfind(
                file("exceptions.json") + " does not load and cannot be moved aside: keep ", 0),
            0u)
      << stuck.error().message();
  EXPECT_EQ(readText(file("exceptions.json")), bad);

  // A store that only looks moves nothing, and does not open.
  std::filesystem::remove_all(file("exceptions.json.corrupt.1.bak"));
  ExceptionStoreOptions looking;
  looking.readOnly = true;
  Result<std::shared_ptr<ExceptionStore>> looked = NewExceptionStore(looking);
  ASSERT_FALSE(looked.ok());
  EXPECT_EQ(looked.error().message().rfind(file("exceptions.json") + " does not load: ", 0), 0u)
      << looked.error().message();
  EXPECT_EQ(readText(file("exceptions.json")), bad);
  EXPECT_FALSE(exists(file("exceptions.json.corrupt.1.bak")));
}

TEST_F(ExceptionStoreTest, OpenFailuresLeaveNoStoreAndTouchNothing) {
  // The file's place is taken by a directory: it exists but cannot be read.
  std::filesystem::create_directories(file("exceptions.json"));
  Result<std::shared_ptr<ExceptionStore>> unreadable = NewExceptionStore();
  ASSERT_FALSE(unreadable.ok());
  EXPECT_EQ(unreadable.error().message(),
            "read " + file("exceptions.json") + ": not a regular file");
  EXPECT_TRUE(std::filesystem::is_directory(file("exceptions.json")));
  EXPECT_FALSE(exists(file("exceptions.json.tmp")));

  writeText(root_ + "/plain", "x");
  env_.set("VYX_CONFIG_DIR", root_ + "/plain/sub");
  Result<std::shared_ptr<ExceptionStore>> blocked = NewExceptionStore();
  ASSERT_FALSE(blocked.ok());
  EXPECT_EQ(blocked.error().message(), "mkdir config: mkdir " + root_ + "/plain: Not a directory");

  env_.unset("VYX_CONFIG_DIR");
  env_.unset("HOME");
  Result<std::shared_ptr<ExceptionStore>> homeless = NewExceptionStore();
  ASSERT_FALSE(homeless.ok());
  EXPECT_EQ(homeless.error().message(), "resolve config dir: $HOME is not defined");
}

TEST_F(ExceptionStoreTest, PruningStartsAtTenThousandEntries) {
  const WallTime now = wallTimeUtc(wall_.now());
  ExceptionsFile f;
  f.Version = 1;
  for (int i = 0; i < 9996; ++i) {
    f.Entries.push_back(
        {"com.a", "old" + std::to_string(i), addDuration(now, -std::chrono::hours(24 * 31)), 1});
  }
  f.Entries.push_back({"com.a", "popular", addDuration(now, -std::chrono::hours(24 * 31)), 2});
  f.Entries.push_back({"com.a", "recent", addDuration(now, -std::chrono::hours(24 * 29)), 1});
  f.Entries.push_back({"com.a", "edge", addDuration(now, -std::chrono::hours(720)), 1});
  auto s = openWith(*encodeExceptionsFile(f));
  ASSERT_EQ(s->List().size(), 9999u);
  // Raising a count keeps the size at 9999: nothing is pruned.
  ASSERT_TRUE(s->Add("com.a", "old0").ok());
  ASSERT_EQ(s->List().size(), 9999u);
  // The 10000th entry prunes every old entry seen once, old0 included only
  // if its count stayed 1 (it is now 2).
  ASSERT_TRUE(s->Add("com.a", "new").ok());
  EXPECT_EQ(words(*s),
            (Words{"com.a/old0", "com.a/popular", "com.a/recent", "com.a/edge", "com.a/new"}));
  EXPECT_FALSE(s->IsException("com.a", "old1"));
  EXPECT_TRUE(s->IsException("com.a", "recent"));
}

}  // namespace
}  // namespace vyx
