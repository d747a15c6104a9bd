// Saves the floating-point control state (MXCSR and the x87 control word) and restores it when the
// scope ends, by any path. Code once run at reduced x87 precision computes in float inside it.
#pragma once

#include <cstdint>

namespace PM {

class FpuGuard {
 public:
  FpuGuard();
  ~FpuGuard();
  FpuGuard(const FpuGuard&) = delete;
  FpuGuard& operator=(const FpuGuard&) = delete;

  uint32_t SavedMxcsr() const { return m_mxcsr; }
  uint16_t SavedControlWord() const { return m_controlWord; }

  static uint32_t ReadMxcsr();
  static void WriteMxcsr(uint32_t value);
  static uint16_t ReadControlWord();
  static void WriteControlWord(uint16_t value);

  // The x87 precision-control field and its 24- and 53-bit settings.
  static constexpr uint16_t kPrecisionMask = 0x0300, kPrecision24 = 0x0000, kPrecision53 = 0x0200;
  // Sets the x87 precision control, keeping the rest of the control word.
  static void SetPrecision(uint16_t precision) {
    WriteControlWord(static_cast<uint16_t>((ReadControlWord() & ~kPrecisionMask) | precision));
  }

 private:
  uint32_t m_mxcsr;
  uint16_t m_controlWord;
};

}  // namespace PM
