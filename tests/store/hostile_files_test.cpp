// The three stored files when something else stands in their place: a named
// pipe, a file far too large, or what an interrupted save left behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "store/config.h"
#include "store/custom_dict.h"
#include "store/exception_store.h"
#include "store/fs_util.h"
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
  static off_t sizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
  }
  static bool isFifo(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
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
    const auto unchanged = [&](const std::string& p) {
      return c.pipe ? isFifo(p) : sizeOf(p) == kHugeSize;
    };

    // config.yaml: the defaults, and no save may replace the user's file.
    make(c.pipe, "config.yaml");
    testing::LogCapture log;
    LoadedConfig loaded;
    ASSERT_TRUE(returnsWithoutBlocking(file("config.yaml"), [&] { loaded = LoadConfig(); }));
    EXPECT_FALSE(loaded.error.has_value());
    EXPECT_EQ(loaded.config->ExcludedApps, std::vector<std::string>{"idea"});
    EXPECT_TRUE(log.contains("config: read " + file("config.yaml") + ": " + c.refusal))
        << log.text();
    EXPECT_TRUE(log.contains(" — using the defaults")) << log.text();
    ASSERT_TRUE(loaded.config->AddExcludedApp("com.new"));
    Status saved;
    ASSERT_TRUE(
        returnsWithoutBlocking(file("config.yaml"), [&] { saved = SaveConfig(*loaded.config); }));
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().message().rfind("write " + file("config.yaml") + ": " + c.refusal, 0),
              0u)
        << saved.error().message();
    EXPECT_TRUE(unchanged(file("config.yaml")));

    // exceptions.json: no store, so nothing ever writes over the file.
    make(c.pipe, "exceptions.json");
    Result<std::shared_ptr<ExceptionStore>> store = Error("not run");
    ASSERT_TRUE(
        returnsWithoutBlocking(file("exceptions.json"), [&] { store = NewExceptionStore(); }));
    ASSERT_FALSE(store.ok());
    EXPECT_EQ(
        store.error().message().rfind("read " + file("exceptions.json") + ": " + c.refusal, 0), 0u)
        << store.error().message();
    EXPECT_TRUE(unchanged(file("exceptions.json")));
    EXPECT_FALSE(exists(file("exceptions.json.corrupt.bak")));

    // custom_dict.txt: the words loaded before stay, and the line is written
    // once, not at every tick.
    makeDir();
    writeText(file("custom_dict.txt"), "kept\n");
    size_t handed = 0;
    CustomDictPoller poller(file("custom_dict.txt"), [&](const CustomWordSet&) { ++handed; });
    poller.check();
    ASSERT_EQ(handed, 1u);
    std::filesystem::remove(file("custom_dict.txt"));
    make(c.pipe, "custom_dict.txt");
    ::chmod(file("custom_dict.txt").c_str(), 0600);
    ASSERT_TRUE(returnsWithoutBlocking(file("custom_dict.txt"), [&] {
      poller.check();
      poller.check();
    }));
    EXPECT_EQ(handed, 1u);
    const std::string line = "custom dict: read " + file("custom_dict.txt") + ": " + c.refusal;
    size_t lines = 0;
    for (const std::string& m : log.messages()) lines += m.rfind(line, 0) == 0 ? 1 : 0;
    EXPECT_EQ(lines, 1u) << log.text();
    EXPECT_TRUE(unchanged(file("custom_dict.txt")));

    for (const char* name : {"config.yaml", "exceptions.json", "custom_dict.txt"}) {
      std::filesystem::remove(file(name));
    }
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
