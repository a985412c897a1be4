// Every operation of the control surface, once: its name on the wire, the
// members of its request and of its reply, and the Desktop call it makes (see
// Desktop for what each does). The server serves kOperations; the client
// calls them by these names.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "os/sim/control/operation.h"
#include "text/utf8.h"

namespace vyx::os::sim::op {

using std::tuple;
using Names = std::vector<std::string>;
// The members of an operation that has none.
inline constexpr tuple<> none;

inline const Operation hello{"hello", none, tuple{member<int>("version"), member<int>("pid")},
                             [](Desktop&) {
                               return tuple{kControlProtocolVersion, static_cast<int>(::getpid())};
                             }};

// The person at the keyboard.
inline const Operation typeAsPerson{
    "typeAsPerson", tuple{member<std::string>("text"), member<TypeOptions>("options", {})},
    tuple{member<std::string>("skipped")},
    [](Desktop& d, const std::string& text, const TypeOptions& options) {
      return encodeUtf8(d.typeAsPerson(text, options));
    }};
inline const Operation press{"press",
                             tuple{member<uint16_t>("keycode"), member<EventFlags>("modifiers", 0)},
                             none, act<&Desktop::press>};
inline const Operation keyDown{
    "keyDown", tuple{member<uint16_t>("keycode"), member<EventFlags>("modifiers", 0)}, none,
    act<&Desktop::keyDown>};
inline const Operation keyUp{"keyUp",
                             tuple{member<uint16_t>("keycode"), member<EventFlags>("modifiers", 0)},
                             none, act<&Desktop::keyUp>};
inline const Operation tapModifier{"tapModifier", tuple{member<uint16_t>("keycode")}, none,
                                   act<&Desktop::tapModifier>};
inline const Operation setCapsLock{"setCapsLock", tuple{member<bool>("on")}, none,
                                   act<&Desktop::setCapsLock>};

// The mouse.
inline const Operation clickAtCaret{"clickAtCaret", tuple{member<size_t>("caret")}, none,
                                    act<&Desktop::clickAtCaret>};
inline const Operation mouseMove{"mouseMove", tuple{member<Point>("to")}, none,
                                 act<&Desktop::mouseMove>};
inline const Operation rightClick{"rightClick", tuple{member<Point>("at")}, none,
                                  act<&Desktop::rightClick>};
inline const Operation drag{"drag", tuple{member<Point>("from"), member<Point>("to")}, none,
                            act<&Desktop::drag>};
inline const Operation scrollWheel{"scrollWheel", tuple{member<int32_t>("delta")}, none,
                                   act<&Desktop::scrollWheel>};
inline const Operation postKeyEvent{
    "postKeyEvent",
    tuple{member<bool>("down"), member<uint16_t>("keycode"), member<EventFlags>("flags", 0),
          member<std::optional<std::u16string>>("text", std::nullopt),
          member<int64_t>("userData", 0)},
    none, act<&Desktop::postKeyEvent>};

// Applications.
inline const Operation requestQuit{"requestQuit", none, none, act<&Desktop::requestQuit>};
inline const Operation addApp{
    "addApp",
    tuple{member<std::optional<std::string>>("bundleID", std::nullopt),
          member<bool>("ignoresCopy", false)},
    none, [](Desktop& d, std::optional<std::string> bundleID, bool ignoresCopy) {
      d.addApp(AppInfo{std::move(bundleID), ignoresCopy});
    }};
inline const Operation activate{"activate", tuple{member<std::string>("bundleID")}, none,
                                act<&Desktop::activate>};
inline const Operation activateAnonymous{"activateAnonymous", none, none,
                                         act<&Desktop::activateAnonymous>};
inline const Operation frontmost{"frontmost", none,
                                 tuple{member<std::optional<std::string>>("bundleID")},
                                 act<&Desktop::frontmost>};
inline const Operation field{"field", tuple{member<std::string>("bundleID")},
                             tuple{member<FieldState>("field")}, act<&Desktop::field>};
inline const Operation setField{"setField",
                                tuple{member<std::string>("bundleID"), member<FieldState>("field")},
                                none, act<&Desktop::setField>};
inline const Operation arrivals{"arrivals", tuple{member<std::string>("bundleID")},
                                tuple{member<std::vector<Arrival>>("arrivals")},
                                act<&Desktop::arrivals>};
inline const Operation undoRequests{"undoRequests", tuple{member<std::string>("bundleID")},
                                    tuple{member<int>("count")}, act<&Desktop::undoRequests>};

// Input sources.
inline const Operation setInputSources{
    "setInputSources",
    tuple{member<std::vector<InputSourceInfo>>("sources"), member<std::string>("selected")}, none,
    act<&Desktop::setInputSources>};
inline const Operation currentInputSource{"currentInputSource", none,
                                          tuple{member<std::string>("source")},
                                          act<&Desktop::currentInputSource>};
inline const Operation selectInputSource{"selectInputSource", tuple{member<std::string>("source")},
                                         none, act<&Desktop::selectInputSource>};
inline const Operation programSelections{"programSelections", none, tuple{member<Names>("ids")},
                                         act<&Desktop::programSelections>};

// Accessibility.
inline const Operation setTrusted{"setTrusted", tuple{member<bool>("trusted")}, none,
                                  act<&Desktop::setTrusted>};
inline const Operation trusted{"trusted", none, tuple{member<bool>("trusted")},
                               act<&Desktop::trusted>};
inline const Operation setEventAccess{
    "setEventAccess", tuple{member<bool>("tapKeys", true), member<bool>("post", true)}, none,
    [](Desktop& d, bool tapKeys, bool post) {
      d.setEventAccess({tapKeys, post});
    }};
inline const Operation accessibilityPrompts{
    "accessibilityPrompts", none, tuple{member<int>("count")}, act<&Desktop::accessibilityPrompts>};

// Pasteboard and launches.
inline const Operation setPasteboard{"setPasteboard",
                                     tuple{member<std::vector<PasteboardItemContent>>("items")},
                                     none, act<&Desktop::setPasteboard>};
inline const Operation pasteboard{"pasteboard", none,
                                  tuple{member<std::vector<PasteboardItemContent>>("items")},
                                  act<&Desktop::pasteboard>};
inline const Operation launches{"launches", none, tuple{member<std::vector<Names>>("launches")},
                                act<&Desktop::launches>};
inline const Operation failLaunches{
    "failLaunches", tuple{member<std::optional<std::string>>("message", std::nullopt)}, none,
    act<&Desktop::failLaunches>};

// Event taps and events.
inline const Operation taps{"taps", none, tuple{member<std::vector<TapInfo>>("taps")},
                            act<&Desktop::taps>};
inline const Operation setTapTimeout{
    "setTapTimeout", tuple{member<std::chrono::milliseconds>("ms", std::chrono::seconds(1))}, none,
    act<&Desktop::setTapTimeout>};
inline const Operation disableTapsByUserInput{"disableTapsByUserInput", none, none,
                                              act<&Desktop::disableTapsByUserInput>};
inline const Operation liveProgramEvents{"liveProgramEvents", none, tuple{member<int64_t>("count")},
                                         act<&Desktop::liveProgramEvents>};
inline const Operation liveInputSourceObjects{"liveInputSourceObjects", none,
                                              tuple{member<int64_t>("count")},
                                              act<&Desktop::liveInputSourceObjects>};
inline const Operation programPosts{"programPosts", none,
                                    tuple{member<std::vector<Arrival>>("posts")},
                                    act<&Desktop::programPosts>};
inline const Operation personPosts{
    "personPosts", none, tuple{member<std::vector<Arrival>>("posts")}, act<&Desktop::personPosts>};
inline const Operation clearRecords{"clearRecords", none, none, act<&Desktop::clearRecords>};

// Time and quiet.
inline const Operation waitIdle{
    "waitIdle",
    tuple{member<std::chrono::milliseconds>("timeoutMs", std::chrono::seconds(10)),
          member<std::chrono::milliseconds>("quietMs", std::chrono::milliseconds(200))},
    tuple{member<bool>("idle")}, act<&Desktop::waitIdle>};

// The user interface.
inline const Operation statusItem{
    "statusItem", none,
    tuple{member<std::optional<std::string>>("title"), member<std::optional<Font>>("font")},
    [](Desktop& d) {
      return tuple{d.statusItemTitle(), d.statusItemFont()};
    }};
inline const Operation statusMenu{"statusMenu", none,
                                  tuple{member<std::optional<MenuSnapshot>>("menu")},
                                  act<&Desktop::statusMenu>};
inline const Operation mainMenu{
    "mainMenu", none, tuple{member<std::optional<MenuSnapshot>>("menu")}, act<&Desktop::mainMenu>};
inline const Operation clickStatusMenuItem{"clickStatusMenuItem", tuple{member<Names>("path")},
                                           tuple{member<bool>("clicked")},
                                           act<&Desktop::clickStatusMenuItem>};
inline const Operation currentAlert{"currentAlert", none,
                                    tuple{member<std::optional<AlertSnapshot>>("alert")},
                                    act<&Desktop::currentAlert>};
inline const Operation alertHistory{"alertHistory", none,
                                    tuple{member<std::vector<AlertSnapshot>>("alerts")},
                                    act<&Desktop::alertHistory>};
inline const Operation dismissAlert{"dismissAlert", tuple{member<std::string>("button", "OK")},
                                    tuple{member<bool>("dismissed")}, act<&Desktop::dismissAlert>};
inline const Operation windows{
    "windows", none, tuple{member<std::vector<WindowSnapshot>>("windows")}, act<&Desktop::windows>};
inline const Operation clickButton{"clickButton",
                                   tuple{member<size_t>("window"), member<std::string>("title")},
                                   tuple{member<bool>("clicked")}, act<&Desktop::clickButton>};
inline const Operation pressReturn{"pressReturn", tuple{member<size_t>("window")},
                                   tuple{member<bool>("pressed")}, act<&Desktop::pressReturn>};
inline const Operation setFieldText{
    "setFieldText",
    tuple{member<size_t>("window"), member<std::string>("placeholder"),
          member<std::string>("text")},
    tuple{member<bool>("set")}, act<&Desktop::setFieldText>};
inline const Operation selectTableRow{
    "selectTableRow", tuple{member<size_t>("window"), member<int64_t>("row")},
    tuple{member<bool>("selected")}, act<&Desktop::selectTableRow>};
inline const Operation closeWindow{"closeWindow", tuple{member<size_t>("window")},
                                   tuple{member<bool>("closed")}, act<&Desktop::closeWindow>};
inline const Operation windowSvg{"windowSvg", tuple{member<size_t>("window")},
                                 tuple{member<std::string>("svg")}, act<&Desktop::windowSvg>};
inline const Operation statusMenuSvg{"statusMenuSvg", none, tuple{member<std::string>("svg")},
                                     act<&Desktop::statusMenuSvg>};

// What the server serves.
inline const auto kOperations = std::tie(
    hello, typeAsPerson, press, keyDown, keyUp, tapModifier, setCapsLock, clickAtCaret, mouseMove,
    rightClick, drag, scrollWheel, postKeyEvent, addApp, activate, activateAnonymous, frontmost,
    field, setField, arrivals, undoRequests, setInputSources, currentInputSource, selectInputSource,
    programSelections, setTrusted, trusted, accessibilityPrompts, setPasteboard, pasteboard,
    launches, failLaunches, taps, setTapTimeout, disableTapsByUserInput, liveProgramEvents,
    liveInputSourceObjects, programPosts, personPosts, clearRecords, waitIdle, statusItem,
    statusMenu, mainMenu, clickStatusMenuItem, currentAlert, alertHistory, dismissAlert, windows,
    clickButton, pressReturn, setFieldText, selectTableRow, closeWindow, windowSvg, statusMenuSvg,
    requestQuit, setEventAccess);

}  // namespace vyx::os::sim::op
