// Plain and layer-backed views, the visual-effect view, the scroll view and
// table, and alpha animation.
#include "os/views.h"
#include "os/sim/ui_state.h"

namespace vyx::os {

using sim::checkedView;
using sim::uiState;
using sim::ViewKind;

namespace sim {

View* makeView(const char* operation, ViewKind kind, Rect frame) {
  auto& ui = uiState(operation);
  View* view = ui.make(ui.views);
  view->kind = kind;
  view->frame = frame;
  return view;
}

namespace {

bool contains(const View& ancestor, const View* view) {
  for (; view != nullptr; view = view->parent) {
    if (view == &ancestor) return true;
  }
  return false;
}

}  // namespace

void detach(View& view) {
  // Moving a subtree out of a window takes its focused field with it.
  Window* from = windowOf(view);
  if (from != nullptr && contains(view, from->firstResponder)) from->firstResponder = nullptr;
  if (view.window != nullptr) view.window->content = nullptr;
  view.window = nullptr;
  if (view.parent != nullptr) std::erase(view.parent->subviews, &view);
  view.parent = nullptr;
}

namespace {

void attach(const char* operation, View& parent, View& child) {
  if (contains(child, &parent)) uiFault(operation, "a view cannot hold itself or its ancestor");
  detach(child);
  child.parent = &parent;
  parent.subviews.push_back(&child);
}

// Layer properties reach only a view that has a layer, as messages to a
// missing layer do nothing on a Mac.
View* layered(const char* operation, View* view) {
  View& v = checkedView(uiState(operation), view, operation, {});
  return v.wantsLayer || v.gradient ? &v : nullptr;
}

constexpr double kDefaultAnimationDuration = 0.25;

}  // namespace
}  // namespace sim

View* viewCreate(Rect frame) {
  return sim::makeView("viewCreate", ViewKind::view, frame);
}

void viewAddSubview(View* parent, View* child) {
  constexpr const char* op = "viewAddSubview";
  auto& ui = uiState(op);
  sim::attach(op, checkedView(ui, parent, op, {}), checkedView(ui, child, op, {}));
}

void viewSetFrame(View* view, Rect frame) {
  checkedView(uiState("viewSetFrame"), view, "viewSetFrame", {}).frame = frame;
}

Rect viewBounds(const View* view) {
  const Rect f = checkedView(uiState("viewBounds"), view, "viewBounds", {}).frame;
  return {0, 0, f.width, f.height};
}

void viewSetAutoresizingMask(View* view, AutoresizingMask mask) {
  checkedView(uiState("viewSetAutoresizingMask"), view, "viewSetAutoresizingMask", {})
      .autoresizingMask = mask;
}

void viewSetAlphaValue(View* view, double alpha) {
  checkedView(uiState("viewSetAlphaValue"), view, "viewSetAlphaValue", {}).alpha = alpha;
}

void viewSetWantsLayer(View* view, bool wants) {
  checkedView(uiState("viewSetWantsLayer"), view, "viewSetWantsLayer", {}).wantsLayer = wants;
}

void viewLayerSetBackgroundColor(View* view, const Color& color) {
  if (View* v = sim::layered("viewLayerSetBackgroundColor", view)) v->layerBackground = color;
}

void viewLayerSetBorderWidth(View* view, double width) {
  if (View* v = sim::layered("viewLayerSetBorderWidth", view)) v->borderWidth = width;
}

void viewLayerSetBorderColor(View* view, const Color& color) {
  if (View* v = sim::layered("viewLayerSetBorderColor", view)) v->borderColor = color;
}

void viewLayerSetCornerRadius(View* view, double radius) {
  if (View* v = sim::layered("viewLayerSetCornerRadius", view)) v->cornerRadius = radius;
}

void viewSetGradientLayer(View* view, const GradientLayer& gradient) {
  checkedView(uiState("viewSetGradientLayer"), view, "viewSetGradientLayer", {}).gradient =
      gradient;
}

View* scrollViewCreate(Rect frame) {
  return sim::makeView("scrollViewCreate", ViewKind::scrollView, frame);
}

void scrollViewSetHasVerticalScroller(View* scroll, bool has) {
  constexpr const char* op = "scrollViewSetHasVerticalScroller";
  checkedView(uiState(op), scroll, op, {ViewKind::scrollView}).hasVerticalScroller = has;
}

void scrollViewSetDocumentView(View* scroll, View* document) {
  constexpr const char* op = "scrollViewSetDocumentView";
  auto& ui = uiState(op);
  View& s = checkedView(ui, scroll, op, {ViewKind::scrollView});
  View& d = checkedView(ui, document, op, {});
  // One document at a time: the old one leaves.
  for (View* old : s.subviews) {
    if (old != &d) old->parent = nullptr;
  }
  std::erase_if(s.subviews, [&](const View* v) { return v != &d; });
  sim::attach(op, s, d);
}

View* tableViewCreate(Rect frame) {
  return sim::makeView("tableViewCreate", ViewKind::table, frame);
}

void tableViewAddColumn(View* table, std::string_view identifier, std::string_view title,
                        double width) {
  constexpr const char* op = "tableViewAddColumn";
  checkedView(uiState(op), table, op, {ViewKind::table})
      .columns.push_back({std::string(identifier), std::string(title), width});
}

void tableViewSetDataSource(View* table, Target* dataSource) {
  constexpr const char* op = "tableViewSetDataSource";
  checkedView(uiState(op), table, op, {ViewKind::table}).dataSource = dataSource;
}

void tableViewReloadData(View* table) {
  constexpr const char* op = "tableViewReloadData";
  View& t = checkedView(uiState(op), table, op, {ViewKind::table});
  std::vector<std::vector<std::string>> rows;
  if (t.dataSource != nullptr) {
    // Copies: the data source is the program's code and may change things.
    const auto numberOfRows = t.dataSource->numberOfRows;
    const auto objectValue = t.dataSource->objectValue;
    std::vector<std::string> ids;
    for (const auto& column : t.columns) ids.push_back(column.identifier);
    const int64_t n = numberOfRows ? numberOfRows() : 0;
    for (int64_t r = 0; r < n; ++r) {
      auto& row = rows.emplace_back();
      for (const auto& id : ids) row.push_back(objectValue ? objectValue(id, r) : std::string());
    }
  }
  t.rows = std::move(rows);
  // A selection past the new end is dropped.
  if (t.selectedRow >= static_cast<int64_t>(t.rows.size())) t.selectedRow = -1;
}

int64_t tableViewSelectedRow(const View* table) {
  constexpr const char* op = "tableViewSelectedRow";
  return checkedView(uiState(op), table, op, {ViewKind::table}).selectedRow;
}

View* visualEffectViewCreate(Rect frame) {
  return sim::makeView("visualEffectViewCreate", ViewKind::visualEffect, frame);
}

void visualEffectViewSetMaterial(View* view, int64_t material) {
  constexpr const char* op = "visualEffectViewSetMaterial";
  checkedView(uiState(op), view, op, {ViewKind::visualEffect}).material = material;
}

void visualEffectViewSetBlendingMode(View* view, int64_t mode) {
  constexpr const char* op = "visualEffectViewSetBlendingMode";
  checkedView(uiState(op), view, op, {ViewKind::visualEffect}).blendingMode = mode;
}

void visualEffectViewSetState(View* view, int64_t state) {
  constexpr const char* op = "visualEffectViewSetState";
  checkedView(uiState(op), view, op, {ViewKind::visualEffect}).state = state;
}

void animationGroup(double duration, const std::function<void()>& changes) {
  auto& ui = uiState("animationGroup");
  ui.animationDurations.push_back(duration);
  struct Pop {
    sim::UiState& ui;
    ~Pop() { ui.animationDurations.pop_back(); }
  } pop{ui};
  if (changes) changes();
}

void viewAnimatorSetAlphaValue(View* view, double alpha) {
  constexpr const char* op = "viewAnimatorSetAlphaValue";
  auto& ui = uiState(op);
  View& v = checkedView(ui, view, op, {});
  // Outside a group the animator uses the default context's duration.
  const double duration =
      ui.animationDurations.empty() ? sim::kDefaultAnimationDuration : ui.animationDurations.back();
  v.alpha = alpha;
  v.lastAnimation = {duration, alpha};
}

}  // namespace vyx::os
