#include "shell/ui_globals.h"

namespace vyx::ui {

namespace {
ShellUi state;
}  // namespace

ShellUi& shellUi() {
  return state;
}

void resetShellUi() {
  state = ShellUi{};
}

}  // namespace vyx::ui
