// The three stored files when something else stands in their place: a named
// pipe, a file far too large, or what an interrupted save left behind.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <utility>
#include <vector>

#include "store/config.h"
#include "store/custom_dict.h"
#include "store/exception_store.h"
#include "store/fs_util.h"
#include "store_fixture.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::EndsWith;
using testing::exists;
using ::testing::HasSubstr;
using testing::modeOf;
using testing::readText;
using ::testing::StartsWith;
using testing::StoreTest;
using testing::writeText;

// Beyond every limit, yet free: the file is sparse.
constexpr off_t kHugeSize = off_t{100} << 20;

class HostileFilesTest : public StoreTest {
 protected:
  // Runs what may block on a named pipe at path. Should it block, the pipe
  // is opened from this side so that it returns (reading nothing), and the
  // answer is false.
  static bool returnsWithoutBlocking(const std::string& path, const std::function<void()>& fn) {
    std::future<void> done = std::async(std::launch::async, fn);
    if (done.wait_for(10s) == std::future_status::ready) return true;
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    done.wait();
    return false;
  }
  // A named pipe, or a sparse file far beyond every limit.
  void make(bool pipe, const std::string& name) {
    makeDir();
    if (pipe) {
      ASSERT_EQ(::mkfifo(file(name).c_str(), 0600), 0);
    } else {
      writeText(file(name), "");
      ASSERT_EQ(::truncate(file(name).c_str(), kHugeSize), 0);
    }
  }
  // What the test compares to show a file untouched.
  static std::pair<mode_t, off_t> kindAndSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {0, -1};
    return {st.st_mode & S_IFMT, st.st_size};
  }
};

// Each file is refused with one clear line, the program goes on with what it
// has, and the file stays exactly as it was, a later save included.
TEST_F(HostileFilesTest, PipesAndHugeFilesAreRefusedAndLeftAsTheyAre) {
  struct Case {
    bool pipe;
    const char* refusal;
  };
  for (const Case& c : {Case{true, "not a regular file"}, Case{false, "larger than "}}) {
    SCOPED_TRACE(c.refusal);
    const auto refused = [&](const std::string& op, const char* name) {
      return StartsWith(op + " " + file(name) + ": " + c.refusal);
    };
    for (const char* name : {"config.yaml", "exceptions.json", "custom_dict.txt"}) {
      std::filesystem::remove(file(name));
    }

    // config.yaml: the defaults, and no save may replace the user's file.
    make(c.pipe, "config.yaml");
    const auto config = kindAndSize(file("config.yaml"));
    testing::LogCapture log;
    LoadedConfig loaded;
    ASSERT_TRUE(returnsWithoutBlocking(file("config.yaml"), [&] { loaded = LoadConfig(); }));
    EXPECT_FALSE(loaded.error.has_value());
    EXPECT_EQ(loaded.config->ExcludedApps, std::vector<std::string>{"idea"});
    EXPECT_THAT(log.messages(), Contains(AllOf(refused("config: read", "config.yaml"),
                                               EndsWith(" — using the defaults"))));
    ASSERT_TRUE(loaded.config->AddExcludedApp("com.new"));
    Result<ConfigSaved> saved = Error("not run");
    ASSERT_TRUE(
        returnsWithoutBlocking(file("config.yaml"), [&] { saved = SaveConfig(*loaded.config); }));
    ASSERT_FALSE(saved.ok());
    EXPECT_THAT(saved.error().message(), refused("write", "config.yaml"));
    EXPECT_EQ(kindAndSize(file("config.yaml")), config);

    // exceptions.json: no store, so nothing ever writes over the file.
    make(c.pipe, "exceptions.json");
    const auto exceptions = kindAndSize(file("exceptions.json"));
    Result<std::shared_ptr<ExceptionStore>> store = Error("not run");
    ASSERT_TRUE(
        returnsWithoutBlocking(file("exceptions.json"), [&] { store = NewExceptionStore(); }));
    ASSERT_FALSE(store.ok());
    EXPECT_THAT(store.error().message(), refused("read", "exceptions.json"));
    EXPECT_EQ(kindAndSize(file("exceptions.json")), exceptions);
    EXPECT_FALSE(exists(file("exceptions.json.corrupt.bak")));

    // custom_dict.txt: the words loaded before stay, and the line is written
    // once, not at every tick.
    writeText(file("custom_dict.txt"), "kept\n");
    size_t handed = 0;
    CustomDictPoller poller(file("custom_dict.txt"), [&](const CustomWordSet&) { ++handed; });
    poller.check();
    std::filesystem::remove(file("custom_dict.txt"));
    make(c.pipe, "custom_dict.txt");
    ::chmod(file("custom_dict.txt").c_str(), 0600);
    ASSERT_TRUE(returnsWithoutBlocking(file("custom_dict.txt"), [&] {
      poller.check();
      poller.check();
    }));
    EXPECT_EQ(handed, 1u);
    EXPECT_THAT(log.messages(), Contains(refused("custom dict: read", "custom_dict.txt")).Times(1));
  }
}

// The two files a start loads and a change saves, each opened and changed
// as a start followed by «Не исправлять в текущем приложении» or a lesson
// would. Both load with no error afterwards.
struct SavedFile {
  const char* name;
  std::function<void()> openAndChange;
};

std::vector<SavedFile> savedFiles() {
  return {
      {"config.yaml",
       [] {
         LoadedConfig loaded = LoadConfig();
         (void)loaded.config->AddExcludedApp("com.example.new");
         EXPECT_TRUE(SaveConfig(*loaded.config).ok());
         EXPECT_FALSE(LoadConfig().error.has_value());
       }},
      {"exceptions.json",
       [] {
         auto store = NewExceptionStore();
         ASSERT_TRUE(store.ok()) << store.error().message();
         EXPECT_TRUE((*store)->Add("com.example.new", "ghbdtn").ok());
         (*store)->Close();
         EXPECT_EQ(NewExceptionStore().value()->List().size(), 1u);
       }},
  };
}

// Three hand edits gone wrong, one after another: each is kept, none
// replaces the one kept before it.
TEST_F(HostileFilesTest, EveryFileThatDidNotLoadIsKeptUnderANameOfItsOwn) {
  for (const SavedFile& saved : savedFiles()) {
    SCOPED_TRACE(saved.name);
    makeDir();
    const std::string path = file(saved.name);
    const std::vector<std::string> kept = {path + ".corrupt.bak", path + ".corrupt.1.bak",
                                           path + ".corrupt.2.bak"};
    const std::vector<std::string> damaged = {"[first", "{second", "[third"};
    for (const std::string& text : damaged) {
      writeText(path, text);
      saved.openAndChange();
    }
    for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(readText(kept[i]), damaged[i]);
  }
}

// Files kept with the person's other dotfiles stay there, linked, through
// every save, and a damaged one is kept aside without losing the link.
// Dotfiles are often linked before the files exist: the first save makes
// the file through the link.
TEST_F(HostileFilesTest, ALinkedFileStaysLinkedThroughSavesAndKeepingAside) {
  const std::string dotfiles = root_ + "/dotfiles";
  for (const bool linkedFirst : {false, true}) {
    SCOPED_TRACE(linkedFirst ? "linked before the file was made" : "a damaged file");
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(dotfiles);
    for (const SavedFile& saved : savedFiles()) {
      SCOPED_TRACE(saved.name);
      makeDir();
      const std::string path = file(saved.name);
      const std::string target = dotfiles + "/" + saved.name;
      if (!linkedFirst) writeText(target, "[damaged");
      std::filesystem::create_symlink("../dotfiles/" + std::string(saved.name), path);
      saved.openAndChange();
      saved.openAndChange();
      EXPECT_TRUE(std::filesystem::is_symlink(path));
      EXPECT_NE(readText(target).find("com.example.new"), std::string::npos) << readText(target);
      EXPECT_EQ(exists(path + ".corrupt.bak"), !linkedFirst);
      if (!linkedFirst) {
        EXPECT_EQ(readText(path + ".corrupt.bak"), "[damaged");
      }
      EXPECT_FALSE(exists(path + ".corrupt.1.bak"));
    }
    // Nothing but the two files was left in the linked folder.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dotfiles)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"config.yaml", "exceptions.json"}));
  }
}

// A link into a folder that is not there (a volume not mounted) is kept and
// nothing is written anywhere; the error says why, for the log and the
// menu's alert. Once the folder is back, the settings the person has there
// are kept, with the menu's addition.
TEST_F(HostileFilesTest, ALinkIntoAMissingFolderIsKeptAndNothingIsSaved) {
  makeDir();
  const std::string volume = root_ + "/volume";
  const std::string unmounted = "folder does not exist (is its volume mounted?)";
  const auto linkInto = [&](const char* name) {
    std::filesystem::remove(file(name));
    std::filesystem::create_symlink(volume + "/" + name, file(name));
  };

  linkInto("config.yaml");
  testing::LogCapture log;
  LoadedConfig loaded = LoadConfig();
  EXPECT_THAT(log.messages(), Contains(AllOf(StartsWith("config: "), HasSubstr(unmounted))));
  ASSERT_TRUE(loaded.config->AddExcludedApp("com.menu"));
  const auto saved = SaveConfig(*loaded.config);
  ASSERT_FALSE(saved.ok());
  EXPECT_THAT(saved.error().message(), HasSubstr(unmounted));

  linkInto("exceptions.json");
  const auto store = NewExceptionStore();
  ASSERT_FALSE(store.ok());
  EXPECT_THAT(store.error().message(), HasSubstr(unmounted));

  EXPECT_FALSE(exists(volume));
  EXPECT_TRUE(std::filesystem::is_symlink(file("config.yaml")));
  EXPECT_TRUE(std::filesystem::is_symlink(file("exceptions.json")));

  std::filesystem::create_directories(volume);
  writeText(volume + "/config.yaml", "excluded_apps:\n  - com.person\n");
  ASSERT_TRUE(SaveConfig(*loaded.config).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(file("config.yaml")));
  EXPECT_EQ(LoadConfig().config->ExcludedApps,
            (std::vector<std::string>{"com.person", "com.menu"}));
}

// What an earlier save left at exceptions.json.tmp never decides where or
// how the next save writes.
TEST_F(HostileFilesTest, LeftoverTemporaryFileIsReplacedNotFollowed) {
  makeDir();
  const std::string path = file("exceptions.json");
  const std::string tmp = path + ".tmp";
  const std::string victim = root_ + "/victim";
  for (const bool link : {true, false}) {
    SCOPED_TRACE(link ? "symbolic link" : "read-only file");
    writeText(victim, "not yours");
    std::filesystem::remove(tmp);
    if (link) {
      std::filesystem::create_symlink(victim, tmp);
    } else {
      writeText(tmp, "stale");
      ::chmod(tmp.c_str(), 0444);
    }
    ASSERT_TRUE(writeFileAtomic(path, "{}", 0600, 1024).ok());
    EXPECT_EQ(readText(victim), "not yours");
    EXPECT_EQ(readText(path), "{}");
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_FALSE(exists(tmp));
  }
}

}  // namespace
}  // namespace vyx
