#include "engine/FramePrimitiveCount.h"

namespace PM {

int32_t g_FramePrimitiveCount = 0;

}  // namespace PM
