#include "storage/LockedStream.h"

namespace PM {

int64_t LockedStream::SeekTarget(int64_t offset, int origin, int64_t position, int64_t length) {
  if (origin != kSeekStart && origin != kSeekCurrent && origin != kSeekEnd) return -1;
  int64_t base = origin == kSeekStart ? 0 : origin == kSeekEnd ? length : position;
  int64_t target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
  return target;
}

}  // namespace PM
