#include "store/settled_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store_fixture.h"

namespace vyx {
namespace {

using testing::readText;
using testing::StoreTest;
using testing::writeText;

class SettledFileTest : public StoreTest {};

// An edit that lands after the last look, in the instant before the new file
// goes in, stays: the new file goes in only over the very file that was
// looked at, unchanged.
TEST_F(SettledFileTest, ANewFileGoesInOnlyOverTheFileLookedAt) {
  struct Case {
    const char* what;
    const char* before;  // nullptr: no file
    std::function<void(const std::string& path)> meanwhile;
    const char* after;  // what the path holds then
  };
  const auto renamed = [](const std::string& path) {
    writeText(path + ".edit", "person");
    std::filesystem::rename(path + ".edit", path);
  };
  const std::vector<Case> cases = {
      {"nothing changed", "old", nullptr, "ours"},
      {"saved by rename", "old", renamed, "person"},
      {"truncated by an editor that writes in place", "old",
       [](const std::string& path) { ::close(::open(path.c_str(), O_WRONLY | O_TRUNC)); }, ""},
      {"still no file", nullptr, nullptr, "ours"},
      {"made where there was none", nullptr, renamed, "person"},
  };
  makeDir();
  const std::string path = file("config.yaml");
  const std::string tmp = path + ".tmp";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path);
    if (c.before != nullptr) writeText(path, c.before);
    const FileLook look = lookAt(path, 1024);
    if (c.meanwhile) c.meanwhile(path);
    writeText(tmp, "ours");
    const Result<bool> replaced = replaceIfStill(tmp, path, look, 1024);
    ASSERT_TRUE(replaced.ok()) << replaced.error().message();
    EXPECT_EQ(*replaced, c.meanwhile == nullptr);
    EXPECT_EQ(readText(path), c.after);
    // The new file stays for the caller to write again or remove.
    EXPECT_EQ(testing::exists(tmp), !*replaced);
    std::filesystem::remove(tmp);
  }
}

}  // namespace
}  // namespace vyx
