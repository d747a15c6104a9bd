#include "geometry/StripScratch.h"

#include <new>

#include "geometry/LargePages.h"

namespace PM {

namespace {

constexpr std::align_val_t kAlign{64};
constexpr int kMostKept = 16;  // a call takes about ten blocks

struct Kept {
  void* block;
  size_t bytes;
};

// The blocks a thread keeps, freed when the thread ends.
struct KeptBlocks {
  Kept kept[kMostKept];
  int count = 0;
  size_t bytes = 0;
  ~KeptBlocks() {
    for (int i = 0; i < count; ++i) ::operator delete(kept[i].block, kAlign);
  }
};

thread_local KeptBlocks t_kept;

}  // namespace

void* StripScratch::Take(size_t& bytes) {
  KeptBlocks& k = t_kept;
  int best = -1;
  for (int i = 0; i < k.count; ++i)
    if (k.kept[i].bytes >= bytes && (best < 0 || k.kept[i].bytes < k.kept[best].bytes)) best = i;
  if (best >= 0) {
    Kept found = k.kept[best];
    k.kept[best] = k.kept[--k.count];
    k.bytes -= found.bytes;
    bytes = found.bytes;
    return found.block;
  }
  bytes = (bytes + 63) & ~size_t(63);
  void* block = ::operator new(bytes, kAlign);
  AdviseLargePages(block, bytes);  // a large mesh's blocks fault in 2 MB at a time
  return block;
}

void StripScratch::Give(void* block, size_t bytes) {
  KeptBlocks& k = t_kept;
  if (k.bytes + bytes <= kKeptBytes) {
    if (k.count == kMostKept) {  // the smallest goes: the larger ones are the ones worth keeping
      int smallest = 0;
      for (int i = 1; i < k.count; ++i)
        if (k.kept[i].bytes < k.kept[smallest].bytes) smallest = i;
      if (k.kept[smallest].bytes >= bytes) {
        ::operator delete(block, kAlign);
        return;
      }
      ::operator delete(k.kept[smallest].block, kAlign);
      k.bytes -= k.kept[smallest].bytes;
      k.kept[smallest] = k.kept[--k.count];
    }
    k.kept[k.count++] = Kept{block, bytes};
    k.bytes += bytes;
    return;
  }
  ::operator delete(block, kAlign);
}

}  // namespace PM
