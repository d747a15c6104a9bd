#include "geometry/LargePages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>

namespace PM {
namespace {

constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
// Below this a range holds at most one large page, and the advice costs more than it saves.
constexpr size_t kAdviseFrom = size_t(8) << 20;
constexpr uintptr_t kSmallPage = 4096;
// Below this a range holds a few pages, whose faults cost about as much as the call.
constexpr size_t kPopulateFrom = size_t(64) << 10;
constexpr size_t kPagesAtOnce = 1024;

// The pointer to `address`, reached from `data` (whose block holds it), for the calls that take pointers.
[[maybe_unused]] void* At(const void* data, uintptr_t address) {
  return const_cast<char*>(static_cast<const char*>(data)) + (address - reinterpret_cast<uintptr_t>(data));
}

}  // namespace

void AdviseLargePages(const void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
  if (data == nullptr || bytes < kAdviseFrom) return;
  const uintptr_t begin = (uintptr_t(data) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (uintptr_t(data) + bytes) & ~(kLargePage - 1);
  // Only a hint: a kernel without large pages refuses it, and nothing depends on it.
  if (end > begin) (void)madvise(At(data, begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

void PopulateForWrite(const void* data, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  if (data == nullptr || bytes < kPopulateFrom) return;
  const uintptr_t begin = (uintptr_t(data) + kSmallPage - 1) & ~(kSmallPage - 1);
  const uintptr_t end = (uintptr_t(data) + bytes) & ~(kSmallPage - 1);
  // Pages already mapped are left out: the call takes each page it is given in hand, which on a block
  // the allocator kept costs more than the writes save. A chunk at a time, from a table on the stack.
  unsigned char mapped[kPagesAtOnce];
  for (uintptr_t chunk = begin; chunk < end; chunk += kPagesAtOnce * kSmallPage) {
    const size_t pages = std::min<size_t>(kPagesAtOnce, (end - chunk) / kSmallPage);
    if (mincore(At(data, chunk), pages * kSmallPage, mapped) != 0) return;
    for (size_t i = 0; i < pages;) {
      if (mapped[i] & 1) {
        ++i;
        continue;
      }
      size_t j = i + 1;
      while (j < pages && !(mapped[j] & 1)) ++j;
      // Only a hint: a kernel without the call refuses it, and the writes then fault the pages in.
      if (madvise(At(data, chunk + i * kSmallPage), (j - i) * kSmallPage, MADV_POPULATE_WRITE) != 0) return;
      i = j;
    }
  }
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace PM
