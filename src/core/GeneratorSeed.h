// Seeds of the engine's random generators (particle systems and the effects built on them): calendar
// seconds mixed with a creation counter, so that generators made within one second still differ. A
// fixed base (pm-run --seed, tests) makes every run draw the same streams.
#pragma once

#include <cstdint>

namespace PM {

// The seed for the next generator made.
uint32_t NewGeneratorSeed();
// Replaces the calendar time by `base` and restarts the counter.
void SetGeneratorSeedBase(uint32_t base);
// Back to calendar time (the counter keeps running).
void ClearGeneratorSeedBase();

}  // namespace PM
