#include "platform/input_source.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "os/handle.h"
#include "os/input_sources.h"
#include "platform/main_thread.h"

namespace vyx {

namespace {

// At most this many selectable sources are looked at, in the system's order.
constexpr size_t kMaxCandidates = 16;

std::optional<std::string> sourceID(const os::InputSource* source) {
  os::PropertyValue value = os::tisGetInputSourceProperty(source, os::kTISPropertyInputSourceID);
  if (auto* id = std::get_if<std::string>(&value)) return std::move(*id);
  return std::nullopt;
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::search(text.begin(), text.end(), word.begin(), word.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// Language codes compare exactly: "RU" is not "ru", and "eng" is not "en".
bool firstLanguageIs(const os::InputSource* source, std::string_view code) {
  const os::PropertyValue value =
      os::tisGetInputSourceProperty(source, os::kTISPropertyInputSourceLanguages);
  const auto* languages = std::get_if<std::vector<std::string>>(&value);
  if (languages == nullptr || languages->empty()) return false;
  const std::string_view first = languages->front();
  return first == code ||
         (first.size() > code.size() && first.starts_with(code) && first[code.size()] == '-');
}

bool isSelectable(const os::InputSource* source) {
  const os::PropertyValue value =
      os::tisGetInputSourceProperty(source, os::kTISPropertyInputSourceIsSelectCapable);
  const bool* selectable = std::get_if<bool>(&value);
  return selectable != nullptr && *selectable;
}

bool isRussianInputSource(const os::InputSource* source) {
  const std::optional<std::string> id = sourceID(source);
  if (id && containsIgnoringCase(*id, "russian")) return true;
  return firstLanguageIs(source, "ru");
}

bool inputSourceMatchesLanguage(const os::InputSource* source, int32_t toRussian) {
  return toRussian != 0 ? isRussianInputSource(source) : firstLanguageIs(source, "en");
}

// The switch waits this long for the main thread, which is free at once
// unless a modal alert or an open menu holds it; the switch then happens
// when it is free again, still in order with later ones.
constexpr std::chrono::milliseconds kMainThreadWait{500};

void selectLayout(int32_t toRussian) {
  const os::PropertyFilter filter{{std::string(os::kTISPropertyInputSourceCategory),
                                   std::string(os::kTISCategoryKeyboardInputSource)}};
  const os::Ref<os::InputSourceList> list = os::adopt(os::tisCreateInputSourceList(filter, false));
  if (!list) return;
  const os::Ref<os::InputSource> current = os::adopt(os::tisCopyCurrentKeyboardInputSource());
  if (!current) return;
  if (inputSourceMatchesLanguage(current.get(), toRussian)) return;
  const std::optional<std::string> currentID = sourceID(current.get());

  std::array<os::InputSource*, kMaxCandidates> candidates{};
  size_t count = 0;
  const size_t listed = os::arrayGetCount(list.get());
  for (size_t i = 0; i < listed && count < kMaxCandidates; ++i) {
    os::InputSource* source = os::arrayGetValueAtIndex(list.get(), i);
    if (isSelectable(source)) candidates[count++] = source;
  }

  std::optional<size_t> currentAt;
  std::optional<size_t> matchAt;
  for (size_t i = 0; i < count; ++i) {
    if (!currentAt && currentID && sourceID(candidates[i]) == currentID) currentAt = i;
    if (!matchAt && inputSourceMatchesLanguage(candidates[i], toRussian)) matchAt = i;
  }
  // The result is ignored: a refused selection leaves the source as it was.
  if (matchAt) {
    (void)os::tisSelectInputSource(candidates[*matchAt]);
  } else if (count == 2 && currentAt) {
    (void)os::tisSelectInputSource(candidates[1 - *currentAt]);
  }
}

KeyLayout readKeyLayout() {
  const os::Ref<os::InputSource> current = os::adopt(os::tisCopyCurrentKeyboardInputSource());
  if (!current) return KeyLayout::other;
  const std::optional<std::string> id = sourceID(current.get());
  if (!id) return KeyLayout::other;
  if (*id == "com.apple.keylayout.US" || *id == "com.apple.keylayout.ABC") return KeyLayout::us;
  if (*id == "com.apple.keylayout.Russian") return KeyLayout::russianMac;
  if (*id == "com.apple.keylayout.RussianWin") return KeyLayout::russianPC;
  return KeyLayout::other;
}

}  // namespace

void switchLayout(int32_t toRussian) {
  (void)runOnMainThread([toRussian] { selectLayout(toRussian); }, kMainThreadWait);
}

KeyLayout currentKeyLayout() {
  // Shared with the queued read, which may run after the caller gave up.
  auto layout = std::make_shared<std::atomic<KeyLayout>>(KeyLayout::other);
  if (!runOnMainThread([layout] { layout->store(readKeyLayout()); }, kMainThreadWait)) {
    return KeyLayout::other;
  }
  return layout->load();
}

}  // namespace vyx
