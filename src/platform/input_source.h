// Selecting the keyboard input source of the script the program just typed:
// a Russian one after Cyrillic, an English one after Latin letters; and
// which key layout the selected source has.
//
// Threads: switchLayout and currentKeyLayout are called on the replacement
// worker and do their work on the main thread, to which an application's
// input-source service belongs. No state is kept between calls: every call
// reads the system's lists afresh.
#pragma once

#include <cstdint>

#include "pipeline/layout_keys.h"

namespace vyx {

// Selects the first selectable enabled source of the wanted language
// (toRussian non-zero: Russian, else English); with none, and exactly two
// selectable sources of which the current is one, the other. Otherwise, and
// when the wanted language is already selected, nothing changes. Reports
// nothing. A Russian source has an identifier containing "Russian" in any
// case, or a first language of exactly "ru" or beginning with "ru-"; an
// English one, a first language of "en" or beginning with "en-".
void switchLayout(int32_t toRussian);

// The key layout of the selected input source: U.S. for "U.S." and "ABC",
// which differ only with Option, and the two Russian layouts; other for
// any other source, none selected, or a main thread busy for longer than a
// switch waits for it.
[[nodiscard]] KeyLayout currentKeyLayout();

}  // namespace vyx
