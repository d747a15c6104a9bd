// ResourceStream: a read-only stream over a named byte blob linked into the library. Names are
// looked up without regard to ASCII case, as module resource names are.
#pragma once

#include "storage/MemoryStream.h"

namespace PM {

class ResourceStream : public MemoryStream {
 public:
  ResourceStream(const void* bytes, size_t n) : MemoryStream(bytes, n, true) {}
};

}  // namespace PM
