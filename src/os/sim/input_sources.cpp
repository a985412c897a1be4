// Keyboard input sources: the input_sources.h calls and the desktop's
// control of them.
#include "os/input_sources.h"

#include <algorithm>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"
#include "os/sim/main_loop.h"

namespace vyx::os::sim {

namespace {

// What a Mac answers when a source cannot be selected (paramErr).
constexpr int32_t kSelectRefused = -50;

PropertyValue propertyOf(const InputSourceInfo& info, std::string_view key) {
  if (key == kTISPropertyInputSourceCategory) return info.category;
  if (key == kTISPropertyInputSourceID && info.hasID) return info.id;
  if (key == kTISPropertyInputSourceIsSelectCapable) return info.selectCapable;
  if (key == kTISPropertyInputSourceLanguages && info.hasLanguages) return info.languages;
  return std::monostate{};
}

// A filter entry matches a string property equal to its value, a boolean
// written "true" or "false", or an array that holds the value.
bool matches(const InputSourceInfo& info, const PropertyFilter& filter) {
  return std::all_of(filter.begin(), filter.end(), [&](const auto& entry) {
    const PropertyValue v = propertyOf(info, entry.first);
    if (const auto* s = std::get_if<std::string>(&v)) return *s == entry.second;
    if (const auto* b = std::get_if<bool>(&v)) return (*b ? "true" : "false") == entry.second;
    if (const auto* a = std::get_if<std::vector<std::string>>(&v)) {
      return std::find(a->begin(), a->end(), entry.second) != a->end();
    }
    return false;
  });
}

const InputSourceInfo* findInfo(const InputSourceState& sources, std::string_view id) {
  for (const auto& info : sources.infos) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

void requireSourceAlive(const InputSource* source) {
  if (!source->alive.load()) die("use of a released input source", source);
}

}  // namespace

KeyLayout currentLayoutLocked(const InputSourceState& sources) {
  const InputSourceInfo* info = findInfo(sources, sources.selected);
  return info == nullptr ? KeyLayout::none : info->layout;
}

void Desktop::setInputSources(std::vector<InputSourceInfo> sources, std::string_view selectedID) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.sources.infos = std::move(sources);
  impl_->core.sources.selected = selectedID;
}

std::string Desktop::currentInputSource() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.sources.selected;
}

void Desktop::selectInputSource(std::string_view id) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.sources.selected = id;
}

std::vector<std::string> Desktop::programSelections() const {
  const std::lock_guard lock(impl_->core.mu);
  return impl_->core.sources.programSelections;
}

void Desktop::failInputSourceList(bool fail) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.sources.failList = fail;
}

int64_t Desktop::liveInputSourceObjects() const {
  const std::lock_guard lock(impl_->core.mu);
  const InputSourceState& s = impl_->core.sources;
  return static_cast<int64_t>(s.copies.size() + s.lists.size());
}

}  // namespace vyx::os::sim

namespace vyx::os {

using sim::CoreState;
using sim::currentCore;

void release(InputSource* source) {
  CoreState* core = currentCore();
  if (source == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  // A source borrowed from a list is not the caller's to release: it is
  // unknown here and ends the process like a second release.
  if (core->sources.copies.live(source)) source->alive = false;
  core->sources.copies.remove(source, "input source");
}

void release(InputSourceList* list) {
  CoreState* core = currentCore();
  if (list == nullptr || core == nullptr) return;
  const std::lock_guard lock(core->mu);
  if (core->sources.lists.live(list)) {
    for (auto& source : list->items) source->alive = false;
  }
  core->sources.lists.remove(list, "input source list");
}

InputSourceList* tisCreateInputSourceList(const PropertyFilter& properties,
                                          bool includeAllInstalled) {
  sim::requireMainThread("tisCreateInputSourceList");
  CoreState* core = currentCore();
  if (core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  if (core->sources.failList) return nullptr;
  auto list = std::make_unique<InputSourceList>();
  for (const auto& info : core->sources.infos) {
    if ((info.enabled || includeAllInstalled) && sim::matches(info, properties)) {
      list->items.push_back(std::make_unique<InputSource>(info));
    }
  }
  return core->sources.lists.add(std::move(list));
}

size_t arrayGetCount(const InputSourceList* list) {
  CoreState* core = currentCore();
  if (list == nullptr || core == nullptr) return 0;
  const std::lock_guard lock(core->mu);
  core->sources.lists.require(list, "input source list");
  return list->items.size();
}

InputSource* arrayGetValueAtIndex(const InputSourceList* list, size_t index) {
  CoreState* core = currentCore();
  if (list == nullptr || core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  core->sources.lists.require(list, "input source list");
  if (index >= list->items.size()) sim::die("input source list index out of range", list);
  return list->items[index].get();
}

InputSource* tisCopyCurrentKeyboardInputSource() {
  sim::requireMainThread("tisCopyCurrentKeyboardInputSource");
  CoreState* core = currentCore();
  if (core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  const sim::InputSourceInfo* info = sim::findInfo(core->sources, core->sources.selected);
  if (info == nullptr) return nullptr;
  return core->sources.copies.add(std::make_unique<InputSource>(*info));
}

PropertyValue tisGetInputSourceProperty(const InputSource* source, std::string_view key) {
  sim::requireMainThread("tisGetInputSourceProperty");
  if (source == nullptr) return std::monostate{};
  sim::requireSourceAlive(source);
  return sim::propertyOf(source->info, key);
}

// The source as it is now decides: one disabled or made unselectable since
// the program looked is refused.
int32_t tisSelectInputSource(InputSource* source) {
  sim::requireMainThread("tisSelectInputSource");
  CoreState* core = currentCore();
  if (source == nullptr || core == nullptr) return sim::kSelectRefused;
  sim::requireSourceAlive(source);
  const std::lock_guard lock(core->mu);
  const sim::InputSourceInfo* info = sim::findInfo(core->sources, source->info.id);
  if (info == nullptr || !info->enabled || !info->selectCapable) return sim::kSelectRefused;
  core->sources.selected = info->id;
  core->sources.programSelections.push_back(info->id);
  return 0;
}

}  // namespace vyx::os
