#include "shell/messages.h"

#include <string>

#include "os/alert.h"
#include "os/application.h"
#include "os/handle.h"
#include "os/launch.h"
#include "os/main_queue.h"

namespace vyx {

namespace {

void presentTrayAlert(const std::string& title, const std::string& body) {
  const os::AutoreleasePool pool;
  const os::Ref<os::Alert> alert = os::adopt(os::alertCreate());
  os::alertSetMessageText(alert.get(), title);
  os::alertSetInformativeText(alert.get(), body);
  os::alertAddButton(alert.get(), "OK");
  os::applicationActivateIgnoringOtherApps(true);
  (void)os::alertRunModal(alert.get());
}

}  // namespace

void showTrayMessage(std::string_view title, std::string_view body) {
  os::dispatchAsyncMain(
      [title = std::string(title), body = std::string(body)] { presentTrayAlert(title, body); });
}

void openWithDefaultApp(std::string_view target) {
  const Status started = os::launchOpen({std::string(target)});
  if (!started.ok()) showTrayMessage("Cannot open", started.error().message());
}

}  // namespace vyx
