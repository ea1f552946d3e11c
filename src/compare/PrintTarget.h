#pragma once

#include <functional>

#include "compare/Printout.h"

namespace vesk::compare {

/// Where a screen's Print… hands what it puts on paper: the window's print preview, or what a
/// test keeps.
using PrintTarget = std::function<void(const Printout&)>;

}  // namespace vesk::compare
