#include "geometry/LargePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace PM {
namespace {

constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
// Below this a range holds at most one large page, and the advice costs more than it saves.
constexpr size_t kAdviseFrom = size_t(8) << 20;

}  // namespace

void AdviseLargePages(const void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
  if (data == nullptr || bytes < kAdviseFrom) return;
  const uintptr_t begin = (uintptr_t(data) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (uintptr_t(data) + bytes) & ~(kLargePage - 1);
  // Only a hint: a kernel without large pages refuses it, and nothing depends on it.
  if (end > begin) (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace PM
