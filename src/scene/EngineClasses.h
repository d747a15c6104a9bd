// The engine class table: every scene, geometry, render and animation class with its members and enum
// types, defined once at start-up, then the widget classes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace PM {

// Defines the table in its fixed order; the start-up stage of the engine classes calls it once.
void RegisterEngineClasses();

// The class indexes in definition order (an S/T pair appears once, under its first class); the enum
// group sits where kEngineEnumGroup appears.
constexpr uint32_t kEngineEnumGroup = 0;
extern const uint16_t kEngineClassOrder[];
extern const size_t kEngineClassOrderCount;

}  // namespace PM
