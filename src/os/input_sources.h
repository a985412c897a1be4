// Keyboard input sources: the enabled ones, the selected one, their
// properties, and selecting one.
//
// Threads: main thread only: the system's input-source service is not
// thread-safe, and an application must use it on its main thread. Every list
// and property read is a fresh look at the system; nothing is cached.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vyx::os {

struct InputSource;      // one input source
struct InputSourceList;  // an ordered array of input sources

void release(InputSource* source);
void release(InputSourceList* list);

// Property keys.
inline constexpr std::string_view kTISPropertyInputSourceCategory =
    "TISPropertyInputSourceCategory";
inline constexpr std::string_view kTISPropertyInputSourceID = "TISPropertyInputSourceID";
inline constexpr std::string_view kTISPropertyInputSourceIsSelectCapable =
    "TISPropertyInputSourceIsSelectCapable";
inline constexpr std::string_view kTISPropertyInputSourceLanguages =
    "TISPropertyInputSourceLanguages";
// Category values.
inline constexpr std::string_view kTISCategoryKeyboardInputSource =
    "TISCategoryKeyboardInputSource";
inline constexpr std::string_view kTISCategoryPaletteInputSource = "TISCategoryPaletteInputSource";
inline constexpr std::string_view kTISCategoryInkInputSource = "TISCategoryInkInputSource";

// A property's value: absent, a string, a boolean or an array of strings.
using PropertyValue = std::variant<std::monostate, std::string, bool, std::vector<std::string>>;

// A filter dictionary: every entry must match (key, string value).
using PropertyFilter = std::vector<std::pair<std::string, std::string>>;

// The sources matching the filter (all when empty): enabled ones only unless
// includeAllInstalled. Null when the system cannot answer.
[[nodiscard]] InputSourceList* tisCreateInputSourceList(const PropertyFilter& properties,
                                                        bool includeAllInstalled);
[[nodiscard]] size_t arrayGetCount(const InputSourceList* list);
// Borrowed from the list: valid while the list is.
[[nodiscard]] InputSource* arrayGetValueAtIndex(const InputSourceList* list, size_t index);

// The selected keyboard input source, owned by the caller; null when none.
[[nodiscard]] InputSource* tisCopyCurrentKeyboardInputSource();
[[nodiscard]] PropertyValue tisGetInputSourceProperty(const InputSource* source,
                                                      std::string_view key);
// 0 on success; non-zero when the source cannot be selected.
int32_t tisSelectInputSource(InputSource* source);

}  // namespace vyx::os
