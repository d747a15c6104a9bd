#include "platform/FpuGuard.h"

#include <xmmintrin.h>

namespace PM {

uint32_t FpuGuard::ReadMxcsr() { return _mm_getcsr(); }
void FpuGuard::WriteMxcsr(uint32_t value) { _mm_setcsr(value); }

uint16_t FpuGuard::ReadControlWord() {
  uint16_t word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}

void FpuGuard::WriteControlWord(uint16_t value) { asm volatile("fldcw %0" : : "m"(value)); }

FpuGuard::FpuGuard() : m_mxcsr(ReadMxcsr()), m_controlWord(ReadControlWord()) {}

FpuGuard::~FpuGuard() {
  WriteMxcsr(m_mxcsr);
  WriteControlWord(m_controlWord);
}

}  // namespace PM
