#pragma once

#include "store/Waiting.h"

class QLabel;

namespace vesk::gui {

/// Shows a database connection's hold-ups in its window: the wait cursor while one lasts,
/// and what it waits for in the status label, which gets its own text and visibility back
/// after. The window repaints, but takes no clicks or keys meanwhile.
store::DelayWatcher showDelays(QLabel* status);

}  // namespace vesk::gui
