#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "store/config.h"
#include "store_fixture.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

using testing::modeOf;
using testing::readText;
using testing::StoreTest;
using testing::writeText;

using Apps = std::vector<std::string>;

// Runs fn where reading a file takes its read permission: in a child
// process that, when this one is root, becomes "nobody" and owns tree. The
// answer is fn's: empty, or what went wrong.
std::string asUnprivileged(const std::string& tree, const std::function<std::string()>& fn) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0) {
      constexpr uid_t kNobody = 65534;
      std::error_code ec;
      bool owned = ::chown(tree.c_str(), kNobody, kNobody) == 0;
      for (const auto& e : std::filesystem::recursive_directory_iterator(tree, ec)) {
        owned = owned && ::lchown(e.path().c_str(), kNobody, kNobody) == 0;
      }
      if (!owned || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    }
    const std::string problem = fn();
    if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    ::_exit(problem.empty() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return "the unprivileged run failed (status " + std::to_string(status) + ")";
}

// A disk that fills up bytes into any file written, for one scope.
class FullDisk final {
 public:
  explicit FullDisk(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    const rlimit limited{bytes, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    // Past the limit a write fails with EFBIG instead of ending the process.
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

class ConfigTest : public StoreTest {
 protected:
  LoadedConfig loadFrom(const std::string& yaml) {
    makeDir();
    writeText(file("config.yaml"), yaml);
    return LoadConfig();
  }
  static void expectDefaults(const Config& c) {
    EXPECT_TRUE(c.Enabled);
    EXPECT_EQ(c.PrimaryLanguage, "ru");
    EXPECT_EQ(c.MinWordLength, 2);
    EXPECT_EQ(c.ExcludedApps, Apps{"idea"});
  }
};

TEST_F(ConfigTest, MissingFileGivesDefaultsAndIsWrittenPrivately) {
  LoadedConfig loaded = LoadConfig();
  ASSERT_NE(loaded.config, nullptr);
  EXPECT_FALSE(loaded.error.has_value());
  expectDefaults(*loaded.config);
  EXPECT_EQ(readText(file("config.yaml")),
            "enabled: true\nprimary_language: ru\nmin_word_length: 2\nexcluded_apps:\n"
            "    - idea\n");
  EXPECT_EQ(modeOf(dir_), 0700u);
  EXPECT_EQ(modeOf(file("config.yaml")), 0600u);
}

TEST_F(ConfigTest, KeysPresentReplaceDefaultsAndOthersStay) {
  LoadedConfig only = loadFrom("enabled: false\n");
  EXPECT_FALSE(only.error.has_value());
  EXPECT_FALSE(only.config->Enabled);
  EXPECT_EQ(only.config->PrimaryLanguage, "ru");
  EXPECT_EQ(only.config->MinWordLength, 2);
  EXPECT_EQ(only.config->ExcludedApps, Apps{"idea"});

  LoadedConfig all = loadFrom(
      "# mine\nenabled: yes\nprimary_language: en\nmin_word_length: 4\n"
      "excluded_apps: [com.a, ' spaced ']\ntheme: dark\nnested: {a: [1, 2]}\n");
  EXPECT_FALSE(all.error.has_value());
  EXPECT_TRUE(all.config->Enabled);
  EXPECT_EQ(all.config->PrimaryLanguage, "en");
  EXPECT_EQ(all.config->MinWordLength, 4);
  // A list replaces "idea" rather than joining it; entries stay as written.
  EXPECT_EQ(all.config->ExcludedApps, (Apps{"com.a", " spaced "}));
  // Loading never rewrites a file that exists.
  EXPECT_EQ(readText(file("config.yaml")).substr(0, 6), "# mine");
}

TEST_F(ConfigTest, NullsAndEmptyLists) {
  LoadedConfig nulls = loadFrom(
      "enabled:\nprimary_language: ~\nmin_word_length: null\n"
      "excluded_apps:\n");
  EXPECT_FALSE(nulls.error.has_value());
  EXPECT_TRUE(nulls.config->Enabled);
  EXPECT_EQ(nulls.config->PrimaryLanguage, "ru");
  EXPECT_EQ(nulls.config->MinWordLength, 2);
  EXPECT_TRUE(nulls.config->ExcludedApps.empty());
  EXPECT_FALSE(nulls.config->IsAppExcluded("com.jetbrains.intellij.idea"));

  LoadedConfig empty = loadFrom("excluded_apps: []\n");
  EXPECT_TRUE(empty.config->ExcludedApps.empty());

  LoadedConfig nullItem = loadFrom("excluded_apps:\n  - ~\n  - com.b\n");
  EXPECT_EQ(nullItem.config->ExcludedApps, (Apps{"", "com.b"}));

  for (const char* blank : {"", "\n\n", "# only a comment\n", "~\n", "---\n"}) {
    LoadedConfig b = loadFrom(blank);
    EXPECT_FALSE(b.error.has_value()) << blank;
    expectDefaults(*b.config);
  }
}

TEST_F(ConfigTest, MalformedYamlReportsAndLeavesTheFile) {
  const std::string text = "enabled: false\nexcluded_apps: [a, b\nmin_word_length: 3\n";
  LoadedConfig loaded = loadFrom(text);
  ASSERT_TRUE(loaded.error.has_value());
  EXPECT_EQ(loaded.error->message().rfind("yaml: line ", 0), 0u) << loaded.error->message();
  // Nothing was applied from a file that does not parse.
  expectDefaults(*loaded.config);
  EXPECT_EQ(readText(file("config.yaml")), text);

  LoadedConfig tabs = loadFrom("enabled: true\n\t- x: [\n");
  EXPECT_TRUE(tabs.error.has_value());

  // Bytes that are not UTF-8 could not be saved back as read.
  LoadedConfig bytes = loadFrom("enabled: false\nprimary_language: r\xffu\n");
  ASSERT_TRUE(bytes.error.has_value());
  EXPECT_EQ(bytes.error->message(), "yaml: invalid UTF-8");
  expectDefaults(*bytes.config);
  LoadedConfig nul = loadFrom(std::string("excluded_apps: [a\0b]\n", 21));
  ASSERT_TRUE(nul.error.has_value());
  EXPECT_EQ(nul.error->message(), "yaml: control characters are not allowed");
  expectDefaults(*nul.config);
}

TEST_F(ConfigTest, WrongTypesAreReportedWhileTheRestApplies) {
  LoadedConfig loaded = loadFrom(
      "enabled: maybe\nprimary_language: [x]\nmin_word_length: 2.5\n"
      "excluded_apps: com.single\n");
  ASSERT_TRUE(loaded.error.has_value());
  const std::string& msg = loaded.error->message();
  EXPECT_NE(msg.find("line 1: cannot unmarshal \"maybe\" into bool"), std::string::npos) << msg;
  EXPECT_NE(msg.find("line 2: cannot unmarshal !!seq into string"), std::string::npos) << msg;
  EXPECT_NE(msg.find("line 3: cannot unmarshal \"2.5\" into int64"), std::string::npos) << msg;
  EXPECT_NE(msg.find("line 4: cannot unmarshal \"com.single\" into []string"), std::string::npos)
      << msg;
  EXPECT_EQ(msg.find('\n'), std::string::npos) << "one log line";
  expectDefaults(*loaded.config);

  LoadedConfig partly = loadFrom("enabled: false\nmin_word_length: \"5\"\nprimary_language: 7\n");
  ASSERT_TRUE(partly.error.has_value());
  EXPECT_FALSE(partly.config->Enabled);
  EXPECT_EQ(partly.config->MinWordLength, 2) << "a quoted number is a string";
  EXPECT_EQ(partly.config->PrimaryLanguage, "7");

  LoadedConfig list = loadFrom("- enabled\n- false\n");
  EXPECT_TRUE(list.error.has_value());
  expectDefaults(*list.config);

  LoadedConfig dup = loadFrom("min_word_length: 3\nmin_word_length: 9\n");
  ASSERT_TRUE(dup.error.has_value());
  EXPECT_NE(dup.error->message().find("already defined at line 1"), std::string::npos);
  EXPECT_EQ(dup.config->MinWordLength, 3);
}

TEST_F(ConfigTest, UnreadableFileKeepsDefaultsAndIsNotOverwritten) {
  // A directory where the file should be cannot be read by anyone, root included.
  std::filesystem::create_directories(file("config.yaml"));
  writeText(file("config.yaml") + "/keep", "x");
  testing::LogCapture log;
  LoadedConfig loaded = LoadConfig();
  EXPECT_FALSE(loaded.error.has_value());
  expectDefaults(*loaded.config);
  EXPECT_TRUE(log.contains("config: read " + file("config.yaml") +
                           ": not a regular file — using the defaults"))
      << log.text();
  EXPECT_EQ(readText(file("config.yaml") + "/keep"), "x");
}

// A file that does not load is the user's work all the same: the program
// runs on the defaults, and its first save moves the file aside, once,
// before writing.
TEST_F(ConfigTest, AFileThatDidNotLoadIsKeptAsideBeforeTheFirstSave) {
  std::string aliases = "excluded_apps: [&a " + std::string(65536, 'x');
  for (int i = 0; i < 40; ++i) aliases += ", *a";
  aliases += "]\n";
  struct Case {
    const char* what;
    std::string text;
    std::string error;  // how the error begins; empty for none
    bool unreadable;
  };
  const std::vector<Case> cases = {
      {"a line indented by a tab", "min_word_length: 3\nexcluded_apps:\n    - com.a\n\t- com.b\n",
       "yaml: line ", false},
      {"aliases that expand past 1 MiB", aliases,
       "yaml: unmarshal errors: line 1: excluded_apps take more than 1 MiB", false},
      {"a file it may not read", "min_word_length: 3\n", "", true},
  };
  const std::string kept = file("config.yaml") + ".corrupt.bak";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeDir();
    std::filesystem::remove(kept);
    writeText(file("config.yaml"), c.text);
    if (c.unreadable) ::chmod(file("config.yaml").c_str(), 0200);
    testing::LogCapture log;
    const auto run = [&]() -> std::string {
      LoadedConfig loaded = LoadConfig();
      if (loaded.error.has_value() != !c.error.empty()) return "error: unexpected presence";
      if (loaded.error && loaded.error->message().rfind(c.error, 0) != 0) {
        return "error: " + loaded.error->message();
      }
      if (loaded.config->MinWordLength != 2 || loaded.config->ExcludedApps != Apps{"idea"}) {
        return "not the defaults";
      }
      // «Не исправлять в текущем приложении», twice.
      for (const char* app : {"com.first", "com.second"}) {
        if (!loaded.config->AddExcludedApp(app)) return "not added";
        if (auto s = SaveConfig(*loaded.config); !s) return "save: " + s.error().message();
      }
      return {};
    };
    EXPECT_EQ(c.unreadable ? asUnprivileged(root_, run) : run(), "");
    EXPECT_EQ(readText(kept), c.text);
    LoadedConfig next = LoadConfig();
    EXPECT_FALSE(next.error.has_value());
    EXPECT_EQ(next.config->ExcludedApps, (Apps{"idea", "com.first", "com.second"}));
    EXPECT_THAT(log.messages(),
                ::testing::Contains("config: kept the settings that could not be loaded as " + kept)
                    .Times(1));
  }
}

// The person edits config.yaml while Vyx runs, then excludes applications
// from the menu: each save adds its one application to what the file holds
// then. A file that no longer loads is kept first. The settings in force
// stay those read at start.
TEST_F(ConfigTest, HandEditsMadeWhileRunningSurviveTheMenusSaves) {
  LoadedConfig loaded = loadFrom("min_word_length: 3\nexcluded_apps: [com.a]\n");
  ASSERT_FALSE(loaded.error.has_value());
  Config& running = *loaded.config;
  const auto exclude = [&](const char* app) {
    ASSERT_TRUE(running.AddExcludedApp(app));
    ASSERT_TRUE(SaveConfig(running).ok());
  };
  const auto onDisk = [&] {
    LoadedConfig now = LoadConfig();
    EXPECT_FALSE(now.error.has_value());
    return std::make_pair(now.config->MinWordLength, now.config->ExcludedApps);
  };
  // Same size as what was loaded: only the content tells.
  writeText(file("config.yaml"), "min_word_length: 5\nexcluded_apps: [com.b]\n");
  exclude("com.menu.one");
  EXPECT_EQ(onDisk(), std::make_pair(int64_t{5}, Apps{"com.b", "com.menu.one"}));
  exclude("com.menu.two");
  EXPECT_EQ(onDisk(), std::make_pair(int64_t{5}, Apps{"com.b", "com.menu.one", "com.menu.two"}));

  const std::string broken = "min_word_length: 7\nexcluded_apps: [com.c\n";
  writeText(file("config.yaml"), broken);
  exclude("com.menu.three");
  EXPECT_EQ(readText(file("config.yaml") + ".corrupt.bak"), broken);
  EXPECT_EQ(onDisk(), std::make_pair(int64_t{5}, Apps{"com.b", "com.menu.one", "com.menu.two",
                                                      "com.menu.three"}));

  EXPECT_EQ(running.MinWordLength, 3);
  EXPECT_EQ(running.ExcludedApps,
            (Apps{"com.a", "com.menu.one", "com.menu.two", "com.menu.three"}));
}

// The person saves config.yaml by hand at the moment the menu saves it: by
// rename just before the menu's file goes in, or in place, only part of it
// written when the menu first reads it. Both edits end up in the file. A file
// that changes at every look is left as the person left it, the save says it
// failed, and the next save adds the application.
TEST_F(ConfigTest, AHandEditLandingWhileTheMenuSavesIsNeverWrittenOver) {
  std::string persons = "min_word_length: 3\nexcluded_apps:\n";
  Apps personsApps;
  for (char c = 'a'; c <= 'j'; ++c) {
    personsApps.push_back(std::string("com.person.") + c);
    persons += "    - " + personsApps.back() + "\n";
  }
  const std::string edited = persons + "    - com.hand.edit\n";
  const std::string path = file("config.yaml");
  // What the editor writes in place: the rest, after the part already there.
  const auto writeFrom = [&](size_t from, const std::string& text) {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(from));
    out << text.substr(from);
  };
  const size_t part = edited.find("com.person.d");
  struct Case {
    const char* what;
    std::function<void()> before;  // the editor's start, before the save
    SaveConfigOptions options;
    bool saved;
  };
  int edits = 0;
  const std::vector<Case> cases = {
      {"saved by rename just before the menu's file goes in",
       nullptr,
       {.beforeReplace =
            [&] {
              if (edits++ > 0) return;
              writeText(path + ".edit", edited);
              std::filesystem::rename(path + ".edit", path);
            }},
       true},
      {"written in place, part of it there at the first read",
       [&] { writeText(path, edited.substr(0, part)); },
       {.pause =
            [&](std::chrono::milliseconds) {
              if (edits++ == 0) writeFrom(part, edited);
            }},
       true},
      {"written in place at every look",
       nullptr,
       {.pause =
            [&](std::chrono::milliseconds) {
              writeText(path, persons + "    - com.hand.edit" + std::to_string(++edits) + "\n");
            }},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    edits = 0;
    LoadedConfig loaded = loadFrom(persons);
    ASSERT_FALSE(loaded.error.has_value());
    ASSERT_TRUE(loaded.config->AddExcludedApp("com.menu.app"));
    if (c.before) c.before();
    const Result<ConfigSaved> saved = SaveConfig(*loaded.config, c.options);
    ASSERT_EQ(saved.ok(), c.saved) << (saved ? "saved" : saved.error().message());
    Apps expected = personsApps;
    if (c.saved) {
      expected.insert(expected.end(), {"com.hand.edit", "com.menu.app"});
    } else {
      EXPECT_EQ(saved.error().message(),
                "save " + path +
                    ": the file kept changing while it was read, so it was left as it is and the "
                    "change was not saved");
      const std::string last = "com.hand.edit" + std::to_string(edits);
      std::string lastText = persons;
      lastText.append("    - ").append(last).append("\n");
      EXPECT_EQ(readText(path), lastText);
      EXPECT_TRUE(loaded.config->IsAppExcluded("com.menu.app"));
      // Once the person stops, the application goes in.
      ASSERT_TRUE(SaveConfig(*loaded.config).ok());
      expected.insert(expected.end(), {last, "com.menu.app"});
    }
    EXPECT_FALSE(testing::exists(path + ".tmp"));
    LoadedConfig after = LoadConfig();
    ASSERT_FALSE(after.error.has_value()) << readText(path);
    EXPECT_EQ(after.config->MinWordLength, 3);
    EXPECT_EQ(after.config->ExcludedApps, expected);
  }
}

// A full disk fails the save, and says so; the file keeps every byte it had.
TEST_F(ConfigTest, ASaveThatCannotBeWrittenWholeLeavesTheFileAsItWas) {
  LoadedConfig loaded = loadFrom("min_word_length: 3\nexcluded_apps: [com.a]\n");
  ASSERT_FALSE(loaded.error.has_value());
  const std::string before = readText(file("config.yaml"));
  ASSERT_TRUE(
      loaded.config->AddExcludedApp("org.example.TextEditor.with.a.rather.long.identifier"));
  Result<ConfigSaved> saved = Error("not run");
  {
    const FullDisk full(before.size() + 10);
    saved = SaveConfig(*loaded.config);
  }
  ASSERT_FALSE(saved.ok());
  EXPECT_NE(saved.error().message().find("File too large"), std::string::npos)
      << saved.error().message();
  EXPECT_EQ(readText(file("config.yaml")), before);
  EXPECT_FALSE(testing::exists(file("config.yaml.tmp")));
}

TEST_F(ConfigTest, SaveWritesTheFixedLayoutAndKeepsAnExistingMode) {
  makeDir();
  writeText(file("config.yaml"), "theme: dark # gone at the first save\n");
  ::chmod(file("config.yaml").c_str(), 0640);
  Config c;
  c.Enabled = false;
  c.PrimaryLanguage = "русский";
  c.MinWordLength = -3;
  c.ExcludedApps = {"com.a", "true", "", "a: b", "# x", "- y", "line\nbreak", "'q\""};
  ASSERT_TRUE(SaveConfig(c).ok());
  const std::string text = readText(file("config.yaml"));
  EXPECT_EQ(text.rfind("enabled: false\nprimary_language: русский\nmin_word_length: -3\n"
                       "excluded_apps:\n    - com.a\n",
                       0),
            0u)
      << text;
  EXPECT_EQ(text.find("theme"), std::string::npos);
  EXPECT_EQ(modeOf(file("config.yaml")), 0640u);

  // Whatever needed quoting reads back as it was.
  LoadedConfig back = LoadConfig();
  EXPECT_FALSE(back.error.has_value());
  EXPECT_FALSE(back.config->Enabled);
  EXPECT_EQ(back.config->PrimaryLanguage, "русский");
  EXPECT_EQ(back.config->MinWordLength, -3);
  EXPECT_EQ(back.config->ExcludedApps, c.ExcludedApps);

  c.ExcludedApps.clear();
  ASSERT_TRUE(SaveConfig(c).ok());
  EXPECT_NE(readText(file("config.yaml")).find("\nexcluded_apps: []\n"), std::string::npos);

  // Settings kept with the user's other dotfiles stay there, linked.
  const std::string dotfile = root_ + "/dotfiles-config.yaml";
  std::filesystem::rename(file("config.yaml"), dotfile);
  std::filesystem::create_symlink(dotfile, file("config.yaml"));
  c.MinWordLength = 5;
  ASSERT_TRUE(SaveConfig(c).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(file("config.yaml")));
  EXPECT_NE(readText(dotfile).find("min_word_length: 5\n"), std::string::npos);
}

// A hand-edited file may name characters by their escapes; after the menu
// excludes an application, the settings written must load again unchanged.
TEST_F(ConfigTest, EscapedCharactersSurviveASaveAndTheNextStart) {
  LoadedConfig first = loadFrom(
      "primary_language: \"r\\u2028u\"\n"
      "excluded_apps:\n"
      "  - \"a\\x7fb\"\n  - \"\\uFFFE\"\n  - \"\\uFFFF\\u0085\\u2029\"\n"
      "  - \"\\uFEFFbom\"\n  - \"nul\\0 esc\\e c1\\x9f\"\n  - \"tab\\t \\\" \\\\ \\U0001F600\"\n");
  ASSERT_FALSE(first.error.has_value()) << first.error->message();
  const Apps read = {"a\177b",
                     "\uFFFE",
                     "\uFFFF\u0085\u2029",
                     "\uFEFFbom",
                     std::string("nul\0 esc\x1b c1\u009f", 14),
                     "tab\t \" \\ \U0001F600"};
  ASSERT_EQ(first.config->ExcludedApps, read);
  ASSERT_TRUE(first.config->AddExcludedApp("com.new"));
  ASSERT_TRUE(SaveConfig(*first.config).ok());

  LoadedConfig next = LoadConfig();
  ASSERT_FALSE(next.error.has_value()) << next.error->message() << "\n"
                                       << readText(file("config.yaml"));
  EXPECT_EQ(next.config->PrimaryLanguage, "r\u2028u");
  Apps saved = read;
  saved.emplace_back("com.new");
  EXPECT_EQ(next.config->ExcludedApps, saved);
}

TEST_F(ConfigTest, SaveFailuresAreReturnedAndMemoryKeepsTheChange) {
  // The directory's place is taken by a file.
  writeText(root_ + "/plain", "x");
  env_.set("VYX_CONFIG_DIR", root_ + "/plain/config");
  Config c;
  ASSERT_TRUE(c.AddExcludedApp("com.new"));
  const auto s = SaveConfig(c);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.error().message().find("mkdir " + root_ + "/plain"), std::string::npos)
      << s.error().message();
  EXPECT_EQ(c.ExcludedApps, (Apps{"idea", "com.new"}));
  // Loading through that path uses the defaults, with a line in the log only.
  testing::LogCapture log;
  LoadedConfig loaded = LoadConfig();
  EXPECT_FALSE(loaded.error.has_value());
  expectDefaults(*loaded.config);

  if (auto ro = testing::unwritableDir(root_ + "/ro")) {
    env_.set("VYX_CONFIG_DIR", *ro);
    const auto denied = SaveConfig(c);
    EXPECT_FALSE(denied.ok());
    LoadedConfig fallback = LoadConfig();
    EXPECT_FALSE(fallback.error.has_value());
    expectDefaults(*fallback.config);
  }
}

TEST(ConfigExclusion, IsAppExcludedMatchesSubstringsIgnoringCase) {
  Config c;
  c.ExcludedApps = {"TextEdit", "", "  "};
  EXPECT_TRUE(c.IsAppExcluded("com.apple.textedit"));
  EXPECT_FALSE(c.IsAppExcluded(""));
  EXPECT_FALSE(c.IsAppExcluded("com.apple.Safari"));
  // An entry of spaces is a needle of spaces, not a match-all.
  EXPECT_TRUE(c.IsAppExcluded("has  two spaces"));
  c.ExcludedApps = {"com.apple.TextEdit.extra"};
  EXPECT_FALSE(c.IsAppExcluded("com.apple.TextEdit"));
  c.ExcludedApps = {"ПРИЛОЖЕНИЕ"};
  EXPECT_TRUE(c.IsAppExcluded("ru.моё.приложение"));
  c.ExcludedApps.clear();
  EXPECT_FALSE(c.IsAppExcluded("anything"));
}

TEST(ConfigExclusion, AddExcludedAppTrimsAndSkipsCoveredIdentifiers) {
  Config c;
  EXPECT_TRUE(c.AddExcludedApp("  com.example.Editor\t"));
  EXPECT_FALSE(c.AddExcludedApp("COM.EXAMPLE.EDITOR"));
  EXPECT_FALSE(c.AddExcludedApp("com.jetbrains.IDEA-U"));
  EXPECT_FALSE(c.AddExcludedApp(" \u00a0"));
  EXPECT_FALSE(c.AddExcludedApp(""));
  EXPECT_EQ(c.ExcludedApps, (Apps{"idea", "com.example.Editor"}));
  // A hand-edited entry with spaces is trimmed for this test only.
  c.ExcludedApps = {"  word  "};
  EXPECT_FALSE(c.AddExcludedApp("com.word.app"));
  EXPECT_FALSE(c.IsAppExcluded("com.word.app"));
}

TEST(ConfigExclusion, ReadersAndAWriterTogether) {
  Config c;
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) (void)c.IsAppExcluded("com.app.7");
  });
  for (int i = 0; i < 200; ++i) (void)c.AddExcludedApp("com.app." + std::to_string(i));
  stop = true;
  reader.join();
  EXPECT_TRUE(c.IsAppExcluded("com.app.7"));
  // com.app.1 already covers com.app.1x and com.app.1xx, and so on.
  EXPECT_EQ(c.ExcludedApps.size(), 11u);
}

}  // namespace
}  // namespace vyx
