// What the exceptions window and the "Открыть свой словарь" item ask of the
// program: they reach the learned exceptions of the running App's store.
// Without an App or without a store the list is empty, adding fails with a
// message and removing does nothing.
//
// Threads: main thread, synchronously inside the window's and the menu's
// actions; the store guards itself and saves in the background.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vyx {

// One exception as the window lists it: (application, word), exactly as
// stored.
using ExceptionRow = std::pair<std::string, std::string>;

// Every exception in the store's order, each as its own row: an application
// or word may hold any character, a TAB or LF included, and still cross
// whole. Empty without a store.
[[nodiscard]] std::vector<ExceptionRow> goTrayExceptionsList();
// Empty on success, else the message to show the person.
[[nodiscard]] std::string goTrayExceptionAdd(std::string_view app, std::string_view word);
// The entry of exactly this application (no fall-back to "*"), ignoring case.
void goTrayExceptionRemove(std::string_view app, std::string_view word);
// Creates the user word list when missing and opens it in TextEdit; a
// failure shows "Не удалось открыть словарь".
void goTrayOpenDictionary();

}  // namespace vyx
