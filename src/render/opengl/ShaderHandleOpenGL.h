// The OpenGL engine's compiled form of a shader program: the GL program object and the serial of the
// engine whose context made it. A handle of another engine (or of one that has died) is rebuilt.
#pragma once

#include <cstdint>

#include "engine/ShaderProgramHandle.h"

namespace PM {

class ShaderHandleOpenGL final : public ShaderProgramHandle {
 public:
  ShaderHandleOpenGL(uint64_t ownerSerial, uint32_t program) : m_ownerSerial(ownerSerial), m_program(program) {}

  // The program lives as long as its context: nothing to give up here.
  void Unload() override {}

  uint64_t OwnerSerial() const { return m_ownerSerial; }
  uint32_t Program() const { return m_program; }

 private:
  uint64_t m_ownerSerial;
  uint32_t m_program;
};

}  // namespace PM
