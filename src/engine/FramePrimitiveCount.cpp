#include "engine/FramePrimitiveCount.h"

namespace PM {

int32_t g_FramePrimitiveCount = 0;
int32_t g_FrameLineCount = 0, g_FramePointCount = 0;

}  // namespace PM
