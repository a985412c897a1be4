#include <filesystem>

#include "store/config.h"
#include "store/custom_dict.h"
#include "store_fixture.h"

namespace vyx {
namespace {

using testing::exists;
using testing::readText;
using testing::StoreTest;
using testing::writeText;

class ConfigDirTest : public StoreTest {
 protected:
  void useHome() {
    home_ = root_ + "/home";
    std::filesystem::create_directories(home_ + "/Library/Application Support");
    env_.set("HOME", home_);
    env_.unset("VYX_CONFIG_DIR");
  }
  [[nodiscard]] std::string support(const std::string& name) const {
    return home_ + "/Library/Application Support/" + name;
  }
  std::string home_;
};

TEST_F(ConfigDirTest, OverridesComeFirstAndAreTakenAsGiven) {
  env_.set("VYX_CONFIG_DIR", "/a//b/../c/");
  env_.set("PELORANT_CONFIG_DIR", "/elsewhere");
  EXPECT_EQ(*defaultConfigDir(), "/a//b/../c/");
  // The file paths joined onto it are cleaned.
  EXPECT_EQ(configPath(), "/a/c/config.yaml");
  EXPECT_EQ(*customDictPath(), "/a/c/custom_dict.txt");

  env_.set("VYX_CONFIG_DIR", "");
  EXPECT_EQ(*defaultConfigDir(), "/elsewhere");
  env_.unset("VYX_CONFIG_DIR");
  EXPECT_EQ(*defaultConfigDir(), "/elsewhere");
}

TEST_F(ConfigDirTest, HomeDirectoryWithoutOverrides) {
  useHome();
  EXPECT_EQ(*defaultConfigDir(), support("Vyx"));
  // Resolving never creates the folder.
  EXPECT_FALSE(exists(support("Vyx")));
}

TEST_F(ConfigDirTest, NoHomeFailsButTheSettingsPathFallsBackToRelative) {
  env_.unset("VYX_CONFIG_DIR");
  env_.unset("HOME");
  Result<std::string> dir = defaultConfigDir();
  ASSERT_FALSE(dir.ok());
  EXPECT_EQ(dir.error().message(), "$HOME is not defined");
  EXPECT_EQ(configPath(), "Library/Application Support/Vyx/config.yaml");
  Result<std::string> dict = customDictPath();
  ASSERT_FALSE(dict.ok());
  EXPECT_EQ(dict.error().message(), "$HOME is not defined");
}

TEST_F(ConfigDirTest, LegacyFolderMovesWholeWhenTheNewOneIsMissing) {
  useHome();
  std::filesystem::create_directories(support("Pelorant"));
  for (const char* name : {"config.yaml", "exceptions.json", "custom_dict.txt"}) {
    writeText(support("Pelorant/") + name, name);
  }
  EXPECT_EQ(*defaultConfigDir(), support("Vyx"));
  EXPECT_FALSE(exists(support("Pelorant")));
  for (const char* name : {"config.yaml", "exceptions.json", "custom_dict.txt"}) {
    EXPECT_EQ(readText(support("Vyx/") + name), name);
  }
}

TEST_F(ConfigDirTest, LegacyEntriesMoveOnlyWhereTheNewFolderLacksThem) {
  useHome();
  std::filesystem::create_directories(support("Pelorant/sub"));
  std::filesystem::create_directories(support("Vyx"));
  writeText(support("Pelorant/config.yaml"), "old");
  writeText(support("Pelorant/custom_dict.txt"), "words");
  writeText(support("Vyx/config.yaml"), "new");
  EXPECT_EQ(*defaultConfigDir(), support("Vyx"));
  EXPECT_EQ(readText(support("Vyx/config.yaml")), "new");
  EXPECT_EQ(readText(support("Pelorant/config.yaml")), "old");
  EXPECT_EQ(readText(support("Vyx/custom_dict.txt")), "words");
  EXPECT_FALSE(exists(support("Pelorant/custom_dict.txt")));
  EXPECT_TRUE(exists(support("Vyx/sub")));
  EXPECT_TRUE(exists(support("Pelorant")));
}

TEST_F(ConfigDirTest, OverrideLeavesTheLegacyFolderAlone) {
  useHome();
  std::filesystem::create_directories(support("Pelorant"));
  writeText(support("Pelorant/config.yaml"), "old");
  env_.set("PELORANT_CONFIG_DIR", root_ + "/override");
  EXPECT_EQ(*defaultConfigDir(), root_ + "/override");
  EXPECT_TRUE(exists(support("Pelorant/config.yaml")));
  EXPECT_FALSE(exists(support("Vyx")));
}

}  // namespace
}  // namespace vyx
