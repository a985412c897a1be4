// The general pasteboard: an ordered list of items, each holding data under
// one or more type identifiers.
//
// Threads: any thread; each call is atomic with respect to the pasteboard.
// Items are shared objects: an item written to the pasteboard belongs to it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyx::os {

using Bytes = std::vector<uint8_t>;

inline constexpr std::string_view kPasteboardTypeString = "public.utf8-plain-text";
inline constexpr std::string_view kPasteboardTypePNG = "public.png";
inline constexpr std::string_view kPasteboardTypeTIFF = "public.tiff";
inline constexpr std::string_view kPasteboardTypeRTF = "public.rtf";
inline constexpr std::string_view kPasteboardTypeFileURL = "public.file-url";

struct Pasteboard;
struct PasteboardItem;
using PasteboardItemPtr = std::shared_ptr<PasteboardItem>;

[[nodiscard]] Pasteboard* generalPasteboard();

// The items now on the pasteboard, in order.
[[nodiscard]] std::vector<PasteboardItemPtr> pasteboardItems(Pasteboard* board);
// Empties the pasteboard; returns its new change count.
int64_t clearContents(Pasteboard* board);
// Appends the items; false when the pasteboard refused them, as it refuses
// an item that already belongs to a pasteboard (one read from it, or written
// to it before): only new items can be written.
bool writeObjects(Pasteboard* board, const std::vector<PasteboardItemPtr>& items);
// The string of the first item that has one for the type; none when absent.
[[nodiscard]] std::optional<std::string> stringForType(Pasteboard* board, std::string_view type);
// Puts the string on the pasteboard under the type (after clearContents).
bool setStringForType(Pasteboard* board, std::string_view text, std::string_view type);

[[nodiscard]] PasteboardItemPtr pasteboardItemCreate();
// The types the item offers, in order; an offered type may still yield no data.
[[nodiscard]] std::vector<std::string> pasteboardItemTypes(const PasteboardItem& item);
[[nodiscard]] std::optional<Bytes> pasteboardItemDataForType(const PasteboardItem& item,
                                                             std::string_view type);
bool pasteboardItemSetDataForType(PasteboardItem& item, Bytes data, std::string_view type);

}  // namespace vyx::os
