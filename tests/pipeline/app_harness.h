// A pipeline on recording fakes: a pretend application whose text field shows
// what reached it, a person typing into it, and the App in between.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "detect/detector.h"
#include "detect/keymaps.h"
#include "pipeline/app.h"
#include "pipeline/key_codes.h"
#include "pipeline/rollback_tracker.h"
#include "pipeline/undo_state.h"
#include "store/config.h"
#include "support/fake_clock.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::testing {

// The frontmost application's text field and everything the App did to it.
// Threads: the test thread types, the worker thread posts; one mutex.
class FakeScreen final {
 public:
  std::string text() const {
    const std::lock_guard lock(mu_);
    return encodeUtf8(field_.at(front_));
  }
  std::string textOf(const std::string& app) const {
    const std::lock_guard lock(mu_);
    const auto it = field_.find(app);
    return it == field_.end() ? std::string() : encodeUtf8(it->second);
  }
  std::string front() const {
    const std::lock_guard lock(mu_);
    return front_;
  }
  void activate(const std::string& app) {
    const std::lock_guard lock(mu_);
    front_ = app;
    field_[app];
  }
  std::vector<std::string> journal() const {
    const std::lock_guard lock(mu_);
    return journal_;
  }
  int count(const std::string& prefix) const {
    const std::lock_guard lock(mu_);
    int n = 0;
    for (const auto& j : journal_) n += j.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  // Every character key that reached an application, in order (not the
  // text the App typed itself).
  std::vector<char32_t> arrivals() const {
    const std::lock_guard lock(mu_);
    return arrivals_;
  }
  std::vector<bool> gateChanges() const {
    const std::lock_guard lock(mu_);
    return gate_;
  }

  // What a key does to a text field when it reaches the application.
  void deliver(uint16_t keycode, char32_t ch) {
    const std::lock_guard lock(mu_);
    applyLocked(keycode, ch);
  }
  void record(const std::string& what) {
    const std::lock_guard lock(mu_);
    journal_.push_back(what);
  }

  AppOps ops() {
    AppOps o;
    o.replaceText = [this](int64_t n, const std::string& text, const std::string& app) -> Status {
      waitWhileHeld();
      // Typing takes time on a real desktop; input arriving meanwhile is held.
      if (const auto d = typingDelay.load(); d.count() > 0) std::this_thread::sleep_for(d);
      const std::lock_guard lock(mu_);
      // As the bridge does, nothing is typed into another application.
      if (!app.empty() && app != front_) {
        journal_.push_back("replace stopped");
        return Error("another application came to the front");
      }
      journal_.push_back("replace " + std::to_string(n) + " " + text);
      auto& f = field_[front_];
      for (int64_t i = 0; i < n && !f.empty(); ++i) f.pop_back();
      f += decodeUtf8(text);
      // As the bridge does, the layout of the typed text's script is selected.
      if (const std::string_view script = detectScript(text); script != kScriptUnknown) {
        russianLayout = script == kScriptCyrillic;
      }
      return {};
    };
    o.sendChar = [this](char32_t c) {
      const std::lock_guard lock(mu_);
      journal_.push_back("char " + encodeUtf8(c));
      field_[front_].push_back(c);
    };
    o.sendEnter = [this](uint16_t keycode, int64_t flags) {
      const std::lock_guard lock(mu_);
      journal_.push_back("enter " + std::to_string(keycode) + " " + std::to_string(flags));
      field_[front_].push_back(U'\n');
    };
    o.postKey = [this](uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view) {
      const std::lock_guard lock(mu_);
      journal_.push_back("post " + std::to_string(keycode) + " " + encodeUtf8(ch) + " " +
                         std::to_string(flags));
      applyLocked(keycode, ch);
    };
    o.postMouse = [this](uint64_t token, int64_t type) {
      const std::lock_guard lock(mu_);
      journal_.push_back("mouse " + std::to_string(token) + " " + std::to_string(type));
    };
    o.releaseMouse = [this](uint64_t token) {
      const std::lock_guard lock(mu_);
      journal_.push_back("release " + std::to_string(token));
    };
    o.mouseGate = [this](bool on) {
      const std::lock_guard lock(mu_);
      gate_.push_back(on);
    };
    o.frontmostApp = [this] { return front(); };
    o.keyLayout = [this] { return russianLayout ? KeyLayout::russianMac : KeyLayout::us; };
    o.trayEnabled = [this] { return trayOn.load(); };
    o.convertSel = [this](Detector&, const std::string&) { record("convertSel"); };
    return o;
  }

  std::atomic<bool> trayOn{true};
  // The input source the person's keys go through; fixes select it.
  std::atomic<bool> russianLayout{false};
  std::atomic<std::chrono::microseconds> typingDelay{std::chrono::microseconds(0)};

  // While held, the worker waits at the start of replaceText: a fix "being
  // typed" for as long as the test needs.
  void holdReplace(bool on) {
    {
      const std::lock_guard lock(holdMu_);
      held_ = on;
      if (on) entered_ = false;
    }
    holdCv_.notify_all();
  }
  [[nodiscard]] bool waitReplaceEntered() {
    std::unique_lock lock(holdMu_);
    return holdCv_.wait_for(lock, std::chrono::seconds(10), [&] { return entered_; });
  }

 private:
  void waitWhileHeld() {
    std::unique_lock lock(holdMu_);
    entered_ = true;
    holdCv_.notify_all();
    holdCv_.wait(lock, [&] { return !held_; });
  }

  std::mutex holdMu_;
  std::condition_variable holdCv_;
  bool held_ = false;
  bool entered_ = false;

  void applyLocked(uint16_t keycode, char32_t ch) {
    auto& f = field_[front_];
    if (keycode == kKeyBackspace) {
      if (!f.empty()) f.pop_back();
    } else if (ch == 13 || keycode == kKeyReturn || keycode == kKeyKeypadEnter) {
      f.push_back(U'\n');
    } else if (ch >= 0x20 && ch != 0x7F && (ch < 0xF700 || ch > 0xF8FF)) {
      f.push_back(ch);
      arrivals_.push_back(ch);
    }
  }

  mutable std::mutex mu_;
  std::string front_ = "com.apple.TextEdit";
  std::map<std::string, std::u32string> field_{{"com.apple.TextEdit", {}}};
  std::vector<std::string> journal_;
  std::vector<bool> gate_;
  std::vector<char32_t> arrivals_;
};

inline constexpr const char* kRuWords =
    "привет\nпри\nспасибо\nмир\nдом\nкак\nдела\nя\nи\nв\nна\nне\nчто\nэто\nслово\nработа\nделать\n";
inline constexpr const char* kEnWords = "hello\nworld\nhouse\nthe\nword\nwork\nand\nto\n";

// The whole pipeline on a FakeScreen, with a person's keyboard.
class PipelineRig final {
 public:
  explicit PipelineRig(std::shared_ptr<ExceptionStore> store = nullptr)
      : PipelineRig(std::move(store), mustLoad("ru", kRuWords), mustLoad("en", kEnWords)) {}
  // With the word lists the program ships.
  struct ShippedLists {};
  explicit PipelineRig(ShippedLists)
      : PipelineRig(nullptr, mustLoadShipped("ru"), mustLoadShipped("en")) {}
  PipelineRig(std::shared_ptr<ExceptionStore> store, Dict ruDict, Dict enDict)
      : store(std::move(store)),
        ru(std::move(ruDict)),
        en(std::move(enDict)),
        detector(ru, en),
        undo(clockHandle.clock()),
        tracker(this->store, clockHandle.clock()) {
    app = newApp(cfg, this->store.get(), detector, &tracker, screen.ops(), clockHandle.clock(),
                 &undo);
  }

  // A person presses and releases one key; what gets through reaches the field.
  void press(uint16_t keycode, char32_t ch, int64_t flags = 0) {
    // A shortcut reaches the application but types nothing there.
    const bool shortcut = (flags & (kFlagCommand | kFlagControl)) != 0;
    if (!app->onKeyEvent(keycode, ch, flags)) screen.deliver(keycode, shortcut ? 0 : ch);
    if (!app->onKeyUp(keycode)) keyUpsDelivered++;
  }
  void type(std::string_view text) {
    for (const char32_t c : decodeUtf8(text)) {
      if (c == U'\n') {
        press(kKeyReturn, 13);
      } else if (c == U'\b') {
        press(kKeyBackspace, 8);
      } else {
        press(keyFor(c), c, isUpper(c) ? kFlagShift : 0);
      }
    }
  }
  // Presses the keys that bear these characters on a US keyboard; what they
  // give depends on the layout selected at that moment.
  void typeKeys(std::string_view keys) {
    for (const char32_t k : decodeUtf8(keys)) {
      const auto ru = enToRu.find(k);
      const char32_t c = screen.russianLayout && ru != enToRu.end() ? ru->second : k;
      press(keyFor(k), c, isUpper(c) ? kFlagShift : 0);
    }
  }
  void cmd(uint16_t keycode, char32_t ch, int64_t extra = 0) {
    press(keycode, ch, kFlagCommand | extra);
  }
  void tapShift(uint16_t keycode = kKeyLeftShift) {
    (void)app->onKeyEvent(keycode, 0, kFlagShift);
    (void)app->onKeyEvent(keycode, 0, 0);
  }
  // Parks the worker inside an empty job, so that what follows queues up or
  // is held until screen.holdReplace(false).
  [[nodiscard]] bool blockWorker() {
    screen.holdReplace(true);
    return app->enqueueReplacement(replacementJob{}) && screen.waitReplaceEntered();
  }
  // Waits (bounded) until the worker has finished and replayed everything.
  [[nodiscard]] bool idle() {
    for (int i = 0; i < 4000; ++i) {
      if (!app->isBusy()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  std::shared_ptr<ExceptionStore> store;
  Config cfg;
  FakeClock clockHandle;
  FakeScreen screen;
  Dict ru;
  Dict en;
  Detector detector;
  undoState undo;
  RollbackTracker tracker;
  std::unique_ptr<App> app;
  int keyUpsDelivered = 0;

 private:
  static Dict mustLoad(const char* code, const char* text) {
    auto d = loadDictFromText(code, text);
    if (!d.ok()) throw std::runtime_error(d.error().message());
    return std::move(d).value();
  }
  static Dict mustLoadShipped(const char* code) {
    auto d = LoadDict(code);
    if (!d.ok()) throw std::runtime_error(d.error().message());
    return std::move(d).value();
  }
  static bool isUpper(char32_t c) { return (c >= U'A' && c <= U'Z') || (c >= U'А' && c <= U'Я'); }
  // The US key a character is typed with (Russian letters by their QWERTY key).
  static uint16_t keyFor(char32_t c) {
    static const std::u32string kKeys =  // index = macOS virtual key code
        U"asdfhgzxcv\1bqweryt123465=97-80]ou[ip\1lj'k;\\,/nm.";
    static const std::u32string kShiftedMarks = U"\":<>{}|";
    static const std::u32string kMarkKeys = U"';,.[]\\";
    if (c == U' ') return 49;
    if (const auto it = ruToEn.find(c); it != ruToEn.end()) c = it->second;
    if (const size_t mark = kShiftedMarks.find(c); mark != std::u32string::npos)
      c = kMarkKeys[mark];
    c = toLower(c);
    const size_t pos = kKeys.find(c);
    return pos == std::u32string::npos ? 10 : static_cast<uint16_t>(pos);
  }
};

}  // namespace vyx::testing
