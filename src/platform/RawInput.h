// Raw input over XInput 2: the slave devices of the server (slave pointers are type 0, slave keyboards
// 1, floating devices any other type) and the selection of raw motion on the root window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PM {

struct RawInputDevice {
  std::string name;
  int32_t id = 0;  // the XInput device id, the device's handle
};

// Whether the server offers XInput 2 (checked once per connection).
bool RawInputAvailable();

// The devices of a type; false when raw input is unavailable.
bool ListRawInputDevices(int32_t type, std::vector<RawInputDevice>* out);

// Selects raw pointer motion of every master device on the root window (RegisterRawInputDevices).
bool RegisterRawMouse();

}  // namespace PM
