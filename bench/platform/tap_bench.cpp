// The event tap's callback, which every keystroke the user types waits for:
// a letter inside a word, a space that ends a wrong-layout word (the
// detector's decision and the queueing of its fix), both called directly
// with the simulated desktop's events; and the slowest callback seen on the
// real tap thread while a person types fast during corrections.
#include <array>
#include <atomic>

#include "bench_support.h"
#include "os/event_tap.h"
#include "os/events.h"
#include "platform/event_tap.h"
#include "platform/tap_callbacks.h"

namespace vyx::bench {
namespace {

namespace sim = os::sim;

// Corrections that take no time: only the callback is measured.
AppOps quietOps() {
  AppOps ops = bridgeAppOps();
  ops.replaceText = [](int64_t, const std::string&, const std::string&) { return Status(); };
  return ops;
}

os::Event* keyDown(uint16_t keycode, char16_t ch) {
  os::Event* e = os::eventCreateKeyboardEvent(nullptr, keycode, true);
  os::eventKeyboardSetUnicodeString(e, 1, &ch);
  return e;
}

double callNs(os::Event* event) {
  const auto t0 = std::chrono::steady_clock::now();
  benchmark::DoNotOptimize(eventTapCallback(nullptr, os::kEventKeyDown, event, nullptr));
  return Nanos(std::chrono::steady_clock::now() - t0).count();
}

void BM_TapCallbackLetter(benchmark::State& state) {
  sim::Desktop desktop;
  desktop.onMain([] { vyxInstallFrontmostObserver(); });  // the cache names TextEdit
  Program program(quietOps());
  // "hello " over and over: five timed letters, then a space that ends a
  // correct word (untimed).
  const std::u16string word = u"hello";
  std::vector<os::Event*> letters;
  for (char16_t c : word) letters.push_back(keyDown(0, c));
  os::Event* space = keyDown(49, u' ');
  std::vector<double> ns;
  ns.reserve(1 << 20);
  size_t i = 0;
  for (auto _ : state) {
    const double t = callNs(letters[i]);
    ns.push_back(t);
    state.SetIterationTime(t / 1e9);
    if (++i == letters.size()) {
      (void)eventTapCallback(nullptr, os::kEventKeyDown, space, nullptr);
      i = 0;
    }
  }
  reportPercentiles(state, std::move(ns));
  for (os::Event* e : letters) os::release(e);
  os::release(space);
}
BENCHMARK(BM_TapCallbackLetter)->UseManualTime();

void BM_TapCallbackWordEnd(benchmark::State& state) {
  sim::Desktop desktop;
  desktop.onMain([] { vyxInstallFrontmostObserver(); });  // the cache names TextEdit
  Program program(quietOps());
  static const char16_t* const kWords[] = {u"ghbdtn",   u"cgfcb,j", u"hf,jnf",  u"gjxtve",
                                           u"yfdthyjt", u"crfpfnm", u"ctujlyz", u"ljv"};
  std::vector<std::vector<os::Event*>> words;
  for (const char16_t* w : kWords) {
    words.emplace_back();
    for (const char16_t* c = w; *c != 0; ++c) words.back().push_back(keyDown(0, *c));
  }
  os::Event* space = keyDown(49, u' ');
  std::vector<double> ns;
  size_t i = 0;
  for (auto _ : state) {
    for (os::Event* e : words[i++ % words.size()]) {
      (void)eventTapCallback(nullptr, os::kEventKeyDown, e, nullptr);
    }
    const double t = callNs(space);
    ns.push_back(t);
    state.SetIterationTime(t / 1e9);
    program.waitIdle();
  }
  reportPercentiles(state, std::move(ns));
  for (auto& w : words) {
    for (os::Event* e : w) os::release(e);
  }
  os::release(space);
}
BENCHMARK(BM_TapCallbackWordEnd)->UseManualTime();

// Every callback's duration on the tap thread.
struct CallbackTimes {
  std::array<double, 1 << 16> ns{};
  std::atomic<size_t> count{0};
};
CallbackTimes callbackTimes;

os::Event* timedCallback(void* proxy, os::EventType type, os::Event* event, void* userInfo) {
  const auto t0 = std::chrono::steady_clock::now();
  os::Event* answer = eventTapCallback(proxy, type, event, userInfo);
  const size_t i = callbackTimes.count.fetch_add(1);
  if (i < callbackTimes.ns.size()) {
    callbackTimes.ns[i] = Nanos(std::chrono::steady_clock::now() - t0).count();
  }
  return answer;
}

// startHook's tap, with the callback timed.
void startTimedTap() {
  os::EventTap* tap =
      os::eventTapCreate(os::kSessionEventTap, os::kHeadInsertEventTap, os::kEventTapOptionDefault,
                         kEventTapMask, &timedCallback, nullptr);
  activeEventTap.store(tap);
  os::RunLoopSource* source = os::machPortCreateRunLoopSource(tap, 0);
  std::thread([tap, source] {
    os::runLoopAddSource(os::runLoopGetCurrent(), source, os::kRunLoopCommonModes);
    os::eventTapEnable(tap, true);
    os::runLoopRun();
  }).detach();
}

// A person typing Russian words 20 ms apart (give or take 8 ms) while the
// U.S. source stays selected (the Russian one cannot be selected), so that
// every word is corrected, with real pauses, while the next one is typed.
void BM_TapCallbackWorstDuringCorrections(benchmark::State& state) {
  sim::DesktopOptions options;
  options.trusted = true;
  sim::InputSourceInfo russian = sim::russianInputSource();
  russian.selectCapable = false;
  options.inputSources = {sim::usInputSource(), russian};
  sim::Desktop desktop(options);
  desktop.onMain([] { vyxInstallFrontmostObserver(); });
  Program program(bridgeAppOps());
  desktop.setBusyProbe([&] { return program.app->isBusy(); });
  startTimedTap();
  // As startHook does, give the tap thread time to enable its tap.
  while (desktop.taps().empty() || !desktop.taps()[0].enabled) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const std::string intended =
      "привет как дела сегодня хорошая погода пойдем гулять вечером или завтра утром "
      "когда будет время напиши мне письмо спасибо большое до встречи ";
  callbackTimes.count.store(0);
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    desktop.typeAsPerson(intended,
                         {std::chrono::milliseconds(20), std::chrono::milliseconds(8), 3});
    if (!desktop.waitIdle(std::chrono::seconds(60))) state.SkipWithError("never idle");
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    if (desktop.text("com.apple.TextEdit") != intended) {
      state.SkipWithError(("text differs: " + desktop.text("com.apple.TextEdit")).c_str());
    }
    desktop.setField("com.apple.TextEdit", {});
  }
  const size_t n = std::min(callbackTimes.count.load(), callbackTimes.ns.size());
  reportPercentiles(state,
                    {callbackTimes.ns.begin(), callbackTimes.ns.begin() + static_cast<long>(n)});
  state.counters["tap_timeouts"] = static_cast<double>(desktop.taps().at(0).timeouts);
  desktop.setBusyProbe(nullptr);
}
BENCHMARK(BM_TapCallbackWorstDuringCorrections)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vyx::bench
