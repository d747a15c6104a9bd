// The start of every scene drawn with the sample style (examples/ui) in the OpenGL tests: the 320 x 240
// window of tests/ui/data/window.bs, its skin read from a copy in a test folder, and the style.
#pragma once

#include <string>

#include "support/TestEnv.h"

namespace PM::Test {

// Copies skin.png into `dir` (the loader writes its cache beside the image) and returns the script
// text of the window and the style, the skin's file pointed at the copy.
std::string SampleStyleScene(const TempDir& dir);

}  // namespace PM::Test
