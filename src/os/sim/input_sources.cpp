// Keyboard input sources: the input_sources.h calls and the desktop's
// control of them.
#include "os/input_sources.h"

#include <algorithm>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

namespace {

// What a Mac answers when a source cannot be selected (paramErr).
constexpr int32_t kSelectRefused = -50;

PropertyValue propertyOf(const InputSourceSpec& spec, std::string_view key) {
  if (key == kTISPropertyInputSourceCategory) return spec.category;
  if (key == kTISPropertyInputSourceID && spec.hasID) return spec.id;
  if (key == kTISPropertyInputSourceIsSelectCapable) return spec.selectCapable;
  if (key == kTISPropertyInputSourceLanguages && spec.hasLanguages) return spec.languages;
  return std::monostate{};
}

// A filter entry matches a string property equal to its value, a boolean
// written "true" or "false", or an array that holds the value.
bool matches(const InputSourceSpec& spec, const PropertyFilter& filter) {
  return std::all_of(filter.begin(), filter.end(), [&](const auto& entry) {
    const PropertyValue v = propertyOf(spec, entry.first);
    if (const auto* s = std::get_if<std::string>(&v)) return *s == entry.second;
    if (const auto* b = std::get_if<bool>(&v)) return (*b ? "true" : "false") == entry.second;
    if (const auto* a = std::get_if<std::vector<std::string>>(&v)) {
      return std::find(a->begin(), a->end(), entry.second) != a->end();
    }
    return false;
  });
}

const InputSourceSpec* findSpec(const InputSourceState& sources, std::string_view id) {
  for (const auto& spec : sources.specs) {
    if (spec.id == id) return &spec;
  }
  return nullptr;
}

void requireSourceAlive(const InputSource* source) {
  if (!source->alive.load()) die("use of a released input source", source);
}

}  // namespace

KeyLayout currentLayoutLocked(const InputSourceState& sources) {
  const InputSourceSpec* spec = findSpec(sources, sources.selected);
  return spec == nullptr ? KeyLayout::none : spec->layout;
}

void Desktop::setInputSources(std::vector<InputSourceSpec> sources, std::string_view selectedID) {
  const std::lock_guard lock(impl_->core.mu);
  impl_->core.sources.specs = std::move(sources);
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
  CoreState* core = currentCore();
  if (core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  if (core->sources.failList) return nullptr;
  auto list = std::make_unique<InputSourceList>();
  for (const auto& spec : core->sources.specs) {
    if ((spec.enabled || includeAllInstalled) && sim::matches(spec, properties)) {
      list->items.push_back(std::make_unique<InputSource>(spec));
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
  CoreState* core = currentCore();
  if (core == nullptr) return nullptr;
  const std::lock_guard lock(core->mu);
  const sim::InputSourceSpec* spec = sim::findSpec(core->sources, core->sources.selected);
  if (spec == nullptr) return nullptr;
  return core->sources.copies.add(std::make_unique<InputSource>(*spec));
}

PropertyValue tisGetInputSourceProperty(const InputSource* source, std::string_view key) {
  if (source == nullptr) return std::monostate{};
  sim::requireSourceAlive(source);
  return sim::propertyOf(source->spec, key);
}

// The source as it is now decides: one disabled or made unselectable since
// the program looked is refused.
int32_t tisSelectInputSource(InputSource* source) {
  CoreState* core = currentCore();
  if (source == nullptr || core == nullptr) return sim::kSelectRefused;
  sim::requireSourceAlive(source);
  const std::lock_guard lock(core->mu);
  const sim::InputSourceSpec* spec = sim::findSpec(core->sources, source->spec.id);
  if (spec == nullptr || !spec->enabled || !spec->selectCapable) return sim::kSelectRefused;
  core->sources.selected = spec->id;
  core->sources.programSelections.push_back(spec->id);
  return 0;
}

}  // namespace vyx::os
