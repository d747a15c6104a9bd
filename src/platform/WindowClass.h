// Window classes: a name, a style, a window procedure and a cursor. Registering the first class opens
// the shared display connection; unregistering the last closes it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowMessages.h"

namespace PM {

enum : uint32_t { CS_VREDRAW = 0x1, CS_HREDRAW = 0x2, CS_DBLCLKS = 0x8, CS_OWNDC = 0x20 };

struct WindowClass {
  std::string name;
  uint32_t style = 0;
  WindowProc proc = nullptr;
  unsigned long cursor = 0;
  unsigned long ownCursor = 0;  // the arrow cursor made at registration, freed with the class
};

// False (last error set) when the name is taken or no display can be opened.
bool RegisterWindowClass(const char* name, uint32_t style, WindowProc proc);
bool UnregisterWindowClass(const char* name);
const WindowClass* FindWindowClass(const char* name);
WindowClass* FindWindowClassMutable(const char* name);

}  // namespace PM
