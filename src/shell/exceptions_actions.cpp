#include "shell/exceptions_actions.h"

#include <utility>

#include "log/logger.h"
#include "os/launch.h"
#include "pipeline/app.h"
#include "shell/tray_actions.h"
#include "store/custom_dict.h"

namespace vyx {

namespace {

ExceptionStore* trayStore() {
  App* app = getTrayApp();
  return app == nullptr ? nullptr : app->exceptionStore();
}

Status openCustomDict() {
  const Result<std::string> path = customDictPath();
  if (!path.ok()) return path.error();
  if (Status made = ensureCustomDictFile(*path); !made.ok()) return made;
  return os::launchOpen({"-a", "TextEdit", *path});
}

}  // namespace

std::vector<ExceptionRow> goTrayExceptionsList() {
  ExceptionStore* store = trayStore();
  if (store == nullptr) return {};
  std::vector<ExceptionRow> rows;
  for (Exception& e : store->List()) rows.emplace_back(std::move(e.App), std::move(e.Word));
  return rows;
}

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

void goTrayExceptionRemove(std::string_view app, std::string_view word) {
  ExceptionStore* store = trayStore();
  if (store == nullptr) return;
  // Whether an entry existed does not matter: the list is reloaded anyway.
  (void)store->Remove(app, word);
}

void goTrayOpenDictionary() {
  if (const Status opened = openCustomDict(); !opened.ok()) {
    showTrayMessage("Не удалось открыть словарь", opened.error().message());
  }
}

}  // namespace vyx
