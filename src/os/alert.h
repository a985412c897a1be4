// Modal alerts.
//
// Threads: main thread only.
#pragma once

#include <cstdint>
#include <string_view>

namespace vyx::os {

struct Alert;

void release(Alert* alert);

[[nodiscard]] Alert* alertCreate();
void alertSetMessageText(Alert* alert, std::string_view text);
void alertSetInformativeText(Alert* alert, std::string_view text);
void alertAddButton(Alert* alert, std::string_view title);
// Shows the alert and waits, on the main thread, until a button is pressed;
// returns 1000 for the first button, 1001 for the second, and so on. Queued
// main-thread work and timers wait meanwhile.
int64_t alertRunModal(Alert* alert);

}  // namespace vyx::os
