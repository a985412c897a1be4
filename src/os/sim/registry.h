// The live objects of one kind that the simulated desktop handed out, so
// that a release of something already released, or of something it never
// made, stops the process with a clear message instead of corrupting memory.
// Freed objects wait in a quarantine for a while before their memory goes,
// so a second release (or a use checked through an object's own flag) still
// finds them and is reported as what it is.
//
// Threads: not synchronised; the owner's lock guards it.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vyx::os::sim {

// Writes "simulated desktop: <message>" to standard error and aborts.
[[noreturn]] void die(std::string_view message, const void* object = nullptr);

template <class T>
class Registry final {
 public:
  explicit Registry(size_t quarantine = 1024) : quarantineSize_(quarantine) {}

  T* add(std::unique_ptr<T> object) {
    T* p = object.get();
    live_.emplace(p, std::move(object));
    return p;
  }
  [[nodiscard]] bool live(const T* p) const { return live_.contains(p); }
  [[nodiscard]] size_t size() const { return live_.size(); }

  // Frees the object; a pointer that is not live ends the process, saying
  // whether it was released before or never came from here.
  void remove(const T* p, std::string_view what) {
    auto it = live_.find(p);
    if (it == live_.end()) {
      for (const auto& q : quarantine_) {
        if (q.get() == p) die(std::string(what) + " released twice", p);
      }
      die("release of an unknown " + std::string(what), p);
    }
    quarantine_.push_back(std::move(it->second));
    live_.erase(it);
    if (quarantine_.size() > quarantineSize_) quarantine_.pop_front();
  }

  // Dies unless p is live; for objects whose use after release must be caught.
  void require(const T* p, std::string_view what) const {
    if (!live(p)) die("use of a released or unknown " + std::string(what), p);
  }

 private:
  size_t quarantineSize_;
  std::unordered_map<const T*, std::unique_ptr<T>> live_;
  std::deque<std::unique_ptr<T>> quarantine_;
};

}  // namespace vyx::os::sim
