// The floating-point control state is restored on every way out of a guarded scope.
#include "platform/FpuGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace PM {
namespace {

constexpr uint32_t kRoundTowardZero = 0x6000;
constexpr uint32_t kFlushToZero = 0x8000;
constexpr uint16_t kPrecisionMask = 0x0300;  // x87 precision control: 00 is 24-bit

void Disturb() {
  FpuGuard::WriteMxcsr(FpuGuard::ReadMxcsr() | kRoundTowardZero | kFlushToZero);
  FpuGuard::WriteControlWord(uint16_t(FpuGuard::ReadControlWord() & ~kPrecisionMask));
}

int GuardedWork(bool leaveEarly) {
  FpuGuard guard;
  Disturb();
  EXPECT_EQ(FpuGuard::ReadMxcsr() & kRoundTowardZero, kRoundTowardZero);
  if (leaveEarly) return 1;
  volatile float third = 1.0f / 3.0f;
  return third > 0 ? 2 : 3;
}

TEST(FpuGuardTest, RestoresOnNormalEarlyAndExceptionalExit) {
  const uint32_t mxcsr = FpuGuard::ReadMxcsr();
  const uint16_t word = FpuGuard::ReadControlWord();
  ASSERT_NE(mxcsr & kRoundTowardZero, kRoundTowardZero);

  EXPECT_EQ(GuardedWork(false), 2);
  EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr);
  EXPECT_EQ(FpuGuard::ReadControlWord(), word);

  EXPECT_EQ(GuardedWork(true), 1);
  EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr);
  EXPECT_EQ(FpuGuard::ReadControlWord(), word);

  try {
    FpuGuard guard;
    EXPECT_EQ(guard.SavedMxcsr(), mxcsr);
    Disturb();
    throw std::runtime_error("leave");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr);
  EXPECT_EQ(FpuGuard::ReadControlWord(), word);

  // Nested guards restore in order.
  {
    FpuGuard outer;
    FpuGuard::WriteMxcsr(mxcsr | kFlushToZero);
    {
      FpuGuard inner;
      Disturb();
    }
    EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr | kFlushToZero);
  }
  EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr);
}

}  // namespace
}  // namespace PM
