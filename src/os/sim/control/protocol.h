// The simulated desktop's control protocol, spoken over a local stream
// socket by the end-to-end tests and the demo: one JSON object per line each
// way. A request is {"v":1,"id":N,"op":"name", ...arguments}; its reply is
// {"v":1,"id":N,"ok":true, ...results} or {"v":1,"id":N,"ok":false,
// "error":"text"}. "v", "id", "op" and "ok" are the envelope's: no argument
// or result uses them. Requests on one connection are answered in order; a
// request that waits (typing, waitIdle) holds only its own connection.
#pragma once

#include <chrono>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "os/controls.h"
#include "os/sim/control/request.h"
#include "os/sim/desktop.h"
#include "os/views.h"

namespace vyx::os::sim {

// The environment variable that names the socket a program serves its
// desktop on.
inline constexpr const char* kControlSocketEnv = "VYX_SIM_SOCKET";

// One line of the protocol; invalid UTF-8 in texts is replaced, never fatal.
[[nodiscard]] std::string encodeLine(const Json& message);

// The longest a request may ask anything to take or wait: far beyond what a
// driver needs, far within what a clock's nanoseconds hold. A duration
// below zero or beyond it is refused, as a value that is not a whole number
// of milliseconds is.
inline constexpr std::chrono::milliseconds kMaxRequestDuration = std::chrono::hours(24);
[[nodiscard]] std::chrono::milliseconds requestDuration(const Json& j);

[[nodiscard]] std::string hexEncode(const Bytes& bytes);
[[nodiscard]] Bytes hexDecode(const std::string& text);

}  // namespace vyx::os::sim

// Optional values travel as null when absent.
namespace nlohmann {
template <class T>
struct adl_serializer<std::optional<T>> {
  static void to_json(json& j, const std::optional<T>& v) {
    if (v) {
      j = *v;
    } else {
      j = nullptr;
    }
  }
  static void from_json(const json& j, std::optional<T>& v) {
    if (j.is_null()) {
      v.reset();
    } else {
      v = j.get<T>();
    }
  }
};
// Durations travel as whole milliseconds.
template <>
struct adl_serializer<std::chrono::milliseconds> {
  static void to_json(json& j, const std::chrono::milliseconds& v) { j = v.count(); }
  static void from_json(const json& j, std::chrono::milliseconds& v) {
    v = vyx::os::sim::requestDuration(j);
  }
};
}  // namespace nlohmann

namespace vyx::os {
NLOHMANN_JSON_SERIALIZE_ENUM(SystemColor, {{SystemColor::none, "none"},
                                           {SystemColor::label, "label"},
                                           {SystemColor::secondaryLabel, "secondaryLabel"},
                                           {SystemColor::tertiaryLabel, "tertiaryLabel"}})
NLOHMANN_JSON_SERIALIZE_ENUM(FontWeight, {{FontWeight::regular, "regular"},
                                          {FontWeight::medium, "medium"},
                                          {FontWeight::semibold, "semibold"},
                                          {FontWeight::bold, "bold"}})
NLOHMANN_JSON_SERIALIZE_ENUM(LineBreakMode, {{LineBreakMode::wordWrapping, "wordWrapping"},
                                             {LineBreakMode::charWrapping, "charWrapping"},
                                             {LineBreakMode::clipping, "clipping"},
                                             {LineBreakMode::truncatingTail, "truncatingTail"}})
NLOHMANN_JSON_SERIALIZE_ENUM(TextAlignment, {{TextAlignment::left, "left"},
                                             {TextAlignment::right, "right"},
                                             {TextAlignment::center, "center"},
                                             {TextAlignment::justified, "justified"},
                                             {TextAlignment::natural, "natural"}})
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Point, x, y)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Size, width, height)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Rect, x, y, width, height)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Color, system, red, green, blue, alpha)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Font, monospaced, size, weight)
}  // namespace vyx::os

namespace vyx::os::sim {
NLOHMANN_JSON_SERIALIZE_ENUM(KeyLayout, {{KeyLayout::none, "none"},
                                         {KeyLayout::us, "us"},
                                         {KeyLayout::russianMac, "russianMac"},
                                         {KeyLayout::russianPC, "russianPC"},
                                         {KeyLayout::german, "german"}})
NLOHMANN_JSON_SERIALIZE_ENUM(ViewKind, {{ViewKind::view, "view"},
                                        {ViewKind::label, "label"},
                                        {ViewKind::textField, "textField"},
                                        {ViewKind::button, "button"},
                                        {ViewKind::scrollView, "scrollView"},
                                        {ViewKind::table, "table"},
                                        {ViewKind::visualEffect, "visualEffect"}})
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(FieldState, text, caret, selectionStart,
                                                selectionLength)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Arrival, type, keycode, text, flags, userData,
                                                postedNs, arrivedNs)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(InputSourceInfo, id, languages, selectCapable,
                                                enabled, category, layout, hasID, hasLanguages)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(TapInfo, enabled, mask, eventsSeen, timeouts)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(AlertSnapshot, messageText, informativeText,
                                                buttons)

void to_json(Json& j, const TypeOptions& v);
void from_json(const Json& j, TypeOptions& v);
// Data travels as hex; a type offered without data is null.
void to_json(Json& j, const PasteboardItemContent& v);
void from_json(const Json& j, PasteboardItemContent& v);

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(MenuItemSnapshot, separator, title, action,
                                                keyEquivalent, hasTarget, enabled, submenu,
                                                submenuTitle)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(MenuSnapshot, title, items)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(
    ViewSnapshot, kind, frame, alpha, autoresizingMask, text, placeholder, editable, bezeled,
    drawsBackground, focused, font, textColor, alignment, lineBreakMode, maximumNumberOfLines,
    wantsLayer, layerBackground, borderWidth, borderColor, cornerRadius, gradientColors,
    gradientFrame, gradientStart, gradientEnd, action, hasTarget, bezelStyle, controlSize,
    keyEquivalent, bezelColor, material, blendingMode, state, hasVerticalScroller, hasDataSource,
    columns, rows, selectedRow, lastAnimation, children)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(WindowSnapshot, id, title, frame, styleMask,
                                                backing, deferred, visible, key, titleHidden,
                                                titlebarTransparent, movableByBackground,
                                                releasedWhenClosed, content)

}  // namespace vyx::os::sim
