// The modes of a traversal pass: what the render system hands to RenderEngine::BeginPass and what
// GetPassMode answers while the pass draws. The extra passes draw the tree again without shaders; the
// engines give the line and shadow modes their meaning.
#pragma once

#include <cstdint>

namespace PM {

struct PassMode {
  enum : int32_t {
    kReset = -1,        // every pass state back to its start
    kPlain = 0,         // unlit and unculled: the GUI after the main pass, and the debug shapes' extra pass
    kMain = 1,          // lit and shaded, each record through its shader's passes
    kLinesThrough = 2,  // front faces as lines over everything, whatever the depth buffer holds
    kLinesOver = 3,     // back faces as lines, depth tested, pulled in front of the fill
    kShadowFirst = 4,   // the two shadow passes before DrawStencilShadow
    kShadowSecond = 5,
    kPointsOver = 6,    // faces' corners as points, depth tested among themselves (the viewer's points view)
    kClearColor = 256,  // the extra clear of the colour buffer before kLinesOver
  };
};

}  // namespace PM
