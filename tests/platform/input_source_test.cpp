// Which input source the program selects after typing, on the sources a
// person may have enabled, including the odd ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "platform/input_source.h"

namespace vyx {
namespace {

using os::sim::InputSourceInfo;

InputSourceInfo source(std::string id, std::vector<std::string> languages, bool selectable = true) {
  InputSourceInfo s = os::sim::usInputSource();
  s.id = std::move(id);
  s.languages = std::move(languages);
  s.selectCapable = selectable;
  return s;
}

const InputSourceInfo kUS = os::sim::usInputSource();
const InputSourceInfo kRussian = os::sim::russianInputSource();
const InputSourceInfo kRussianPC = os::sim::russianPCInputSource();
const InputSourceInfo kGerman = os::sim::germanInputSource();
const InputSourceInfo kFrench = source("com.apple.keylayout.French", {"fr"});

struct SwitchCase {
  const char* what;
  std::vector<InputSourceInfo> sources;
  std::string current;
  int32_t toRussian;
  std::vector<std::string> selected;  // what the program selected: nothing or one source
};

std::vector<InputSourceInfo> seventeenWithEnglishLast() {
  std::vector<InputSourceInfo> sources{kRussian};
  for (int i = 0; i < 15; ++i) sources.push_back(source("x.Other" + std::to_string(i), {"fr"}));
  sources.push_back(kUS);
  return sources;
}

InputSourceInfo withoutProperties(InputSourceInfo s) {
  s.hasID = false;
  s.hasLanguages = false;
  return s;
}

TEST(SwitchLayout, SelectsBySourceLanguageWithTheTwoSourceRule) {
  const std::vector<SwitchCase> cases = {
      {"Russian wanted, Russian current", {kUS, kRussian}, kRussian.id, 1, {}},
      {"identifier says Russian in any case",
       {kUS, source("org.x.RUSSIAN-phonetic", {"xx"})},
       "org.x.RUSSIAN-phonetic",
       1,
       {}},
      {"regional Russian current", {kUS, source("org.x.cyr", {"ru-RU"})}, "org.x.cyr", 1, {}},
      {"English wanted, English current", {kUS, kRussian}, kUS.id, 0, {}},
      {"English wanted", {kUS, kRussian}, kRussian.id, 0, {kUS.id}},
      {"Russian wanted", {kUS, kRussian}, kUS.id, 1, {kRussian.id}},
      {"first Russian in the system's order",
       {kUS, kRussianPC, kRussian},
       kUS.id,
       1,
       {kRussianPC.id}},
      {"German the other of two", {kRussian, kGerman}, kRussian.id, 0, {kGerman.id}},
      {"three without English", {kRussian, kGerman, kFrench}, kRussian.id, 0, {}},
      {"a source that cannot be selected",
       {kUS, source(kRussian.id, {"ru"}, false)},
       kUS.id,
       1,
       {}},
      {"English as the 17th selectable", seventeenWithEnglishLast(), kRussian.id, 0, {}},
      {"capital RU is no Russian", {kUS, source("org.x.cyr", {"RU"}), kGerman}, kUS.id, 1, {}},
      {"capital RU with a Russian identifier",
       {kUS, source("org.x.Russian", {"RU"}), kGerman},
       kUS.id,
       1,
       {"org.x.Russian"}},
      {"three-letter eng is no English",
       {kRussian, source("org.x.eng", {"eng"}), kGerman},
       kRussian.id,
       0,
       {}},
      {"current not among the candidates",
       {source(kRussian.id, {"ru"}, false), kGerman, kFrench},
       kRussian.id,
       0,
       {}},
      {"current without properties", {withoutProperties(kRussian), kGerman}, kRussian.id, 0, {}},
      {"candidate without languages", {kRussian, withoutProperties(kUS)}, kRussian.id, 0, {kUS.id}},
  };
  for (const SwitchCase& c : cases) {
    SCOPED_TRACE(c.what);
    os::sim::Desktop desktop;
    desktop.setInputSources(c.sources, c.current);
    switchLayout(c.toRussian);
    EXPECT_EQ(desktop.programSelections(), c.selected);
    EXPECT_EQ(desktop.liveInputSourceObjects(), 0);
  }
}

TEST(SwitchLayout, DoesNothingWithoutAListOrACurrentSource) {
  os::sim::Desktop desktop;
  desktop.failInputSourceList(true);
  switchLayout(1);
  desktop.failInputSourceList(false);
  desktop.setInputSources({kUS, kRussian}, "nothing.selected");
  switchLayout(1);
  EXPECT_TRUE(desktop.programSelections().empty());
  EXPECT_EQ(desktop.liveInputSourceObjects(), 0);
}

// Held keys are read again only on a layout whose keys the program knows:
// a Russian source of another arrangement is no Mac Russian.
TEST(CurrentKeyLayout, KnowsTheLayoutsOfItsKeyTablesByIdentifier) {
  const std::vector<std::pair<InputSourceInfo, KeyLayout>> cases = {
      {kUS, KeyLayout::us},
      {source("com.apple.keylayout.ABC", {"en"}), KeyLayout::us},
      {kRussian, KeyLayout::russianMac},
      {kRussianPC, KeyLayout::russianPC},
      {source("com.apple.keylayout.Russian-Phonetic", {"ru"}), KeyLayout::other},
      {kGerman, KeyLayout::other},
      {withoutProperties(kRussian), KeyLayout::other},
  };
  for (const auto& [selected, layout] : cases) {
    os::sim::Desktop desktop;
    desktop.setInputSources({selected, kFrench}, selected.id);
    EXPECT_EQ(currentKeyLayout(), layout) << selected.id;
    EXPECT_EQ(desktop.liveInputSourceObjects(), 0);
  }
}

}  // namespace
}  // namespace vyx
