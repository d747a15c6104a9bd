// Keeps the loaded OpenGL DRI drivers in memory for the rest of the test process. Mesa unloads its
// driver when the display closes; the leak checker then cannot name the driver's lasting allocations,
// which tools/lsan.supp allows by library name. Call it while a context exists.
#pragma once

namespace PM::Test {

void PinDriverModules();

}  // namespace PM::Test
