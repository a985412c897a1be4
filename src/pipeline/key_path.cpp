// The decision for one key-down or modifier change, and for each finished word.
#include "detect/keymaps.h"
#include "log/logger.h"
#include "pipeline/app.h"
#include "pipeline/convert_by_script.h"
#include "pipeline/key_codes.h"
#include "pipeline/layout_keys.h"
#include "pipeline/skip_rules.h"
#include "pipeline/word_decision.h"
#include "text/utf8.h"

namespace vyx {

namespace {

// Keys that move the caret or edit outside the word: the word being typed no
// longer matches what is on screen.
bool breaksContext(uint16_t keycode, char32_t ch, int64_t flags) {
  if (ch >= 0xF700 && ch <= 0xF8FF) return true;  // arrows, function and navigation keys
  if (ch == 9 || ch == 27) return true;
  switch (keycode) {
    case kKeyTab:
    case kKeyEscape:
    case kKeyHome:
    case kKeyPageUp:
    case kKeyEnd:
    case kKeyPageDown:
    case kKeyLeftArrow:
    case kKeyRightArrow:
    case kKeyDownArrow:
    case kKeyUpArrow:
      return true;
    default:
      break;
  }
  if (keycode == kKeyBackspace && (flags & (kFlagCommand | kFlagOption)) != 0) return true;
  if (ch != 0 && (flags & kFlagCommand) != 0) return true;
  if (ch != 0 && (flags & kFlagControl) != 0) return true;
  // The keypad Enter key reports the Enter character, 3; it is handled as
  // Return, not as a control character.
  if (keycode == kKeyKeypadEnter && ch == 3) return false;
  if (ch < 0x20 && ch != 0 && ch != 8 && ch != 10 && ch != 13) return true;
  return ch == 0x7F;
}

}  // namespace

bool App::processKeyEvent(uint16_t keycode, char32_t ch, int64_t flags, MonoTime at) {
  if (!enabled()) {
    // While corrections are paused the keys still reach the application, so
    // the word being typed, the last fix and the retype watch would no longer
    // match the screen when they resume. Each such key leaves the context as
    // a fresh start would, however and whenever the switch is flipped back. A
    // modifier alone changes no text and keeps it.
    if (ch != 0 || !isModifierKey(keycode)) invalidateContext();
    return false;
  }

  if (doubleShift.Observe(keycode, ch, flags, at)) {
    (void)convertCurrentWord();
    return false;  // the Shift itself always reaches the application
  }

  if (keycode == kKeyX && (flags & kFlagCommand) != 0 && (flags & kFlagShift) != 0) {
    logLine("Manual convert hotkey (Cmd+Shift+X)");
    std::string app = frontmost();
    if (app == kOwnBundleID) return false;
    replacementJob job;
    job.kind = jobKindSelection;
    job.app = std::move(app);
    return enqueueReplacement(std::move(job));
  }

  if (keycode == kKeyZ && (flags & kFlagCommand) != 0) {
    const UndoPeek rec = undo.PeekWithApp();
    if (!rec.ok) return false;
    if (rec.app.empty() || rec.app != frontmost()) {
      vlog("Cmd+Z ignored: conversion app changed");
      invalidateContext();
      return false;
    }
    vlog("Undo: reverting %q → %q", rec.replaced, rec.original);
    replacementJob job;
    job.kind = jobKindUndo;
    job.deleteChars = static_cast<int64_t>(codePointCount(rec.replaced));
    job.text = rec.original + rec.tail;
    job.word = rec.original;
    job.app = rec.app;
    if (!enqueueReplacement(std::move(job))) return false;
    buf.Clear();
    undo.ConsumeIfMatches(rec.original, rec.replaced, rec.app);
    return true;
  }

  if (breaksContext(keycode, ch, flags)) {
    invalidateContext();
    return false;
  }

  if (keycode == kKeyBackspace) {
    buf.Backspace();
    // Reverting after part of the correction was erased would erase text the
    // user never got from it, so any Backspace ends the chance to undo.
    undo.Withdraw();
    if (tracker != nullptr) (void)tracker->ObserveKey(rollbackKeyBackspace, 0);
    return false;
  }
  if (ch == 0) return false;

  undo.Withdraw();
  if (ch == 8) return false;

  if (keycode == kKeyReturn || keycode == kKeyKeypadEnter || ch == 13 || ch == 10) {
    return processReturn(keycode, flags);
  }

  const bool swallow =
      isCapitalLetterKeyPress(keycode, ch) ? buf.AddCapitalLetterKey(ch) : buf.Add(ch);
  observeRetypeChar(ch);
  return swallow;
}

bool App::processReturn(uint16_t keycode, int64_t flags) {
  std::string word = buf.FlushWord();
  if (word.empty()) {
    if (tracker != nullptr) (void)tracker->ObserveKey(rollbackKeyEnter, 0);
    return false;
  }
  if (finishedWordCut()) return false;
  WordDecision wd = decideFinishedWord(cfg, store, detector, word, U'\n', ops.frontmostApp);
  const Decision& d = wd.decision;
  if (!d.wrong) return false;
  std::string text = d.fixed;
  if (d.punct != 0) appendUtf8(text, d.punct);
  vlog("Fix (enter): %q → %q", wd.judged, text);
  replacementJob job;
  job.kind = jobKindFix;
  job.deleteChars = static_cast<int64_t>(codePointCount(wd.judged));
  job.text = std::move(text);
  job.boundary = kEnterBoundary;
  job.keycode = keycode;
  job.flags = flags;
  job.word = std::move(wd.judged);
  job.app = std::move(wd.app);
  return enqueueReplacement(std::move(job));
}

void App::observeRetypeChar(char32_t ch) {
  if (tracker == nullptr) return;
  const RetypeResult r = tracker->ObserveKey(rollbackKeyChar, ch);
  if (!r.retyped || !verboseOn()) return;
  if (r.learned) {
    vlog("Learned exception (retype): %q in %q", r.word, r.app);
  } else {
    vlog("Rollback candidate (retype): %q in %q", r.word, r.app);
  }
}

bool App::finishedWordCut() {
  uint64_t cut = contextGen.load();
  if (!cutContext.compare_exchange_strong(cut, kNoCut)) return false;
  vlog("skip_reason: %s", "tap-timeout");
  return true;
}

bool App::onWord(const std::string& word, char32_t boundary) {
  if (!enabled()) return false;
  // Half of a character outside the Basic Multilingual Plane: it cannot be
  // typed back on its own, so the key passes and the word stays as typed.
  if (boundary >= 0xD800 && boundary <= 0xDFFF) return false;
  if (finishedWordCut()) return false;
  WordDecision wd = decideFinishedWord(cfg, store, detector, word, boundary, ops.frontmostApp);
  const Decision& d = wd.decision;
  if (!d.wrong) return false;

  const auto n = static_cast<int64_t>(codePointCount(wd.judged));
  const char last = word.back();
  // The buffer attaches "!" and "?" to the word; that key is the boundary
  // being swallowed, so the mark is not on screen yet.
  const bool attachedMark = last == '!' || last == '?';
  replacementJob job;
  job.kind = jobKindFix;
  job.boundary = boundary;
  job.word = std::move(wd.judged);
  job.app = std::move(wd.app);
  job.text = d.fixed;
  job.deleteChars = attachedMark ? n - 1 : n;
  if (d.punct != 0) appendUtf8(job.text, d.punct);
  if (!attachedMark) appendUtf8(job.text, boundary);
  if (verboseOn()) {
    if (d.punct != 0) {
      vlog(attachedMark ? "Fix (trail %c, no space): %q → %q" : "Fix (trail %c): %q → %q", d.punct,
           job.word, d.fixed);
    } else {
      vlog("Fix: %q → %q", job.word, d.fixed);
    }
  }
  return enqueueReplacement(std::move(job));
}

bool App::convertCurrentWord() {
  if (!cfg.Enabled) return false;
  if (injecting.load() != 0) return false;
  if (ops.trayEnabled && !ops.trayEnabled()) return false;
  std::string word = buf.CurrentWord();
  // A capital's key that begins the word stays the mark it shows: this
  // conversion reads no word, so nothing tells that it was a capital.
  if (!word.empty() && isCapitalLetterKey(word.front())) word.erase(0, 1);
  if (word.empty()) return false;
  // Retyping a run of keys that long would outlast the exit's wait for it.
  if (isAddressLike(word) || codePointCount(word) > kMaxWordLength) return false;
  if (frontmost() == kOwnBundleID) return false;
  const std::string converted = convertByScript(word);
  if (converted.empty() || converted == word) return false;
  vlog("Manual last-word convert: %q → %q", word, converted);
  replacementJob job;
  job.kind = jobKindFix;
  job.deleteChars = static_cast<int64_t>(codePointCount(word));
  job.text = converted;
  job.word = word;
  job.app = frontmost();
  if (!enqueueReplacement(std::move(job))) return false;
  buf.Clear();
  return true;
}

}  // namespace vyx
