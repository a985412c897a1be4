// The word being typed, and where a word ends.
//
// Threads: Add, Backspace and FlushWord run inside the App's key handling (the
// event-tap thread, or the worker while it replays held keys); Clear and
// CurrentWord may come from any thread, Clear also from the main thread
// through a context invalidation. `mu` guards `chars` and `lead` and nothing
// else; it is a leaf lock. `onWord` is fixed at construction and called only
// after `mu` has been released, so the callback may use the buffer again.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace vyx {

// Whether the code point ends a word. Letters and digits of any script, the
// QWERTY punctuation keys that are Russian letters and the shifted digit keys
// that are Russian punctuation stay inside words; everything else ends them.
// (Add also keeps a command-line option whole: a hyphen after white space
// begins a word that only white space ends.)
[[nodiscard]] bool isWordBoundary(char32_t r);

class Buffer final {
 public:
  // Answers whether the key that finished the word is swallowed.
  using OnWord = std::function<bool(const std::string& word, char32_t boundary)>;

  explicit Buffer(OnWord onWord = nullptr);
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  // Appends a word character, or finishes the word on a boundary and hands it
  // to onWord. A "!" or "?" after a word becomes the word's last character
  // and is also the boundary. Returns onWord's answer, false when no word was
  // finished or there is no callback.
  [[nodiscard]] bool Add(char32_t r);
  // The key of a Russian capital typed on QWERTY, showing its mark (" for Э):
  // where a word begins after white space, nothing or an opening bracket or
  // quote ("(", "«", and "[" or "\"" that began the word), it begins the
  // word, whose reading later tells whether it was the capital; anywhere
  // else, right after another mark too ("><", "=\""), it is Add.
  [[nodiscard]] bool AddCapitalLetterKey(char32_t r);
  void Backspace();
  void Clear();
  [[nodiscard]] std::string CurrentWord() const;
  [[nodiscard]] std::string FlushWord();

 private:
  // What came right before the word being typed (right before now while it
  // is empty).
  enum class Lead : uint8_t { space, opening, mark };

  // Add without its log line.
  bool append(char32_t r);
  [[nodiscard]] bool endsWordLocked(char32_t r) const;

  mutable std::mutex mu;
  std::u32string chars;
  // White space and nothing (a fresh context) count alike.
  Lead lead = Lead::space;
  const OnWord onWord;
};

}  // namespace vyx
