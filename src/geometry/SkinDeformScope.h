// The scope every skin deformation runs in: the floating-point control state saved and restored on
// every exit (x87 precision set to 24 bits meanwhile; the arithmetic itself is float), and a traced
// section of the given label.
#pragma once

#include "core/Trace.h"
#include "platform/FpuGuard.h"

namespace PM {

class SkinDeformScope {
 public:
  explicit SkinDeformScope(const char* label) : m_label(label) {
    FpuGuard::WriteControlWord(uint16_t(m_fpu.SavedControlWord() & ~kPrecisionBits));
    TraceEnter(m_label);
  }
  ~SkinDeformScope() { TraceLeave(m_label); }
  SkinDeformScope(const SkinDeformScope&) = delete;
  SkinDeformScope& operator=(const SkinDeformScope&) = delete;

 private:
  static constexpr uint16_t kPrecisionBits = 0x0300;  // x87 precision control; 0 = 24-bit mantissa
  FpuGuard m_fpu;
  const char* m_label;
};

}  // namespace PM
