#include "script/lang/NestingDepth.h"

namespace PM {

namespace {

thread_local int32_t t_depth = 0;

}  // namespace

NestingDepth::NestingDepth(int32_t cost) : m_cost(WouldPass(cost) ? 0 : cost) { t_depth += m_cost; }

NestingDepth::~NestingDepth() { t_depth -= m_cost; }

bool NestingDepth::WouldPass(int32_t cost) { return t_depth + cost > kLimit; }

int32_t NestingDepth::Current() { return t_depth; }

}  // namespace PM
