// The three stored files when something else stands in their place: a named
// pipe, a file far too large, or what an interrupted save left behind.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <utility>

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
    Status saved;
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
