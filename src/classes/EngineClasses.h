// The engine class table: every scene, geometry, render and animation class with its members and enum
// types, defined once at start-up, then the widget classes (which the user interface enters as the
// entry of kEngineWidgetGroup).
#pragma once

#include <cstddef>
#include <cstdint>

namespace PM {

// Defines the table in its fixed order; the start-up stage of the engine classes calls it once.
void RegisterEngineClasses();
// Shutdown counterpart of the engine class table; the tables go with the object model.
void UninitEngineClasses();

// The class indexes in definition order (an S/T pair appears once, under its first class); the enum
// group sits where kEngineEnumGroup appears.
constexpr uint32_t kEngineEnumGroup = 0;
// The entry index under which the widget table is entered; it is defined after the ordered classes.
constexpr uint32_t kEngineWidgetGroup = 0x1FF;
extern const uint16_t kEngineClassOrder[];
extern const size_t kEngineClassOrderCount;

}  // namespace PM
