// Copying particle arrays into sprite arrays every step without a new block each time.
#pragma once

#include <algorithm>

#include "core/Array.h"

namespace PM {

// dst = src, reusing dst's block when it is large enough (the sprites keep theirs from step to step).
template <class T>
void CopyInto(Array<T>& dst, const Array<T>& src) {
  if (dst.SameBlock(src)) return;
  dst.SetCountNoCopy(src.Count());
  std::copy(src.begin(), src.end(), dst.begin());
}

}  // namespace PM
