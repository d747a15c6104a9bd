// Short names of the WEvent values that input tests record, "LeftDown" for MouseLeftDown.
#pragma once

#include <cstdint>
#include <string>

namespace PM::Test {

// The short name, or the member index as a number for events without one.
std::string EventName(uint32_t event);

}  // namespace PM::Test
