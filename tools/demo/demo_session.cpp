#include "demo_session.h"

#include <utility>

namespace vyx::demo {

namespace {

using namespace std::chrono_literals;
using os::sim::ViewSnapshot;

constexpr const char* kWaiting = "Vyx waiting for Accessibility permission";
constexpr const char* kGrant = "Разрешить доступ";
constexpr const char* kFinish = "Начать";

testing::VyxProcess startVyx(bool quiet) {
  try {
    if (quiet) return testing::VyxProcess({.trusted = true});
    return testing::VyxProcess({.args = {"-verbose"}, .trusted = false});
  } catch (const std::exception& e) {
    throw DemoError(std::string("vyx did not start: ") + e.what());
  }
}

bool hasButton(const ViewSnapshot& view, std::string_view title) {
  if (view.kind == os::sim::ViewKind::button && view.text == title) return true;
  for (const ViewSnapshot& child : view.children) {
    if (hasButton(child, title)) return true;
  }
  return false;
}

// The shown window with a button of that title.
std::optional<size_t> windowWithButton(os::sim::DesktopClient& client, std::string_view title,
                                       std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (const auto& w : client.windows()) {
      if (w.visible && hasButton(w.content, title)) return w.id;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(20ms);
  }
}

}  // namespace

DemoSession::DemoSession(bool quiet, Narrator say)
    : say_(std::move(say)), vyx_(startVyx(quiet)), client_(connect()) {}

// The socket appears once vyx has made its desktop; a vyx that ends before
// that is reported at once.
os::sim::DesktopClient DemoSession::connect() {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  for (;;) {
    try {
      return vyx_.connect(100ms);
    } catch (const os::sim::ControlError& e) {
      if (const std::optional<int> status = vyx_.waitExit(0ms)) {
        fail("vyx did not start: it ended with status " + std::to_string(*status));
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        fail(std::string("vyx did not start: ") + e.what());
      }
    }
  }
}

void DemoSession::fail(const std::string& what) const {
  std::string message = what;
  if (const std::string log = vyx_.stderrText(); !log.empty()) message += "\nvyx's log:\n" + log;
  throw DemoError(message);
}

void DemoSession::waitForStart(std::string_view line) {
  if (vyx_.waitForLog(line, 30s)) return;
  const std::optional<int> status = vyx_.waitExit(0ms);
  if (status) fail("vyx did not start: it ended with status " + std::to_string(*status));
  fail("vyx did not start: no \"" + std::string(line) + "\" within 30 s");
}

void DemoSession::bringUp() {
  if (vyx_.waitForLog("Vyx ready", 0ms)) {
    // Trusted from the start.
  } else if (client_.call("trusted").at("trusted").get<bool>()) {
    waitForStart("Vyx ready");
  } else {
    waitForStart(kWaiting);
    onboard();
  }
  if (!testing::waitForEnabledTap(client_, 10s)) fail("vyx's event tap never ran");
}

// The first run of a person on a Mac: the onboarding window asks for the
// permission, System Settings grants it, and vyx notices by itself.
void DemoSession::onboard() {
  say_("Vyx starts without the Accessibility permission, as on a fresh Mac: the menu bar shows " +
       client_.statusItemTitle().value_or("nothing") + " and a window asks for the permission.");
  const std::optional<size_t> asking = windowWithButton(client_, kGrant, 10s);
  if (!asking) fail("vyx showed no onboarding window");
  client_.call("clickButton", {{"window", *asking}, {"title", kGrant}});
  const auto launches = client_.launches();
  std::string opened = launches.empty() ? "nothing" : "";
  if (!launches.empty()) {
    for (const std::string& part : launches.back()) opened += (opened.empty() ? "" : " ") + part;
  }
  say_("You click «" + std::string(kGrant) + "»; vyx runs: " + opened);
  client_.setTrusted(true);
  say_("You switch Vyx on in Privacy & Security → Accessibility; vyx checks every 2 seconds...");
  if (!vyx_.waitForLog("Accessibility granted — Vyx ready", 10s)) {
    fail("vyx did not notice the permission within 10 s");
  }
  const std::optional<size_t> ready = windowWithButton(client_, kFinish, 10s);
  if (!ready) fail("the onboarding window did not turn ready");
  say_("Vyx is ready (" + client_.statusItemTitle().value_or("no icon") +
       " in the menu bar); you click «" + kFinish + "» and go back to TextEdit.");
  client_.call("clickButton", {{"window", *ready}, {"title", kFinish}});
  client_.activate(kTextEdit);
}

void DemoSession::settle() {
  if (!client_.waitIdle(30s)) fail("the desktop did not go quiet within 30 s");
}

void DemoSession::type(const std::string& text, const os::sim::TypeOptions& options) {
  (void)client_.typeAsPerson(text, options);
  settle();
}

void DemoSession::act(const KeyAction& key) {
  if (key.modifierTap) {
    client_.tapModifier(key.keycode);
    // A person's two taps are apart; the pipeline counts the interval.
    std::this_thread::sleep_for(80ms);
    return;
  }
  client_.press(key.keycode, key.modifiers);
  settle();
}

void DemoSession::quitFromMenu() {
  try {
    // The action ends the process inside it, so no answer comes back.
    (void)client_.clickStatusMenuItem({"Выйти"});
  } catch (const os::sim::ControlError&) {
  }
  const std::optional<int> status = vyx_.waitExit(20s);
  if (!status) fail("vyx did not end within 20 s of «Выйти»");
  if (*status != 0) fail("vyx ended with status " + std::to_string(*status));
}

}  // namespace vyx::demo
