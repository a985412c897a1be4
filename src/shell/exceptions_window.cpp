#include "shell/exceptions_window.h"

#include "log/format.h"
#include "os/application.h"
#include "os/controls.h"
#include "os/handle.h"
#include "shell/exceptions_actions.h"
#include "shell/tray_ui.h"
#include "shell/ui_globals.h"
#include "text/unicode.h"

namespace vyx::ui {

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

  os::View* content = os::windowContentView(window);
  for (os::View* view : {scroll, ex.appField, ex.wordField, add, remove}) {
    os::viewAddSubview(content, view);
  }
  ex.exceptionsWindow = window;
}

std::string trimmedField(os::View* field) {
  return std::string(trimSpace(os::textFieldStringValue(field)));
}

}  // namespace

void exceptionsAction() {
  const os::AutoreleasePool pool;
  if (shellUi().exceptions.exceptionsWindow == nullptr) buildExceptionsWindow();
  reloadExceptionRows();
  os::applicationActivateIgnoringOtherApps(true);
  os::windowMakeKeyAndOrderFront(shellUi().exceptions.exceptionsWindow);
}

void reloadExceptionRows() {
  ExceptionsUi& ex = shellUi().exceptions;
  ex.exceptionRows = goTrayExceptionsList();
  if (ex.exceptionsTable != nullptr) os::tableViewReloadData(ex.exceptionsTable);
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

int64_t numberOfExceptionRows() {
  return static_cast<int64_t>(shellUi().exceptions.exceptionRows.size());
}

std::string exceptionObjectValue(std::string_view columnIdentifier, int64_t row) {
  const auto& rows = shellUi().exceptions.exceptionRows;
  if (row < 0 || row >= static_cast<int64_t>(rows.size())) return {};
  const auto& r = rows[static_cast<size_t>(row)];
  return escapeControls(columnIdentifier == "app" ? r.first : r.second);
}

}  // namespace vyx::ui
