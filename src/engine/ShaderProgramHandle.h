// The compiled form of a shader program inside one engine. The program object holds it counted; the
// engine that built it keeps it on its lists and frees the device program when it is unloaded.
#pragma once

#include "classes/InterfaceBase.h"

namespace PM {

class ShaderProgramHandle : public InterfaceBase {
 public:
  // Gives up the device program; the holder calls it before it drops its reference.
  virtual void Unload() = 0;

 protected:
  ~ShaderProgramHandle() = default;  // destroyed through its block's type record
};

}  // namespace PM
