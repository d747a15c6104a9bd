// A render pipe with a 640 x 480 client area and no window, for frames drawn without one.
#pragma once

#include "render/RenderPipe.h"

namespace PM::Test {

// Adds no data, so the pipe's type record fits it.
class FixedAreaPipe : public RenderPipe_I {
 public:
  void GetClientArea(int32_t* x, int32_t* y, int32_t* width, int32_t* height) override {
    *x = 0, *y = 0, *width = 640, *height = 480;
  }
};
static_assert(sizeof(FixedAreaPipe) == sizeof(RenderPipe_I));

}  // namespace PM::Test
