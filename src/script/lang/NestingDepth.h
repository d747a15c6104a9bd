// NestingDepth: how deeply the script language is nested on this thread. Every construct that the
// parser reads by calling itself again (groups, prefix operators, array and hash literals, boxes and
// calls, member suffixes, blocks, includes) takes a level for as long as it is read, so a hostile or
// broken script ends with a "nested too deeply" report instead of running out of stack. The count
// belongs to the thread: a run and the runs it includes share it, as they share the stack. A level is
// also refused when the thread's stack (its real bounds, however small it was made) has too little left,
// with the same report, so a small stack ends in the report too and never in a crash.
#pragma once

#include <cstddef>
#include <cstdint>

namespace PM {

class NestingDepth {
 public:
  // The limit of the count and what each construct costs, after its stack use (docs/decisions/script.md).
  static constexpr int32_t kLimit = 2000;
  static constexpr int32_t kValueLevel = 1;      // one operand inside another
  static constexpr int32_t kCallLevel = 1;       // a call's argument list, on top of its operand level
  static constexpr int32_t kStatementLevel = 1;  // a statement inside a block
  static constexpr int32_t kRunLevel = 16;       // a run inside another (an include)

  // Stack a level may take, and what the innermost level's work needs beyond the last one; sanitizer
  // builds have larger frames (both measured: docs/decisions/script.md, NestingLimitTest).
#if defined(__SANITIZE_ADDRESS__)
#define PM_NESTING_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PM_NESTING_ASAN 1
#endif
#endif
#ifdef PM_NESTING_ASAN
  static constexpr size_t kStackPerLevel = 2048;
  static constexpr size_t kStackReserve = size_t(96) << 10;
#else
  static constexpr size_t kStackPerLevel = 1024;
  static constexpr size_t kStackReserve = size_t(48) << 10;
#endif
#undef PM_NESTING_ASAN

  // Takes `cost` levels unless that would pass the limit; TooDeep() tells which.
  explicit NestingDepth(int32_t cost);
  ~NestingDepth();
  NestingDepth(const NestingDepth&) = delete;
  NestingDepth& operator=(const NestingDepth&) = delete;

  bool TooDeep() const { return m_cost == 0; }
  // Whether `cost` more levels would pass the limit now.
  static bool WouldPass(int32_t cost);
  static int32_t Current();
  // Stack bytes this thread has left below the caller; and the deepest frame address a level check saw
  // since the last call (tests measure the stack per level with it).
  static size_t StackLeft();
  static uintptr_t TakeDeepestFrame();

 private:
  int32_t m_cost;  // 0 when refused
};

}  // namespace PM
