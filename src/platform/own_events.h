// The program's own events on their way to the application. Everything the
// program posts goes through the window server's one queue behind whatever
// the person typed before it, and passes the event tap like the person's
// keys. Until the tap has seen a post, a key the person pressed earlier may
// still be waiting in that queue; the pipeline must still be holding input
// back when that key reaches the tap, or the key overtakes what the program
// typed (a replayed "в " landing after the next word's "к").
//
// While a correction is typed, its keys are aimed at the application the
// word was typed in. One that was posted just before another application
// came to the front would land there; the tap, the last stop on the way,
// drops it instead.
//
// Threads: posts are noted and awaited on the replacement worker (the only
// thread that posts), sightings on the tap thread; one atomic count, no
// lock. The aim is set by the worker and read by the tap thread under its
// own mutex, which is held while nothing else is locked.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vyx {

// The key of a marked key-up that only asks the tap to show it has got this
// far: no key of a Mac keyboard sends it, and the tap drops it.
inline constexpr uint16_t kTapCheckpointKey = 0x7F;

// The tap's thread serves it (entering true) or has left its run loop.
void noteTapServing(bool entering);
[[nodiscard]] bool tapServing();
// One marked event about to be handed to the window server.
void noteOwnEventPosted();
// The tap saw one marked event pass.
void noteOwnEventSeen();
// The tap was off for a while: the program's posts of that time passed
// unseen, and no later wait may count on seeing them.
void forgetUnseenOwnEvents();
// Waits until the tap has seen every marked event posted so far, or the
// time is up (the tap may be off, or posts may not reach it): false then,
// the posts not seen are forgotten, and the miss is counted; the first of a
// run of misses is logged. Without a tap nobody holds input back, and it
// returns at once.
bool awaitOwnEventsSeen(std::chrono::milliseconds timeout);

// Aims the program's keys at one application for the life of the object.
class OwnKeysAim final {
 public:
  explicit OwnKeysAim(const std::string& app);
  ~OwnKeysAim();
  OwnKeysAim(const OwnKeysAim&) = delete;
  OwnKeysAim& operator=(const OwnKeysAim&) = delete;
};
// Whether a key of the program's own, seen by the tap now, would reach
// another application than the one it is aimed at. Asks the workspace only
// while an aim is set.
[[nodiscard]] bool ownKeyMisdirected();

}  // namespace vyx
