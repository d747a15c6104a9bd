// NestingDepth: how deeply the script language is nested on this thread. Every construct that the
// parser reads by calling itself again (groups, prefix operators, array and hash literals, boxes and
// calls, member suffixes, blocks, includes) takes a level for as long as it is read, so a hostile or
// broken script ends with a "nested too deeply" report instead of running out of stack. The count
// belongs to the thread: a run and the runs it includes share it, as they share the stack.
#pragma once

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

  // Takes `cost` levels unless that would pass the limit; TooDeep() tells which.
  explicit NestingDepth(int32_t cost);
  ~NestingDepth();
  NestingDepth(const NestingDepth&) = delete;
  NestingDepth& operator=(const NestingDepth&) = delete;

  bool TooDeep() const { return m_cost == 0; }
  // Whether `cost` more levels would pass the limit now.
  static bool WouldPass(int32_t cost);
  static int32_t Current();

 private:
  int32_t m_cost;  // 0 when refused
};

}  // namespace PM
