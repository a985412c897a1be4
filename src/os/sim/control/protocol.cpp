#include "os/sim/control/protocol.h"

namespace vyx::os::sim {

std::string encodeLine(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string hexEncode(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

Bytes hexDecode(const std::string& text) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  Bytes out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const int hi = nibble(text[i]);
    const int lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    out.push_back(static_cast<uint8_t>(hi << 4 | lo));
  }
  return out;
}

void to_json(Json& j, const TypeOptions& v) {
  j = Json{{"keyDelayMs", v.keyDelay.count()}, {"jitterMs", v.jitter.count()}, {"seed", v.seed}};
}

void from_json(const Json& j, TypeOptions& v) {
  v = TypeOptions{};
  v.keyDelay = std::chrono::milliseconds(j.value("keyDelayMs", v.keyDelay.count()));
  v.jitter = std::chrono::milliseconds(j.value("jitterMs", v.jitter.count()));
  v.seed = j.value("seed", v.seed);
}

void to_json(Json& j, const PasteboardItemSpec& v) {
  j = Json::array();
  for (const auto& [type, data] : v.types) {
    j.push_back(Json{{"type", type}, {"data", data ? Json(hexEncode(*data)) : Json(nullptr)}});
  }
}

void from_json(const Json& j, PasteboardItemSpec& v) {
  v.types.clear();
  for (const auto& t : j) {
    std::optional<Bytes> data;
    if (t.contains("data") && !t.at("data").is_null()) {
      data = hexDecode(t.at("data").get<std::string>());
    }
    v.types.emplace_back(t.at("type").get<std::string>(), std::move(data));
  }
}

void to_json(Json& j, const MenuItemSnapshot& v) {
  j = Json{{"separator", v.separator}, {"title", v.title},
           {"action", v.action},       {"keyEquivalent", v.keyEquivalent},
           {"hasTarget", v.hasTarget}, {"enabled", v.enabled},
           {"submenu", v.submenu},     {"submenuTitle", v.submenuTitle}};
}

void from_json(const Json& j, MenuItemSnapshot& v) {
  v.separator = j.value("separator", false);
  v.title = j.value("title", "");
  v.action = j.value("action", "");
  v.keyEquivalent = j.value("keyEquivalent", "");
  v.hasTarget = j.value("hasTarget", false);
  v.enabled = j.value("enabled", false);
  v.submenu = j.value("submenu", std::vector<MenuItemSnapshot>{});
  v.submenuTitle = j.value("submenuTitle", "");
}

void to_json(Json& j, const MenuSnapshot& v) {
  j = Json{{"title", v.title}, {"items", v.items}};
}

void from_json(const Json& j, MenuSnapshot& v) {
  v.title = j.value("title", "");
  v.items = j.value("items", std::vector<MenuItemSnapshot>{});
}

void to_json(Json& j, const ViewSnapshot& v) {
  j = Json{{"kind", v.kind},
           {"frame", v.frame},
           {"alpha", v.alpha},
           {"autoresizingMask", v.autoresizingMask},
           {"text", v.text},
           {"placeholder", v.placeholder},
           {"editable", v.editable},
           {"font", v.font},
           {"textColor", v.textColor},
           {"alignment", v.alignment},
           {"wantsLayer", v.wantsLayer},
           {"layerBackground", v.layerBackground},
           {"borderWidth", v.borderWidth},
           {"borderColor", v.borderColor},
           {"cornerRadius", v.cornerRadius},
           {"gradientColors", v.gradientColors},
           {"gradientStart", v.gradientStart},
           {"gradientEnd", v.gradientEnd},
           {"action", v.action},
           {"hasTarget", v.hasTarget},
           {"bezelStyle", v.bezelStyle},
           {"controlSize", v.controlSize},
           {"keyEquivalent", v.keyEquivalent},
           {"bezelColor", v.bezelColor},
           {"material", v.material},
           {"blendingMode", v.blendingMode},
           {"state", v.state},
           {"columns", v.columns},
           {"rows", v.rows},
           {"selectedRow", v.selectedRow},
           {"lastAnimation", v.lastAnimation},
           {"children", v.children}};
}

void from_json(const Json& j, ViewSnapshot& v) {
  const ViewSnapshot d;
  v.kind = j.value("kind", d.kind);
  v.frame = j.value("frame", d.frame);
  v.alpha = j.value("alpha", d.alpha);
  v.autoresizingMask = j.value("autoresizingMask", d.autoresizingMask);
  v.text = j.value("text", d.text);
  v.placeholder = j.value("placeholder", d.placeholder);
  v.editable = j.value("editable", d.editable);
  v.font = j.value("font", d.font);
  v.textColor = j.value("textColor", d.textColor);
  v.alignment = j.value("alignment", d.alignment);
  v.wantsLayer = j.value("wantsLayer", d.wantsLayer);
  v.layerBackground = j.value("layerBackground", d.layerBackground);
  v.borderWidth = j.value("borderWidth", d.borderWidth);
  v.borderColor = j.value("borderColor", d.borderColor);
  v.cornerRadius = j.value("cornerRadius", d.cornerRadius);
  v.gradientColors = j.value("gradientColors", d.gradientColors);
  v.gradientStart = j.value("gradientStart", d.gradientStart);
  v.gradientEnd = j.value("gradientEnd", d.gradientEnd);
  v.action = j.value("action", d.action);
  v.hasTarget = j.value("hasTarget", d.hasTarget);
  v.bezelStyle = j.value("bezelStyle", d.bezelStyle);
  v.controlSize = j.value("controlSize", d.controlSize);
  v.keyEquivalent = j.value("keyEquivalent", d.keyEquivalent);
  v.bezelColor = j.value("bezelColor", d.bezelColor);
  v.material = j.value("material", d.material);
  v.blendingMode = j.value("blendingMode", d.blendingMode);
  v.state = j.value("state", d.state);
  v.columns = j.value("columns", d.columns);
  v.rows = j.value("rows", d.rows);
  v.selectedRow = j.value("selectedRow", d.selectedRow);
  v.lastAnimation = j.value("lastAnimation", d.lastAnimation);
  v.children = j.value("children", d.children);
}

void to_json(Json& j, const WindowSnapshot& v) {
  j = Json{{"id", v.id},
           {"title", v.title},
           {"frame", v.frame},
           {"styleMask", v.styleMask},
           {"visible", v.visible},
           {"key", v.key},
           {"titleHidden", v.titleHidden},
           {"titlebarTransparent", v.titlebarTransparent},
           {"movableByBackground", v.movableByBackground},
           {"releasedWhenClosed", v.releasedWhenClosed},
           {"content", v.content}};
}

void from_json(const Json& j, WindowSnapshot& v) {
  const WindowSnapshot d;
  v.id = j.value("id", d.id);
  v.title = j.value("title", d.title);
  v.frame = j.value("frame", d.frame);
  v.styleMask = j.value("styleMask", d.styleMask);
  v.visible = j.value("visible", d.visible);
  v.key = j.value("key", d.key);
  v.titleHidden = j.value("titleHidden", d.titleHidden);
  v.titlebarTransparent = j.value("titlebarTransparent", d.titlebarTransparent);
  v.movableByBackground = j.value("movableByBackground", d.movableByBackground);
  v.releasedWhenClosed = j.value("releasedWhenClosed", d.releasedWhenClosed);
  v.content = j.value("content", d.content);
}

}  // namespace vyx::os::sim
