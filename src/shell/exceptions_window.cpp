#include "shell/exceptions_window.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/format.h"
#include "os/application.h"
#include "os/controls.h"
#include "os/handle.h"
#include "pipeline/app.h"
#include "shell/messages.h"
#include "shell/ui_globals.h"
#include "text/unicode.h"

namespace vyx {

namespace {

// One exception as the window lists it: (application, word), exactly as
// stored.
using ExceptionRow = std::pair<std::string, std::string>;

ExceptionStore* trayStore() {
  App* app = getTrayApp();
  return app == nullptr ? nullptr : app->exceptionStore();
}

// Every exception in the store's order, each as its own row: an application
// or word may hold any character, a TAB or LF included, and still cross
// whole. Empty without a store.
std::vector<ExceptionRow> goTrayExceptionsList() {
  ExceptionStore* store = trayStore();
  if (store == nullptr) return {};
  std::vector<ExceptionRow> rows;
  for (Exception& e : store->List()) rows.emplace_back(std::move(e.App), std::move(e.Word));
  return rows;
}

// Empty on success, else the message to show the person.
std::string goTrayExceptionAdd(std::string_view app, std::string_view word) {
  ExceptionStore* store = trayStore();
  if (store == nullptr) return "Исключения сейчас недоступны: перезапустите Vyx";
  // The store would take an empty application silently and keep nothing,
  // while the window cleared the word as if it had been added; the message
  // already names both fields.
  if (app.empty() || !store->Add(app, word).ok()) {
    return "Проверьте, что заполнены программа и слово";
  }
  return {};
}

// The entry of the row: exactly this application and word (no fall-back to
// "*"), case included, so that of two entries that differ only in case the
// one selected goes.
void goTrayExceptionRemove(std::string_view app, std::string_view word) {
  ExceptionStore* store = trayStore();
  if (store == nullptr) return;
  // Whether an entry existed does not matter: the list is reloaded anyway.
  (void)store->RemoveEntry(app, word);
}

}  // namespace

namespace ui {

namespace {

constexpr os::WindowStyleMask kExceptionsStyle =
    os::kWindowStyleMaskTitled | os::kWindowStyleMaskClosable | os::kWindowStyleMaskResizable;

os::View* makeField(os::Rect frame, std::string_view placeholder) {
  os::View* field = os::textFieldCreate(frame);
  os::textFieldSetPlaceholderString(field, placeholder);
  return field;
}

os::View* makeButton(os::Rect frame, std::string_view title, std::string_view action) {
  os::View* button = os::buttonCreate(frame);
  os::buttonSetTitle(button, title);
  os::buttonSetTarget(button, shellUi().tray.trayDelegate.get());
  os::buttonSetAction(button, action);
  return button;
}

void buildExceptionsWindow() {
  ExceptionsUi& ex = shellUi().exceptions;
  ex.exceptionRows.clear();
  os::Window* window =
      os::windowCreate({0, 0, 560, 380}, kExceptionsStyle, os::kBackingStoreBuffered, false);
  os::windowSetTitle(window, "Исключения Vyx");
  // Closing only hides it: it comes back as the person left it.
  os::windowSetReleasedWhenClosed(window, false);
  os::windowCenter(window);

  os::View* scroll = os::scrollViewCreate({20, 80, 520, 280});
  os::scrollViewSetHasVerticalScroller(scroll, true);
  ex.exceptionsTable = os::tableViewCreate(os::viewBounds(scroll));
  os::tableViewAddColumn(ex.exceptionsTable, "app", "Программа", 280.0);
  os::tableViewAddColumn(ex.exceptionsTable, "word", "Слово", 220.0);
  os::tableViewSetDataSource(ex.exceptionsTable, shellUi().tray.trayDelegate.get());
  os::scrollViewSetDocumentView(scroll, ex.exceptionsTable);

  ex.appField = makeField({20, 44, 260, 24}, "Программа, например com.apple.TextEdit");
  ex.wordField = makeField({290, 44, 150, 24}, "слово");
  os::View* add = makeButton({450, 42, 90, 28}, "Добавить", "exceptionAddAction:");
  os::View* remove = makeButton({20, 8, 180, 28}, "Удалить выбранное", "exceptionRemoveAction:");

  // The window can be resized: the list takes the room, the fields and
  // buttons stay below it, the word field and "Добавить" at the right edge.
  os::viewSetAutoresizingMask(scroll, os::kViewWidthSizable | os::kViewHeightSizable);
  os::viewSetAutoresizingMask(ex.appField, os::kViewWidthSizable | os::kViewMaxYMargin);
  os::viewSetAutoresizingMask(ex.wordField, os::kViewMinXMargin | os::kViewMaxYMargin);
  os::viewSetAutoresizingMask(add, os::kViewMinXMargin | os::kViewMaxYMargin);
  os::viewSetAutoresizingMask(remove, os::kViewMaxXMargin | os::kViewMaxYMargin);

  os::View* content = os::windowContentView(window);
  for (os::View* view : {scroll, ex.appField, ex.wordField, add, remove}) {
    os::viewAddSubview(content, view);
  }
  ex.exceptionsWindow = window;
}

std::string trimmedField(os::View* field) {
  return std::string(trimSpace(os::textFieldStringValue(field)));
}

void reloadExceptionRows() {
  ExceptionsUi& ex = shellUi().exceptions;
  ex.exceptionRows = goTrayExceptionsList();
  if (ex.exceptionsTable != nullptr) os::tableViewReloadData(ex.exceptionsTable);
}

void exceptionsAction() {
  const os::AutoreleasePool pool;
  if (shellUi().exceptions.exceptionsWindow == nullptr) buildExceptionsWindow();
  reloadExceptionRows();
  os::applicationActivateIgnoringOtherApps(true);
  os::windowMakeKeyAndOrderFront(shellUi().exceptions.exceptionsWindow);
}

int64_t numberOfExceptionRows() {
  return static_cast<int64_t>(shellUi().exceptions.exceptionRows.size());
}

// A cell shows control characters escaped, so that "ghbdtn\nvbh" is not
// taken for a second "ghbdtn".
std::string exceptionObjectValue(std::string_view columnIdentifier, int64_t row) {
  const auto& rows = shellUi().exceptions.exceptionRows;
  if (row < 0 || row >= static_cast<int64_t>(rows.size())) return {};
  const auto& r = rows[static_cast<size_t>(row)];
  return escapeControls(columnIdentifier == "app" ? r.first : r.second);
}

void exceptionAddAction() {
  const os::AutoreleasePool pool;
  const ExceptionsUi& ex = shellUi().exceptions;
  if (ex.appField == nullptr || ex.wordField == nullptr) return;
  const std::string message =
      goTrayExceptionAdd(trimmedField(ex.appField), trimmedField(ex.wordField));
  if (!message.empty()) {
    // Queued: the alert appears after this action has returned.
    showTrayMessage("Исключение не добавлено", message);
    return;
  }
  // The application stays, so several words can be added for it in a row.
  os::textFieldSetStringValue(ex.wordField, "");
  reloadExceptionRows();
}

void exceptionRemoveAction() {
  const os::AutoreleasePool pool;
  const ExceptionsUi& ex = shellUi().exceptions;
  if (ex.exceptionsTable == nullptr) return;
  const int64_t row = os::tableViewSelectedRow(ex.exceptionsTable);
  if (row < 0 || row >= numberOfExceptionRows()) return;
  // Copies: the reload below replaces the rows.
  const auto [app, word] = ex.exceptionRows[static_cast<size_t>(row)];
  goTrayExceptionRemove(app, word);
  reloadExceptionRows();
}

}  // namespace

void addExceptionsActions(os::Target& trayDelegate) {
  trayDelegate.actions["exceptionsAction:"] = exceptionsAction;
  trayDelegate.actions["exceptionAddAction:"] = exceptionAddAction;
  trayDelegate.actions["exceptionRemoveAction:"] = exceptionRemoveAction;
  trayDelegate.numberOfRows = numberOfExceptionRows;
  trayDelegate.objectValue = exceptionObjectValue;
}

}  // namespace ui

}  // namespace vyx
