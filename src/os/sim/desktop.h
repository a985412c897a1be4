// The simulated desktop: the machine that the src/os calls reach on this
// build, and the control surface through which tests (and, over the control
// socket, the end-to-end tests and the demo) act as the person at the
// keyboard and look at the screen.
//
// One Desktop exists at a time; the src/os functions act on it. It holds a
// window server thread that takes events in order from one queue (the
// person's and the program's posts alike), passes each through every enabled
// event tap whose mask asks for it (on the tap's run-loop thread, one at a
// time), and then hands it to the frontmost application, whose text field
// applies it as a Mac text field does.
//
// Threads: every method may be called from any thread except the main
// thread (the thread that runs the main loop), unless it says otherwise.
// Methods that read or operate the user interface run their work on the main
// thread through a control queue that is served even while a modal alert
// runs, and wait for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/controls.h"
#include "os/event_tap.h"
#include "os/events.h"
#include "os/pasteboard.h"
#include "os/ui_types.h"
#include "os/views.h"

namespace vyx::os::sim {

// Key layouts the simulated keyboard knows.
enum class KeyLayout : uint8_t {
  none,        // an input source without keys of its own (palette, ink)
  us,          // U.S.
  russianMac,  // Russian (the Mac layout)
  russianPC,   // Russian – PC
  german,      // German (QWERTZ)
};

struct InputSourceInfo {
  std::string id;                      // "com.apple.keylayout.US"
  std::vector<std::string> languages;  // first entry is the main language
  bool selectCapable = true;
  bool enabled = true;
  std::string category = "TISCategoryKeyboardInputSource";
  KeyLayout layout = KeyLayout::us;
  bool hasID = true;         // false: the identifier property is absent
  bool hasLanguages = true;  // false: the languages property is absent
};

[[nodiscard]] InputSourceInfo usInputSource();       // com.apple.keylayout.US, ["en"]
[[nodiscard]] InputSourceInfo russianInputSource();  // com.apple.keylayout.Russian, ["ru"]
[[nodiscard]] InputSourceInfo russianPCInputSource();
[[nodiscard]] InputSourceInfo germanInputSource();  // com.apple.keylayout.German, ["de"]

struct AppInfo {
  std::optional<std::string> bundleID;  // absent: an application without one
  bool ignoresCopy = false;             // Cmd+C does nothing
};

struct DesktopOptions {
  std::vector<InputSourceInfo> inputSources{usInputSource(), russianInputSource()};
  std::string selectedInputSource = "com.apple.keylayout.US";
  // The first is frontmost at the start.
  std::vector<AppInfo> apps{AppInfo{"com.apple.TextEdit"}};
  bool trusted = false;  // the Accessibility permission
  // How long the window server waits for a tap callback before it disables
  // the tap (a Mac waits about a second).
  std::chrono::milliseconds tapTimeout{1000};
  // Timers and the main loop's time follow advance() alone, not real time.
  bool drivenClock = false;
  // Start a thread that runs the main loop. Without it, the thread that
  // makes the Desktop is the main thread, and runs the loop when it calls
  // applicationRun.
  bool ownMainThread = true;
  // The text of arrow, navigation and function keys: the control
  // characters a key layout gives them (Left 28, Home 1, ...), as an event
  // tap sees them, or AppKit's U+F700 range (Up U+F700, Left U+F702, ...).
  bool functionKeyText = false;
  // Screen size, for centring windows.
  Size screen{1440, 900};
};

// Input-event access that the system may refuse a trusted process.
struct EventAccess {
  bool tapKeys = true;  // taps see key downs and key ups
  bool post = true;     // posted events are delivered
};

// A key's modifiers as event flags (kEventFlagMaskShift, ...Command, ...).
using Modifiers = EventFlags;

struct TypeOptions {
  std::chrono::milliseconds keyDelay{60};  // between one key's press and the next
  std::chrono::milliseconds jitter{0};     // +- uniformly random, from seed
  uint32_t seed = 1;
};

// One event as an application received it (or as it was posted).
struct Arrival {
  EventType type = 0;
  uint16_t keycode = 0;
  std::u16string text;
  EventFlags flags = 0;
  int64_t userData = 0;  // field 42
  // Real steady-clock times in nanoseconds, whatever the desktop's clock:
  // when the person or the program put the event on the window server's
  // queue, and when it reached the application (0 for an event not
  // delivered yet).
  int64_t postedNs = 0;
  int64_t arrivedNs = 0;
};

[[nodiscard]] inline int64_t nanosSinceEpoch(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

struct FieldState {
  std::string text;           // UTF-8
  size_t caret = 0;           // in code points
  size_t selectionStart = 0;  // in code points
  size_t selectionLength = 0;
};

struct PasteboardItemContent {
  // Types in order; a type without data is offered but yields nothing.
  std::vector<std::pair<std::string, std::optional<Bytes>>> types;
};

// What an event tap did, as the window server saw it.
struct TapInfo {
  bool enabled = false;
  EventMask mask = 0;
  uint64_t eventsSeen = 0;
  uint64_t timeouts = 0;  // times the window server disabled it for a slow callback
};

// ---- user interface snapshots ----

struct MenuItemSnapshot {
  bool separator = false;
  std::string title;
  std::string action;  // selector, empty for none
  std::string keyEquivalent;
  bool hasTarget = false;
  bool enabled = false;  // as the menu shows it (automatic enabling applied)
  std::vector<MenuItemSnapshot> submenu;
  std::string submenuTitle;
};

struct MenuSnapshot {
  std::string title;
  std::vector<MenuItemSnapshot> items;
};

enum class ViewKind : uint8_t { view, label, textField, button, scrollView, table, visualEffect };

struct ViewSnapshot {
  ViewKind kind = ViewKind::view;
  Rect frame;
  double alpha = 1;
  uint64_t autoresizingMask = 0;
  // Text of a label or field, or a button's title.
  std::string text;
  std::string placeholder;
  bool editable = false;
  bool bezeled = false;
  bool drawsBackground = false;
  bool focused = false;  // the window's first responder
  Font font;
  Color textColor;
  TextAlignment alignment = TextAlignment::natural;
  LineBreakMode lineBreakMode = LineBreakMode::clipping;
  int64_t maximumNumberOfLines = 0;
  // Layer.
  bool wantsLayer = false;
  std::optional<Color> layerBackground;
  double borderWidth = 0;
  std::optional<Color> borderColor;
  double cornerRadius = 0;
  std::vector<Color> gradientColors;  // empty: no gradient layer
  Rect gradientFrame;
  Point gradientStart;
  Point gradientEnd;
  // Button.
  std::string action;
  bool hasTarget = false;
  uint32_t bezelStyle = 0;
  uint8_t controlSize = 0;
  std::string keyEquivalent;
  std::optional<Color> bezelColor;
  // Visual effect.
  int64_t material = 0;
  int64_t blendingMode = 0;
  int64_t state = 0;
  // Scroll view.
  bool hasVerticalScroller = false;
  // Table: columns (identifier, title, width as "%g") and rows as the data
  // source gave them at the last reload.
  bool hasDataSource = false;
  std::vector<std::vector<std::string>> columns;
  std::vector<std::vector<std::string>> rows;
  int64_t selectedRow = -1;
  // The latest alpha animation: its duration and target.
  std::optional<std::pair<double, double>> lastAnimation;
  std::vector<ViewSnapshot> children;
};

struct WindowSnapshot {
  size_t id = 0;  // order of creation, from 0
  std::string title;
  Rect frame;  // content rectangle on the screen
  uint64_t styleMask = 0;
  uint32_t backing = 0;
  bool deferred = false;
  bool visible = false;
  bool key = false;
  bool titleHidden = false;
  bool titlebarTransparent = false;
  bool movableByBackground = false;
  bool releasedWhenClosed = true;
  ViewSnapshot content;
};

struct AlertSnapshot {
  std::string messageText;
  std::string informativeText;
  std::vector<std::string> buttons;
};

class Desktop final {
 public:
  explicit Desktop(DesktopOptions options = {});
  // Stops the window server, every run loop and the main thread it started,
  // and waits until each has left the simulation.
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // The desktop the src/os calls act on; null when none exists.
  [[nodiscard]] static Desktop* current();

  // ---- the person at the keyboard ----
  // One press of a key with modifiers held around it: a flags-changed event
  // for each modifier going down, key-down, key-up, then the modifiers up.
  void press(uint16_t keycode, Modifiers modifiers = 0);
  // The halves of a press: keyDown leaves the modifiers held, keyUp lets
  // them go after the key. A modifier's own key code works too.
  void keyDown(uint16_t keycode, Modifiers modifiers = 0);
  void keyUp(uint16_t keycode, Modifiers modifiers = 0);
  // A modifier key pressed and released alone (56 left Shift, 60 right Shift, ...).
  void tapModifier(uint16_t keycode);
  void setCapsLock(bool on);
  // Types an intended text as a person who does not look at the input
  // source: each letter on the layout of its own script (Cyrillic on the
  // Mac Russian layout, everything else on U.S.); a character found on both
  // layouts at different keys (punctuation) on the layout of the last letter
  // typed; "\n" is Return. Returns once every key is posted, not processed.
  // Characters that neither layout has are skipped and returned.
  std::u32string typeAsPerson(std::string_view text, const TypeOptions& options = {});
  // The physical key (and Shift) that gives ch on a layout, if any.
  [[nodiscard]] static std::optional<std::pair<uint16_t, Modifiers>> keyFor(KeyLayout layout,
                                                                            char32_t ch);
  // What a key gives on a layout with the modifiers (Shift, Caps Lock,
  // Command, Control); empty for a key without text.
  [[nodiscard]] static std::u16string keyText(KeyLayout layout, uint16_t keycode,
                                              Modifiers modifiers);

  // ---- the mouse ----
  // A left click in the frontmost application's text field that puts the
  // caret at a code-point index.
  void clickAtCaret(size_t caret);
  void mouseMove(Point to);
  void rightClick(Point at);
  void otherClick(Point at);
  void drag(Point from, Point to);
  void scrollWheel(int32_t delta);

  // ---- anything else on the event queue ----
  // Posts a key event as if another process had (with a user-data field of
  // its choosing); the text defaults to the layout's.
  void postKeyEvent(bool keyDown, uint16_t keycode, EventFlags flags,
                    std::optional<std::u16string> text, int64_t userData);

  // ---- applications ----
  // Asks the program to quit as logout, Activity Monitor's Quit or an
  // AppleScript "quit" do, and returns at once: the quit handler runs on the
  // main thread; without one the process ends with exit(0), as AppKit ends it.
  void requestQuit();
  void addApp(const AppInfo& app);
  // Makes the application frontmost and sends the activation notification.
  void activate(std::string_view bundleID);
  // Makes an application without a bundle identifier frontmost.
  void activateAnonymous();
  [[nodiscard]] std::optional<std::string> frontmost() const;
  [[nodiscard]] FieldState field(std::string_view bundleID) const;
  [[nodiscard]] std::string text(std::string_view bundleID) const;
  void setField(std::string_view bundleID, const FieldState& state);
  // Every event that reached the application, in order.
  [[nodiscard]] std::vector<Arrival> arrivals(std::string_view bundleID) const;
  // Cmd+Z presses that reached the application (it keeps no undo of its own).
  [[nodiscard]] int undoRequests(std::string_view bundleID) const;

  // ---- input sources ----
  void setInputSources(std::vector<InputSourceInfo> sources, std::string_view selectedID);
  [[nodiscard]] std::string currentInputSource() const;
  // The person selects a source (no program call counted).
  void selectInputSource(std::string_view id);
  // How many times the program selected a source, and which, in order.
  [[nodiscard]] std::vector<std::string> programSelections() const;
  // Makes the next list queries fail (null) or not.
  void failInputSourceList(bool fail);
  // Input sources copied and lists created by the program and not released.
  [[nodiscard]] int64_t liveInputSourceObjects() const;

  // ---- Accessibility ----
  // Taken away while the program runs, as in System Settings: its posts go
  // nowhere, and an enabled active tap of its holds up every event of the
  // session until it is disabled or released (or the tap time-out passes).
  void setTrusted(bool trusted);
  // A Mac may trust the program and still refuse it the keyboard (taps made
  // from then on lose their key-down and key-up bits, and one left with
  // nothing is refused) or posting (its posts go nowhere); both allowed at
  // the start.
  void setEventAccess(EventAccess access);
  [[nodiscard]] bool trusted() const;
  [[nodiscard]] int accessibilityPrompts() const;

  // ---- pasteboard ----
  void setPasteboard(const std::vector<PasteboardItemContent>& items);
  [[nodiscard]] std::vector<PasteboardItemContent> pasteboard() const;
  [[nodiscard]] int64_t pasteboardChangeCount() const;

  // ---- "open" ----
  [[nodiscard]] std::vector<std::vector<std::string>> launches() const;
  // With a message, every later launch fails with it; nullopt: launches succeed.
  void failLaunches(std::optional<std::string> message);

  // ---- event taps ----
  [[nodiscard]] std::vector<TapInfo> taps() const;
  void setTapTimeout(std::chrono::milliseconds timeout);
  // Disables every tap as the system does on user input and tells each callback.
  void disableTapsByUserInput();
  // Taps may be refused even to a trusted process.
  void refuseTaps(bool refuse);
  // Run-loop sources made from now on come out invalid, as when the system
  // invalidated the tap's port: adding one to a run loop does nothing.
  void failRunLoopSources(bool fail);
  // Events the program created or copied and has not released yet.
  [[nodiscard]] int64_t liveProgramEvents() const;
  // Every event the program posted, in order.
  [[nodiscard]] std::vector<Arrival> programPosts() const;
  // Every event the person made (keys, modifiers, mouse), in order, with
  // the text each key gave on the input source selected at its press.
  [[nodiscard]] std::vector<Arrival> personPosts() const;
  // Forgets the records above, every application's arrivals and the
  // program's input-source selections, so that a long run keeps its memory
  // flat.
  void clearRecords();

  // ---- time and quiet ----
  // Sim time: real monotonic time, or the driven clock.
  [[nodiscard]] std::chrono::steady_clock::time_point now() const;
  // Moves the driven clock and fires the timers that fall due, in order, on
  // the main thread; returns once they have run.
  void advance(std::chrono::nanoseconds by);
  // The program may tell when it is busy (a correction queued or typing).
  void setBusyProbe(std::function<bool()> busy);
  // Waits until no event is queued or in flight, the main queue is empty,
  // the busy probe says no, and nothing was posted for the quiet period.
  // False on time-out.
  [[nodiscard]] bool waitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10),
                              std::chrono::milliseconds quiet = std::chrono::milliseconds(200));

  // ---- the main thread ----
  // Runs work on the main thread (through the control queue) and waits.
  void onMain(const std::function<void()>& work);
  // Blocks until the main queue has run everything queued so far.
  void drainMainQueue();

  // ---- the user interface ----
  [[nodiscard]] std::optional<std::string> statusItemTitle();
  [[nodiscard]] std::optional<Font> statusItemFont();
  [[nodiscard]] std::optional<MenuSnapshot> statusMenu();
  [[nodiscard]] std::optional<MenuSnapshot> mainMenu();
  [[nodiscard]] int activationPolicy();
  [[nodiscard]] int activations();  // activateIgnoringOtherApps calls
  // Performs the action of the status menu item found by its titles (a
  // submenu path); false when there is none or it is disabled. Waits for the
  // action to return.
  bool clickStatusMenuItem(const std::vector<std::string>& path);
  // The alert now shown (at most one is shown at a time), and every alert
  // shown so far, dismissed ones included.
  [[nodiscard]] std::optional<AlertSnapshot> currentAlert();
  [[nodiscard]] std::vector<AlertSnapshot> alertHistory();
  // Presses a button of the current alert; false when none is shown or it
  // has no such button. Off the main thread it returns once the alert has
  // closed and the main queue has run what it can (up to a next alert).
  bool dismissAlert(std::string_view button = "OK");
  // Alerts the program created and has not released yet.
  [[nodiscard]] int64_t liveAlerts();
  // Every window the program made and has not released, in order of
  // creation; window(id) is nullopt for a released or unknown one.
  [[nodiscard]] std::vector<WindowSnapshot> windows();
  [[nodiscard]] std::optional<WindowSnapshot> window(size_t id);
  // The operations below act on a shown window as the person's mouse and
  // keyboard would, making it key first; false when it is not shown.
  // The window's button with this title, clicked (its action sent to its
  // target); false when there is none.
  bool clickButton(size_t windowID, std::string_view title);
  // Return pressed in the window: its button with key equivalent "\r".
  bool pressReturn(size_t windowID);
  // Types into the window's editable field found by its placeholder, which
  // takes the focus.
  bool setFieldText(size_t windowID, std::string_view placeholder, std::string_view text);
  // Selects a row of the window's first table (-1: none); false when the
  // table has no such row.
  bool selectTableRow(size_t windowID, int64_t row);
  // The title bar's close button (closable windows): hides the window
  // without telling the program; false when there is none.
  bool closeWindow(size_t windowID);
  // Drawings from the same view tree, as SVG documents; the window's is
  // empty for an unknown window. Same tree, same bytes.
  [[nodiscard]] std::string windowSvg(size_t windowID);
  // The menu bar with the status item, and its menu open below it.
  [[nodiscard]] std::string statusMenuSvg();

  // The simulation's inside, for the sim's own files.
  struct Impl;
  [[nodiscard]] Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace vyx::os::sim
