#pragma once

#include <string>

namespace vesk::gui {

/// The windowed program's turn when the command line prints: reads an encoded printout from
/// the parent through its input, writes its pages to the PDF at `path` (an earlier file of the
/// name stays whole until the new one is complete), and answers the parent "0" or the error's
/// number and description on two lines. Returns the exit status.
int writePdfForParent(const std::string& path);

}  // namespace vesk::gui
